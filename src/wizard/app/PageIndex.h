// The places of the pages in the wizard sheet. The order matters: default Back and Next move to
// the neighbouring index, and the pages of one action are neighbours.
#pragma once

namespace orn::wizard {

enum PageIndex : int {
  kActionPage = 0,
  kBackupCFGPage1 = 1,
  kRestoreCFGPage1 = 2,
  kImportCFGPage1 = 3,
  kImportCFGPage2 = 4,
  kImportCFGPage3 = 5,
  kImportWindowsUsersPage1 = 6,
  kImportWindowsUsersPage2 = 7,
  kImportLDAPUsersPage1 = 8,
  kUserSelectorPage = 9,
  kImportLDAPUsersPage2 = 10,
  kExportCSVPage1 = 11,
  kImportCSVPage1 = 12,
  kPageCount = 13,
};

}  // namespace orn::wizard
