#include "wizard/app/CWizardSheet.h"

#include <QDir>
#include <QFileInfo>
#include <QFrame>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QPushButton>
#include <QScreen>
#include <QStackedWidget>
#include <QVBoxLayout>

#include "wizard/app/CWizardPage.h"
#include "wizard/app/Captions.h"
#include "platform/ProgramFiles.h"

namespace orn::wizard {

CWizardSheet::CWizardSheet(const QString& caption, UiServices ui)
    : caption_(caption), ui_(ui), units_(font()), stack_(new QStackedWidget(this)) {
  setWindowTitle(caption_);
  setObjectName(QStringLiteral("CImportExportWizard"));

  back_ = MakeButton(QStringLiteral("< &Zurück"));
  next_ = MakeButton(QStringLiteral("&Weiter >"));
  finish_ = MakeButton(QStringLiteral("Fertigstellen"));
  cancel_ = MakeButton(QStringLiteral("Abbrechen"));
  help_ = MakeButton(QStringLiteral("&Hilfe"));
  finish_->hide();

  auto* line = new QFrame(this);
  line->setFrameShape(QFrame::HLine);
  line->setFrameShadow(QFrame::Sunken);

  auto* buttons = new QHBoxLayout;
  buttons->setSpacing(0);
  buttons->addStretch(1);
  buttons->addWidget(back_);
  buttons->addWidget(next_);
  buttons->addWidget(finish_);
  buttons->addSpacing(units_.X(7));
  buttons->addWidget(cancel_);
  buttons->addSpacing(units_.X(7));
  buttons->addWidget(help_);

  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(0, 0, units_.X(7), units_.Y(7));
  layout->setSpacing(units_.Y(7));
  layout->addWidget(stack_);
  layout->addWidget(line);
  layout->addLayout(buttons);
  layout->setSizeConstraint(QLayout::SetFixedSize);

  connect(back_, &QPushButton::clicked, this, &CWizardSheet::Back);
  connect(next_, &QPushButton::clicked, this, &CWizardSheet::Next);
  connect(finish_, &QPushButton::clicked, this, &CWizardSheet::Finish);
  connect(cancel_, &QPushButton::clicked, this, &QDialog::reject);
  connect(help_, &QPushButton::clicked, this, &CWizardSheet::ShowHelp);
  SetWizardButtons(0);
}

CWizardSheet::~CWizardSheet() = default;

QPushButton* CWizardSheet::MakeButton(const QString& text) {
  auto* button = new QPushButton(text, this);
  button->setAutoDefault(false);
  button->setFixedSize(units_.Size(50, 14));
  return button;
}

void CWizardSheet::AddPage(CWizardPage* page) {
  pages_.push_back(page);
  if (!page) return;
  page->sheet_ = this;
  stack_->addWidget(page);
}

CWizardPage* CWizardSheet::GetPage(int index) const {
  if (index < 0 || index >= GetPageCount()) return nullptr;
  return pages_[static_cast<size_t>(index)];
}

bool CWizardSheet::SetActivePage(int index) {
  CWizardPage* page = GetPage(index);
  if (!page) return false;
  CWizardPage* current = GetActivePage();
  if (current && !current->OnKillActive()) return false;
  if (!page->initialised_) {
    page->initialised_ = true;
    page->OnInitDialog();
  }
  if (!page->OnSetActive()) return false;
  active_ = index;
  stack_->setCurrentWidget(page);
  setWindowTitle(page->Title().isEmpty() ? caption_ : page->Title());
  FocusFirstControl(page);
  return true;
}

void CWizardSheet::FocusFirstControl(QWidget* page) {
  // The page's tab order begins with its first control (the order in which it was made).
  for (QWidget* widget = page->nextInFocusChain(); widget && widget != page; widget = widget->nextInFocusChain()) {
    if (!page->isAncestorOf(widget)) continue;
    if ((widget->focusPolicy() & Qt::TabFocus) && widget->isEnabled() && widget->isVisibleTo(page)) {
      widget->setFocus(Qt::TabFocusReason);
      return;
    }
  }
}

void CWizardSheet::SetWizardButtons(int flags) {
  buttons_ = flags;
  const bool finish = flags & PSWIZB_FINISH;
  back_->setEnabled(flags & PSWIZB_BACK);
  next_->setVisible(!finish);
  next_->setEnabled(flags & PSWIZB_NEXT);
  finish_->setVisible(finish);
  next_->setDefault(!finish);
  finish_->setDefault(finish);
}

int CWizardSheet::DoModal() {
  if (!OnInitDialog()) return kInitialisationEnded;
  return exec() == ID_WIZFINISH ? ID_WIZFINISH : IDCANCEL;
}

bool CWizardSheet::OnInitDialog() {
  for (int index = 0; index < GetPageCount(); ++index) {
    if (GetPage(index)) {
      SetActivePage(index);
      break;
    }
  }
  adjustSize();
  if (const QScreen* screen = QGuiApplication::primaryScreen()) {
    QRect frame = frameGeometry();
    frame.moveCenter(screen->availableGeometry().center());
    move(frame.topLeft());
  }
  return true;
}

void CWizardSheet::Back() {
  CWizardPage* page = GetActivePage();
  if (!page || !back_->isEnabled()) return;
  if (page->OnWizardBack() == 0) SetActivePage(active_ - 1);
}

void CWizardSheet::Next() {
  CWizardPage* page = GetActivePage();
  if (!page || !next_->isEnabled() || !next_->isVisible()) return;
  if (page->OnWizardNext() == 0) SetActivePage(active_ + 1);
}

void CWizardSheet::Finish() {
  CWizardPage* page = GetActivePage();
  if (!page || !finish_->isVisible()) return;
  if (page->OnWizardFinish() != 0) done(ID_WIZFINISH);
}

// The help file of the current directory, else the one that came with the program.
void CWizardSheet::ShowHelp() {
  QString path = QDir::current().absoluteFilePath(QString::fromUtf8(kHelpFileName));
  const std::string installed = platform::FindDocumentFile(kHelpFileName);
  if (!QFileInfo::exists(path) && !installed.empty()) path = QString::fromStdString(installed);
  ui_.help.Open(path);
}

void CWizardSheet::keyPressEvent(QKeyEvent* event) {
  if (event->key() == Qt::Key_F1) {
    ShowHelp();
    return;
  }
  QDialog::keyPressEvent(event);
}

}  // namespace orn::wizard
