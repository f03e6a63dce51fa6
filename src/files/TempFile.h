// New files under a temporary name inside an open directory: a file is written completely under
// such a name and then renamed over its real name, so that the real name never shows half a file.
#pragma once

#include <string>

namespace orn {

// The prefix of our temporary names. It does not begin with a dot on purpose: the tree
// operations skip dot names, so a leftover of a crash would block every later delete of its folder.
inline constexpr const char* kTempFilePrefix = "orn-tmp-";

// Creates a new, empty file "<prefix><six random letters>" in the directory dirFd with the given
// mode (never following or reusing an existing name). Returns its descriptor (open for writing)
// and sets name; -1 when no file could be created.
int CreateTempFileAt(int dirFd, const std::string& prefix, unsigned mode, std::string& name);

}  // namespace orn
