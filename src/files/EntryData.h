// The data of one archive entry, inflated by minizip through a fixed 2048-byte buffer into a
// file. minizip never inflates past the size the header declares; the entry counts as read only
// when it gives exactly that many bytes and minizip finds the declared CRC-32 on closing it.
#pragma once

#include <minizip/unzip.h>

#include "files/ZipEntryInfo.h"

namespace orn {

// Size of the buffer that archive data moves through, in both directions.
inline constexpr unsigned kZipBufferSize = 2048;

// Writes the current entry of zip, opened with unzOpenCurrentFile, to fd and closes the entry.
// True when the data is complete: stored (method 0, both sizes equal) or deflated (method 8),
// exactly the declared uncompressed size, matching CRC. On false, fd may hold part of the data.
bool WriteEntryData(unzFile zip, const ZipEntryInfo& info, int fd);

}  // namespace orn
