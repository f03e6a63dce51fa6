#include "platform/ProgramFiles.h"

#include <filesystem>

// ORNCFG_MODULE_DIR_FROM_BIN and ORNCFG_DOC_DIR_FROM_BIN are set by the build from the install
// layout: the module and documentation folders relative to the folder of the installed programs.
#if !defined(ORNCFG_MODULE_DIR_FROM_BIN) || !defined(ORNCFG_DOC_DIR_FROM_BIN)
#error "the build sets the installed folders"
#endif

namespace orn::platform {

namespace fs = std::filesystem;

namespace {

bool IsFile(const fs::path& path) {
  std::error_code error;
  return fs::is_regular_file(path, error);
}

}  // namespace

std::string ProgramDirectory() {
  std::error_code error;
  const fs::path program = fs::read_symlink("/proc/self/exe", error);
  return error ? "" : program.parent_path().string();
}

std::string FindProgramFile(const std::string& programDir, const std::string& name, const std::string& installedDir) {
  if (programDir.empty()) return "";
  const fs::path beside = fs::path(programDir) / name;
  if (IsFile(beside)) return beside.string();
  const fs::path installed = (fs::path(programDir) / installedDir / name).lexically_normal();
  return IsFile(installed) ? installed.string() : "";
}

std::string FindModuleFile(const std::string& name) {
  return FindProgramFile(ProgramDirectory(), name, ORNCFG_MODULE_DIR_FROM_BIN);
}

std::string FindDocumentFile(const std::string& name) {
  return FindProgramFile(ProgramDirectory(), name, ORNCFG_DOC_DIR_FROM_BIN);
}

}  // namespace orn::platform
