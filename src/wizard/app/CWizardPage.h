// The base of every wizard page: a page laid out as its dialog template (dialog units converted
// with the font's metrics, the side picture at the left, the controls from x = 100), with the
// handlers the sheet calls.
#pragma once

#include <QString>
#include <QWidget>

#include "wizard/app/DialogUnits.h"
#include "wizard/app/PageTable.h"
#include "wizard/app/UiServices.h"

class QLabel;

namespace orn::wizard {

class CWizardSheet;

// What a page's dialog template fixes.
struct PageTemplate {
  int dialogId;
  QString title;  // shown in the title bar while the page is active
  int bitmapId;   // side picture 137..140
  int width = 280;
  int height = 156;
};

class CWizardPage : public QWidget {
  Q_OBJECT

 public:
  explicit CWizardPage(const PageTemplate& pageTemplate);

  int DialogId() const { return template_.dialogId; }
  const QString& Title() const { return template_.title; }
  int BitmapId() const { return template_.bitmapId; }

  // Called once, before the page is first shown.
  virtual bool OnInitDialog() { return true; }
  // The page is about to be shown; false keeps the page that was active.
  virtual bool OnSetActive() { return true; }
  // The page is about to be left; false keeps it active.
  virtual bool OnKillActive() { return true; }
  // Next and Back: 0 moves to the neighbouring index, -1 stays.
  virtual int OnWizardNext() { return 0; }
  virtual int OnWizardBack() { return 0; }
  // Finish: 0 keeps the wizard open, any other value closes it.
  virtual int OnWizardFinish() { return 1; }

  bool IsInitialised() const { return initialised_; }

 protected:
  // The sheet the page belongs to; null before it is added.
  CWizardSheet* Sheet() const { return sheet_; }
  const DialogUnits& Units() const { return units_; }
  // Puts a control of the page at dialog-unit coordinates.
  void Place(QWidget* control, int x, int y, int width, int height);
  // A message owned by the page, with the wizard's caption (or the given one).
  void MessageBox(const QString& text);
  void MessageBox(const QString& text, const QString& caption);
  UiServices& Ui() const;
  // Another page of the wizard, by its class (PageId); null when the sheet has another page there.
  template <class T>
  T* Page() const {
    return dynamic_cast<T*>(SheetPage(PageId<T>::value));
  }
  // The Back of an action's first page: makes the action page active and stays (-1).
  int BackToActionPage();

 private:
  CWizardPage* SheetPage(int index) const;

  friend class CWizardSheet;

  PageTemplate template_;
  DialogUnits units_;
  QLabel* picture_;
  CWizardSheet* sheet_ = nullptr;
  bool initialised_ = false;
};

}  // namespace orn::wizard
