#include "users/DelimitedFile.h"

#include <algorithm>
#include <cstring>
#include <sys/stat.h>
#include <vector>

#include "install/MessageError.h"

namespace orn {

namespace {
constexpr int kDetectionCapacity = 32000;
}

CDelimitedFile::CDelimitedFile(const char* path, int columnCount, char separator)
    : stream_(fopen(path, "wb")), separator_(separator), columnCount_(columnCount) {}

CDelimitedFile::CDelimitedFile(const char* path) : stream_(fopen(path, "rb")) {
  // A folder opens on Linux but holds no text: it counts as a file that could not be opened.
  struct stat st {};
  if (stream_ && (fstat(fileno(stream_), &st) != 0 || S_ISDIR(st.st_mode))) Close();
  if (stream_) DetectLayout();
}

CDelimitedFile::~CDelimitedFile() { Close(); }

void CDelimitedFile::Close() {
  if (stream_) fclose(stream_);
  stream_ = nullptr;
}

FILE* CDelimitedFile::Stream() const {
  if (!stream_) throw MessageError("no opened file");
  return stream_;
}

int CDelimitedFile::WriteField(const char* text) {
  FILE* out = Stream();
  for (const char* p = text ? text : ""; *p; ++p)
    if (*p != separator_) putc_unlocked(*p, out);
  if (currentColumn_ >= columnCount_ - 1) {
    fputs("\r\n", out);
    currentColumn_ = 0;
  } else {
    putc_unlocked(separator_, out);
    ++currentColumn_;
  }
  return 0;
}

int CDelimitedFile::Read(char* buffer, int capacity, bool toSeparator) {
  FILE* in = Stream();
  if (feof(in) || ferror(in)) {  // a read error ends the file as its end does
    buffer[0] = '\0';
    return -1;
  }
  int stored = 0;
  for (int c; (c = getc_unlocked(in)) != EOF;) {
    if (c == '\r') {
      // CR LF is one line end, as a text-mode stream delivers it.
      int next = getc_unlocked(in);
      if (next == EOF)
        clearerr(in);  // the end is found again by the next read
      else if (next != '\n')
        ungetc(next, in);
      break;
    }
    if (c == '\n' || (toSeparator && c == static_cast<unsigned char>(separator_))) break;
    if (stored < capacity) buffer[stored++] = static_cast<char>(c);
  }
  buffer[std::max(stored, 0)] = '\0';
  return stored + 1;
}

int CDelimitedFile::ReadField(char* buffer, int capacity) { return Read(buffer, capacity, true); }

int CDelimitedFile::ReadLine(char* buffer, int capacity) { return Read(buffer, capacity, false); }

bool CDelimitedFile::Consistent(char candidate) {
  std::vector<char> line(kDetectionCapacity + 1);
  rewind(stream_);
  if (ReadLine(line.data(), kDetectionCapacity) <= 1) return false;
  const auto count = [&] { return std::count(line.data(), line.data() + strlen(line.data()), candidate); };
  const auto reference = count();
  while (ReadLine(line.data(), kDetectionCapacity) > 1)
    if (count() != reference) return false;
  return reference > 0;
}

void CDelimitedFile::DetectLayout() {
  separator_ = ',';
  for (char candidate : {',', ';', '\t'}) {
    if (Consistent(candidate)) {
      separator_ = candidate;
      break;
    }
  }
  std::vector<char> line(kDetectionCapacity + 1);
  rewind(stream_);
  if (ReadLine(line.data(), kDetectionCapacity) == -1)
    columnCount_ = 1;
  else
    columnCount_ = static_cast<int>(std::count(line.data(), line.data() + strlen(line.data()), separator_)) + 1;
  rewind(stream_);
}

}  // namespace orn
