// The verbs of orncfg-cli; each is defined in the file named after it.
#pragma once

#include "cli/Command.h"

namespace orn::cli {

const Command& RegCommand();           // RegCommand.cpp
const Command& ServerCommand();        // ServerCommand.cpp
const Command& ConfigCommand();        // ConfigCommand.cpp
const Command& StatusCommand();        // StatusCommand.cpp
const Command& UsersCommand();         // UsersCommand.cpp
const Command& ImportConfigCommand();  // ImportConfigCommand.cpp
const Command& BackupCommand();        // BackupCommand.cpp
const Command& RestoreCommand();       // BackupCommand.cpp
const Command& VerifyCommand();        // BackupCommand.cpp
const Command& EffCommand();           // EffCommand.cpp
const Command& ArchiveCommand();       // ArchiveCommand.cpp

}  // namespace orn::cli
