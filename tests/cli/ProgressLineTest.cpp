// The progress line of backup and restore on a terminal: a pseudo-terminal made by script(1).
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

struct Phase {
  std::string name;
  unsigned long long files, totalFiles;
  std::string mb, totalMb;
};

// The phases in the order shown, each with the last figures shown for it.
std::vector<Phase> Phases(const std::string& output) {
  static const std::regex line(R"(\r*([^:\r\n]+): (\d+)/(\d+) Dateien, ([\d.]+)/([\d.]+) MB\x1b\[K)");
  std::vector<Phase> phases;
  for (std::sregex_iterator it(output.begin(), output.end(), line), end; it != end; ++it) {
    const std::smatch& m = *it;
    if (phases.empty() || phases.back().name != m[1]) phases.emplace_back();
    phases.back() = {m[1], std::stoull(m[2]), std::stoull(m[3]), m[4], m[5]};
  }
  return phases;
}

TEST_F(ProgressLineTest, PhasesAppearInOrderWithTheirTotals) {
  const std::string archive = Scratch() / "s.eff";
  const std::vector<Phase> backup = Phases(Run("backup --output '" + archive + "'", true));
  ASSERT_EQ(backup.size(), 1u);
  EXPECT_TRUE(backup[0].name == "Packen" && backup[0].files == backup[0].totalFiles);

  const std::vector<Phase> restore = Phases(Run("restore --no-start '" + archive + "'", true));
  std::vector<std::string> names;
  for (const Phase& phase : restore) names.push_back(phase.name);
  EXPECT_EQ(names, (std::vector<std::string>{"Entpacken", "Sicherheitskopie", "Zurückschreiben"}));
  for (const Phase& phase : restore) {
    // Each phase ends at its totals; the tree holds at least the 300 files added.
    EXPECT_TRUE(phase.totalFiles >= 300u && phase.files == phase.totalFiles && phase.mb == phase.totalMb) << phase.name;
  }
  ASSERT_EQ(restore.size(), 3u);
  // Unpacking takes what packing put in; the installation holds what the archive does, so the
  // safety copy keeps as many files as the copy back puts in place.
  EXPECT_TRUE(restore[0].totalFiles == backup[0].totalFiles && restore[0].totalMb == backup[0].totalMb);
  EXPECT_EQ(restore[1].totalFiles, restore[2].totalFiles);

  // Nothing with --quiet or without a terminal.
  for (const auto& [arguments, tty] : {std::pair{"restore --no-start --quiet '" + archive + "'", true},
                                       std::pair{"restore --no-start '" + archive + "'", false}})
    EXPECT_EQ(Run(arguments, tty).find("Dateien"), std::string::npos) << arguments;
}

}  // namespace
}  // namespace orn
