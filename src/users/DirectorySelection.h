// Narrowing a list of users by the entries a user deselected, as the selection page and the
// network import's list do, and reading a selection typed as numbers and ranges.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "users/ImportUser.h"

namespace orn {

// The entry of a user on the selection page: the full name.
std::string SelectorEntryText(const ImportUser& user);

// The entry of a user on the network import's list: the full name, and when the user has an
// address, " (", the first address and ")".
std::string NetworkEntryText(const ImportUser& user);

// For each deselected entry text in order, the first remaining user whose entry text equals it
// exactly is removed; a text that matches nobody removes nothing.
ImportUserList RemoveDeselectedUsers(const ImportUserList& users, const std::vector<std::string>& deselected,
                                     std::string (*entryText)(const ImportUser&));

// A selection of count entries typed as 1-based numbers and ranges separated by commas or blanks
// ("1-5,8 10"), or "alle" / "*" for every entry; an empty text selects none. Null when an item is
// no number or range, or lies outside 1..count.
std::optional<std::vector<bool>> ParseUserSelection(std::string_view text, size_t count);

}  // namespace orn
