// Page 0: the list of actions with the description of the selected one. Next (or a double click)
// makes the first page of the selected action active.
#pragma once

#include <QString>

#include "wizard/app/CWizardPage.h"

class QLabel;
class QListWidget;

namespace orn::wizard {

class CActionPage : public CWizardPage {
  Q_OBJECT

 public:
  CActionPage();

  bool OnInitDialog() override;
  bool OnSetActive() override;
  int OnWizardNext() override;

  QListWidget* m_lbActions;
  QString m_strDescription;

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  int SelectedRow() const;
  // Shows the description of the selected row (none when no row is selected).
  void ApplySelectionRule();
  void OnDoubleClick();

  QLabel* description_;
};

}  // namespace orn::wizard
