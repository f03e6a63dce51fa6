#include "cli/Options.h"

namespace orn::cli {

const std::string* Args::Value(const std::string& name) const {
  const auto it = values_.find(name);
  return it == values_.end() ? nullptr : &it->second;
}

bool ParseOptions(const std::vector<std::string>& words, std::span<const Option> options, Args* args,
                  std::string* error) {
  bool optionsEnded = false;
  for (size_t i = 0; i < words.size(); ++i) {
    const std::string& word = words[i];
    if (optionsEnded || word.size() < 2 || word[0] != '-') {
      args->positional_.push_back(word);
      continue;
    }
    if (word == "--") {
      optionsEnded = true;
      continue;
    }
    const size_t equals = word.find('=');
    const std::string name = word.substr(0, equals);
    const Option* option = nullptr;
    for (const Option& candidate : options)
      if (name == candidate.name) option = &candidate;
    if (!option) {
      *error = "Unbekannte Angabe: " + name;
      return false;
    }
    if (!option->value) {
      if (equals != std::string::npos) {
        *error = "Die Angabe " + name + " nimmt keinen Wert.";
        return false;
      }
      args->values_[name];
    } else if (equals != std::string::npos) {
      args->values_[name] = word.substr(equals + 1);
    } else if (i + 1 < words.size()) {
      args->values_[name] = words[++i];
    } else {
      *error = "Zur Angabe " + name + " fehlt der Wert.";
      return false;
    }
  }
  return true;
}

std::string OptionsUsage(std::span<const Option> options) {
  std::string usage;
  for (const Option& option : options)
    usage += std::string(" [") + option.name + (option.value ? std::string(" ") + option.value : "") + "]";
  return usage;
}

}  // namespace orn::cli
