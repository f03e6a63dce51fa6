// The Windows file attribute word, made from lstat.
#pragma once

#include <cstdint>
#include <string>

namespace orn::platform {

constexpr uint32_t kAttrReadOnly = 0x01;
constexpr uint32_t kAttrDirectory = 0x10;
constexpr uint32_t kAttrArchive = 0x20;        // a regular file
constexpr uint32_t kAttrReparsePoint = 0x400;  // a symbolic link
constexpr uint32_t kInvalidAttributes = 0xFFFFFFFF;

// Directory 0x10, regular file 0x20, symbolic link 0x400 (never followed), other kinds 0x20;
// 0x01 added when the entry has no write permission bit. A missing path gives 0xFFFFFFFF.
uint32_t FileAttributes(const std::string& path);

}  // namespace orn::platform
