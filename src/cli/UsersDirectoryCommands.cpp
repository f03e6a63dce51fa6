#include "cli/UsersDirectoryCommands.h"

#include <cstdio>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "cli/ExitCodes.h"
#include "cli/Report.h"
#include "cli/ServerRestart.h"
#include "install/MessageError.h"
#include "install/ServerStop.h"
#include "users/DirectoryImport.h"
#include "users/DirectoryReader.h"
#include "users/DirectorySelection.h"

namespace orn::cli {

namespace {

constexpr int kSelectionAttempts = 3;

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

// What differs between the two imports around their shared sequence.
struct DirectoryImportKind {
  DirectorySource source;
  std::string (*entryText)(const ImportUser&);  // the entries that --select lists
  void (*stopServer)();                         // runs before the configuration changes
};

// Read, "Keine Benutzer verfügbar.", the choice on the terminal, dry run or import: the sequence of
// both directory imports, with the flags --select, --dry-run and --allow-partial. A read cut
// short fails with kExitDirectoryIncomplete unless --allow-partial is given.
int RunDirectoryImport(const Args& args, const DirectoryImportKind& kind, const std::function<DirectoryRead()>& read) {
  if (args.size() > 1) return UsageError(UnknownArgument(args[1]));
  const DirectoryReadResult result = ReadDirectoryUsers(read);
  using Outcome = DirectoryReadResult::Outcome;
  if (result.outcome == Outcome::kFailed || result.outcome == Outcome::kNoUsers) return ReportFailure(result.message);
  if (result.outcome == Outcome::kIncomplete) {
    if (!args.Has("--allow-partial")) {
      ReportFailure(result.message + "\nMit --allow-partial werden die gelesenen Benutzer importiert.");
      return kExitDirectoryIncomplete;
    }
    fprintf(stderr, "%s\nNur die gelesenen Benutzer werden importiert (--allow-partial).\n", result.message.c_str());
  }
  ImportUserList users = result.users;
  PrintUsers(users);
  if (args.Has("--select")) {
    std::optional<ImportUserList> kept = SelectOnTerminal(users, kind.entryText);
    if (!kept) return kExitFailure;
    users = std::move(*kept);
    if (users.Empty() && kind.source == DirectorySource::kNetwork) return ReportFailure("Keine Benutzer selektiert.");
  }
  if (args.Has("--dry-run")) return PrintPreview(users);

  const DirectoryImportResult imported = ImportDirectoryUsers(kind.source, users, kind.stopServer);
  // An import that stops the server starts it again, as the wizard does when it closes.
  const auto end = [&](int code) { return kind.stopServer ? StartServerAgain(args, code) : code; };
  if (!imported.success) return end(ReportFailure(imported.message));
  Say(imported.message + "\n");
  printf("Hinzugefügt: %zu\nBereits vorhanden: %zu\n", imported.report.added, imported.report.skipped);
  return end(kExitOk);
}

}  // namespace

int ImportLdapUsers(const Args& args) {
  if (args.empty()) return UsageError("Geben Sie den Verzeichnisdienst-Server an.");
  // The LDAP import writes the configuration without stopping the server, as its page does.
  return RunDirectoryImport(args, {DirectorySource::kLdap, &SelectorEntryText, nullptr},
                            [&] { return ReadLdapUsers(args[0]); });
}

int ImportNetworkUsers(const Args& args) {
  // The order of the readers is decided by the environment, as on the page; a name given here is
  // read in that order too.
  const NetworkSource source = DefaultNetworkSource();
  const std::string name = args.empty() ? source.name : args[0];
  return RunDirectoryImport(args, {DirectorySource::kNetwork, &NetworkEntryText, &StopServer},
                            [&] { return ReadNetworkUsers(name, source.winNTFirst); });
}

}  // namespace orn::cli
