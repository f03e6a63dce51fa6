// The binary interface of libornads.so, the directory-service module: small COM-like interfaces
// (reference counted, queried by interface id), BSTR texts in UTF-16 and VARIANT values, and the
// four entry points the directory readers look up with dlsym. The module and the readers include
// this header; nothing else of the module is shared.
#pragma once

#include <cstdint>
#include <cstdlib>
#include <cstring>

namespace ads {

using HRESULT = int32_t;
using ULONG = uint32_t;
using OLECHAR = char16_t;
using BSTR = OLECHAR*;  // points behind a 32-bit byte length; NUL-terminated

inline constexpr HRESULT S_OK = 0;
inline constexpr HRESULT S_FALSE = 1;
inline constexpr HRESULT E_NOINTERFACE = static_cast<HRESULT>(0x80004002u);
inline constexpr HRESULT E_POINTER = static_cast<HRESULT>(0x80004003u);
inline constexpr HRESULT E_FAIL = static_cast<HRESULT>(0x80004005u);
inline constexpr HRESULT E_OUTOFMEMORY = static_cast<HRESULT>(0x8007000Eu);
inline constexpr HRESULT E_ADS_BAD_PATHNAME = static_cast<HRESULT>(0x80005000u);
inline constexpr HRESULT E_ADS_UNKNOWN_OBJECT = static_cast<HRESULT>(0x80005004u);
inline constexpr HRESULT E_ADS_PROPERTY_NOT_FOUND = static_cast<HRESULT>(0x8000500Du);
inline constexpr HRESULT E_ADS_CANT_CONVERT_DATATYPE = static_cast<HRESULT>(0x8000500Cu);
inline constexpr HRESULT E_ADS_SERVER_UNREACHABLE = static_cast<HRESULT>(0x8007203Au);

// A server's LDAP result code that ended a search early (a size, time or administrative limit, a
// refused control): 0x80072000 with the result code in the low byte, so that callers can name it.
inline constexpr HRESULT LdapResultFailure(int rc) { return static_cast<HRESULT>(0x80072000u | (rc & 0xFF)); }

inline constexpr bool Failed(HRESULT hr) { return hr < 0; }

struct IID {
  uint8_t bytes[16];
  friend bool operator==(const IID&, const IID&) = default;
};
using REFIID = const IID&;

// Every interface: reference counting and interface queries. Objects are released, never deleted.
struct IUnknown {
  virtual HRESULT QueryInterface(REFIID iid, void** object) = 0;
  virtual ULONG AddRef() = 0;
  virtual ULONG Release() = 0;
  static constexpr IID kIID{{0x6f, 0x72, 0x6e, 0x61, 0x64, 0x73, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0x00}};

 protected:
  ~IUnknown() = default;
};

// What a directory child is handed out as; query it for IADs.
struct IDispatch : IUnknown {
  static constexpr IID kIID{{0x6f, 0x72, 0x6e, 0x61, 0x64, 0x73, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0x01}};

 protected:
  ~IDispatch() = default;
};

enum VarType : uint16_t { VT_EMPTY = 0, VT_BSTR = 8, VT_DISPATCH = 9 };

struct VARIANT {
  uint16_t vt;
  union {
    BSTR bstrVal;
    IDispatch* pdispVal;
  };
};

// One directory object.
struct IADs : IDispatch {
  virtual HRESULT get_Name(BSTR* name) = 0;     // relative name, e.g. "CN=Hans Meier"
  virtual HRESULT get_Class(BSTR* name) = 0;    // object class, e.g. "organizationalUnit"
  virtual HRESULT get_ADsPath(BSTR* path) = 0;  // the path that binds this object
  // The attribute's value as text (VT_BSTR); E_ADS_PROPERTY_NOT_FOUND when the object has none.
  virtual HRESULT Get(const OLECHAR* name, VARIANT* value) = 0;
  static constexpr IID kIID{{0x6f, 0x72, 0x6e, 0x61, 0x64, 0x73, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0x02}};

 protected:
  ~IADs() = default;
};

// Hands out one child per call as VT_DISPATCH. S_OK while children come, S_FALSE with a count below
// the one asked for at the end, a failure code when the directory could not deliver more.
struct IEnumVARIANT : IUnknown {
  virtual HRESULT Next(ULONG count, VARIANT* values, ULONG* fetched) = 0;
  static constexpr IID kIID{{0x6f, 0x72, 0x6e, 0x61, 0x64, 0x73, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0x03}};

