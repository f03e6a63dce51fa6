// Users in a configuration file: reading them with their addresses, adding imported ones.
// Failures are thrown as MessageError.
#pragma once

#include <cstddef>
#include <string>

#include "users/ImportUser.h"

namespace orn {

// The users of the configuration file in list order, each with the addresses it owns.
// Throws "opening config file failed" when the file cannot be loaded.
ImportUserList ReadUsers(const char* configPath);

// What AddUsers did.
struct AddUsersReport {
  size_t added = 0;
  size_t skipped = 0;  // names that the configuration held already
};

// Adds the users to the configuration file: users whose name (as delivered, ignoring case) exists
// are skipped; the others are stored under their cleaned name with their first address. The file is
// saved once at the end; a failure before the save leaves it unchanged. Returns 0.
int AddUsers(const char* configPath, const ImportUserList& users, AddUsersReport* report = nullptr);

// Keeps ASCII letters, digits, '.', '_' and '-'; drops every other character.
void CleanUserName(std::string& name);

}  // namespace orn
