// The value syntax of orn.cfg lines: escaped texts and decimal numbers, and the ASCII case rules
// used to compare names.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

namespace orn::tiloconf {

// Releases malloc'ed texts held in a std::unique_ptr.
struct FreeDeleter {
  void operator()(char* text) const { free(text); }
};

// The value of a hex digit of either case, or -1.
int HexDigitValue(char c);

// Length of the well-formed UTF-8 sequence (shortest form, no surrogates, at most U+10FFFF) that
// starts at data[0], a byte of 0x80 or above; 0 when none starts there.
size_t Utf8SequenceLength(const unsigned char* data, size_t size);

// Appends value in its escaped form: "\\" "\n" "\r" "\t" for backslash, line feed, carriage return
// and tab, "\xHH" for every other control byte, for DEL and for each byte >= 0x80 that is not part
// of a well-formed UTF-8 sequence; everything else as it is. The result is valid UTF-8 without
// control characters.
void AppendEscaped(std::string& out, std::string_view value);

enum class DecodeResult { Ok, Malformed, NoMemory };

// Decodes an escaped value into a new malloc'ed text (*out, NUL-terminated). Malformed: an unknown
// or cut escape, "\x00", a raw control byte or DEL, or raw bytes >= 0x80 that are not well-formed
// UTF-8.
DecodeResult DecodeEscaped(std::string_view in, char** out);

void AppendNumber(std::string& out, intptr_t value);
// Accepts "0", or an optional "-" and digits without a leading zero, within the range of intptr_t.
bool ParseNumber(std::string_view text, intptr_t* value);

// ASCII-only case rules (bytes >= 0x80 compare as they are); a null text counts as "".
std::string AsciiLower(const char* text);
bool EqualsIgnoreCase(const char* a, const char* b);

}  // namespace orn::tiloconf
