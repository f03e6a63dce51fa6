#include "support/TestSupport.h"

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <regex>
#include <sstream>
#include <stdexcept>
#include <sys/stat.h>
#include <sys/wait.h>
#include <thread>

namespace orn::test {

ScratchDir::ScratchDir() {
  std::string base = std::filesystem::temp_directory_path().string() + "/orncfg-test-XXXXXX";
  if (!mkdtemp(base.data())) throw std::runtime_error("mkdtemp failed");
  path_ = base;
}

ScratchDir::~ScratchDir() {
  std::error_code ec;
  // Make read-only folders removable again before deleting the tree.
  for (auto it = std::filesystem::recursive_directory_iterator(path_, ec);
       !ec && it != std::filesystem::recursive_directory_iterator(); it.increment(ec)) {
    if (it->is_directory(ec) && !it->is_symlink(ec))
      std::filesystem::permissions(it->path(), std::filesystem::perms::owner_all, std::filesystem::perm_options::add,
                                   ec);
  }
  std::filesystem::remove_all(path_, ec);
}

IsolatedFolder::IsolatedFolder() {
  const std::string& folder = scratch.Path();
  std::filesystem::create_directories(folder + "/tmp");
  for (const auto& [name, below] :
       {std::pair{"ORN_REGISTRY", "/registry.reg"}, {"ORN_RUNTIME_DIR", "/run"}, {"TEMP", "/tmp"}}) {
    const char* value = getenv(name);
    saved.emplace_back(name, value ? std::optional<std::string>(value) : std::nullopt);
    setenv(name, (folder + below).c_str(), 1);
  }
}

IsolatedFolder::~IsolatedFolder() {
  for (const auto& [name, value] : saved) {
    if (value)
      setenv(name.c_str(), value->c_str(), 1);
    else
      unsetenv(name.c_str());
  }
}

bool UseDemoInstallation(const std::string& folder, const std::string& options) {
  std::string exports;
  if (RunCommand(std::string(ORN_DEMO_BINARY) + " '" + folder + "' " + options, &exports) != 0) return false;
  static const std::regex line("export ([A-Z_]+)='([^']*)'\n");
  int set = 0;
  for (std::sregex_iterator it(exports.begin(), exports.end(), line), end; it != end; ++it, ++set)
    setenv((*it)[1].str().c_str(), (*it)[2].str().c_str(), 1);
  return set == 3;
}

std::string ReadFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), {});
}

void WriteFile(const std::string& path, const std::string& data) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out << data;
  if (!out) throw std::runtime_error("cannot write " + path);
}

bool PathExists(const std::string& path) {
  std::error_code ec;
  return std::filesystem::exists(std::filesystem::symlink_status(path, ec));
}

std::map<std::string, std::string> TreeSnapshot(const std::string& root) {
  std::map<std::string, std::string> snapshot;
  auto take = [&](const std::filesystem::path& path) {
    struct stat st {};
    lstat(path.c_str(), &st);
    snapshot[path.string().substr(root.size())] = std::to_string(st.st_mtim.tv_sec) + "." +
                                                  std::to_string(st.st_mtim.tv_nsec) + ":" +
                                                  (S_ISREG(st.st_mode) ? ReadFile(path) : "");
  };
  take(root);
  if (std::filesystem::is_directory(root))
    for (const auto& entry : std::filesystem::recursive_directory_iterator(root)) take(entry.path());
  return snapshot;
}

int RunCommand(const std::string& commandLine, std::string* output) {
  FILE* p = popen(commandLine.c_str(), "r");
  if (!p) return -1;
  std::string text;
  char buffer[4096];
  size_t n;
  while ((n = fread(buffer, 1, sizeof buffer, p)) > 0) text.append(buffer, n);
  int status = pclose(p);
  if (output) *output = text;
  return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

int RunCli(const std::string& arguments, std::string* output) {
  return RunCommand(std::string(ORN_CLI_BINARY) + " </dev/null " + arguments + " 2>&1", output);
}

bool WaitFor(const std::function<bool()>& condition, int timeoutMs) {
  for (int waited = 0; waited < timeoutMs; waited += 10) {
    if (condition()) return true;
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }
  return condition();
}

void WriteInstallationHive(const std::string& hivePath,
                           const std::vector<std::pair<std::string, std::string>>& values) {
  std::string text = "REGEDIT4\n\n[HKEY_LOCAL_MACHINE\\Software\\OSKA\\ORN\\CurrentVersion]\n";
  for (const auto& [name, value] : values) text += "\"" + name + "\"=\"" + value + "\"\n";
  WriteFile(hivePath, text);
}

}  // namespace orn::test
