// The four entry points of libornads.so (and ADsGetLastError). No exception leaves the module.
#include <algorithm>
#include <new>

#include "ads/AdsApi.h"
#include "ads/AdsLastError.h"
#include "ads/AdsPath.h"
#include "ads/AdsStrings.h"
#include "ads/LdapProvider.h"
#include "ads/WinNtProvider.h"

using namespace ads;

namespace {

template <class Call>
HRESULT Guarded(Call call) {
  try {
    return call();
  } catch (const std::bad_alloc&) {
    return SetLastAdsError(E_OUTOFMEMORY, "out of memory");
  } catch (...) {
    return SetLastAdsError(E_FAIL, "unexpected failure");
  }
}

void CopyText(const std::string& text, OLECHAR* buffer, uint32_t length) {
  if (!buffer || length == 0) return;
  const std::u16string wide = Utf8ToUtf16(text);
  const size_t n = std::min<size_t>(wide.size(), length - 1);
  std::copy_n(wide.data(), n, buffer);
  buffer[n] = 0;
}

}  // namespace

extern "C" {

HRESULT ADsGetObject(const OLECHAR* path, REFIID iid, void** object) {
  if (!object) return E_POINTER;
  *object = nullptr;
  ClearLastAdsError();
  return Guarded([&] {
    const std::optional<AdsPath> parsed = ParseAdsPath(WideToUtf8(path));
    if (!parsed) return SetLastAdsError(E_ADS_BAD_PATHNAME, "invalid path");
    return parsed->provider == AdsPath::Provider::Ldap ? LdapGetObject(*parsed, iid, object)
                                                       : WinNtGetObject(*parsed, iid, object);
  });
}

HRESULT ADsBuildEnumerator(IADsContainer* container, IEnumVARIANT** enumerator) {
  if (!container || !enumerator) return E_POINTER;
  *enumerator = nullptr;
  return Guarded([&] {
    IUnknown* unknown = nullptr;
    HRESULT hr = container->get__NewEnum(&unknown);
    if (Failed(hr)) return hr;
    hr = unknown->QueryInterface(IID_IEnumVARIANT, reinterpret_cast<void**>(enumerator));
    unknown->Release();
    return hr;
  });
}

HRESULT ADsEnumerateNext(IEnumVARIANT* enumerator, ULONG count, VARIANT* values, ULONG* fetched) {
  if (!enumerator || (count && !values)) return E_POINTER;
  return Guarded([&] { return enumerator->Next(count, values, fetched); });
}

HRESULT ADsFreeEnumerator(IEnumVARIANT* enumerator) {
  if (!enumerator) return E_POINTER;
  enumerator->Release();
  return S_OK;
}

HRESULT ADsGetLastError(uint32_t* error, OLECHAR* text, uint32_t textLength, OLECHAR* provider,
                        uint32_t providerLength) {
  if (error) *error = static_cast<uint32_t>(LastAdsErrorCode());
  CopyText(LastAdsErrorText(), text, textLength);
  CopyText("libornads", provider, providerLength);
  return S_OK;
}

}  // extern "C"
