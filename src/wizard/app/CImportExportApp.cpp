#include "wizard/app/CImportExportApp.h"

#include <cstdio>
#include <cstdlib>

#include <QCoreApplication>

#include "wizard/app/CImportExportWizard.h"
#include "wizard/app/Captions.h"
#include "files/MessagePump.h"
#include "install/FailureText.h"
#include "install/InstallPaths.h"
#include "install/MessageError.h"
#include "install/RunMutex.h"
#include "install/Server.h"
#include "oskasys/oskasys.h"

namespace orn::wizard {

namespace {

void ProcessWaitingEvents() { QCoreApplication::processEvents(); }

}  // namespace

CImportExportApp::CImportExportApp() { SetMessagePumpHook(&ProcessWaitingEvents); }

int CImportExportApp::InitInstance() {
  m_hInstanceMutex = CreateMutexGlobal(nullptr, 0, kRunMutexName);
  if (m_hInstanceMutex && GetLastError() == ERROR_ALREADY_EXISTS) std::exit(0);

  UiServices ui = services_.Services();
  int result = CWizardSheet::IDCANCEL;
  try {
    CImportExportWizard wizard(ui);
    result = wizard.DoModal();
  } catch (const MessageError&) {
    // Without the installation key there is nothing to configure and no server to start.
    ui.messages.Show(nullptr, QString::fromUtf8(kMessageCaption), QString::fromUtf8(kNoInstallation));
    std::fprintf(stderr, "orncfg: %s\n", kNoInstallation);
    CloseHandle(m_hInstanceMutex);
    return 1;
  }
  if (result == CWizardSheet::kInitialisationEnded) std::exit(0);
  return ExitInstance();
}

int CImportExportApp::ExitInstance() {
  if (m_hInstanceMutex) {
    CloseHandle(m_hInstanceMutex);
    m_hInstanceMutex = nullptr;
  }
  try {
    RestartServer();
    return 0;
  } catch (const MessageError& error) {
    const QString text = QString::fromUtf8(FailureText(kServerNotStarted, error.Text()));
    std::fprintf(stderr, "orncfg: %s Fehlermeldung: %s\n", kServerNotStarted, error.Text());
    services_.Services().messages.Show(nullptr, QString::fromUtf8(kMessageCaption), text);
    return 1;
  }
}

}  // namespace orn::wizard
