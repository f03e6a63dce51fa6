// A small writer of one JSON document, for the --json output of the listing verbs. Strings are
// written as UTF-8 with the escapes JSON requires; a byte that is not part of valid UTF-8 is
// taken as Latin-1 (configurations written on Windows may hold such names).
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace orn::cli {

class JsonWriter {
 public:
  JsonWriter& BeginObject() { return Open('{'); }
  JsonWriter& EndObject() { return Close('}'); }
  JsonWriter& BeginArray() { return Open('['); }
  JsonWriter& EndArray() { return Close(']'); }
  JsonWriter& Key(std::string_view name);
  JsonWriter& String(std::string_view text);
  JsonWriter& Number(uint64_t value);
  JsonWriter& Bool(bool value);
  JsonWriter& Null();
  // Key(name) followed by the value.
  JsonWriter& Field(std::string_view name, std::string_view text) { return Key(name).String(text); }
  JsonWriter& Field(std::string_view name, const char* text) { return Key(name).String(text); }
  JsonWriter& Field(std::string_view name, uint64_t value) { return Key(name).Number(value); }
  JsonWriter& Field(std::string_view name, bool value) { return Key(name).Bool(value); }

  // The document, ended by a line break.
  std::string Text() const { return out_ + "\n"; }

 private:
  void BeforeValue();
  JsonWriter& Open(char bracket);
  JsonWriter& Close(char bracket);
  std::string out_;
  std::vector<bool> hasItems_;  // per open object or array: whether a value was written yet
  bool afterKey_ = false;
};

// Writes writer's document on standard output; returns the success exit code.
int PrintJson(const JsonWriter& writer);

}  // namespace orn::cli
