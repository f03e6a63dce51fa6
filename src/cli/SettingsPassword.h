// The settings password, asked for as the wizard asks for it before it shows its actions.
#pragma once

#include <string>

namespace orn::cli {

inline constexpr char kSettingsPasswordOption[] = "--settings-password-file";

// When the installation stores a settings password of two characters or more, takes the entry
// from the file named (first line) or asks on the terminal without echo, as often as needed until
// it is right or nothing is entered. Returns true when the command may go on; false with *error
// set otherwise ("Das Kennwort ist falsch!", why no entry could be read, or that the stored value
// cannot be deciphered, which never counts as unprotected).
bool CheckSettingsPassword(const std::string* file, std::string* error);

// Whether the installation stores a settings password (a damaged one included).
bool SettingsProtected();

}  // namespace orn::cli
