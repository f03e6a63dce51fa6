// The installation key of the server product and the names of its values.
#pragma once

namespace orn {

// Subkey below HKEY_LOCAL_MACHINE.
inline constexpr const char* kProductKey = "Software\\OSKA\\ORN\\CurrentVersion";

inline constexpr const char* kValueInstallDirectory = "InstallDirectory";
inline constexpr const char* kValueConfigPassword = "ConfigPassword";
inline constexpr const char* kValueOldCDKey = "OldCDKey";
// The installation's own product code, from which the stored passwords' key is made.
inline constexpr const char* kValueCDKey = "CDKey";

// Path buffers of the installation layer (MAX_PATH).
inline constexpr int kMaxPath = 260;

// Returns the subkey of the installation key.
inline const char* ProductKey() { return kProductKey; }

}  // namespace orn
