// How a failure that carries a text is shown: the sentence on what failed, a line break and
// "Fehlermeldung: " with the text, in the wizard's message boxes and on the command line alike.
#pragma once

#include <string>
#include <string_view>

namespace orn {

inline std::string FailureText(std::string_view sentence, std::string_view text) {
  std::string composed(sentence);
  composed += "\nFehlermeldung: ";
  composed += text;
  return composed;
}

}  // namespace orn
