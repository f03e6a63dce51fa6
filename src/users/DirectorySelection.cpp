#include "users/DirectorySelection.h"

#include <cctype>

namespace orn {

namespace {

bool ParseNumber(std::string_view text, size_t count, size_t* number) {
  if (text.empty() || text.size() > 9) return false;
  size_t value = 0;
  for (char c : text) {
    if (!isdigit(static_cast<unsigned char>(c))) return false;
    value = value * 10 + static_cast<size_t>(c - '0');
  }
  if (value < 1 || value > count) return false;
  *number = value;
  return true;
}

std::string_view Trim(std::string_view text) {
  while (!text.empty() && isspace(static_cast<unsigned char>(text.front()))) text.remove_prefix(1);
  while (!text.empty() && isspace(static_cast<unsigned char>(text.back()))) text.remove_suffix(1);
  return text;
}

}  // namespace

std::string SelectorEntryText(const ImportUser& user) { return user.fullName; }

std::string NetworkEntryText(const ImportUser& user) {
  if (user.emails.empty()) return user.fullName;
  return user.fullName + " (" + user.emails.front() + ")";
}

ImportUserList RemoveDeselectedUsers(const ImportUserList& users, const std::vector<std::string>& deselected,
                                     std::string (*entryText)(const ImportUser&)) {
  std::vector<bool> removed(users.Count(), false);
  for (const std::string& text : deselected) {
    for (size_t i = 0; i < users.Count(); ++i) {
      if (!removed[i] && entryText(users[i]) == text) {
        removed[i] = true;
        break;
      }
    }
  }
  ImportUserList kept;
  for (size_t i = 0; i < users.Count(); ++i)
    if (!removed[i]) kept.Append(users[i]);
  return kept;
}

std::optional<std::vector<bool>> ParseUserSelection(std::string_view text, size_t count) {
  std::vector<bool> selected(count, false);
  text = Trim(text);
  if (text == "alle" || text == "*") return std::vector<bool>(count, true);
  size_t start = 0;
  while (start < text.size()) {
    size_t end = text.find_first_of(", \t", start);
    if (end == std::string_view::npos) end = text.size();
    const std::string_view item = text.substr(start, end - start);
    start = end + 1;
    if (item.empty()) continue;
    const size_t dash = item.find('-');
    size_t first, last;
    if (dash == std::string_view::npos) {
      if (!ParseNumber(item, count, &first)) return std::nullopt;
      last = first;
    } else if (!ParseNumber(item.substr(0, dash), count, &first) || !ParseNumber(item.substr(dash + 1), count, &last) ||
               last < first) {
      return std::nullopt;
    }
    for (size_t i = first; i <= last; ++i) selected[i - 1] = true;
  }
  return selected;
}

}  // namespace orn
