// Texts across the module boundary: the program's UTF-8 texts and the module's UTF-16 BSTRs.
// A byte sequence that is not UTF-8 becomes U+FFFD, one for each byte that cannot start or
// continue a character; UTF-16 without its pair partner likewise.
#pragma once

#include <string>
#include <string_view>

#include "ads/AdsApi.h"

namespace ads {

// Decodes one UTF-8 character at text[i]; advances i. Returns -1 for a malformed sequence
// (i then stands behind its first byte).
inline long DecodeUtf8(std::string_view text, size_t& i) {
  const auto byte = [&](size_t k) { return static_cast<unsigned char>(text[k]); };
  const unsigned char lead = byte(i++);
  if (lead < 0x80) return lead;
  int more;
  long code, min;
  if (lead >= 0xC2 && lead <= 0xDF)
    more = 1, code = lead & 0x1F, min = 0x80;
  else if (lead >= 0xE0 && lead <= 0xEF)
    more = 2, code = lead & 0x0F, min = 0x800;
  else if (lead >= 0xF0 && lead <= 0xF4)
    more = 3, code = lead & 0x07, min = 0x10000;
  else
    return -1;
  if (text.size() - i < static_cast<size_t>(more)) return -1;
  for (int k = 0; k < more; ++k)
    if ((byte(i + k) & 0xC0) != 0x80) return -1;
  for (int k = 0; k < more; ++k) code = (code << 6) | (byte(i + k) & 0x3F);
  if (code < min || code > 0x10FFFF || (code >= 0xD800 && code <= 0xDFFF)) return -1;
  i += more;
  return code;
}

inline bool IsUtf8(std::string_view text) {
  for (size_t i = 0; i < text.size();)
    if (DecodeUtf8(text, i) < 0) return false;
  return true;
}

inline std::u16string Utf8ToUtf16(std::string_view text) {
  std::u16string out;
  out.reserve(text.size());
  for (size_t i = 0; i < text.size();) {
    long code = DecodeUtf8(text, i);
    if (code < 0) code = 0xFFFD;
    if (code >= 0x10000) {
      code -= 0x10000;
      out += static_cast<char16_t>(0xD800 + (code >> 10));
      out += static_cast<char16_t>(0xDC00 + (code & 0x3FF));
    } else {
      out += static_cast<char16_t>(code);
    }
  }
  return out;
}

inline std::string Utf16ToUtf8(std::u16string_view text) {
  std::string out;
  out.reserve(text.size());
  for (size_t i = 0; i < text.size(); ++i) {
    unsigned long code = text[i];
    if (code >= 0xD800 && code <= 0xDBFF && i + 1 < text.size() && text[i + 1] >= 0xDC00 && text[i + 1] <= 0xDFFF)
      code = 0x10000 + ((code - 0xD800) << 10) + (text[++i] - 0xDC00);
    else if (code >= 0xD800 && code <= 0xDFFF)
      code = 0xFFFD;
    if (code < 0x80) {
      out += static_cast<char>(code);
    } else if (code < 0x800) {
      out += static_cast<char>(0xC0 | (code >> 6));
      out += static_cast<char>(0x80 | (code & 0x3F));
    } else if (code < 0x10000) {
      out += static_cast<char>(0xE0 | (code >> 12));
      out += static_cast<char>(0x80 | ((code >> 6) & 0x3F));
      out += static_cast<char>(0x80 | (code & 0x3F));
    } else {
      out += static_cast<char>(0xF0 | (code >> 18));
      out += static_cast<char>(0x80 | ((code >> 12) & 0x3F));
      out += static_cast<char>(0x80 | ((code >> 6) & 0x3F));
      out += static_cast<char>(0x80 | (code & 0x3F));
    }
  }
  return out;
}

// A new BSTR holding text (null when memory runs out).
inline BSTR AllocBstr(std::string_view utf8) {
  const std::u16string wide = Utf8ToUtf16(utf8);
  return SysAllocStringLen(wide.data(), static_cast<uint32_t>(wide.size()));
}

// Hands out text as a new BSTR.
inline HRESULT ReturnBstr(std::string_view utf8, BSTR* out) {
  if (!out) return E_POINTER;
  *out = AllocBstr(utf8);
  return *out ? S_OK : E_OUTOFMEMORY;
}

// Hands out text as a VT_BSTR value.
inline HRESULT ReturnVariantText(std::string_view utf8, VARIANT* value) {
  if (!value) return E_POINTER;
  VariantInit(value);
  value->bstrVal = AllocBstr(utf8);
  if (!value->bstrVal) return E_OUTOFMEMORY;
  value->vt = VT_BSTR;
  return S_OK;
}

// A BSTR's text, by its stored length.
inline std::string BstrToUtf8(const OLECHAR* text) {
  return text ? Utf16ToUtf8(std::u16string_view(text, SysStringLen(text))) : std::string();
}

// A NUL-terminated text handed in by a caller (a BSTR or not).
inline std::string WideToUtf8(const OLECHAR* text) {
  return text ? Utf16ToUtf8(std::u16string_view(text)) : std::string();
}

}  // namespace ads
