#include "files/Progress.h"

namespace orn {

namespace {
FileProgressHook installedHook = nullptr;
}

void SetFileProgressHook(FileProgressHook hook) { installedHook = hook; }

void ReportFileDone(uint64_t bytes) {
  if (installedHook) installedHook(bytes);
}

}  // namespace orn
