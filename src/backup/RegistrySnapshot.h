// The registry snapshot "reg.cfg": the thirteen task values of the installation key
// (kTaskValueNames), one line each in that order, every line ended by CR LF. Only the values
// travel; the position of a line says which value it holds.
#pragma once

#include <string>
#include <vector>

namespace orn {

inline constexpr const char* kRegistrySnapshotName = "reg.cfg";

// Writes "<directory>/reg.cfg" (mode 0600, replacing an existing file) from the task values; a
// missing value gives an empty line, a value is written up to its first line break (a line holds
// one value). Throws std::runtime_error when the file cannot be written or the key can be neither
// opened nor created ("registry key could not be created.").
void WriteRegistrySnapshot(const std::string& directory);

// The thirteen texts that reading "<directory>/reg.cfg" gives the task values: line by line
// without CR LF; once the file has ended, the names left get an empty text when the last line
// was ended by a line break, else that last line's text again. Empty when the file cannot be
// opened.
std::vector<std::string> ReadRegistrySnapshotLines(const std::string& directory);

// Sets the task values (as strings) from "<directory>/reg.cfg". False, with nothing written and
// the key not touched, when the file cannot be opened. A failed write of one value is ignored.
// A key that can be neither opened nor created throws std::runtime_error.
bool ReadRegistrySnapshot(const std::string& directory);

}  // namespace orn
