// The zip64 end records that minizip leaves out. For 65,535 entries or more minizip writes the
// count 0xFFFF into the end of central directory record but writes the zip64 end of central
// directory record and its locator, which carry the real count, only when the central directory
// starts at 4 GiB or beyond. Readers then see 65,535 entries. Both zip writers add the two records
// before the end record when minizip did not.
#pragma once

#include <cstddef>
#include <cstdint>

namespace orn {

inline constexpr size_t kEndRecordSize = 22;  // without a comment
inline constexpr size_t kZip64LocatorSize = 20;
inline constexpr size_t kZip64EndRecordsSize = 56 + kZip64LocatorSize;

// Writes the low bytes of value at at, least significant first, as zip records hold numbers.
void PutLittleEndian(unsigned char* at, uint64_t value, int bytes);

// Whether an archive of entries entries that ends with the end record at end (no comment) still
// needs the zip64 records. before is how many bytes of the archive precede end in memory (the
// locator, when written, is the 20 bytes before it).
bool NeedsZip64EndRecords(const unsigned char* end, size_t before, uint64_t entries);

// The zip64 end of central directory record and its locator (kZip64EndRecordsSize bytes into
// out), from the end record at end: the real count, the directory's size and offset as the end
// record gives them.
void FormZip64EndRecords(const unsigned char* end, uint64_t entries, unsigned char* out);

// The same for an archive file already closed by minizip: inserts the two records before its end
// record when they are needed. False when the file cannot be read or written.
bool AddZip64EndRecords(const char* path, uint64_t entries);

}  // namespace orn
