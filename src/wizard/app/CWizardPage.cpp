#include "wizard/app/CWizardPage.h"

#include <QLabel>
#include <QPixmap>

#include "wizard/app/CWizardSheet.h"
#include "wizard/app/Captions.h"
#include "wizard/app/SidePicture.h"

namespace orn::wizard {

CWizardPage::CWizardPage(const PageTemplate& pageTemplate)
    : template_(pageTemplate), units_(font()), picture_(new QLabel(this)) {
  setFixedSize(units_.Size(template_.width, template_.height));
  picture_->setObjectName(QStringLiteral("sidePicture"));
  const QRect area = units_.Rect(7, 7, 85, 141);
  picture_->setGeometry(area);
  picture_->setPixmap(SidePicture(template_.bitmapId, area.size()));
}

void CWizardPage::Place(QWidget* control, int x, int y, int width, int height) {
  control->setParent(this);
  control->setGeometry(units_.Rect(x, y, width, height));
}

void CWizardPage::MessageBox(const QString& text) { MessageBox(text, QString::fromUtf8(kMessageCaption)); }

void CWizardPage::MessageBox(const QString& text, const QString& caption) { Ui().messages.Show(this, caption, text); }

UiServices& CWizardPage::Ui() const { return sheet_->Ui(); }

CWizardPage* CWizardPage::SheetPage(int index) const { return sheet_ ? sheet_->GetPage(index) : nullptr; }

int CWizardPage::BackToActionPage() {
  sheet_->SetActivePage(kActionPage);
  return -1;
}

}  // namespace orn::wizard
