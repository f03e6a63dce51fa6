// Which page class sits at which sheet index. The wizard's table of pages is built from these and
// checked against PageIndex at compile time, and pages reach each other by class through them
// (CWizardPage::Page<T>()), never by a bare index.
#pragma once

#include "wizard/app/PageIndex.h"

namespace orn::wizard {

class CActionPage;
class CBackupCFGPage1;
class CRestoreCFGPage1;
class CImportCFGPage1;
class CImportCFGPage2;
class CImportCFGPage3;
class CImportWindowsUsersPage1;
class CImportWindowsUsersPage2;
class CImportLDAPUsersPage1;
class CUserSelectorPage;
class CImportLDAPUsersPage2;
class CExportCSVPage1;
class CImportCSVPage1;

// PageId<T>::value is the index of page class T; a class without an entry is no page of the wizard.
template <class Page>
struct PageId;

#define ORN_WIZARD_PAGE_ID(Page, index)       \
  template <>                                 \
  struct PageId<Page> {                       \
    static constexpr PageIndex value = index; \
  }

ORN_WIZARD_PAGE_ID(CActionPage, kActionPage);
ORN_WIZARD_PAGE_ID(CBackupCFGPage1, kBackupCFGPage1);
ORN_WIZARD_PAGE_ID(CRestoreCFGPage1, kRestoreCFGPage1);
ORN_WIZARD_PAGE_ID(CImportCFGPage1, kImportCFGPage1);
ORN_WIZARD_PAGE_ID(CImportCFGPage2, kImportCFGPage2);
ORN_WIZARD_PAGE_ID(CImportCFGPage3, kImportCFGPage3);
ORN_WIZARD_PAGE_ID(CImportWindowsUsersPage1, kImportWindowsUsersPage1);
ORN_WIZARD_PAGE_ID(CImportWindowsUsersPage2, kImportWindowsUsersPage2);
ORN_WIZARD_PAGE_ID(CImportLDAPUsersPage1, kImportLDAPUsersPage1);
ORN_WIZARD_PAGE_ID(CUserSelectorPage, kUserSelectorPage);
ORN_WIZARD_PAGE_ID(CImportLDAPUsersPage2, kImportLDAPUsersPage2);
ORN_WIZARD_PAGE_ID(CExportCSVPage1, kExportCSVPage1);
ORN_WIZARD_PAGE_ID(CImportCSVPage1, kImportCSVPage1);

#undef ORN_WIZARD_PAGE_ID

}  // namespace orn::wizard
