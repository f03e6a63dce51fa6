// The directory-service module libornads.so, loaded at run time with dlopen (never linked): its
// path, and its four functions. A function the module lacks is reported when it is needed, never
// called.
#pragma once

#include <memory>
#include <string>

#include "ads/AdsApi.h"

namespace orn {

// ORN_ADS_MODULE when it is set and not empty, else libornads.so beside the running program or in
// the installed module folder (platform::FindModuleFile); beside the program when neither has it.
std::string DirectoryModulePath();

// True when the module can be loaded (it is unloaded again at once); the action page lists the
// directory actions then.
bool DirectoryModuleAvailable();

class DirectoryModule {
 public:
  struct Functions {
    ads::ADsGetObjectFn getObject = nullptr;
    ads::ADsBuildEnumeratorFn buildEnumerator = nullptr;
    ads::ADsEnumerateNextFn enumerateNext = nullptr;
    ads::ADsFreeEnumeratorFn freeEnumerator = nullptr;
    ads::ADsGetLastErrorFn getLastError = nullptr;  // optional
  };

  // Loads the module from DirectoryModulePath(). Throws MessageError "loading libornads.so failed".
  static std::shared_ptr<DirectoryModule> Load();
  static std::shared_ptr<DirectoryModule> Load(const std::string& path);

  // Functions of this process instead of a loaded module (for tests).
  explicit DirectoryModule(const Functions& functions) : functions_(functions) {}
  ~DirectoryModule();
  DirectoryModule(const DirectoryModule&) = delete;
  DirectoryModule& operator=(const DirectoryModule&) = delete;

  // Throws MessageError "<name> not found in libornads.so" for the first of the four functions
  // that the module lacks (a walk checks them all before it starts, so that no cleanup can fail).
  void CheckFunctions() const;

  // The module's functions. Each throws as CheckFunctions when the module lacks it.
  ads::HRESULT GetObject(const ads::OLECHAR* path, ads::REFIID iid, void** object) const;
  ads::HRESULT BuildEnumerator(ads::IADsContainer* container, ads::IEnumVARIANT** enumerator) const;
  ads::HRESULT EnumerateNext(ads::IEnumVARIANT* enumerator, ads::ULONG count, ads::VARIANT* values,
                             ads::ULONG* fetched) const;
  ads::HRESULT FreeEnumerator(ads::IEnumVARIANT* enumerator) const;

  // The module's text on the last failure of this thread; "" when it gives none.
  std::string LastErrorText() const;

 private:
  DirectoryModule(void* handle, const Functions& functions) : handle_(handle), functions_(functions) {}
  void* handle_ = nullptr;
  Functions functions_;
};

}  // namespace orn
