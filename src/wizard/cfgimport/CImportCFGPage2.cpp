#include "wizard/cfgimport/CImportCFGPage2.h"

#include <QCheckBox>
#include <QLabel>

#include "wizard/app/CWizardSheet.h"

namespace orn::wizard {

CImportCFGPage2::CImportCFGPage2()
    : CWizardPage({149, QStringLiteral("Konfigurationsdaten importieren"), 138}),
      m_chkEmailAddresses(new QCheckBox(QStringLiteral("E-Mail-Adressen"))),
      m_chkUsers(new QCheckBox(QStringLiteral("ORN! Benutzer"))) {
  auto* question = new QLabel(QStringLiteral("Welche Einträge sollen importiert werden?"));
  question->setWordWrap(true);
  question->setAlignment(Qt::AlignLeft | Qt::AlignTop);
  Place(question, 100, 8, 173, 20);
  Place(m_chkUsers, 110, 32, 163, 10);
  Place(m_chkEmailAddresses, 110, 46, 163, 10);
  connect(m_chkEmailAddresses, &QCheckBox::toggled, this, [this](bool on) { m_bEmailAddresses = on; });
  connect(m_chkUsers, &QCheckBox::toggled, this, [this](bool on) { m_bUsers = on; });
}

bool CImportCFGPage2::OnInitDialog() {
  m_chkEmailAddresses->setChecked(true);
  m_chkUsers->setChecked(true);
  m_bEmailAddresses = m_bUsers = true;
  return true;
}

bool CImportCFGPage2::OnSetActive() {
  Sheet()->SetWizardButtons(PSWIZB_BACK | PSWIZB_NEXT);
  return CWizardPage::OnSetActive();
}

}  // namespace orn::wizard
