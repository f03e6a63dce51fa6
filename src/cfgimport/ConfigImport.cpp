#include "cfgimport/ConfigImport.h"

#include <string_view>
#include <unordered_set>

#include "install/FailureText.h"
#include "install/InstallPaths.h"
#include "install/MessageError.h"
#include "install/ServerStop.h"
#include "platform/AsciiCase.h"

namespace orn {

namespace {

constexpr const char* kNotAConfiguration =
    "Bei der ausgewählten Datei handelt es sich nicht um eine gültige ORN!-Konfigurationsdatei.";
constexpr const char* kWrongProductCode =
    "Die ausgewählte Konfigurationsdatei konnte mit der angegebenen Produkt-ID nicht geladen werden. "
    "Dadurch ist ein Import der Konfigurationsdaten nicht möglich.";
constexpr const char* kImported = "Die Konfigurationsdaten wurden erfolgreich importiert.";
constexpr const char* kImportFailed = "Die Konfigurationsdaten konnten nicht importiert werden.";
constexpr const char* kImportError = "Beim Importieren der Konfiguration ist ein Fehler aufgetreten.";

bool Printable(const char* text) {
  for (; text && *text; ++text) {
    const auto c = static_cast<unsigned char>(*text);
    if (!((c >= 0x20 && c <= 0x7F) || c == '\n' || c == '\r')) return false;
  }
  return true;
}

std::string Folded(const char* text) { return AsciiLower(text ? text : ""); }

// Sorts each entry of the source into added, replaced or kept, by the identity the merge uses
// (the text ignoring ASCII case); an entry the file holds twice counts once.
template <typename Entry, typename Key>
void Classify(const Entry* target, const Entry* source, Key key, bool overwrite, std::vector<std::string>& added,
              std::vector<std::string>& replaced, std::vector<std::string>& kept) {
  std::unordered_set<std::string> present, seen;
  for (; target; target = target->next) present.insert(Folded(key(target)));
  for (; source; source = source->next) {
    const std::string folded = Folded(key(source));
    if (!seen.insert(folded).second) continue;
    const char* text = key(source) ? key(source) : "";
    (present.count(folded) ? (overwrite ? replaced : kept) : added).push_back(text);
  }
}

ConfigImportReport Preview(const ConfigRecord* target, const ConfigRecord* source, const ConfigImportRequest& request) {
  ConfigImportReport report;
  if (request.selection.users && source->users)
    Classify<TILOCONF_user>(
        target->users ? target->users->users : nullptr, source->users->users,
        [](const TILOCONF_user* u) { return u->name; }, request.overwrite, report.usersAdded, report.usersReplaced,
        report.usersKept);
  if (request.selection.emailAddresses && source->mail)
    Classify<TILOCONF_emailaddress>(
        target->mail ? target->mail->addresses : nullptr, source->mail->addresses,
        [](const TILOCONF_emailaddress* a) { return a->address; }, request.overwrite, report.addressesAdded,
        report.addressesReplaced, report.addressesKept);
  return report;
}

}  // namespace

bool PasswordsReadable(const ConfigRecord* record) {
  if (!record) return true;
  if (record->users)
    for (const TILOCONF_user* user = record->users->users; user; user = user->next)
      if (!Printable(user->password)) return false;
  if (record->mail)
    for (const TILOCONF_mailaccount* account = record->mail->accounts; account; account = account->next)
      if (!Printable(account->password) || !Printable(account->password2)) return false;
  if (record->inet)
    for (const TILOCONF_provider* provider = record->inet->providers; provider; provider = provider->next)
      if (!Printable(provider->password)) return false;
  return true;
}

ConfigImportResult ImportConfiguration(const ConfigImportRequest& request, ProductCodePrompt& prompt) {
  ConfigImportResult result;
  try {
    if (!request.dryRun) (request.stopServer ? request.stopServer : StopServer)();

    ConfigHolder target(LoadCurrentConfig());
    ConfigHolder source(request.path.c_str());
    const ConfigRecord* loaded = source.Record();
    const bool noUsers = !loaded->users || !loaded->users->users;
    if ((!loaded->general || loaded->general->configured == 0) && noUsers) {
      result.outcome = ConfigImportOutcome::NotAConfiguration;
      result.message = kNotAConfiguration;
      return result;
    }

    if (!PasswordsReadable(source.Record())) {
      const std::optional<std::string> code = prompt.AskProductCode();
      if (!code) {
        result.outcome = ConfigImportOutcome::Cancelled;
        return result;
      }
      if (request.dryRun)
        source.LoadUnderProductCode(request.path.c_str(), code->c_str());
      else
        source.LoadWithProductCode(request.path.c_str(), code->c_str());
      if (!PasswordsReadable(source.Record())) {
        result.outcome = ConfigImportOutcome::WrongProductCode;
        result.message = kWrongProductCode;
        return result;
      }
    }

    result.report = Preview(target.Record(), source.Record(), request);
    target.Merge(source, request.selection, request.overwrite);
    target.CheckAndConvert();
    if (!request.dryRun) {
      target.Save(CurrentConfigPath().c_str(), true);
    }
    result.outcome = ConfigImportOutcome::Imported;
    result.message = kImported;
  } catch (const MessageError& e) {
    result = ConfigImportResult{ConfigImportOutcome::Failed, FailureText(kImportFailed, e.Text()), {}};
  } catch (...) {
    result = ConfigImportResult{ConfigImportOutcome::Failed, kImportError, {}};
  }
  return result;
}

}  // namespace orn
