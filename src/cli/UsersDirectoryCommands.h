// orncfg-cli users import-ldap and users import-network: the two directory imports.
#pragma once

#include "cli/Command.h"

namespace orn::cli {

int ImportLdapUsers(const Args& args);     // SERVER [--select] [--dry-run]
int ImportNetworkUsers(const Args& args);  // [NAME] [--select] [--dry-run]

}  // namespace orn::cli
