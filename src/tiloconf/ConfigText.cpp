#include "tiloconf/ConfigText.h"

#include <charconv>
#include <cstdlib>
#include <cstring>
#include <memory>

#include "platform/AsciiCase.h"

namespace orn::tiloconf {

namespace {

constexpr char kHexDigits[] = "0123456789ABCDEF";

// The byte that "\<letter>" stands for, or -1 when the letter is no such escape.
int LetterEscape(char letter) {
  switch (letter) {
    case '\\':
      return '\\';
    case 'n':
      return '\n';
    case 'r':
      return '\r';
    case 't':
      return '\t';
    default:
      return -1;
  }
}

bool IsContinuation(unsigned char c) { return (c & 0xC0) == 0x80; }

}  // namespace

int HexDigitValue(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

size_t Utf8SequenceLength(const unsigned char* data, size_t size) {
  const unsigned char lead = data[0];
  size_t length;
  unsigned char low = 0x80, high = 0xBF;  // allowed range of the second byte
  if (lead >= 0xC2 && lead <= 0xDF) {
    length = 2;
  } else if (lead >= 0xE0 && lead <= 0xEF) {
    length = 3;
    if (lead == 0xE0) low = 0xA0;   // no overlong forms
    if (lead == 0xED) high = 0x9F;  // no surrogates
  } else if (lead >= 0xF0 && lead <= 0xF4) {
    length = 4;
    if (lead == 0xF0) low = 0x90;   // no overlong forms
    if (lead == 0xF4) high = 0x8F;  // nothing above U+10FFFF
  } else {
    return 0;
  }
  if (size < length || data[1] < low || data[1] > high) return 0;
  for (size_t i = 2; i < length; ++i)
    if (!IsContinuation(data[i])) return 0;
  return length;
}

void AppendEscaped(std::string& out, std::string_view value) {
  const auto* data = reinterpret_cast<const unsigned char*>(value.data());
  const size_t size = value.size();
  for (size_t i = 0; i < size;) {
    const unsigned char c = data[i];
    if (c >= 0x80) {
      if (size_t n = Utf8SequenceLength(data + i, size - i)) {
        out.append(value.data() + i, n);
        i += n;
        continue;
      }
    }
    switch (c) {
      case '\\':
        out += "\\\\";
        break;
      case '\n':
        out += "\\n";
        break;
      case '\r':
        out += "\\r";
        break;
      case '\t':
        out += "\\t";
        break;
      default:
        if (c < 0x20 || c >= 0x7F) {
          out += "\\x";
          out += kHexDigits[c >> 4];
          out += kHexDigits[c & 0x0F];
        } else {
          out += static_cast<char>(c);
        }
    }
    ++i;
  }
}

DecodeResult DecodeEscaped(std::string_view in, char** out) {
  *out = nullptr;
  // Decoding never makes a text longer.
  std::unique_ptr<char, FreeDeleter> text(static_cast<char*>(malloc(in.size() + 1)));
  if (!text) return DecodeResult::NoMemory;
  char* const result = text.get();
  const auto* data = reinterpret_cast<const unsigned char*>(in.data());
  const size_t size = in.size();
  size_t length = 0;
  for (size_t i = 0; i < size;) {
    const unsigned char c = data[i];
    if (c == '\\') {
      if (i + 1 >= size) return DecodeResult::Malformed;
      if (const int escaped = LetterEscape(in[i + 1]); escaped >= 0) {
        result[length++] = static_cast<char>(escaped);
        i += 2;
        continue;
      }
      if (in[i + 1] != 'x' || i + 3 >= size) return DecodeResult::Malformed;
      const int high = HexDigitValue(in[i + 2]), low = HexDigitValue(in[i + 3]);
      if (high < 0 || low < 0 || (high | low) == 0) return DecodeResult::Malformed;
      result[length++] = static_cast<char>(high << 4 | low);
      i += 4;
    } else if (c < 0x20 || c == 0x7F) {
      return DecodeResult::Malformed;
    } else if (c >= 0x80) {
      const size_t n = Utf8SequenceLength(data + i, size - i);
      if (n == 0) return DecodeResult::Malformed;
      memcpy(result + length, data + i, n);
      length += n;
      i += n;
    } else {
      result[length++] = static_cast<char>(c);
      ++i;
    }
  }
  result[length] = '\0';
  *out = text.release();
  return DecodeResult::Ok;
}

void AppendNumber(std::string& out, intptr_t value) {
  char buffer[24];
  auto [end, ec] = std::to_chars(buffer, buffer + sizeof buffer, value);
  out.append(buffer, end);
}

bool ParseNumber(std::string_view text, intptr_t* value) {
  std::string_view digits = text;
  if (!digits.empty() && digits.front() == '-') digits.remove_prefix(1);
  if (digits.empty() || (digits.front() == '0' && (digits.size() > 1 || text.size() > 1)))
    return false;  // empty, a leading zero, or "-0"
  for (char c : digits)
    if (c < '0' || c > '9') return false;
  intptr_t result = 0;
  auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), result);
  if (ec != std::errc() || end != text.data() + text.size()) return false;
  *value = result;
  return true;
}

std::string AsciiLower(const char* text) { return orn::AsciiLower(text ? text : ""); }

bool EqualsIgnoreCase(const char* a, const char* b) { return EqualsIgnoringAsciiCase(a ? a : "", b ? b : ""); }

}  // namespace orn::tiloconf
