// The arguments of a leaf command: its declared options (flags and options with a value) taken
// out, the positional arguments left in order. One parser serves every verb.
#pragma once

#include <map>
#include <span>
#include <string>
#include <vector>

namespace orn::cli {

// An option a verb accepts: "--output" with the value named "DIR", or a flag (value null).
struct Option {
  const char* name;
  const char* value = nullptr;
};

// The positional arguments (indexed like a vector) and the options given.
class Args {
 public:
  Args() = default;
  Args(std::initializer_list<std::string> positional) : positional_(positional) {}

  size_t size() const { return positional_.size(); }
  bool empty() const { return positional_.empty(); }
  const std::string& operator[](size_t i) const { return positional_[i]; }
  auto begin() const { return positional_.begin(); }
  auto end() const { return positional_.end(); }

  // Whether the flag or option was given.
  bool Has(const std::string& name) const { return values_.count(name) != 0; }
  // The value of an option, or null when it was not given.
  const std::string* Value(const std::string& name) const;

 private:
  friend bool ParseOptions(const std::vector<std::string>&, std::span<const Option>, Args*, std::string*);
  std::vector<std::string> positional_;
  std::map<std::string, std::string> values_;
};

// Splits words into options and positional arguments. Accepts "--name VALUE" and "--name=VALUE"
// for an option with a value, "--name" for a flag; "--" ends the options, and "-" alone is a
// positional argument. Returns false with *error set for an undeclared option ("Unbekannte
// Angabe: --name"), a flag given a value or an option without one; the text never repeats a
// value, which may be a password.
bool ParseOptions(const std::vector<std::string>& words, std::span<const Option> options, Args* args,
                  std::string* error);

// " [--output DIR] [--plain]": the options as a usage line shows them.
std::string OptionsUsage(std::span<const Option> options);

}  // namespace orn::cli
