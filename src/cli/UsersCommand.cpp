// orncfg-cli users: the installation's users, and their export and import as delimited text.
#include <cstdio>
#include <string>

#include "cli/Report.h"
#include "cli/UsersDirectoryCommands.h"
#include "cli/Verbs.h"
#include "install/InstallPaths.h"
#include "install/MessageError.h"
#include "install/ProductKey.h"
#include "users/ConfigUsers.h"
#include "users/CsvTransfer.h"

namespace orn::cli {

namespace {

std::string CurrentConfigPath() {
  char path[kMaxPath];
  if (GetCurrentConfigPath(path, sizeof path) == -1) throw MessageError("GetCurrentConfigPath() failed");
  return path;
}

int List(const Args& args) {
  if (!args.empty()) return UsageError("Dieser Befehl nimmt keine Argumente.");
  ImportUserList users;
  try {
    users = ReadUsers(CurrentConfigPath().c_str());
  } catch (const MessageError& e) {
    return ReportFailure("Die Konfiguration konnte nicht geladen werden.", e.Text());
  }
  for (const ImportUser& user : users) {
    std::string addresses;
    for (const std::string& address : user.emails) addresses += (addresses.empty() ? "" : ", ") + address;
    printf("%s\t%s\t%s\n", user.name.c_str(), user.fullName.c_str(), addresses.c_str());
  }
  return kExitOk;
}

int Export(const Args& args) {
  std::string path;
  char separator = ',';
  bool rowPerAddress = false;
  for (size_t i = 0; i < args.size(); ++i) {
    if (args[i] == "--row-per-address") {
      rowPerAddress = true;
    } else if (args[i] == "--separator" && i + 1 < args.size()) {
      const std::string& value = args[++i];
      if (value == ",") separator = ',';
      else if (value == ";") separator = ';';
      else if (value == "tab") separator = '\t';
      else return UsageError("Als Trennzeichen sind ',', ';' und 'tab' möglich.");
    } else if (path.empty() && !args[i].empty() && args[i][0] != '-') {
      path = args[i];
    } else {
      return UsageError("Unbekannte Angabe: " + args[i]);
    }
  }
  const CsvExportResult result = ExportUsersToCsv({path, separator, rowPerAddress});
  if (!result.success) return ReportFailure(result.message);
  printf("%s (%zu Benutzer)\n", result.message.c_str(), result.users);
  return kExitOk;
}

int Import(const Args& args) {
  if (args.size() != 1) return UsageError("Geben Sie den Pfad der CSV-Datei an.");
  const CsvImportResult result = ImportUsersFromCsv(args[0]);
  if (!result.success) return ReportFailure(result.message);
  printf("%s\n", result.message.c_str());
  printf("Hinzugefügt: %zu\nBereits vorhanden: %zu\n", result.report.added, result.report.skipped);
  return kExitOk;
}

const Command kChildren[] = {
    {"list", "", "zeigt die Benutzer mit ihren E-Mail-Adressen (Name, voller Name, Adressen; durch TAB getrennt)",
     &List, {}},
    {"export", "FILE [--separator ,|;|tab] [--row-per-address]",
     "exportiert die Benutzer mit ihren E-Mail-Adressen in eine kommagetrennte Datei", &Export, {}},
    {"import", "FILE", "importiert Benutzer aus einer kommagetrennten Datei (Kopfzeile Name, FullName, E-Mail)",
     &Import, {},
     "  Vorhandene Benutzer (gleicher Name, Groß-/Kleinschreibung egal) werden übersprungen;\n"
     "  ORN! wird dafür nicht beendet."},
    {"import-ldap", "SERVER [--select] [--dry-run] [--allow-partial]",
     "importiert Kontakte und Personen von einem Verzeichnisdienst-Server (LDAP)", &ImportLdapUsers, {},
     "  SERVER: host[:port][/DN], oder ein DN ohne Server (Server aus ldap.conf bzw. DNS).\n"
     "  Anmeldung: ORN_LDAP_BINDDN und ORN_LDAP_PASSWORD_FILE, sonst anonym; ORN_LDAP_STARTTLS=yes.\n"
     "  --select   Benutzer am Terminal auswählen (Nummern oder Bereiche, z.B. 1-5,8)\n"
     "  --dry-run  nur zeigen, was hinzugefügt würde; nichts wird geschrieben\n"
     "  --allow-partial  auch importieren, wenn der Server das Lesen vorzeitig beendet hat\n"
     "                   (sonst Exit-Code 5, z.B. bei einer Größenbeschränkung des Servers)\n"
     "  Vorhandene Benutzer werden übersprungen; ORN! wird dafür nicht beendet."},
    {"import-network", "[NAME] [--select] [--dry-run] [--allow-partial]",
     "importiert Benutzerkonten einer Domäne oder dieses Computers", &ImportNetworkUsers, {},
     "  NAME: DNS-Domäne (x.y) oder Computername; ohne NAME USERDNSDOMAIN, USERDOMAIN oder \".\".\n"
     "  \".\" und der Name dieses Computers lesen die lokalen Benutzerkonten (ab UID_MIN).\n"
     "  --select   Benutzer am Terminal auswählen (Nummern oder Bereiche, z.B. 1-5,8)\n"
     "  --dry-run  nur zeigen, was hinzugefügt würde; nichts wird geschrieben\n"
     "  --allow-partial  auch importieren, wenn der Server das Lesen vorzeitig beendet hat (sonst Exit-Code 5)\n"
     "  ORN! wird dafür beendet (außer mit --dry-run) und erst mit 'orncfg-cli server start' wieder gestartet."},
};

}  // namespace

const Command& UsersCommand() {
  static const Command command{"users", "", "Benutzer anzeigen, exportieren und importieren", nullptr, kChildren};
  return command;
}

}  // namespace orn::cli