 protected:
  ~IEnumVARIANT() = default;
};

// An object that has children.
struct IADsContainer : IDispatch {
  virtual HRESULT get__NewEnum(IUnknown** enumerator) = 0;
  static constexpr IID kIID{{0x6f, 0x72, 0x6e, 0x61, 0x64, 0x73, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0x04}};

 protected:
  ~IADsContainer() = default;
};

inline constexpr const IID& IID_IUnknown = IUnknown::kIID;
inline constexpr const IID& IID_IDispatch = IDispatch::kIID;
inline constexpr const IID& IID_IADs = IADs::kIID;
inline constexpr const IID& IID_IADsContainer = IADsContainer::kIID;
inline constexpr const IID& IID_IEnumVARIANT = IEnumVARIANT::kIID;

// BSTR: the text follows a 32-bit byte count and ends with a NUL. Both sides allocate and free
// with these, so a text may cross the module boundary in either direction.
inline BSTR SysAllocStringLen(const OLECHAR* text, uint32_t length) {
  if (length > (UINT32_MAX - sizeof(uint32_t)) / sizeof(OLECHAR) - 1) return nullptr;
  auto* block = static_cast<uint8_t*>(std::malloc(sizeof(uint32_t) + (length + 1) * sizeof(OLECHAR)));
  if (!block) return nullptr;
  const uint32_t bytes = length * static_cast<uint32_t>(sizeof(OLECHAR));
  std::memcpy(block, &bytes, sizeof bytes);
  auto* chars = reinterpret_cast<OLECHAR*>(block + sizeof(uint32_t));
  if (text && length)
    std::memcpy(chars, text, bytes);
  else if (length)
    std::memset(chars, 0, bytes);
  chars[length] = 0;
  return chars;
}

inline uint32_t SysStringLen(const OLECHAR* text) {
  if (!text) return 0;
  uint32_t bytes;
  std::memcpy(&bytes, reinterpret_cast<const uint8_t*>(text) - sizeof(uint32_t), sizeof bytes);
  return bytes / sizeof(OLECHAR);
}

inline void SysFreeString(BSTR text) {
  if (text) std::free(reinterpret_cast<uint8_t*>(text) - sizeof(uint32_t));
}

inline void VariantInit(VARIANT* value) {
  value->vt = VT_EMPTY;
  value->bstrVal = nullptr;
}

inline HRESULT VariantClear(VARIANT* value) {
  if (value->vt == VT_BSTR)
    SysFreeString(value->bstrVal);
  else if (value->vt == VT_DISPATCH && value->pdispVal)
    value->pdispVal->Release();
  VariantInit(value);
  return S_OK;
}

// The entry points, looked up by these names.
using ADsGetObjectFn = HRESULT (*)(const OLECHAR* path, REFIID iid, void** object);
using ADsBuildEnumeratorFn = HRESULT (*)(IADsContainer* container, IEnumVARIANT** enumerator);
using ADsEnumerateNextFn = HRESULT (*)(IEnumVARIANT* enumerator, ULONG count, VARIANT* values, ULONG* fetched);
using ADsFreeEnumeratorFn = HRESULT (*)(IEnumVARIANT* enumerator);
// Optional: the provider's own text on the calling thread's last failure (never a password).
using ADsGetLastErrorFn = HRESULT (*)(uint32_t* error, OLECHAR* text, uint32_t textLength, OLECHAR* provider,
                                      uint32_t providerLength);

}  // namespace ads

// The module's exports (the only symbols it makes visible).
#define ADS_EXPORT __attribute__((visibility("default")))

extern "C" {
ADS_EXPORT ads::HRESULT ADsGetObject(const ads::OLECHAR* path, ads::REFIID iid, void** object);
ADS_EXPORT ads::HRESULT ADsBuildEnumerator(ads::IADsContainer* container, ads::IEnumVARIANT** enumerator);
ADS_EXPORT ads::HRESULT ADsEnumerateNext(ads::IEnumVARIANT* enumerator, ads::ULONG count, ads::VARIANT* values,
                                         ads::ULONG* fetched);
ADS_EXPORT ads::HRESULT ADsFreeEnumerator(ads::IEnumVARIANT* enumerator);
ADS_EXPORT ads::HRESULT ADsGetLastError(uint32_t* error, ads::OLECHAR* text, uint32_t textLength,
                                        ads::OLECHAR* provider, uint32_t providerLength);
}
