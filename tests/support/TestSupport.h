// Shared test helpers: a scratch folder per test with its own hive, runtime folder and TEMP.
#pragma once

#include <gtest/gtest.h>

#include <functional>
#include <map>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "install/MessageError.h"

namespace orn::test {

// A fresh folder below the system's temporary folder, removed with its contents.
class ScratchDir {
 public:
  ScratchDir();
  ~ScratchDir();
  ScratchDir(const ScratchDir&) = delete;
  ScratchDir& operator=(const ScratchDir&) = delete;
  const std::string& Path() const { return path_; }
  std::string operator/(const std::string& name) const { return path_ + "/" + name; }

 private:
  std::string path_;
};

// A scratch folder; ORN_REGISTRY, ORN_RUNTIME_DIR and TEMP point into it while it lives, so that
// tests never touch /etc/orn or /run/orn.
struct IsolatedFolder {
  IsolatedFolder();
  ~IsolatedFolder();
  std::string HivePath() const { return scratch / "registry.reg"; }
  ScratchDir scratch;
  std::vector<std::pair<std::string, std::optional<std::string>>> saved;
};

// A test with an isolated folder of its own.
class IsolatedTest : public ::testing::Test {
 protected:
  const ScratchDir& Scratch() const { return folder_.scratch; }
  std::string HivePath() const { return folder_.HivePath(); }

 private:
  IsolatedFolder folder_;
};

// Makes a demo installation (orn-demo FOLDER OPTIONS) and sets the variables it prints.
bool UseDemoInstallation(const std::string& folder, const std::string& options = "");

// An isolated test on a fresh demo installation in demo_.
class DemoTest : public IsolatedTest {
 protected:
  void SetUp() override {
    IsolatedTest::SetUp();
    ASSERT_TRUE(UseDemoInstallation(demo_));
  }
  std::string Installed() const { return demo_ + "/orn/orn.cfg"; }
  const std::string demo_ = Scratch() / "demo";
};

std::string ReadFile(const std::string& path);
void WriteFile(const std::string& path, const std::string& data);
bool PathExists(const std::string& path);
// Path below root -> modification time (ns) and content of root and all below: any write shows.
std::map<std::string, std::string> TreeSnapshot(const std::string& root);
// Runs a shell command line; its exit status (or -1), its standard output in *output.
int RunCommand(const std::string& commandLine, std::string* output = nullptr);
// Runs orncfg-cli with arguments (shell words, standard input /dev/null); its status, output and
// error in *output.
int RunCli(const std::string& arguments, std::string* output = nullptr);
// Polls condition every 10 ms until it holds or timeoutMs has passed; returns its last result.
bool WaitFor(const std::function<bool()>& condition, int timeoutMs);
// Writes a hive holding the installation key with the given "Name"="value" lines.
void WriteInstallationHive(const std::string& hivePath, const std::vector<std::pair<std::string, std::string>>& values);

// The text of the MessageError that call throws, or "(nothing thrown)".
inline std::string ThrownText(const std::function<void()>& call) {
  try {
    call();
  } catch (const MessageError& e) {
    return e.Text();
  }
  return "(nothing thrown)";
}

}  // namespace orn::test
