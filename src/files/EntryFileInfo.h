// The per-entry header values that the zip writers store: the time as a local DOS time, the
// Windows attribute word in the MS-DOS layout, and the UTF-8 name flag.
#pragma once

#include <minizip/zip.h>
#include <string>
#include <sys/stat.h>

namespace orn {

inline constexpr uLong kVersionMadeByMsDos = 0;
inline constexpr uLong kFlagUtf8Name = 0x800;

// The Windows attribute word of a file described by st: directory 0x10, anything else 0x20, and
// 0x01 when it has no write permission bit.
uint32_t AttributesOf(const struct stat& st);

// Time and attributes of an entry whose source is described by st; null stands for a missing
// source (attributes 0xFFFFFFFF, date and time zero). attributes replaces AttributesOf(*st).
zip_fileinfo EntryFileInfo(const struct stat* st, uint32_t attributes);
zip_fileinfo EntryFileInfo(const struct stat* st);

// The flags of an entry name: bit 11 when it is valid UTF-8 and not plain ASCII.
uLong EntryNameFlags(const std::string& name);

}  // namespace orn
