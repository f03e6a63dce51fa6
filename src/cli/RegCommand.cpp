// orncfg-cli reg: the values of the installation key.
#include <cstdio>
#include <stdexcept>
#include <strings.h>
#include <string>
#include <vector>

#include "cli/Report.h"
#include "cli/Verbs.h"
#include "install/MessageError.h"
#include "install/ProductKey.h"
#include "install/RegistryKey.h"
#include "platform/Hive.h"

namespace orn::cli {

namespace {

constexpr const char* kRegistryNotOpened = "Die Registry konnte nicht geöffnet werden";
constexpr const char* kRegistryNotWritten = "Die Registry konnte nicht beschrieben werden.";

bool IsSecret(const std::string& name) { return strcasecmp(name.c_str(), kValueConfigPassword) == 0; }

// Values print as text up to their first NUL, as they are read.
std::string AsText(const platform::HiveValue& value) { return value.data.substr(0, value.data.find('\0')); }

int Get(const Args& args) {
  if (args.size() != 1) return UsageError("Geben Sie den Namen eines Werts an.");
  if (IsSecret(args[0]))
    return ReportFailure("Der Wert " + args[0] + " enthält ein Kennwort und wird nicht angezeigt.");
  RegistryKey key;
  if (!key.Open(RegistryRoot::LocalMachine, ProductKey(), kKeyRead)) throw MessageError(kRegistryNotOpened);
  std::string text;
  if (!key.GetString(args[0], text)) return ReportFailure("Der Wert " + args[0] + " ist nicht vorhanden.");
  printf("%s\n", text.c_str());
  return kExitOk;
}

int Set(const Args& args) {
  if (args.size() != 2) return UsageError("Geben Sie den Namen und den Inhalt des Werts an.");
  if (IsSecret(args[0])) return ReportFailure("Ein Kennwort wird nicht über die Befehlszeile gesetzt.");
  try {
    RegistryKey key(RegistryRoot::LocalMachine, ProductKey(), kKeyAllAccess);
    if (!key.SetString(args[0], args[1])) throw MessageError(kRegistryNotWritten);
  } catch (const std::runtime_error& e) {
    return ReportFailure(kRegistryNotWritten, e.what());
  }
  return kExitOk;
}

int Delete(const Args& args) {
  if (args.size() != 1) return UsageError("Geben Sie den Namen eines Werts an.");
  RegistryKey key;
  if (!key.Open(RegistryRoot::LocalMachine, ProductKey(), kKeyAllAccess)) throw MessageError(kRegistryNotOpened);
  std::string text;
  if (!key.GetString(args[0], text)) return ReportFailure("Der Wert " + args[0] + " ist nicht vorhanden.");
  if (!key.DeleteValue(args[0])) throw MessageError(kRegistryNotWritten);
  return kExitOk;
}

int List(const Args& args) {
  if (!args.empty()) return UsageError("Dieser Befehl nimmt keine Argumente.");
  RegistryKey key;
  if (!key.Open(RegistryRoot::LocalMachine, ProductKey(), kKeyRead)) throw MessageError(kRegistryNotOpened);
  std::vector<platform::HiveValue> values;
  if (!key.ListValues(values)) throw MessageError("Die Registry konnte nicht gelesen werden");
  for (const auto& value : values)
    printf("%s=%s\n", value.name.c_str(), IsSecret(value.name) ? "********" : AsText(value).c_str());
  return kExitOk;
}

const Command kChildren[] = {
    {"get", "NAME", "zeigt einen Wert des Installationsschlüssels", &Get, {}},
    {"set",
     "NAME VALUE",
     "setzt einen Wert (als Zeichenkette); legt den Schlüssel an, wenn er fehlt",
     &Set,
     {},
     "",
     {},
     kHoldsRunMutex | kAsksSettingsPassword},
    {"delete", "NAME", "löscht einen Wert", &Delete, {}, "", {}, kHoldsRunMutex | kAsksSettingsPassword},
    {"list", "", "zeigt alle Werte (Kennwörter verdeckt)", &List, {}},
};

}  // namespace

const Command& RegCommand() {
  static const Command command{"reg", "", "Werte des Installationsschlüssels lesen und schreiben", nullptr, kChildren};
  return command;
}

}  // namespace orn::cli
