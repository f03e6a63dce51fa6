// The settings password, asked for as the wizard asks for it before a backup or a restore.
#pragma once

#include <string>

namespace orn::cli {

// When the installation stores a settings password of two characters or more, takes the entry
// from the file named (first line) or asks on the terminal without echo, as often as needed until
// it is right or nothing is entered. Returns true when the commands may go on; false with *error
// set otherwise ("Das Kennwort ist falsch!", or why no entry could be read). *isProtected tells
// whether a password was stored.
bool CheckSettingsPassword(const std::string* file, bool* isProtected, std::string* error);

}  // namespace orn::cli
