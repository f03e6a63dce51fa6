// Finding the installation: its directory, its configuration file and the stored settings
// password. Each writes a NUL-terminated text into the caller's buffer.
#pragma once

#include <cstddef>
#include <optional>
#include <string>

namespace orn {

// Shown by both front ends when the installation key or its directory cannot be read.
inline constexpr const char* kNoInstallation = "Es konnte keine ORN!-Installation gefunden werden.";

// The installation directory (value InstallDirectory), without a trailing separator. Returns the
// text's length + 1, or -1 when size is not greater than the length. Throws MessageError
// "Die Registry konnte nicht geöffnet werden" when the installation key cannot be opened and
// "Die Registry konnte nicht gelesen werden" when the value cannot be read.
int GetInstallDirectory(char* buffer, size_t size);

// "<InstallDirectory>/orn.cfg". Returns the directory's length + 1, or -1 when size is less than
// that length + 10. Throws as GetInstallDirectory.
int GetCurrentConfigPath(char* buffer, size_t size);

// The settings password (value ConfigPassword) into buffer: a text of exactly 80 characters is
// stored enciphered and is deciphered; any other is the password itself. Returns the length of the
// text in the buffer; 0 when none is stored. Throws "Die Registry konnte nicht geöffnet werden"
// when the installation key cannot be opened.
int ReadConfigPassword(char* buffer, size_t size);

// The settings password as the front ends check it. Stored: ReadConfigPassword gives two
// characters or more (in *password). Undecipherable: the stored value has 80 characters but
// deciphers to an empty text or to bytes that are no printable UTF-8 text (a damaged or
// hand-edited value, or one of another installation); such a value keeps the settings locked.
// None otherwise. Throws as ReadConfigPassword.
enum class SettingsPasswordState { None, Stored, Undecipherable };
SettingsPasswordState ReadSettingsPassword(std::string* password);

inline constexpr const char* kSettingsPasswordUndecipherable =
    "Das gespeicherte Kennwort der Einstellungen ist beschädigt und kann nicht gelesen werden. Ohne dieses "
    "Kennwort kann die Konfiguration nicht gesichert, wiederhergestellt oder geändert werden.";
// The same paths as values, for callers that need no buffer. Each throws what its buffer function
// throws, and MessageError "<function>() failed" where the buffer function would return -1 (a
// path too long for kMaxPath).
std::string InstallDirectory();
std::string CurrentConfigPath();

// The installation directory, or nothing when it cannot be read; for callers that only show that
// no installation was found.
std::optional<std::string> FindInstallDirectory();

}  // namespace orn
