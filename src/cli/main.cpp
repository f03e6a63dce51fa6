// orncfg-cli: the configuration tools of the ORN! server for a shell and for scripts.
#include "cli/Command.h"

int main(int argc, char** argv) {
  const std::vector<std::string> words(argv + 1, argv + argc);
  return orn::cli::Dispatch(orn::cli::RootCommand(), words);
}
