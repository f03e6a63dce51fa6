#include "app/Installation.h"

#include "install/InstallPaths.h"
#include "install/MessageError.h"
#include "install/ProductKey.h"

namespace orn::wizard {

std::optional<std::string> FindInstallDirectory() {
  char directory[kMaxPath] = {};
  try {
    if (GetInstallDirectory(directory, sizeof directory) < 1) return std::nullopt;
  } catch (const MessageError&) {
    return std::nullopt;
  }
  return std::string(directory);
}

}  // namespace orn::wizard
