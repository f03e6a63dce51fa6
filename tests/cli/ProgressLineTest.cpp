// The progress line of backup and restore on a terminal: a pseudo-terminal made by script(1).
#include <algorithm>
#include <regex>
#include <string>
#include <vector>

#include "support/TestSupport.h"

namespace orn {
namespace {

using test::RunCommand;

class ProgressLineTest : public test::DemoTest {
 protected:
  void SetUp() override {
    DemoTest::SetUp();
    test::WriteFile(Scratch() / "pw", "Geheim 1\n");
    for (int i = 0; i < 300; ++i) test::WriteFile(demo_ + "/orn/arsp/" + std::to_string(i), std::string(i * 7, 'x'));
  }
  // The command line's standard error on a terminal (when tty) or on a pipe.
  std::string Run(const std::string& arguments, bool tty) {
    const std::string command =
        std::string(ORN_CLI_BINARY) + " " + arguments + " --password-file '" + Scratch() / "pw" + "'";
    std::string output;
    const int status = tty ? RunCommand("script -qec \"" + command + " >/dev/null\" /dev/null </dev/null", &output)
                           : RunCommand(command + " 2>&1 >/dev/null </dev/null", &output);
    EXPECT_EQ(status, 0) << output;
    return output;
  }
};

// The phases in the order shown; each must end at its totals (files and MB).
std::vector<std::string> Phases(const std::string& output) {
  static const std::regex line(R"(\r*([^:\r\n]+): (\d+)/(\d+) Dateien, ([\d.]+)/([\d.]+) MB\x1b\[K)");
  std::vector<std::string> phases, unfinished;
  for (std::sregex_iterator it(output.begin(), output.end(), line), end; it != end; ++it) {
    const std::smatch& m = *it;
    if (phases.empty() || phases.back() != m[1]) phases.push_back(m[1]);
    if (std::stoull(m[3]) < 300 || m[2] != m[3] || m[4] != m[5])
      unfinished.push_back(m[1]);
    else
      unfinished.erase(std::remove(unfinished.begin(), unfinished.end(), m[1].str()), unfinished.end());
  }
  for (const std::string& phase : unfinished) phases.push_back("(unfinished) " + phase);
  return phases;
}

TEST_F(ProgressLineTest, PhasesAppearInOrderWithTheirTotals) {
  const std::string archive = Scratch() / "s.eff";
  EXPECT_EQ(Phases(Run("backup --output '" + archive + "'", true)), std::vector<std::string>{"Packen"});
  EXPECT_EQ(Phases(Run("restore --no-start '" + archive + "'", true)),
            (std::vector<std::string>{"Entpacken", "Sicherheitskopie", "Zurückschreiben"}));
  // Nothing with --quiet or without a terminal.
  for (const auto& [arguments, tty] : {std::pair{"restore --no-start --quiet '" + archive + "'", true},
                                       std::pair{"restore --no-start '" + archive + "'", false}})
    EXPECT_EQ(Run(arguments, tty).find("Dateien"), std::string::npos) << arguments;
}

}  // namespace
}  // namespace orn
