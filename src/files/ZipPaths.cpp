#include "files/ZipPaths.h"

#include <cctype>
#include <cerrno>
#include <filesystem>
#include <sys/stat.h>

#include "files/FilePaths.h"

namespace orn {

namespace {

bool IsSeparator(char c) { return c == '/' || c == '\\'; }
bool IsBlank(char c) { return std::isspace(static_cast<unsigned char>(c)) != 0; }

}  // namespace

void TrimTrailingSeparators(std::string& text) {
  while (!text.empty() && IsBlank(text.back())) text.pop_back();
  while (!text.empty() && IsSeparator(text.back())) text.pop_back();
}

void TrimSeparators(std::string& text) {
  TrimTrailingSeparators(text);
  size_t start = 0;
  while (start < text.size() && IsBlank(text[start])) ++start;
  while (start < text.size() && IsSeparator(text[start])) ++start;
  text.erase(0, start);
}

std::string MakeAbsoluteToBase(const std::string& base, const std::string& path) {
  if (base.empty() || (!path.empty() && path.front() == '/')) return path;
  if (path.empty()) return base;
  return base.back() == '/' ? base + path : base + "/" + path;
}

std::string FullPath(const std::string& path) {
  if (path.empty()) return {};
  std::error_code ec;
  const std::filesystem::path absolute = std::filesystem::absolute(path, ec);
  if (ec) return {};
  std::string full = absolute.lexically_normal().string();
  if (full.size() > 1 && full.back() == '/') full.pop_back();
  return full;
}

bool CreateDirectoryTree(const std::string& path) {
  std::string folder = path;
  while (folder.size() > 1 && folder.back() == '/') folder.pop_back();
  if (folder.empty()) return false;
  struct stat st {};
  if (stat(folder.c_str(), &st) == 0) return S_ISDIR(st.st_mode);
  const size_t slash = folder.rfind('/');
  if (slash != std::string::npos && slash > 0 && !CreateDirectoryTree(folder.substr(0, slash))) return false;
  if (mkdir(folder.c_str(), kCreatedDirectoryMode) == 0) return true;
  return errno == EEXIST && stat(folder.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

}  // namespace orn
