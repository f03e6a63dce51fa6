#include "cli/UsersDirectoryCommands.h"

#include <cstdio>
#include <new>
#include <optional>
#include <string>
#include <vector>

#include "cli/Report.h"
#include "cli/ServerRestart.h"
#include "install/MessageError.h"
#include "install/ServerStop.h"
#include "users/DirectoryImport.h"
#include "users/DirectoryReader.h"
#include "users/DirectorySelection.h"

namespace orn::cli {

namespace {

constexpr const char* kReadFailed = "Die Benutzerdaten konnten nicht importiert werden.\n";
constexpr int kSelectionAttempts = 3;

// The server or domain name: the one positional argument.
std::optional<int> TakeName(const Args& args, std::string* name) {
  if (args.size() > 1) return UsageError(UnknownArgument(args[1]));
  if (!args.empty()) *name = args[0];
  return std::nullopt;
}

// The failure of a read, with the module's explanation of a failed connection.
int ReadFailure(const MessageError& e) {
  ReportFailure(kReadFailed, e.Text());
  if (!LastDirectoryFailureDetail().empty()) fprintf(stderr, "Details: %s\n", LastDirectoryFailureDetail().c_str());
  return kExitFailure;
}

void PrintUsers(const ImportUserList& users) {
  printf("Gefundene Benutzer: %zu\n", users.Count());
  for (size_t i = 0; i < users.Count(); ++i) {
    const ImportUser& user = users[i];
    printf("%5zu  %s\t%s\t%s\n", i + 1, user.name.c_str(), user.fullName.c_str(),
           user.emails.empty() ? "" : user.emails.front().c_str());
  }
}

// Asks on the terminal which of the listed users to keep; the others are removed as the page
// removes its deselected entries. Null when there is no terminal or no valid answer.
std::optional<ImportUserList> SelectOnTerminal(const ImportUserList& users,
                                               std::string (*entryText)(const ImportUser&)) {
  FILE* tty = fopen("/dev/tty", "r+e");
  if (!tty) {
    ReportFailure("Für --select wird ein Terminal benötigt.");
    return std::nullopt;
  }
  std::optional<std::vector<bool>> selected;
  for (int attempt = 0; attempt < kSelectionAttempts && !selected; ++attempt) {
    fputs(
        "Wählen Sie die Benutzer aus, die importiert werden sollen (Nummern oder Bereiche, z.B. 1-5,8; "
        "\"alle\" für alle): ",
        tty);
    fflush(tty);
    char line[4096];
    if (!fgets(line, sizeof line, tty)) break;
    selected = ParseUserSelection(line, users.Count());
    if (!selected) fputs("Ungültige Auswahl.\n", tty);
  }
  fclose(tty);
  if (!selected) {
    ReportFailure("Der Import wurde abgebrochen: keine gültige Auswahl.");
    return std::nullopt;
  }
  std::vector<std::string> deselected;
  for (size_t i = 0; i < users.Count(); ++i)
    if (!(*selected)[i]) deselected.push_back(entryText(users[i]));
  return RemoveDeselectedUsers(users, deselected, entryText);
}

int PrintPreview(const ImportUserList& users) {
  DirectoryImportPreview preview;
  try {
    preview = PreviewDirectoryUsers(users);
  } catch (const MessageError& e) {
    return ReportFailure("Die Benutzer konnten nicht importiert werden.", e.Text());
  }
  printf("Probelauf: die installierte Konfiguration bleibt unverändert.\n");
  printf("Würden hinzugefügt: %zu\n", preview.added.size());
  for (const std::string& name : preview.added) printf("  %s\n", name.empty() ? "\"\"" : name.c_str());
  printf("Bereits vorhanden: %zu\n", preview.skipped);
  return kExitOk;
}

}  // namespace

int ImportLdapUsers(const Args& args) {
  std::string name;
  if (const std::optional<int> end = TakeName(args, &name)) return *end;
  if (args.empty()) return UsageError("Geben Sie den Verzeichnisdienst-Server an.");

  ImportUserList users;
  try {
    users = ReadLdapUsers(name);
  } catch (const MessageError& e) {
    return ReadFailure(e);
  } catch (const std::bad_alloc&) {
    return ReportFailure("Die Benutzerdaten konnten nicht importiert werden.");
  }
  if (users.Empty()) return ReportFailure("Keine Benutzer verfügbar.");
  PrintUsers(users);
  if (args.Has("--select")) {
    std::optional<ImportUserList> kept = SelectOnTerminal(users, &SelectorEntryText);
    if (!kept) return kExitFailure;
    users = std::move(*kept);
  }
  if (args.Has("--dry-run")) return PrintPreview(users);

  // The LDAP import writes the configuration without stopping the server, as its page does.
  AddUsersReport report;
  try {
    AddDirectoryUsers(users, nullptr, &report);
  } catch (const MessageError& e) {
    fprintf(stderr, "Die Benutzerdaten konnten nicht importiert werden.\n\nFehlermeldung; %s\n", e.Text());
    return kExitFailure;
  }
  Say("Die Benutzerdaten wurden erfolgreich importiert.\n");
  printf("Hinzugefügt: %zu\nBereits vorhanden: %zu\n", report.added, report.skipped);
  return kExitOk;
}

int ImportNetworkUsers(const Args& args) {
  std::string name;
  if (const std::optional<int> end = TakeName(args, &name)) return *end;
  // The order of the readers is decided by the environment, as on the page; a name given here is
  // read in that order too.
  const NetworkSource source = DefaultNetworkSource();
  if (args.empty()) name = source.name;

  ImportUserList users;
  try {
    users = ReadNetworkUsers(name, source.winNTFirst);
  } catch (const MessageError& e) {
    return ReadFailure(e);
  } catch (const std::bad_alloc&) {
    return ReportFailure("Die Benutzerdaten konnten nicht importiert werden.");
  }
  if (users.Empty()) return ReportFailure("Keine Benutzer verfügbar.");
  PrintUsers(users);
  if (args.Has("--select")) {
    std::optional<ImportUserList> kept = SelectOnTerminal(users, &NetworkEntryText);
    if (!kept) return kExitFailure;
    users = std::move(*kept);
    if (users.Empty()) return ReportFailure("Keine Benutzer selektiert.");
  }
  if (args.Has("--dry-run")) return PrintPreview(users);

  AddUsersReport report;
  try {
    AddDirectoryUsers(users, &StopServer, &report);
  } catch (const MessageError& e) {
    return StartServerAgain(args, ReportFailure(kReadFailed, e.Text()));
  }
  Say("Die Benutzer wurden erfolgreich importiert.\n");
  printf("Hinzugefügt: %zu\nBereits vorhanden: %zu\n", report.added, report.skipped);
  return StartServerAgain(args, kExitOk);
}

}  // namespace orn::cli
