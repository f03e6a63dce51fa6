// The wizard sheet: one window showing one page at a time, with the buttons Back, Next (or
// Finish in its place), Cancel and Help. Pages take their places by index; the default Back and
// Next move to the neighbouring index. A slot may stay empty (a page not built into this
// program): the sheet never moves there.
#pragma once

#include <vector>

#include <QDialog>
#include <QString>

#include "wizard/app/DialogUnits.h"
#include "wizard/app/UiServices.h"

class QPushButton;
class QStackedWidget;

namespace orn::wizard {

class CWizardPage;

// Buttons for SetWizardButtons.
enum WizardButtons : int { PSWIZB_BACK = 1, PSWIZB_NEXT = 2, PSWIZB_FINISH = 4 };

class CWizardSheet : public QDialog {
  Q_OBJECT

 public:
  // DoModal's results.
  static constexpr int ID_WIZFINISH = 0x3025;
  static constexpr int IDCANCEL = 2;
  static constexpr int kInitialisationEnded = -1;

  CWizardSheet(const QString& caption, UiServices ui);
  ~CWizardSheet() override;

  // Appends a page (the sheet takes it) or, for null, an empty slot.
  void AddPage(CWizardPage* page);
  int GetPageCount() const { return static_cast<int>(pages_.size()); }
  CWizardPage* GetPage(int index) const;
  int GetActiveIndex() const { return active_; }
  CWizardPage* GetActivePage() const { return GetPage(active_); }
  // Leaves the active page (OnKillActive) and shows the page at index (OnInitDialog the first
  // time, then OnSetActive). False when the slot is empty or either page refused.
  bool SetActivePage(int index);
  // Any combination of PSWIZB_BACK, PSWIZB_NEXT and PSWIZB_FINISH; Finish takes Next's place.
  void SetWizardButtons(int flags);
  int WizardButtons() const { return buttons_; }

  // Runs OnInitDialog, then the sheet until it closes: ID_WIZFINISH or IDCANCEL, or
  // kInitialisationEnded when OnInitDialog returned false (the sheet was never shown).
  int DoModal();

  // Shows the first page and centres the sheet; false ends DoModal before the sheet is shown.
  virtual bool OnInitDialog();

  UiServices& Ui() { return ui_; }
  const QString& Caption() const { return caption_; }

  QPushButton* BackButton() const { return back_; }
  QPushButton* NextButton() const { return next_; }
  QPushButton* FinishButton() const { return finish_; }
  QPushButton* CancelButton() const { return cancel_; }
  QPushButton* HelpButton() const { return help_; }

 protected:
  void keyPressEvent(QKeyEvent* event) override;

 private:
  void Back();
  void Next();
  void Finish();
  void ShowHelp();
  // Gives the keyboard focus to the page's first control that takes it.
  static void FocusFirstControl(QWidget* page);
  QPushButton* MakeButton(const QString& text);

  QString caption_;
  UiServices ui_;
  DialogUnits units_;
  std::vector<CWizardPage*> pages_;
  int active_ = -1;
  int buttons_ = 0;
  QStackedWidget* stack_;
  QPushButton* back_;
  QPushButton* next_;
  QPushButton* finish_;
  QPushButton* cancel_;
  QPushButton* help_;
};

}  // namespace orn::wizard
