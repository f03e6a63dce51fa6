#include "cli/Options.h"

namespace orn::cli {

const std::string* Options::Value(const std::string& name) const {
  const auto it = values.find(name);
  return it == values.end() ? nullptr : &it->second;
}

bool ParseOptions(const Args& args, std::initializer_list<const char*> valueOptions, Options* options,
                  std::string* error) {
  for (size_t i = 0; i < args.size(); ++i) {
    const std::string& arg = args[i];
    if (arg.size() < 2 || arg[0] != '-') {
      options->positional.push_back(arg);
      continue;
    }
    bool known = false;
    for (const char* name : valueOptions) known = known || arg == name;
    if (!known) {
      *error = UnknownArgument(arg);
      return false;
    }
    if (i + 1 == args.size()) {
      *error = "Zur Angabe " + arg + " fehlt der Wert.";
      return false;
    }
    options->values[arg] = args[++i];
  }
  return true;
}

}  // namespace orn::cli
