// Path functions shared by the zip writer and reader. On disk the separator is "/"; names inside
// an archive use the backslash. The trimming functions treat both as separators.
#pragma once

#include <string>

namespace orn {

// Removes trailing white space, then trailing separators, in place.
void TrimTrailingSeparators(std::string& text);
// TrimTrailingSeparators, then removes leading white space and then leading separators.
void TrimSeparators(std::string& text);

// A path that does not begin with "/" becomes base, "/", path (no separator doubled); an empty
// base leaves it unchanged.
std::string MakeAbsoluteToBase(const std::string& base, const std::string& path);

// The path made absolute against the current folder, "." and ".." resolved by their text (links
// are not resolved), as GetFullPathNameA does; empty when it cannot be formed.
std::string FullPath(const std::string& path);

// Creates the folder and its missing parents (mode 0700); true when it is a folder afterwards.
// Trailing separators are ignored; an empty path fails; an existing file of that name fails.
bool CreateDirectoryTree(const std::string& path);

}  // namespace orn
