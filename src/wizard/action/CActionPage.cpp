#include "wizard/action/CActionPage.h"

#include <QEvent>
#include <QGroupBox>
#include <QLabel>
#include <QListWidget>

#include "wizard/action/ActionTable.h"
#include "users/DirectoryModule.h"
#include "wizard/app/CWizardSheet.h"

namespace orn::wizard {

CActionPage::CActionPage()
    : CWizardPage({107, QStringLiteral("Konfiguration von ORN! sichern/wiederherstellen..."), 137, 280, 157}),
      m_lbActions(new QListWidget),
      description_(new QLabel(QStringLiteral("Description"))) {
  Place(new QLabel(QStringLiteral("Wählen Sie eine Aktion aus")), 100, 8, 173, 10);
  m_lbActions->setObjectName(QStringLiteral("actions"));
  m_lbActions->setSelectionMode(QAbstractItemView::SingleSelection);
  m_lbActions->setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
  Place(m_lbActions, 100, 20, 173, 64);
  Place(new QGroupBox(QStringLiteral("Beschreibung")), 100, 89, 173, 59);
  description_->setObjectName(QStringLiteral("description"));
  description_->setWordWrap(true);
  description_->setAlignment(Qt::AlignLeft | Qt::AlignTop);
  Place(description_, 104, 99, 163, 45);
  description_->raise();

  connect(m_lbActions, &QListWidget::itemSelectionChanged, this, &CActionPage::ApplySelectionRule);
  m_lbActions->viewport()->installEventFilter(this);
}

bool CActionPage::OnInitDialog() {
  const int count = DirectoryModuleAvailable() ? kActionsWithDirectory : kActionsWithoutDirectory;
  m_lbActions->clear();
  for (int row = 0; row < count; ++row) m_lbActions->addItem(QString::fromUtf8(kActionTable[row].title));
  m_lbActions->setCurrentRow(0, QItemSelectionModel::ClearAndSelect);
  ApplySelectionRule();
  return true;
}

bool CActionPage::OnSetActive() {
  Sheet()->SetWizardButtons(PSWIZB_NEXT);
  return CWizardPage::OnSetActive();
}

int CActionPage::OnWizardNext() {
  const int row = SelectedRow();
  if (row < 0) {
    MessageBox(QStringLiteral("Wählen Sie bitte eine Aktion aus."));
    return -1;
  }
  const int firstPage = kActionTable[row].firstPage;
  // A page that this program does not contain yet is never shown in its place.
  if (!Sheet()->GetPage(firstPage)) {
    MessageBox(QStringLiteral("Diese Aktion ist in dieser Version noch nicht verfügbar."));
    return -1;
  }
  Sheet()->SetActivePage(firstPage);
  return -1;
}

int CActionPage::SelectedRow() const {
  const QList<QListWidgetItem*> selected = m_lbActions->selectedItems();
  return selected.isEmpty() ? -1 : m_lbActions->row(selected.first());
}

void CActionPage::ApplySelectionRule() {
  const int row = SelectedRow();
  m_strDescription = row >= 0 && row < kActionCount ? QString::fromUtf8(kActionTable[row].description) : QString();
  description_->setText(m_strDescription);
}

void CActionPage::OnDoubleClick() {
  ApplySelectionRule();
  OnWizardNext();
}

bool CActionPage::eventFilter(QObject* watched, QEvent* event) {
  // Queued, so that the list has finished its own handling of the click first.
  if (watched == m_lbActions->viewport() && event->type() == QEvent::MouseButtonDblClick)
    QMetaObject::invokeMethod(this, &CActionPage::OnDoubleClick, Qt::QueuedConnection);
  return CWizardPage::eventFilter(watched, event);
}

}  // namespace orn::wizard
