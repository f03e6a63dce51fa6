// Path helpers of the actions: creating every missing folder of a path, testing for a file or
// folder, splitting a path into folder, base name and extension. Paths use "/".
#pragma once

#include <string>

namespace orn {

// Mode of the folders the file layer creates: they may hold configuration data.
inline constexpr unsigned kCreatedDirectoryMode = 0700;

// Creates every missing folder of the path, from the top down (a single trailing "/" is
// ignored). True when no creation failed; a component that exists as a file is not a failure
// by itself, but every folder below it then is.
bool CreateDirectoryPath(const std::string& path);

// True when a file, folder or symbolic link of that name exists (links are not followed).
bool FileExists(const std::string& path);

// Shown by both front ends for a path that is empty or names nothing.
inline constexpr const char* kInvalidPath = "Geben Sie bitte einen gültigen Dateipfad an.";

// dir: the text before the last "/" (empty without one); name and ext: the rest before and after
// its last ".", ext without the dot and empty when the rest has no dot. False, with the outputs
// untouched, for an empty path.
bool SplitFilePath(const std::string& path, std::string& dir, std::string& name, std::string& ext);

}  // namespace orn
