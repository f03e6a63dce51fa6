// orncfg-cli backup, restore and verify: the configuration saved into an archive and put back.
#include <cctype>
#include <chrono>
#include <cstdlib>
#include <cstdint>
#include <cstdio>
#include <unistd.h>
#include <optional>
#include <string>

#include "backup/Backup.h"
#include "backup/Restore.h"
#include "cli/Options.h"
#include "cli/PasswordInput.h"
#include "cli/Report.h"
#include "cli/SettingsPassword.h"
#include "cli/Verbs.h"
#include "files/Progress.h"
#include "install/InstallPaths.h"
#include "install/MessageError.h"
#include "install/ProductKey.h"
#include "install/TaskValues.h"

namespace orn::cli {

namespace {

constexpr char kPasswordOption[] = "--password-file";
constexpr char kSettingsOption[] = "--settings-password-file";

// On a terminal, the files and bytes done so far on standard error, at most ten times a second.
class ProgressLine {
 public:
  ProgressLine() {
    if (!isatty(STDERR_FILENO)) return;
    active_ = true;
    SetFileProgressHook(&ProgressLine::OnFile);
  }
  ~ProgressLine() {
    if (!active_) return;
    SetFileProgressHook(nullptr);
    if (files_ > 0) {
      Print();
      fputc('\n', stderr);
    }
  }
  ProgressLine(const ProgressLine&) = delete;
  ProgressLine& operator=(const ProgressLine&) = delete;

 private:
  static void OnFile(uint64_t bytes) {
    ++files_;
    bytes_ += bytes;
    const auto now = std::chrono::steady_clock::now();
    if (now - shown_ < std::chrono::milliseconds(100)) return;
    shown_ = now;
    Print();
  }
  static void Print() {
    fprintf(stderr, "\r%llu Dateien, %.1f MB", static_cast<unsigned long long>(files_), bytes_ / 1048576.0);
    fflush(stderr);
  }
  bool active_ = false;
  static inline uint64_t files_ = 0, bytes_ = 0;
  static inline std::chrono::steady_clock::time_point shown_{};
};

// Takes the named flags out of the arguments, setting each one found.
Args TakeFlags(const Args& args, std::initializer_list<std::pair<const char*, bool*>> flags) {
  Args rest;
  for (const std::string& arg : args) {
    bool taken = false;
    for (const auto& [name, value] : flags)
      if (arg == name) taken = *value = true;
    if (!taken) rest.push_back(arg);
  }
  return rest;
}

// The archive password for a restore or a check, asked when the archive turns out encrypted.
class CliRestoreInteraction : public RestoreInteraction {
 public:
  explicit CliRestoreInteraction(const std::string* file) : file_(file) {}
  std::optional<std::string> AskArchivePassword() override {
    Secret password;
    std::string error;
    if (!ReadPassword({file_, "Die ausgewählte Datei ist mit einem Kennwort gesichert. Kennwort: "}, &password, &error)) {
      fprintf(stderr, "%s\n", error.c_str());
      return std::nullopt;
    }
    return password.Text();
  }
  void ShowMessage(const std::string& text) override { fprintf(stderr, "%s\n", text.c_str()); }

