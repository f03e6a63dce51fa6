// A registry hive kept in one text file in the REGEDIT4 layout.
#pragma once

#include <cstdint>
#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

namespace orn::platform {

enum class ValueType : uint32_t { String = 1, Binary = 3, Dword = 4 };

struct HiveValue {
  std::string name;  // as first written; compared ignoring ASCII case
  ValueType type = ValueType::String;
  std::string data;  // String: the text (no terminating NUL); Dword: 4 bytes little endian; Binary: bytes
};

// A hive that cannot be read, parsed or written.
class HiveError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// Key paths are full paths such as "HKEY_LOCAL_MACHINE\\Software\\OSKA\\ORN\\CurrentVersion";
// key and value names compare ignoring ASCII case and keep the case they were created with.
//
// Reads parse the file as it lies on disk (a missing file is an empty hive). Every change takes an
// exclusive flock on "<path>.lock", parses the hive again, applies the change, writes a temporary
// file beside the hive, flushes it and renames it over the hive: a crash leaves the old hive or the
// new one. A hive that cannot be parsed is never overwritten: the change throws HiveError.
class Hive {
 public:
  explicit Hive(std::string path);

  // ORN_REGISTRY, else /etc/orn/registry.reg.
  static std::string DefaultPath();
  const std::string& Path() const { return path_; }

  // Access rights of this process to the hive file (for an absent file, to its folder).
  bool CanRead() const;
  bool CanWrite() const;

  bool KeyExists(const std::string& key) const;
  std::optional<HiveValue> GetValue(const std::string& key, const std::string& name) const;
  // Values of the key in file order; empty when the key does not exist.
  std::vector<HiveValue> ListValues(const std::string& key) const;

  // Creates the key and any missing parents (and the hive file when absent).
  void CreateKey(const std::string& key);
  // Sets (or adds) the value; creates the key when it is missing.
  void SetValue(const std::string& key, const HiveValue& value);
  // Returns false when the value (or its key) does not exist.
  bool DeleteValue(const std::string& key, const std::string& name);
  // Removes the key with its values and subkeys; false when it does not exist.
  bool DeleteKey(const std::string& key);

 private:
  std::string path_;
};

}  // namespace orn::platform
