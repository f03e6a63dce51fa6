// A scratch installation key for wizard tests: ORN_REGISTRY, ORN_RUNTIME_DIR and TEMP point into
// a temporary folder while the object lives.
#pragma once

#include <utility>
#include <vector>

#include <QFile>
#include <QTemporaryDir>

namespace orn::wizard::test {

class TestInstallation {
 public:
  TestInstallation() {
    for (const char* name : {"ORN_REGISTRY", "ORN_RUNTIME_DIR", "TEMP"}) qputenv(name, dir_.filePath(name).toUtf8());
  }
  ~TestInstallation() {
    for (const char* name : {"ORN_REGISTRY", "ORN_RUNTIME_DIR", "TEMP"}) qunsetenv(name);
  }
  // Writes the installation key with InstallDirectory and the given values.
  void WriteKey(const std::vector<std::pair<QString, QString>>& values = {}) const {
    QByteArray text = "REGEDIT4\n\n[HKEY_LOCAL_MACHINE\\Software\\OSKA\\ORN\\CurrentVersion]\n\"InstallDirectory\"=\"" +
                      dir_.path().toUtf8() + "\"\n";
    for (const auto& [name, value] : values) text += "\"" + name.toUtf8() + "\"=\"" + value.toUtf8() + "\"\n";
    QFile file(dir_.filePath(QStringLiteral("ORN_REGISTRY")));
    if (file.open(QIODevice::WriteOnly)) file.write(text);
  }

 private:
  QTemporaryDir dir_;
};

}  // namespace orn::wizard::test
