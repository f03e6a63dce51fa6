#include "install/RegistryKey.h"

#include <stdexcept>

namespace orn {

using platform::Hive;
using platform::HiveError;
using platform::HiveValue;
using platform::ValueType;

RegistryKey::RegistryKey(RegistryRoot root, const std::string& subkey, uint32_t access) {
  if (!Open(root, subkey, access) && !Create(root, subkey))
    throw std::runtime_error("registry key could not be created.");
}

RegistryKey::~RegistryKey() = default;

std::string RegistryKey::FullPath(RegistryRoot root, const std::string& subkey) {
  (void)root;  // the hive holds HKEY_LOCAL_MACHINE only
  return subkey.empty() ? "HKEY_LOCAL_MACHINE" : "HKEY_LOCAL_MACHINE\\" + subkey;
}

bool RegistryKey::Open(RegistryRoot root, const std::string& subkey, uint32_t access) {
  Close();
  Hive hive(Hive::DefaultPath());
  const bool writable = access != kKeyRead;
  if (!hive.CanRead() || (writable && !hive.CanWrite())) return false;
  std::string path = FullPath(root, subkey);
  try {
    if (!hive.KeyExists(path)) return false;
  } catch (const HiveError&) {
    return false;
  }
  key_ = std::make_unique<OpenKey>(OpenKey{std::move(hive), std::move(path), writable});
  return true;
}

bool RegistryKey::Create(RegistryRoot root, const std::string& subkey) {
  Close();
  Hive hive(Hive::DefaultPath());
  std::string path = FullPath(root, subkey);
  try {
    if (!hive.CanWrite()) return false;
    hive.CreateKey(path);
  } catch (const HiveError&) {
    return false;
  }
  key_ = std::make_unique<OpenKey>(OpenKey{std::move(hive), std::move(path), true});
  return true;
}

void RegistryKey::Close() { key_.reset(); }

bool RegistryKey::GetString(const std::string& name, std::string& text) const {
  text.clear();
  if (!key_) return false;
  try {
    auto value = key_->hive.GetValue(key_->path, name);
    if (!value) return false;
    text = value->data.substr(0, value->data.find('\0'));
    return true;
  } catch (const HiveError&) {
    return false;
  }
}

bool RegistryKey::SetString(const std::string& name, const std::string& text) {
  if (!key_ || !key_->writable) return false;
  try {
    key_->hive.SetValue(key_->path, HiveValue{name, ValueType::String, text.substr(0, text.find('\0'))});
    return true;
  } catch (const HiveError&) {
    return false;
  }
}

bool RegistryKey::DeleteValue(const std::string& name) {
  if (!key_ || !key_->writable) return false;
  try {
    return key_->hive.DeleteValue(key_->path, name);
  } catch (const HiveError&) {
    return false;
  }
}

bool RegistryKey::ListValues(std::vector<HiveValue>& values) const {
  values.clear();
  if (!key_) return false;
  try {
    values = key_->hive.ListValues(key_->path);
    return true;
  } catch (const HiveError&) {
    return false;
  }
}

}  // namespace orn
