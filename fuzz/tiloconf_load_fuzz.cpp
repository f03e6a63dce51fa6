// Any bytes as orn.cfg: loading never crashes, and a file that loads saves, loads again and saves
// to the same bytes: with the password hooks off, and again with the library's own hooks on (which
// exercises deciphering damaged stored passwords and the determinism of enciphering).
#include <fcntl.h>
#include <sys/mman.h>
#include <unistd.h>

#include <cstdint>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <string>

#include "tiloconf/tiloconf.h"

namespace {

struct Files {
  config_pwfunc encrypt = nullptr, decrypt = nullptr;  // the library's hooks, empty product code
  int inputFd = -1;
  std::string input;  // /proc/self/fd/<memfd>
  std::string first, second;
};

const Files& GetFiles() {
  static const Files files = [] {
    Files f;
    f.inputFd = memfd_create("tiloconf-fuzz-input", MFD_CLOEXEC);
    if (f.inputFd < 0) abort();
    f.input = "/proc/self/fd/" + std::to_string(f.inputFd);
    const std::string base =
        std::string(access("/dev/shm", W_OK) == 0 ? "/dev/shm" : "/tmp") + "/tiloconf-fuzz-" + std::to_string(getpid());
    f.first = base + "-a.cfg";
    f.second = base + "-b.cfg";
    setenv("ORN_REGISTRY", (base + "-absent.reg").c_str(), 1);  // no hive: the empty product code
    pwcrypt_init();
    config_get_pwfuncs(&f.encrypt, &f.decrypt);
    return f;
  }();
  return files;
}

std::string ReadAll(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

void WriteInput(const Files& files, const uint8_t* data, size_t size) {
  if (ftruncate(files.inputFd, 0) != 0) abort();
  for (size_t done = 0; done < size;) {
    const ssize_t n = pwrite(files.inputFd, data + done, size - done, static_cast<off_t>(done));
    if (n <= 0) abort();
    done += static_cast<size_t>(n);
  }
}

// Loads the input with the given password hooks; when it loads, saves it, loads that and saves
// again, and aborts unless both saves are the same bytes.
void CheckRoundTrip(const Files& files, config_pwfunc encrypt, config_pwfunc decrypt) {
  config_set_pwfuncs(encrypt, decrypt);
  ConfigRecord first{};
  if (TILOCONF_varload(files.input.c_str(), &first) == 0) {
    if (TILOCONF_varsave(files.first.c_str(), &first) != 0) abort();
    ConfigRecord second{};
    if (TILOCONF_varload(files.first.c_str(), &second) != 0) abort();
    if (TILOCONF_varsave(files.second.c_str(), &second) != 0) abort();
    if (ReadAll(files.first) != ReadAll(files.second)) abort();
    TILOCONF_varfree(&second);
    // libFuzzer may end the process without running atexit handlers: clean up after each run.
    unlink(files.first.c_str());
    unlink(files.second.c_str());
  }
  TILOCONF_varfree(&first);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const Files& files = GetFiles();
  WriteInput(files, data, size);
  CheckRoundTrip(files, nullptr, nullptr);
  CheckRoundTrip(files, files.encrypt, files.decrypt);
  return 0;
}
