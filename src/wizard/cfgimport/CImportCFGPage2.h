// The configuration import, second page: what to take from the file.
#pragma once

#include "wizard/app/CWizardPage.h"

class QCheckBox;

namespace orn::wizard {

class CImportCFGPage2 : public CWizardPage {
  Q_OBJECT

 public:
  CImportCFGPage2();

  // Both boxes are checked when the page is first shown.
  bool OnInitDialog() override;
  bool OnSetActive() override;

  bool m_bEmailAddresses = true;
  bool m_bUsers = true;

  QCheckBox* m_chkEmailAddresses;
  QCheckBox* m_chkUsers;
};

}  // namespace orn::wizard
