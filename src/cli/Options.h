// The arguments of a leaf command split into positional arguments and "--name VALUE" options.
#pragma once

#include <initializer_list>
#include <map>
#include <string>
#include <vector>

#include "cli/Command.h"

namespace orn::cli {

struct Options {
  std::vector<std::string> positional;
  std::map<std::string, std::string> values;

  // The value of an option, or null when it was not given.
  const std::string* Value(const std::string& name) const;
};

// Accepts only the named options, each followed by its value; "-" alone is a positional argument.
// Returns false with *error set ("Unbekannte Angabe: ..." or a missing value).
bool ParseOptions(const Args& args, std::initializer_list<const char*> valueOptions, Options* options,
                  std::string* error);

}  // namespace orn::cli
