// How the zip reader reads an archive: through pread and two windows of the file kept in memory,
// one of which usually stays on the central directory while the other follows the entries' data.
// minizip seeks between the two for every entry; here a seek is only a new position, and a read
// that falls inside a window is a copy, so an entry costs no system call of its own for reading
// its headers.
#pragma once

#include <minizip/ioapi.h>

namespace orn {

// The file functions for unzOpen2_64 (reading only).
zlib_filefunc64_def WindowedReadFunctions();

}  // namespace orn
