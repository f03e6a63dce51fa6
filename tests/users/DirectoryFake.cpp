#include "DirectoryFake.h"

#include <algorithm>

#include "ads/AdsStrings.h"
#include "ads/ComObject.h"

namespace orn::test {

namespace {

using namespace ads;

FakeDirectory* current = nullptr;

class ChildObject final : public ComObject<IADs> {
 public:
  explicit ChildObject(FakeChild child) : child_(std::move(child)) {}
  HRESULT get_Name(BSTR* name) override { return ReturnBstr(child_.name, name); }
  HRESULT get_Class(BSTR* name) override { return ReturnBstr(child_.objectClass, name); }
  HRESULT get_ADsPath(BSTR* path) override { return ReturnBstr("", path); }
  HRESULT Get(const OLECHAR* name, VARIANT* value) override {
    VariantInit(value);
    const auto found = child_.attributes.find(WideToUtf8(name));
    return found == child_.attributes.end() ? E_ADS_PROPERTY_NOT_FOUND : ReturnVariantText(found->second, value);
  }

 private:
  FakeChild child_;
};

class PlainObject final : public ComObject<IDispatch> {};

class Enumerator final : public ComObject<IEnumVARIANT> {
 public:
  explicit Enumerator(FakeContainer container) : container_(std::move(container)) {}
  HRESULT Next(ULONG count, VARIANT* values, ULONG* fetched) override {
    ULONG got = 0;
    while (got < count && next_ < container_.children.size()) {
      const FakeChild& child = container_.children[next_];
      values[got].vt = VT_DISPATCH;
      values[got].pdispVal = child.offersIADs ? static_cast<IDispatch*>(new ChildObject(child)) : new PlainObject;
      ++got;
      if (static_cast<int>(next_++) == container_.failAfter) {
        *fetched = got;
        return E_FAIL;
      }
    }
    *fetched = got;
    return got == count ? S_OK : S_FALSE;
  }

 private:
  FakeContainer container_;
  size_t next_ = 0;
};

class ContainerObject final : public ComObject<IADs, IADsContainer> {
 public:
  explicit ContainerObject(FakeContainer container) : container_(std::move(container)) {}
  HRESULT get_Name(BSTR* name) override { return ReturnBstr("", name); }
  HRESULT get_Class(BSTR* name) override { return ReturnBstr("container", name); }
  HRESULT get_ADsPath(BSTR* path) override { return ReturnBstr("", path); }
  HRESULT Get(const OLECHAR*, VARIANT* value) override {
    VariantInit(value);
    return E_ADS_PROPERTY_NOT_FOUND;
  }
  HRESULT get__NewEnum(IUnknown** enumerator) override {
    if (container_.enumeratorFails) return E_FAIL;
    *enumerator = new Enumerator(container_);
    return S_OK;
  }

 private:
  FakeContainer container_;
};

HRESULT FakeGetObject(const OLECHAR* path, REFIID iid, void** object) {
  const FakeContainer* container = FakeDirectory::Current()->Find(WideToUtf8(path));
  if (!container) return E_ADS_UNKNOWN_OBJECT;
  ComPtr<ContainerObject> bound(new ContainerObject(*container));
  return bound->QueryInterface(iid, object);
}

HRESULT FakeBuildEnumerator(IADsContainer* container, IEnumVARIANT** enumerator) {
  IUnknown* unknown = nullptr;
  const HRESULT hr = container->get__NewEnum(&unknown);
  if (Failed(hr)) return hr;
  ComPtr<IUnknown> held(unknown);
  return unknown->QueryInterface(IID_IEnumVARIANT, reinterpret_cast<void**>(enumerator));
}

HRESULT FakeEnumerateNext(IEnumVARIANT* enumerator, ULONG count, VARIANT* values, ULONG* fetched) {
  return enumerator->Next(count, values, fetched);
}

HRESULT FakeFreeEnumerator(IEnumVARIANT* enumerator) {
  enumerator->Release();
  return S_OK;
}

}  // namespace

FakeDirectory::FakeDirectory() { current = this; }

FakeDirectory::~FakeDirectory() { current = nullptr; }

FakeDirectory* FakeDirectory::Current() { return current; }

const FakeContainer* FakeDirectory::Find(const std::string& path) {
  bound_.push_back(path);
  const auto found = containers_.find(path);
  return found == containers_.end() ? nullptr : &found->second;
}

std::shared_ptr<const DirectoryModule> FakeDirectory::Module(const std::vector<std::string>& missing) const {
  const auto lacks = [&](const char* name) { return std::find(missing.begin(), missing.end(), name) != missing.end(); };
  DirectoryModule::Functions functions;
  if (!lacks("ADsGetObject")) functions.getObject = &FakeGetObject;
  if (!lacks("ADsBuildEnumerator")) functions.buildEnumerator = &FakeBuildEnumerator;
  if (!lacks("ADsEnumerateNext")) functions.enumerateNext = &FakeEnumerateNext;
  if (!lacks("ADsFreeEnumerator")) functions.freeEnumerator = &FakeFreeEnumerator;
  return std::make_shared<const DirectoryModule>(functions);
}

}  // namespace orn::test
