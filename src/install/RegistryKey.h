// A key of the registry hive, opened with an access mode, as the installation layer uses it.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "platform/Hive.h"

namespace orn {

enum class RegistryRoot { LocalMachine };

inline constexpr uint32_t kKeyRead = 0x20019;       // KEY_READ
inline constexpr uint32_t kKeyAllAccess = 0xF003F;  // KEY_ALL_ACCESS

// Holds one open key (or none). Reading needs read access to the hive, any other access write
// access. Not copyable; the destructor closes the key.
class RegistryKey {
 public:
  RegistryKey() = default;
  // Opens the subkey with the access given; when that fails, creates it (Create); when that fails
  // too, throws std::runtime_error("registry key could not be created.").
  RegistryKey(RegistryRoot root, const std::string& subkey, uint32_t access);
  virtual ~RegistryKey();
  RegistryKey(const RegistryKey&) = delete;
  RegistryKey& operator=(const RegistryKey&) = delete;

  // Opens an existing key only; false (and closed) when it does not exist or access is refused.
  bool Open(RegistryRoot root, const std::string& subkey, uint32_t access);
  // Closes a held key, then opens the subkey with all access, creating it when missing.
  bool Create(RegistryRoot root, const std::string& subkey);
  void Close();
  bool IsOpen() const { return key_ != nullptr; }

  // Sets text to the value's data up to its first NUL; false (text empty) when the value is
  // missing or the hive cannot be read. An empty value gives true and an empty text.
  bool GetString(const std::string& name, std::string& text) const;
  // Writes the value as a string; false when the key is not open for writing or the write fails.
  bool SetString(const std::string& name, const std::string& text);
  // Removes the value; false when it is missing or the key is not open for writing.
  bool DeleteValue(const std::string& name);
  // All values of the key in hive order; false when the hive cannot be read.
  bool ListValues(std::vector<platform::HiveValue>& values) const;

 private:
  struct OpenKey {
    platform::Hive hive;
    std::string path;
    bool writable;
  };
  static std::string FullPath(RegistryRoot root, const std::string& subkey);
  std::unique_ptr<OpenKey> key_;
};

}  // namespace orn
