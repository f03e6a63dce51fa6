// The command line's option parser on arbitrary words (one a line), and the JSON writer on
// arbitrary bytes: a failure never repeats a value, and every document is valid UTF-8 without a
// raw control character.
#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

#include "cli/Json.h"
#include "cli/Options.h"

namespace {

constexpr orn::cli::Option kOptions[] = {{"--password-file", "F"}, {"--plain"}, {"--keep", "N"}};

bool ValidUtf8WithoutControls(const std::string& text) {
  for (size_t i = 0; i < text.size();) {
    const unsigned char c = static_cast<unsigned char>(text[i]);
    if (c < 0x20 && c != '\n') return false;
    size_t length = c < 0x80 ? 1 : (c & 0xE0) == 0xC0 ? 2 : (c & 0xF0) == 0xE0 ? 3 : (c & 0xF8) == 0xF0 ? 4 : 0;
    if (length == 0 || i + length > text.size()) return false;
    for (size_t k = 1; k < length; ++k)
      if ((static_cast<unsigned char>(text[i + k]) & 0xC0) != 0x80) return false;
    i += length;
  }
  return true;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string input(reinterpret_cast<const char*>(data), size);
  std::vector<std::string> words;
  size_t start = 0;
  for (size_t end; (end = input.find('\n', start)) != std::string::npos; start = end + 1)
    words.push_back(input.substr(start, end - start));
  words.push_back(input.substr(start));

  orn::cli::Args args;
  std::string error;
  if (!orn::cli::ParseOptions(words, kOptions, &args, &error) && error.find('=') != std::string::npos) abort();

  orn::cli::JsonWriter json;
  json.BeginObject().Field(input, input).Key("words").BeginArray();
  for (const std::string& word : words) json.String(word);
  if (!ValidUtf8WithoutControls(json.EndArray().EndObject().Text())) abort();
  return 0;
}
