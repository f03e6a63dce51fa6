// Any bytes as a delimited user file: the reader detects a layout and reads fields and lines
// within their capacity; the CSV importer gives users of three fields each or its documented
// failure, never a crash or a hang.
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "install/MessageError.h"
#include "users/CSVUserImporter.h"
#include "users/DelimitedFile.h"

namespace {

const std::string& CsvPath() {
  static const std::string path = "/tmp/orn-csv-fuzz-" + std::to_string(getpid()) + ".csv";
  return path;
}

// A read stored at most capacity characters and ended them with NUL.
void CheckRead(int result, const char* buffer, int capacity) {
  if (result == -1) return;
  if (result < 1 || result > capacity + 1 || buffer[result - 1] != '\0') abort();
}

void WalkFields(const std::string& path, int capacity) {
  orn::CDelimitedFile file(path.c_str());
  if (file.Separator() != ',' && file.Separator() != ';' && file.Separator() != '\t') abort();
  char buffer[64];
  for (int n = 0; n < 100000; ++n) {
    std::memset(buffer, 'x', sizeof buffer);
    const int result = (n % 3 == 2) ? file.ReadLine(buffer, capacity) : file.ReadField(buffer, capacity);
    CheckRead(result, buffer, capacity);
    if (result == -1) return;
  }
  abort();  // a file of at most a few kilobytes cannot hold this many fields: the reader spins
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size > 65536) return 0;
  const std::string& path = CsvPath();
  FILE* file = fopen(path.c_str(), "wb");
  if (!file) return 0;
  fwrite(data, 1, size, file);
  fclose(file);

  try {
    WalkFields(path, size % 2 ? 3 : 63);
  } catch (const orn::MessageError&) {
    abort();  // the file exists: no read may fail for want of a stream
  }
  try {
    for (const orn::ImportUser& user : orn::CCSVUserImporter(path).Import())
      if (user.emails.size() != 1) abort();
  } catch (const orn::MessageError& error) {
    if (std::strcmp(error.Text(), "Die Datei hat ein ungültiges Format") != 0) abort();
  }
  unlink(path.c_str());
  return 0;
}