 private:
  const std::string* file_;
};

int Backup(const Args& args) {
  bool plain = false;
  Options options;
  std::string error;
  if (!ParseOptions(TakeFlags(args, {{"--plain", &plain}}), {"--output", "--threads", kPasswordOption, kSettingsOption},
                    &options, &error))
    return UsageError(error);
  if (!options.positional.empty()) return UsageError("Unbekannte Angabe: " + options.positional[0]);
  unsigned threads = 0;
  if (const std::string* text = options.Value("--threads")) {
    char* end = nullptr;
    const unsigned long value = strtoul(text->c_str(), &end, 10);
    if (text->empty() || *end != '\0' || value < 1 || value > 64 || !isdigit(static_cast<unsigned char>((*text)[0])))
      return UsageError("--threads erwartet eine Zahl von 1 bis 64: " + *text);
    threads = static_cast<unsigned>(value);
  }
  bool isProtected = false;
  if (!CheckSettingsPassword(options.Value(kSettingsOption), &isProtected, &error)) return ReportFailure(error);
  if (plain && !isProtected)
    return ReportFailure("Ohne Einstellungskennwort wird jede Sicherung verschlüsselt; --plain ist nicht möglich.");

  BackupRequest request;
  request.encrypt = !plain;
  request.threads = threads;
  if (const std::string* output = options.Value("--output")) {
    request.path = *output;
  } else {
    char install[kMaxPath];
    try {
      GetInstallDirectory(install, sizeof install);
    } catch (const MessageError&) {
      return ReportFailure("Es konnte keine ORN!-Installation gefunden werden.");
    }
    request.path = DefaultArchivePath(install);
  }
  Secret password;
  if (request.encrypt) {
    if (!ReadPassword({options.Value(kPasswordOption), "Kennwort: ", "Bestätigung: "}, &password, &error))
      return ReportFailure(error);
    request.password = request.confirm = password.Text();
  }
  BackupResult result;
  {
    ProgressLine progress;
    result = RunBackup(request);
  }
  if (!result.success) return ReportFailure(result.message);
  for (const std::string& entry : result.leftOut) fprintf(stderr, "Nicht gesichert: %s\n", entry.c_str());
  printf("%s\n", result.message.c_str());
  return kExitOk;
}

// The arguments of restore and verify: one archive and the two password files; the settings
// password checked. Returns an exit code to end with, or nothing to go on.
std::optional<int> ArchiveArguments(const Args& args, Options* options) {
  std::string error;
  if (!ParseOptions(args, {kPasswordOption, kSettingsOption}, options, &error)) return UsageError(error);
  if (options->positional.size() != 1) return UsageError("Geben Sie die Sicherungsdatei an.");
  bool isProtected = false;
  if (!CheckSettingsPassword(options->Value(kSettingsOption), &isProtected, &error)) return ReportFailure(error);
  return std::nullopt;
}

int Restore(const Args& args) {
  Options options;
  if (const std::optional<int> end = ArchiveArguments(args, &options)) return *end;
  CliRestoreInteraction interaction(options.Value(kPasswordOption));
  RestoreResult result;
  {
    ProgressLine progress;
    result = RunRestore(options.positional[0], interaction);
  }
  switch (result.outcome) {
    case RestoreOutcome::Restored:
      printf("%s", result.message.c_str());
      printf("ORN! bleibt beendet; 'orncfg-cli server start' startet es wieder.\n");
      return kExitOk;
    case RestoreOutcome::Cancelled:
      return ReportFailure("Die Wiederherstellung wurde abgebrochen.");
    default:
      return ReportFailure(result.message);
  }
}

int Verify(const Args& args) {
  Options options;
  if (const std::optional<int> end = ArchiveArguments(args, &options)) return *end;
  CliRestoreInteraction interaction(options.Value(kPasswordOption));
  const VerifyResult result = VerifyArchive(options.positional[0], interaction);
  if (result.outcome == RestoreOutcome::Cancelled) return ReportFailure("Die Prüfung wurde abgebrochen.");
  if (result.outcome != RestoreOutcome::Restored) return ReportFailure(result.message);
  const ArchiveContents& contents = result.contents;
  printf("%s\n", result.message.c_str());
  printf("Einträge (%zu):\n", contents.entries.size());
  for (const std::string& entry : contents.entries) printf("  %s\n", entry.c_str());
  if (contents.hasRegistrySnapshot) {
    printf("Dienste (reg.cfg):\n");
    for (size_t i = 0; i < contents.taskValues.size() && i < std::size(kTaskValueNames); ++i)
      printf("  %-13s %s\n", kTaskValueNames[i], contents.taskValues[i].c_str());
  } else {
    printf("Dienste: keine reg.cfg im Archiv\n");
  }
  printf("Benutzer: %zu\nE-Mail-Adressen: %zu\n", contents.users, contents.addresses);
  for (const std::string& line : contents.userLines) printf("  %s\n", line.c_str());
  return kExitOk;
}

constexpr char kPasswordDetails[] =
    "  Kennwörter werden aus der ersten Zeile einer Datei gelesen (--password-file F für das Archiv,\n"
    "  --settings-password-file F für das Einstellungskennwort; '-' für die Standardeingabe) oder am\n"
    "  Terminal ohne Anzeige abgefragt; nie von der Befehlszeile.";

}  // namespace

const Command& BackupCommand() {
  static const std::string details = std::string(
      "  Ohne --output entsteht orn_TTMMJJ.eff im Installationsverzeichnis. Eine unverschlüsselte\n"
      "  Sicherung (--plain) ist nur möglich, wenn die Einstellungen durch ein Kennwort geschützt sind.\n"
      "  ORN! läuft während der Sicherung weiter. --threads N packt mit N Threads (Vorgabe: einer je\n"
      "  Prozessor; das Archiv ist mit jeder Zahl dasselbe). Was nicht gesichert werden konnte (nicht\n"
      "  lesbar, Schleife über eine Verknüpfung), nennt eine Zeile \"Nicht gesichert: ...\" auf stderr.\n") +
      kPasswordDetails;
  static const Command command{
      "backup", "[--output PATH] [--plain] [--threads N] [--password-file F] [--settings-password-file F]",
      "sichert die vollständige Konfiguration in ein Archiv (.eff, mit --plain .zip)", &Backup, {}, details.c_str()};
  return command;
}

const Command& RestoreCommand() {
  static const std::string details =
      std::string("  Ersetzte Dateien werden in <Installationsverzeichnis>/backup/orncfg/TTMMJJ aufbewahrt.\n") +
      kPasswordDetails;
  static const Command command{
      "restore", "ARCHIVE [--password-file F] [--settings-password-file F]",
      "stellt eine gesicherte Konfiguration wieder her (beendet ORN!, legt Sicherheitskopien an)", &Restore, {},
      details.c_str()};
  return command;
}

const Command& VerifyCommand() {
  static const Command command{
      "verify", "ARCHIVE [--password-file F] [--settings-password-file F]",
      "prüft ein Archiv wie eine Wiederherstellung und zeigt seinen Inhalt; ändert nichts", &Verify, {},
      kPasswordDetails};
  return command;
}

}  // namespace orn::cli
