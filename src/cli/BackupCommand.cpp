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
#include "backup/RestorePlan.h"
#include "backup/ScheduledBackup.h"
#include "cli/Json.h"
#include "cli/PasswordInput.h"
#include "cli/Report.h"
#include "cli/ServerRestart.h"
#include "cli/SettingsPassword.h"
#include "cli/Verbs.h"
#include "install/InstallPaths.h"
#include "install/MessageError.h"
#include "install/ProductKey.h"
#include "install/TaskValues.h"

namespace orn::cli {

namespace {

constexpr char kPasswordOption[] = "--password-file";

// On a terminal, the phase at work with the files and bytes done of its totals, on one line of
// standard error rewritten at most ten times a second ("Entpacken: 120/2000 Dateien, 1.2/19.5 MB");
// each phase takes the line over from the one before. Nothing without a terminal or with --quiet.
class ProgressLine : public Progress {
 public:
  ProgressLine() : shown_(!Quiet() && isatty(STDERR_FILENO)) {}
  ~ProgressLine() override { Break(); }
  ProgressLine(const ProgressLine&) = delete;
  ProgressLine& operator=(const ProgressLine&) = delete;

  bool WantsTotals() const override { return shown_; }
  void BeginPhase(ProgressPhase phase, const ProgressTotals& totals) override {
    if (!shown_) return;
    phase_ = phase;
    totals_ = totals;
    done_ = {};
    Print();
  }
  void FileDone(uint64_t bytes) override {
    if (!shown_) return;
    ++done_.files;
    done_.bytes += bytes;
    if (std::chrono::steady_clock::now() - printed_ >= std::chrono::milliseconds(100) || done_.files == totals_.files)
      Print();
  }
  // Ends the line, so that a message can follow on a line of its own.
  void Break() {
    if (!open_) return;
    fputc('\n', stderr);
    open_ = false;
  }

 private:
  static const char* PhaseText(ProgressPhase phase) {
    switch (phase) {
      case ProgressPhase::Packing:
        return "Packen";
      case ProgressPhase::Unpacking:
        return "Entpacken";
      case ProgressPhase::SafetyCopy:
        return "Sicherheitskopie";
      case ProgressPhase::CopyBack:
        break;
    }
    return "Zurückschreiben";
  }
  void Print() {
    fprintf(stderr, "\r%s: %llu/%llu Dateien, %.1f/%.1f MB\033[K", PhaseText(phase_),
            static_cast<unsigned long long>(done_.files), static_cast<unsigned long long>(totals_.files),
            done_.bytes / 1048576.0, totals_.bytes / 1048576.0);
    fflush(stderr);
    open_ = true;
    printed_ = std::chrono::steady_clock::now();
  }

  const bool shown_;
  bool open_ = false;  // a line is on the terminal without its line break
  ProgressPhase phase_ = ProgressPhase::Packing;
  ProgressTotals totals_, done_;
  std::chrono::steady_clock::time_point printed_{};
};

// The archive password for a restore or a check, asked when the archive turns out encrypted.
class CliRestoreInteraction : public RestoreInteraction {
 public:
  explicit CliRestoreInteraction(const std::string* file, ProgressLine* progress = nullptr)
      : file_(file), progress_(progress) {}
  std::optional<std::string> AskArchivePassword() override {
    Secret password;
    std::string error;
    if (!ReadPassword({file_, "Die ausgewählte Datei ist mit einem Kennwort gesichert. Kennwort: "}, &password,
                      &error)) {
      fprintf(stderr, "%s\n", error.c_str());
      return std::nullopt;
    }
    return password.Text();
  }
  void ShowMessage(const std::string& text) override {
    if (progress_) progress_->Break();
    fprintf(stderr, "%s\n", text.c_str());
  }

