// The application: one instance at a time, the wizard run once, the server started at the end.
#pragma once

#include "wizard/app/QtUiServices.h"

namespace orn::wizard {

class CImportExportApp {
 public:
  CImportExportApp();

  // Start-up and the wizard. A second instance, or a cancelled password prompt, ends the process
  // here with code 0. Returns the process's exit code.
  int InitInstance();
  // Closes the instance mutex and starts the server; 0, or 1 when the server could not be started.
  int ExitInstance();

  void* m_hInstanceMutex = nullptr;

 private:
  QtUiServices services_;
};

}  // namespace orn::wizard
