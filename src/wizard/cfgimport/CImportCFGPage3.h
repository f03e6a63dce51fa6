// The configuration import, last page: keep or overwrite entries present on both sides; Finish
// runs the import with the file of the first page and the choice of the second.
#pragma once

#include <functional>
#include <optional>
#include <string>

#include "wizard/app/CWizardPage.h"
#include "cfgimport/ConfigImport.h"

class QRadioButton;

namespace orn::wizard {

class CImportCFGPage3 : public CWizardPage, private ProductCodePrompt {
  Q_OBJECT

 public:
  // Asks for the product code of the file's installation; nothing when cancelled.
  using CodeQuestion = std::function<std::optional<QString>(QWidget* owner)>;

  CImportCFGPage3();

  bool OnSetActive() override;
  // Imported: the wizard ends. Not a configuration: back to the action page, the wizard stays.
  // Wrong code or cancelled: the wizard ends. Failed: the page stays.
  int OnWizardFinish() override;

  // By default ProductCodeDialog asks.
  void SetCodeQuestion(CodeQuestion question) { question_ = std::move(question); }

  bool m_bOverwrite = false;

  QRadioButton* m_rbKeep;
  QRadioButton* m_rbOverwrite;

 private:
  std::optional<std::string> AskProductCode() override;

  CodeQuestion question_;
};

}  // namespace orn::wizard
