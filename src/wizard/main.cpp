// orncfg: the configuration import/export wizard of the ORN! server.
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include <QApplication>

#include "wizard/app/CImportExportApp.h"
#include "wizard/app/QtUiServices.h"

namespace {

bool IsSet(const char* name) {
  const char* value = std::getenv(name);
  return value && *value;
}

// Without a display and without a platform chosen, Qt would abort with a long complaint.
bool HasDisplay() { return IsSet("QT_QPA_PLATFORM") || IsSet("DISPLAY") || IsSet("WAYLAND_DISPLAY"); }

}  // namespace

int main(int argc, char** argv) {
  if (!HasDisplay()) {
    std::fprintf(
        stderr,
        "orncfg: Keine grafische Anzeige gefunden (DISPLAY ist nicht gesetzt). Starten Sie den "
        "Assistenten auf einem Desktop oder über ssh -X, oder verwenden Sie orncfg-cli (orncfg-cli --help).\n");
    return 1;
  }
  QApplication application(argc, argv);
  QApplication::setApplicationName(QStringLiteral("orncfg"));
  orn::wizard::InstallQtTranslations();
  orn::wizard::CImportExportApp app;
  return app.InitInstance();
}
