#include "files/ZipEndRecords.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>

#include "files/UniqueFd.h"
#include "platform/AtomicFile.h"

namespace orn {

namespace {

constexpr uint32_t kEndSignature = 0x06054b50;
constexpr uint32_t kZip64EndSignature = 0x06064b50;
constexpr uint32_t kZip64LocatorSignature = 0x07064b50;

uint32_t ReadLittleEndian(const unsigned char* at, int bytes) {
  uint32_t value = 0;
  for (int i = bytes - 1; i >= 0; --i) value = value << 8 | at[i];
  return value;
}

}  // namespace

void PutLittleEndian(unsigned char* at, uint64_t value, int bytes) {
  for (int i = 0; i < bytes; ++i) at[i] = static_cast<unsigned char>(value >> (8 * i));
}

bool NeedsZip64EndRecords(const unsigned char* end, size_t before, uint64_t entries) {
  const bool written =
      before >= kZip64LocatorSize && ReadLittleEndian(end - kZip64LocatorSize, 4) == kZip64LocatorSignature;
  return entries >= 0xFFFF && !written && ReadLittleEndian(end, 4) == kEndSignature;
}

void FormZip64EndRecords(const unsigned char* end, uint64_t entries, unsigned char* out) {
  const uint64_t directorySize = ReadLittleEndian(end + 12, 4), directoryAt = ReadLittleEndian(end + 16, 4);
  unsigned char* record = out;
  std::fill(out, out + kZip64EndRecordsSize, 0);
  PutLittleEndian(record, kZip64EndSignature, 4);
  PutLittleEndian(record + 4, 44, 8);   // the size of the rest of the record
  PutLittleEndian(record + 12, 45, 2);  // version made by and needed: 4.5
  PutLittleEndian(record + 14, 45, 2);
  PutLittleEndian(record + 24, entries, 8);  // on this disk and in all
  PutLittleEndian(record + 32, entries, 8);
  PutLittleEndian(record + 40, directorySize, 8);
  PutLittleEndian(record + 48, directoryAt, 8);
  unsigned char* locator = out + 56;
  PutLittleEndian(locator, kZip64LocatorSignature, 4);
  PutLittleEndian(locator + 8, directoryAt + directorySize, 8);  // where the zip64 record starts
  PutLittleEndian(locator + 16, 1, 4);                           // disks in all
}

bool AddZip64EndRecords(const char* path, uint64_t entries) {
  if (entries < 0xFFFF) return true;
  UniqueFd fd(open(path, O_RDWR | O_NOFOLLOW | O_CLOEXEC));
  struct stat st {};
  if (!fd.IsValid() || fstat(fd.Get(), &st) != 0 || static_cast<uint64_t>(st.st_size) < kEndRecordSize) return false;
  const auto size = static_cast<size_t>(st.st_size);
  unsigned char tail[kZip64LocatorSize + kEndRecordSize];
  const size_t read = std::min(size, sizeof tail);
  const off_t from = static_cast<off_t>(size - read);
  if (pread(fd.Get(), tail, read, from) != static_cast<ssize_t>(read)) return false;
  const unsigned char* end = tail + read - kEndRecordSize;
  if (!NeedsZip64EndRecords(end, read - kEndRecordSize, entries)) return true;
  unsigned char records[kZip64EndRecordsSize + kEndRecordSize];
  FormZip64EndRecords(end, entries, records);
  std::copy(end, end + kEndRecordSize, records + kZip64EndRecordsSize);
  return lseek(fd.Get(), static_cast<off_t>(size - kEndRecordSize), SEEK_SET) >= 0 &&
         platform::WriteFully(fd.Get(), records, sizeof records);
}

}  // namespace orn
