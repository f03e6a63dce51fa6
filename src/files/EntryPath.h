// Entry names of an archive as paths below a target folder, and the safe way to reach them: a
// name never leads out of the target, neither by its text nor through a symbolic link that
// already lies in the target.
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <vector>

namespace orn {

// The longest entry name read or written (PATH_MAX less its terminating zero).
inline constexpr size_t kMaxEntryName = 4095;

// Splits an entry name at "\" and "/" into its components, dropping empty and "." ones. Refuses
// (nullopt) a name that is absolute (begins with a separator), begins with a drive ("C:"), has a
// ".." component, or has no component at all.
std::optional<std::vector<std::string>> SplitEntryName(const std::string& name);

// Opens the folder reached from rootFd through the first count components, creating missing
// folders (mode 0700) on the way and never passing a symbolic link: a component that is a link,
// a file or anything else but a folder fails. Returns a new descriptor, or -1.
int OpenEntryDirectory(int rootFd, const std::vector<std::string>& components, size_t count);

}  // namespace orn
