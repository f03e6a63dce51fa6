// Reader and writer of the orn.cfg text format (described in docs/orn-cfg-format.md).
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "tiloconf/tiloconf.h"

namespace orn::tiloconf {

inline constexpr int kFormatVersion = 1;
inline constexpr size_t kMaxFileSize = size_t{256} << 20;  // 256 MiB
inline constexpr size_t kMaxLineLength = size_t{1} << 20;  // 1 MiB, line end not counted

// Fills an empty (zero-filled) record from the text of a configuration file. decrypt, when not
// null, is applied to every enciphered password ("Key*=" lines). Returns a TILOCONF_* result; on
// failure the record holds what had been read up to the faulty line and can be released.
uint16_t ParseConfig(std::string_view data, ConfigRecord* record, config_pwfunc decrypt);

// The file text of a record. encrypt, when not null, is applied to every stored password; a
// password it enciphers is written in the enciphered form. Throws std::bad_alloc.
std::string FormatConfig(const ConfigRecord& record, config_pwfunc encrypt);

// Reads a regular file of at most kMaxFileSize bytes. Returns a TILOCONF_* result.
uint16_t ReadConfigFile(const char* path, std::string* data);

// Replaces path atomically by a file holding data: a temporary file beside it, flushed to disk and
// renamed over it (a symbolic link is followed: its target is replaced). The file gets mode 0600,
// also when it replaces one with other permissions. On failure the temporary file is removed and
// an existing file stays as it was. Returns a TILOCONF_* result.
uint16_t WriteFileAtomically(const char* path, std::string_view data);

}  // namespace orn::tiloconf
