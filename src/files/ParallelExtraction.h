// Unpacks a whole archive on several threads. The entries are grouped by the folder they lie in,
// and one worker unpacks a group in archive order, so a name that the archive holds twice ends as
// its later entry, as when the archive is unpacked in order. Each worker reads the archive through
// a reader of its own; all of them check the entries' data against one set of claimed regions. The
// result is that of CZipReader::ExtractAll: false for an archive without entries, a damaged
// central directory or any entry that cannot be unpacked, after which the workers stop (what was
// unpacked stays).
#pragma once

#include <string>

#include "files/Progress.h"

namespace orn {

// The number of threads an unpack uses by default: one per processor, at most 16.
unsigned DefaultUnpackThreads();

// Unpacks every entry of the zip archive at archivePath below target (created when missing) on
// threads workers (0: DefaultUnpackThreads()). Every file unpacked is reported to progress, from
// one thread at a time.
bool ExtractAllInParallel(const std::string& archivePath, const std::string& target, unsigned threads,
                          Progress& progress = NoProgress());

}  // namespace orn
