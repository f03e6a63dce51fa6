#include "users/DirectoryModule.h"

#include <dlfcn.h>

#include <cstdlib>

#include "ads/AdsStrings.h"
#include "install/MessageError.h"
#include "platform/ProgramFiles.h"

namespace orn {

namespace {

constexpr const char* kModuleName = "libornads.so";

template <class Function>
Function Lookup(void* handle, const char* name) {
  return reinterpret_cast<Function>(dlsym(handle, name));
}

template <class Function>
Function Require(Function function, const char* missingText) {
  if (!function) throw MessageError(missingText);
  return function;
}

}  // namespace

std::string DirectoryModulePath() {
  const char* configured = std::getenv("ORN_ADS_MODULE");
  if (configured && *configured) return configured;
  const std::string found = platform::FindModuleFile(kModuleName);
  if (!found.empty()) return found;
  const std::string programDir = platform::ProgramDirectory();
  return programDir.empty() ? kModuleName : programDir + "/" + kModuleName;
}

bool DirectoryModuleAvailable() {
  void* handle = dlopen(DirectoryModulePath().c_str(), RTLD_NOW | RTLD_LOCAL);
  if (!handle) return false;
  dlclose(handle);
  return true;
}

std::shared_ptr<DirectoryModule> DirectoryModule::Load() { return Load(DirectoryModulePath()); }

std::shared_ptr<DirectoryModule> DirectoryModule::Load(const std::string& path) {
  void* handle = dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
  if (!handle) throw MessageError("loading libornads.so failed");
  Functions functions;
  functions.buildEnumerator = Lookup<ads::ADsBuildEnumeratorFn>(handle, "ADsBuildEnumerator");
  functions.freeEnumerator = Lookup<ads::ADsFreeEnumeratorFn>(handle, "ADsFreeEnumerator");
  functions.enumerateNext = Lookup<ads::ADsEnumerateNextFn>(handle, "ADsEnumerateNext");
  functions.getObject = Lookup<ads::ADsGetObjectFn>(handle, "ADsGetObject");
  functions.getLastError = Lookup<ads::ADsGetLastErrorFn>(handle, "ADsGetLastError");
  return std::shared_ptr<DirectoryModule>(new DirectoryModule(handle, functions));
}

DirectoryModule::~DirectoryModule() {
  if (handle_) dlclose(handle_);
}

void DirectoryModule::CheckFunctions() const {
  Require(functions_.getObject, "ADsGetObject not found in libornads.so");
  Require(functions_.buildEnumerator, "ADsBuildEnumerator not found in libornads.so");
  Require(functions_.enumerateNext, "ADsEnumerateNext not found in libornads.so");
  Require(functions_.freeEnumerator, "ADsFreeEnumerator not found in libornads.so");
}

ads::HRESULT DirectoryModule::GetObject(const ads::OLECHAR* path, ads::REFIID iid, void** object) const {
  return Require(functions_.getObject, "ADsGetObject not found in libornads.so")(path, iid, object);
}

ads::HRESULT DirectoryModule::BuildEnumerator(ads::IADsContainer* container, ads::IEnumVARIANT** enumerator) const {
  return Require(functions_.buildEnumerator, "ADsBuildEnumerator not found in libornads.so")(container, enumerator);
}

ads::HRESULT DirectoryModule::EnumerateNext(ads::IEnumVARIANT* enumerator, ads::ULONG count, ads::VARIANT* values,
                                            ads::ULONG* fetched) const {
  return Require(functions_.enumerateNext, "ADsEnumerateNext not found in libornads.so")(enumerator, count, values,
                                                                                         fetched);
}

ads::HRESULT DirectoryModule::FreeEnumerator(ads::IEnumVARIANT* enumerator) const {
  return Require(functions_.freeEnumerator, "ADsFreeEnumerator not found in libornads.so")(enumerator);
}

std::string DirectoryModule::LastErrorText() const {
  if (!functions_.getLastError) return "";
  uint32_t code = 0;
  ads::OLECHAR text[512] = {};
  ads::OLECHAR provider[64] = {};
  if (ads::Failed(functions_.getLastError(&code, text, 512, provider, 64))) return "";
  return ads::WideToUtf8(text);
}

}  // namespace orn
