#include "cli/SettingsPassword.h"

#include <cstdio>
#include <unistd.h>

#include "cli/PasswordInput.h"
#include "install/InstallPaths.h"

namespace orn::cli {

namespace {
constexpr char kWrongPassword[] = "Das Kennwort ist falsch!";
}

bool SettingsProtected() {
  Secret stored;
  return ReadSettingsPassword(&stored.Text()) != SettingsPasswordState::None;
}

bool CheckSettingsPassword(const std::string* file, std::string* error) {
  Secret expected;
  switch (ReadSettingsPassword(&expected.Text())) {
    case SettingsPasswordState::None:
      return true;
    case SettingsPasswordState::Undecipherable:
      *error = kSettingsPasswordUndecipherable;
      return false;
    case SettingsPasswordState::Stored:
      break;
  }
  const bool terminal = !file && isatty(STDIN_FILENO);
  for (;;) {
    Secret entered;
    if (!ReadPassword(
            {file, "Die Einstellungen sind durch ein Kennwort geschützt. Kennwort: ", nullptr, kSettingsPasswordOption},
            &entered, error))
      return false;
    if (entered.Text() == expected.Text()) return true;
    if (!terminal || entered.empty()) {
      *error = kWrongPassword;
      return false;
    }
    fprintf(stderr, "%s\n", kWrongPassword);
  }
}

}  // namespace orn::cli
