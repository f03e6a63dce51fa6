// ASCII case folding, the one rule for names that compare ignoring case (hive keys and values,
// the identities of configuration entries, user names): A-Z fold to a-z, every other byte (UTF-8
// included) stays as it is.
#pragma once

#include <string>
#include <string_view>

namespace orn {

constexpr char AsciiLowerChar(char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; }

inline std::string AsciiLower(std::string_view text) {
  std::string folded(text);
  for (char& c : folded) c = AsciiLowerChar(c);
  return folded;
}

constexpr bool EqualsIgnoringAsciiCase(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i)
    if (AsciiLowerChar(a[i]) != AsciiLowerChar(b[i])) return false;
  return true;
}

}  // namespace orn
