// The top level of orncfg-cli. A new verb is one line here and one file of its own.
#include "cli/Verbs.h"

namespace orn::cli {

const Command& RootCommand() {
  static const Command verbs[] = {
      StatusCommand(), BackupCommand(), RestoreCommand(),      VerifyCommand(), RegCommand(),     ServerCommand(),
      ConfigCommand(), UsersCommand(),  ImportConfigCommand(), EffCommand(),    ArchiveCommand(),
  };
  static const Command root{"orncfg-cli", "", "Konfiguration von ORN! sichern, wiederherstellen und pflegen", nullptr,
                            verbs};
  return root;
}

}  // namespace orn::cli
