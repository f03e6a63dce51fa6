// Delimited text files of user data: one 8-bit separator (',', ';' or TAB) between fields, a line
// end after each row, no quoting and no escaping. On disk every line ends with CR LF; readers take
// CR LF, a lone CR or a lone LF as one line end. Bytes pass through unchanged.
#pragma once

#include <cstddef>
#include <cstdio>
#include <string>

namespace orn {

class CDelimitedFile {
 public:
  // A writer: rows of columnCount fields separated by separator. A file that cannot be created
  // leaves the object without a stream; the first WriteField fails.
  CDelimitedFile(const char* path, int columnCount, char separator);
  // A reader: detects the separator and the column count from the file's first lines.
  explicit CDelimitedFile(const char* path);
  virtual ~CDelimitedFile();
  CDelimitedFile(const CDelimitedFile&) = delete;
  CDelimitedFile& operator=(const CDelimitedFile&) = delete;

  // Appends one field; separator characters in text are dropped. The row ends after its last
  // column. Throws MessageError "no opened file" without a stream.
  int WriteField(const char* text);
  // Reads one field (up to the separator or a line end) or one line into buffer, which must hold
  // capacity characters plus the terminating NUL. Returns the characters stored + 1, or -1 when
  // the end of the file was reached before the call. Characters beyond the capacity are read and
  // dropped, so the next read starts with the next field or line. Throws "no opened file".
  int ReadField(char* buffer, int capacity);
  int ReadLine(char* buffer, int capacity);
  void Close();

  char Separator() const { return separator_; }
  int ColumnCount() const { return columnCount_; }

 private:
  int Read(char* buffer, int capacity, bool toSeparator);
  // Whether every line before the first empty one holds the candidate as often as the first line
  // (and that more than zero times).
  bool Consistent(char candidate);
  void DetectLayout();
  FILE* Stream() const;

  FILE* stream_ = nullptr;
  char separator_ = ',';
  int columnCount_ = 0;
  int currentColumn_ = 0;
};

}  // namespace orn
