// Folders the platform layer keeps its named objects in.
#pragma once

#include <string>

namespace orn::platform {

// ORN_RUNTIME_DIR, else /run/orn.
std::string RuntimeDirectory();
// <runtime>/<sub>, created with its parents (mode 0700) when missing; empty when it cannot be made.
std::string RuntimeSubdirectory(const std::string& sub);
// Creates the folder and its missing parents with the given mode; true when it exists afterwards.
bool MakeDirectories(const std::string& path, unsigned mode);

// TEMP, else TMPDIR, else /tmp.
std::string TempDirectory();

}  // namespace orn::platform
