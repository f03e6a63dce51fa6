// Any bytes as a registry hive: reading gives values or HiveError, never a crash or a hang.
// A hive that parses can be changed, and the change keeps every other value as it was.
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <unistd.h>

#include "platform/Hive.h"

namespace {

const std::string& HivePath() {
  static const std::string path = "/tmp/orn-hive-fuzz-" + std::to_string(getpid()) + ".reg";
  return path;
}

bool SameValues(const std::vector<orn::platform::HiveValue>& a, const std::vector<orn::platform::HiveValue>& b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i)
    if (a[i].name != b[i].name || a[i].type != b[i].type || a[i].data != b[i].data) return false;
  return true;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  using orn::platform::Hive;
  using orn::platform::HiveError;
  const std::string& path = HivePath();
  FILE* file = fopen(path.c_str(), "wb");
  if (!file) return 0;
  fwrite(data, 1, size, file);
  fclose(file);

  const std::string key = "HKEY_LOCAL_MACHINE\\Software\\OSKA\\ORN\\CurrentVersion";
  Hive hive(path);
  std::vector<orn::platform::HiveValue> before;
  try {
    hive.KeyExists(key);
    before = hive.ListValues(key);
    hive.GetValue(key, "InstallDirectory");
  } catch (const HiveError&) {
    return 0;  // refused, and (checked by the tests) left as it was
  }
  try {
    hive.SetValue("HKEY_LOCAL_MACHINE\\Fuzz", {"Probe", orn::platform::ValueType::String, "a\"b\\c\r\nd"});
  } catch (const HiveError&) {
    abort();  // a hive that reads must accept a change
  }
  auto probe = hive.GetValue("HKEY_LOCAL_MACHINE\\Fuzz", "probe");
  if (!probe || probe->data != "a\"b\\c\r\nd") abort();
  if (!SameValues(hive.ListValues(key), before)) abort();
  unlink(path.c_str());
  return 0;
}
