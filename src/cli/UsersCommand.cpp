// orncfg-cli users: the installation's users, and their export and import as delimited text.
#include <cstdio>
#include <string>

#include "cli/Json.h"
#include "cli/Report.h"
#include "cli/ServerRestart.h"
#include "cli/UsersDirectoryCommands.h"
#include "cli/Verbs.h"
#include "install/InstallPaths.h"
#include "install/MessageError.h"
#include "files/FilePaths.h"
#include "users/ConfigUsers.h"
#include "users/CsvTransfer.h"

namespace orn::cli {

namespace {

int List(const Args& args) {
  if (!args.empty()) return UsageError("Dieser Befehl nimmt keine Argumente.");
  ImportUserList users;
  try {
    users = ReadUsers(CurrentConfigPath().c_str());
  } catch (const MessageError& e) {
    return ReportFailure("Die Konfiguration konnte nicht geladen werden.", e.Text());
  }
  if (args.Has("--json")) {
    JsonWriter json;
    json.BeginArray();
    for (const ImportUser& user : users) {
      json.BeginObject().Field("name", user.name).Field("fullName", user.fullName).Key("addresses").BeginArray();
      for (const std::string& address : user.emails) json.String(address);
      json.EndArray().EndObject();
    }
    return PrintJson(json.EndArray());
  }
  for (const ImportUser& user : users) {
    std::string addresses;
    for (const std::string& address : user.emails) addresses += (addresses.empty() ? "" : ", ") + address;
    printf("%s\t%s\t%s\n", user.name.c_str(), user.fullName.c_str(), addresses.c_str());
  }
  return kExitOk;
}

int Export(const Args& args) {
  if (args.size() > 1) return UsageError(UnknownArgument(args[1]));
  char separator = ',';
  const bool rowPerAddress = args.Has("--row-per-address");
  if (const std::string* value = args.Value("--separator")) {
    if (*value == ",")
      separator = ',';
    else if (*value == ";")
      separator = ';';
    else if (*value == "tab")
      separator = '\t';
    else
      return UsageError("Als Trennzeichen sind ',', ';' und 'tab' möglich.");
  }
  if (args.empty()) return ReportFailure("Geben Sie bitte einen Dateipfad an.");
  const CsvExportResult result = ExportUsersToCsv({args[0], separator, rowPerAddress});
  if (!result.success) return ReportFailure(result.message);
  Say(result.message + " (" + std::to_string(result.users) + " Benutzer)\n");
  return kExitOk;
}

int Import(const Args& args) {
  if (args.size() != 1) return UsageError("Geben Sie den Pfad der CSV-Datei an.");
  const CsvImportResult result = ImportUsersFromCsv(args[0]);
  if (!result.success) return ReportFailure(result.message);
  Say(result.message + "\n");
  printf("Hinzugefügt: %zu\nBereits vorhanden: %zu\n", result.report.added, result.report.skipped);
  return kExitOk;
}

constexpr Option kListOptions[] = {{"--json"}};
constexpr Option kExportOptions[] = {{"--separator", ",|;|tab"}, {"--row-per-address"}};
constexpr Option kDirectoryOptions[] = {{"--select"}, {"--dry-run"}, {"--allow-partial"}};
constexpr Option kNetworkOptions[] = {{"--select"}, {"--dry-run"}, {"--allow-partial"}, kNoStartOption};

const Command kChildren[] = {
    {"list",
     "",
     "zeigt die Benutzer mit ihren E-Mail-Adressen (Name, voller Name, Adressen; durch TAB getrennt)",
     &List,
     {},
     "  --json  dieselben Angaben als ein JSON-Dokument",
     kListOptions,
     kAsksSettingsPassword},
    {"export",
     "FILE",
     "exportiert die Benutzer mit ihren E-Mail-Adressen in eine kommagetrennte Datei",
     &Export,
     {},
     "",
     kExportOptions,
     kAsksSettingsPassword},
    {"import",
     "FILE",
     "importiert Benutzer aus einer kommagetrennten Datei (Kopfzeile Name, FullName, E-Mail)",
     &Import,
     {},
     "  Vorhandene Benutzer (gleicher Name, Groß-/Kleinschreibung egal) werden übersprungen;\n"
     "  ORN! wird dafür nicht beendet.",
     {},
     kHoldsRunMutex | kAsksSettingsPassword},
    {"import-ldap",
     "SERVER",
     "importiert Kontakte und Personen von einem Verzeichnisdienst-Server (LDAP)",
     &ImportLdapUsers,
     {},
     "  SERVER: host[:port][/DN], oder ein DN ohne Server (Server aus ldap.conf bzw. DNS).\n"
     "  Anmeldung: ORN_LDAP_BINDDN und ORN_LDAP_PASSWORD_FILE, sonst anonym; ORN_LDAP_STARTTLS=yes.\n"
     "  --select   Benutzer am Terminal auswählen (Nummern oder Bereiche, z.B. 1-5,8)\n"
     "  --dry-run  nur zeigen, was hinzugefügt würde; nichts wird geschrieben\n"
     "  --allow-partial  auch importieren, wenn der Server das Lesen vorzeitig beendet hat\n"
     "                   (sonst Exit-Code 5, z.B. bei einer Größenbeschränkung des Servers)\n"
     "  Vorhandene Benutzer werden übersprungen; ORN! wird dafür nicht beendet.",
     kDirectoryOptions,
     kHoldsRunMutex | kAsksSettingsPassword},
    {"import-network",
     "[NAME]",
     "importiert Benutzerkonten einer Domäne oder dieses Computers",
     &ImportNetworkUsers,
     {},
     "  NAME: DNS-Domäne (x.y) oder Computername; ohne NAME USERDNSDOMAIN, USERDOMAIN oder \".\".\n"
     "  \".\" und der Name dieses Computers lesen die lokalen Benutzerkonten (ab UID_MIN).\n"
     "  --select   Benutzer am Terminal auswählen (Nummern oder Bereiche, z.B. 1-5,8)\n"
     "  --dry-run  nur zeigen, was hinzugefügt würde; nichts wird geschrieben\n"
     "  --allow-partial  auch importieren, wenn der Server das Lesen vorzeitig beendet hat (sonst Exit-Code 5)\n"
     "  ORN! wird dafür beendet (außer mit --dry-run) und danach wieder gestartet, außer mit --no-start.",
     kNetworkOptions,
     kHoldsRunMutex | kAsksSettingsPassword},
};

}  // namespace

const Command& UsersCommand() {
  static const Command command{"users", "", "Benutzer anzeigen, exportieren und importieren", nullptr, kChildren};
  return command;
}

}  // namespace orn::cli
