#include "app/AdsModule.h"

#include <dlfcn.h>

#include <cstdlib>
#include <filesystem>

namespace orn::wizard {

namespace {
constexpr const char* kModuleName = "libornads.so";
}

std::string AdsModulePath() {
  const char* configured = std::getenv("ORN_ADS_MODULE");
  if (configured && *configured) return configured;
  std::error_code error;
  const std::filesystem::path program = std::filesystem::read_symlink("/proc/self/exe", error);
  if (error) return kModuleName;
  return (program.parent_path() / kModuleName).string();
}

bool AdsModuleLoads() {
  void* module = dlopen(AdsModulePath().c_str(), RTLD_NOW | RTLD_LOCAL);
  if (!module) return false;
  dlclose(module);
  return true;
}

}  // namespace orn::wizard
