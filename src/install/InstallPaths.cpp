#include "install/InstallPaths.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <string>

#include "install/MessageError.h"
#include "install/ProductKey.h"
#include "install/RegistryKey.h"
#include "tiloconf/tiloconf.h"

#include <openssl/crypto.h>

namespace orn {

namespace {

constexpr const char* kRegistryNotOpened = "Die Registry konnte nicht geöffnet werden";
constexpr const char* kRegistryNotRead = "Die Registry konnte nicht gelesen werden";

// Reads a value of the installation key that must fit into maxBytes (terminating NUL included).
bool ReadKeyValue(RegistryKey& key, const char* name, size_t maxBytes, std::string& text) {
  return key.GetString(name, text) && text.size() + 1 <= maxBytes;
}

constexpr size_t kEncipheredLength = 80;

// UTF-8 without control characters.
bool PrintableText(const std::string& text) {
  for (size_t i = 0; i < text.size(); ++i) {
    const auto c = static_cast<unsigned char>(text[i]);
    if (c < 0x20 || c == 0x7F) return false;
    if (c < 0x80) continue;
    const size_t follow = c >= 0xF0 ? 3 : c >= 0xE0 ? 2 : 1;
    if (c < 0xC2 || c > 0xF4 || text.size() - i <= follow) return false;
    for (size_t k = 0; k < follow; ++k)
      if ((static_cast<unsigned char>(text[++i]) & 0xC0) != 0x80) return false;
  }
  return true;
}

}  // namespace

int GetInstallDirectory(char* buffer, size_t size) {
  RegistryKey key;
  if (!key.Open(RegistryRoot::LocalMachine, ProductKey(), kKeyRead)) throw MessageError(kRegistryNotOpened);
  std::string directory;
  if (!ReadKeyValue(key, kValueInstallDirectory, kMaxPath, directory)) {
    key.Close();
    throw MessageError(kRegistryNotRead);
  }
  key.Close();
  while (directory.size() > 1 && directory.back() == '/') directory.pop_back();
  if (!buffer || size <= directory.size()) return -1;
  memcpy(buffer, directory.c_str(), directory.size() + 1);
  return static_cast<int>(directory.size()) + 1;
}

int GetCurrentConfigPath(char* buffer, size_t size) {
  char directory[kMaxPath];
  GetInstallDirectory(directory, sizeof directory);
  const size_t length = strlen(directory);
  if (!buffer || size < length + 10) return -1;
  snprintf(buffer, size, "%s/orn.cfg", directory);
  return static_cast<int>(length) + 1;
}

int ReadConfigPassword(char* buffer, size_t size) {
  RegistryKey key;
  if (!key.Open(RegistryRoot::LocalMachine, ProductKey(), kKeyRead)) throw MessageError(kRegistryNotOpened);
  std::string stored;
  if (!buffer || size == 0) return 0;
  buffer[0] = '\0';
  // A missing value, one that does not fit into 256 bytes, or one below 2 bytes (the empty text
  // with its NUL) means no password.
  if (!ReadKeyValue(key, kValueConfigPassword, 256, stored) || stored.size() + 1 < 2) return 0;
  if (stored.size() == 80) {
    memset(buffer, 0, size);
    pwstringdecrypt(stored.c_str(), buffer, size);
  } else {
    const size_t n = std::min(stored.size(), size - 1);
    memcpy(buffer, stored.data(), n);
    buffer[n] = '\0';
  }
  return static_cast<int>(strlen(buffer));
}

SettingsPasswordState ReadSettingsPassword(std::string* password) {
  char buffer[kMaxPath] = {};
  const int length = ReadConfigPassword(buffer, sizeof buffer);
  password->assign(buffer, static_cast<size_t>(length));
  OPENSSL_cleanse(buffer, sizeof buffer);
  RegistryKey key;
  std::string stored;
  const bool enciphered = key.Open(RegistryRoot::LocalMachine, ProductKey(), kKeyRead) &&
                          key.GetString(kValueConfigPassword, stored) && stored.size() == kEncipheredLength;
  if (enciphered && (password->empty() || !PrintableText(*password))) return SettingsPasswordState::Undecipherable;
  return length >= 2 ? SettingsPasswordState::Stored : SettingsPasswordState::None;
}

std::string InstallDirectory() {
  char directory[kMaxPath];
  if (GetInstallDirectory(directory, sizeof directory) == -1) throw MessageError("GetInstallDirectory() failed");
  return directory;
}

std::string CurrentConfigPath() {
  char path[kMaxPath];
  if (GetCurrentConfigPath(path, sizeof path) == -1) throw MessageError("GetCurrentConfigPath() failed");
  return path;
}

std::optional<std::string> FindInstallDirectory() {
  try {
    return InstallDirectory();
  } catch (const MessageError&) {
    return std::nullopt;
  }
}

}  // namespace orn
