// The installation directory as the pages look it up.
#pragma once

#include <optional>
#include <string>

namespace orn::wizard {

// The installation directory, or nothing when the installation key or its value cannot be read
// (or the value is empty).
std::optional<std::string> FindInstallDirectory();

}  // namespace orn::wizard
