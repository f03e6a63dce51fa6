#include "cli/SettingsPassword.h"

#include <cstdio>
#include <unistd.h>

#include "cli/PasswordInput.h"
#include "install/InstallPaths.h"
#include "install/ProductKey.h"
#include "oskasys/oskasys.h"

namespace orn::cli {

namespace {
constexpr char kWrongPassword[] = "Das Kennwort ist falsch!";
}

bool CheckSettingsPassword(const std::string* file, bool* isProtected, std::string* error) {
  char stored[kMaxPath] = {};
  const int length = ReadConfigPassword(stored, sizeof stored);
  *isProtected = length >= 2;
  if (!*isProtected) return true;
  const std::string expected(stored, static_cast<size_t>(length));
  const bool terminal = !file && isatty(STDIN_FILENO);
  for (;;) {
    Secret entered;
    if (!ReadPassword({file, "Die Einstellungen sind durch ein Kennwort geschützt. Kennwort: "}, &entered, error))
      return false;
    if (entered.Text() == expected) return true;
    if (!terminal || entered.empty()) {
      *error = kWrongPassword;
      return false;
    }
    fprintf(stderr, "%s\n", kWrongPassword);
  }
}

}  // namespace orn::cli