 private:
  const std::string* file_;
  ProgressLine* progress_;
};

int Backup(const Args& args) {
  if (!args.empty()) return UsageError(UnknownArgument(args[0]));
  const bool plain = args.Has("--plain");
  size_t keep = 0;
  if (const std::string* value = args.Value("--keep")) {
    char* end = nullptr;
    const unsigned long n = strtoul(value->c_str(), &end, 10);
    if (value->empty() || *end || n == 0 || (*value)[0] == '-')
      return UsageError("Geben Sie für --keep eine Anzahl ab 1 an.");
    keep = n;
  }
  std::string error;
  unsigned threads = 0;
  if (const std::string* text = args.Value("--threads")) {
    char* end = nullptr;
    const unsigned long value = strtoul(text->c_str(), &end, 10);
    if (text->empty() || *end != '\0' || value < 1 || value > 64 || !isdigit(static_cast<unsigned char>((*text)[0])))
      return UsageError("--threads erwartet eine Zahl von 1 bis 64.");
    threads = static_cast<unsigned>(value);
  }
  if (plain && !SettingsProtected())
    return ReportFailure("Ohne Einstellungskennwort wird jede Sicherung verschlüsselt; --plain ist nicht möglich.");

  BackupRequest request;
  request.encrypt = !plain;
  request.threads = threads;
  if (const std::string* output = args.Value("--output")) {
    request.path = *output;
  } else {
    try {
      request.path = DefaultArchivePath(InstallDirectory());
    } catch (const MessageError& e) {
      return ReportNoInstallation(e.Text());
    }
  }
  Secret password;
  if (request.encrypt) {
    if (!ReadPassword({args.Value(kPasswordOption), "Kennwort: ", "Bestätigung: "}, &password, &error))
      return ReportFailure(error);
    request.password = request.confirm = password.Text();
  }
  BackupResult result;
  {
    ProgressLine progress;
    request.progress = &progress;
    result = RunBackupKeeping(request, keep);
  }
  if (!result.success) return ReportFailure(result.message, result.reason);
  for (const std::string& entry : result.leftOut) fprintf(stderr, "Nicht gesichert: %s\n", entry.c_str());
  Say(result.message + "\n");
  return kExitOk;
}

// The arguments of restore and verify: one archive. Returns an exit code to end with, or nothing
// to go on.
std::optional<int> CheckArchiveArguments(const Args& args) {
  if (args.size() != 1) return UsageError("Geben Sie die Sicherungsdatei an.");
  return std::nullopt;
}

// The action as a column of twelve characters.
const char* ActionText(PlanAction action) {
  switch (action) {
    case PlanAction::Replace:
      return "ersetzt     ";
    case PlanAction::Add:
      return "hinzugefügt ";
    case PlanAction::Remove:
      return "entfällt    ";
    case PlanAction::Keep:
      break;
  }
  return "bleibt      ";
}

// The items that a restore changes, one line each; those it leaves only counted.
void PrintPlanPart(const char* heading, const std::vector<PlanItem>& items) {
  size_t kept = 0;
  printf("%s:\n", heading);
  for (const PlanItem& item : items) {
    if (item.action == PlanAction::Keep)
      ++kept;
    else
      printf("  %s%s\n", ActionText(item.action), item.name.c_str());
  }
  printf("  unverändert: %zu\n", kept);
}

int PrintRestorePlan(const std::string& archive, const RestorePlan& plan) {
  if (plan.outcome == RestoreOutcome::Cancelled) return ReportFailure("Die Prüfung wurde abgebrochen.");
  if (plan.outcome != RestoreOutcome::Restored) return ReportFailure(plan.message);
  printf("Probelauf: die Wiederherstellung von %s würde Folgendes ändern; nichts wird geschrieben.\n", archive.c_str());
  PrintPlanPart("Dateien", plan.files);
  PrintPlanPart("Dienste", plan.taskValues);
  PrintPlanPart("Benutzer", plan.users);
  return kExitOk;
}

int Restore(const Args& args) {
  if (const std::optional<int> end = CheckArchiveArguments(args)) return *end;
  if (args.Has("--dry-run")) {
    CliRestoreInteraction interaction(args.Value(kPasswordOption));
    return PrintRestorePlan(args[0], PlanRestore(args[0], interaction));
  }
  RestoreResult result;
  {
    ProgressLine progress;
    CliRestoreInteraction interaction(args.Value(kPasswordOption), &progress);
    result = RunRestore(args[0], interaction, progress);
  }
  int code = kExitOk;
  switch (result.outcome) {
    case RestoreOutcome::Restored:
      Say(result.message);
      Say("Die ersetzten Dateien liegen in " + result.safetyFolder + ".\n");
      if (result.incomplete) code = kExitRestoreIncomplete;
      break;
    case RestoreOutcome::Cancelled:
      code = ReportFailure("Die Wiederherstellung wurde abgebrochen.");
      break;
    default:
      code = ReportFailure(result.message, result.reason);
  }
  return StartServerAgain(args, code);
}

void PrintContentsJson(const std::string& archive, const ArchiveContents& contents) {
  JsonWriter json;
  json.BeginObject().Field("archive", archive);
  json.Key("entries").BeginArray();
  for (const std::string& entry : contents.entries) json.String(entry);
  json.EndArray().Key("taskValues");
  if (contents.hasRegistrySnapshot) {
    json.BeginObject();
    for (size_t i = 0; i < contents.taskValues.size() && i < std::size(kTaskValueNames); ++i)
      json.Field(kTaskValueNames[i], contents.taskValues[i]);
    json.EndObject();
  } else {
    json.Null();
  }
  json.Field("users", uint64_t{contents.users}).Field("addresses", uint64_t{contents.addresses});
  json.Key("userLines").BeginArray();
  for (const std::string& line : contents.userLines) json.String(line);
  PrintJson(json.EndArray().EndObject());
}

int Verify(const Args& args) {
  if (const std::optional<int> end = CheckArchiveArguments(args)) return *end;
  CliRestoreInteraction interaction(args.Value(kPasswordOption));
  const VerifyResult result = VerifyArchive(args[0], interaction);
  if (result.outcome == RestoreOutcome::Cancelled) return ReportFailure("Die Prüfung wurde abgebrochen.");
  if (result.outcome != RestoreOutcome::Restored) return ReportFailure(result.message);
  const ArchiveContents& contents = result.contents;
  if (args.Has("--json")) {
    PrintContentsJson(args[0], contents);
    return kExitOk;
  }
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

constexpr Option kArchivePasswordOption = {kPasswordOption, "F"};
constexpr Option kBackupOptions[] = {
    {"--output", "PFAD"}, {"--keep", "N"}, {"--plain"}, {"--threads", "N"}, kArchivePasswordOption};
constexpr Option kRestoreOptions[] = {kArchivePasswordOption, {"--dry-run"}, kNoStartOption};
constexpr Option kVerifyOptions[] = {kArchivePasswordOption, {"--json"}};

const Command& BackupCommand() {
  static const std::string details =
      std::string(
          "  Ohne --output entsteht orn_TTMMJJ.eff im Installationsverzeichnis; ist PFAD ein vorhandenes\n"
          "  Verzeichnis, entsteht orn_TTMMJJ.eff darin. --keep N löscht danach in diesem Verzeichnis die\n"
          "  älteren orn_*.eff und orn_*.zip, bis N Sicherungen bleiben (die neue eingeschlossen). Eine "
          "unverschlüsselte\n"
          "  Sicherung (--plain) ist nur möglich, wenn die Einstellungen durch ein Kennwort geschützt sind.\n"
          "  ORN! läuft während der Sicherung weiter. --threads N packt mit N Threads (Vorgabe: einer je\n"
          "  Prozessor; das Archiv ist mit jeder Zahl dasselbe). Was nicht gesichert werden konnte (nicht\n"
          "  lesbar, Schleife über eine Verknüpfung), nennt eine Zeile \"Nicht gesichert: ...\" auf stderr.\n") +
      kPasswordDetails;
  static const Command command{"backup",
                               "",
                               "sichert die vollständige Konfiguration in ein Archiv (.eff, mit --plain .zip)",
                               &Backup,
                               {},
                               details.c_str(),
                               kBackupOptions,
                               kHoldsRunMutex | kAsksSettingsPassword};
  return command;
}

const Command& RestoreCommand() {
  static const std::string details =
      std::string(
          "  Ersetzte Dateien werden in <Installationsverzeichnis>/backup/orncfg/TTMMJJ aufbewahrt.\n"
          "  Danach wird ORN! wieder gestartet, außer mit --no-start. --dry-run zeigt nur, welche Dateien,\n"
          "  Dienste und Benutzer ersetzt, hinzugefügt oder belassen würden, und ändert nichts.\n"
          "  Exit-Code 4: eine Datei oder das Verzeichnis arsp konnte nicht zurückgeschrieben werden.\n") +
      kPasswordDetails;
  static const Command command{
      "restore",
      "ARCHIVE",
      "stellt eine gesicherte Konfiguration wieder her (beendet ORN!, legt Sicherheitskopien an)",
      &Restore,
      {},
      details.c_str(),
      kRestoreOptions,
      kHoldsRunMutex | kAsksSettingsPassword};
  return command;
}

const Command& VerifyCommand() {
  static const Command command{"verify",
                               "ARCHIVE",
                               "prüft ein Archiv wie eine Wiederherstellung und zeigt seinen Inhalt; ändert nichts",
                               &Verify,
                               {},
                               kPasswordDetails,
                               kVerifyOptions,
                               kAsksSettingsPassword};
  return command;
}

}  // namespace orn::cli
