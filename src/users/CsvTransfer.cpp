#include "users/CsvTransfer.h"

#include <exception>
#include <functional>

#include "install/FailureText.h"
#include "install/InstallPaths.h"
#include "install/MessageError.h"
#include "install/ProductKey.h"
#include "platform/FileAttributes.h"
#include "users/CSVUserExporter.h"
#include "users/CSVUserImporter.h"

namespace orn {

namespace {

// Runs step; on a failure *message becomes the sentence, with "\nFehlermeldung: <text>" when the
// failure carries a text.
bool Step(const char* sentence, std::string* message, const std::function<void()>& step) {
  try {
    step();
    return true;
  } catch (const MessageError& error) {
    *message = FailureText(sentence, error.Text());
  } catch (...) {
    *message = sentence;
  }
  return false;
}

}  // namespace

CsvExportResult ExportUsersToCsv(const CsvExportRequest& request) {
  CsvExportResult result;
  if (request.path.empty()) {
    result.message = "Geben Sie bitte einen Dateipfad an.";
    return result;
  }
  ImportUserList users;
  if (!Step("Die Konfiguration konnte nicht geladen werden.", &result.message,
            [&] { users = ReadUsers(CurrentConfigPath().c_str()); }) ||
      !Step("Die Benutzer konnten nicht geschrieben werden.", &result.message,
            [&] { CCSVUserExporter(request.path, request.separator, request.oneAddressPerRow).Export(users); }))
    return result;
  result.success = true;
  result.users = users.Count();
  result.message = "Der Export wurde erfolgreich abgeschlossen.";
  return result;
}

CsvImportResult ImportUsersFromCsv(const std::string& path) {
  CsvImportResult result;
  if (path.empty() || platform::FileAttributes(path) == platform::kInvalidAttributes) {
    result.message = "Geben Sie bitte einen gültigen Dateipfad an.";
    return result;
  }
  ImportUserList users;
  if (!Step("Die Benutzer konnten nicht gelesen werden.", &result.message,
            [&] { users = CCSVUserImporter(path).Import(); }) ||
      !Step("Die Benutzer konnten nicht importiert werden.", &result.message,
            [&] { AddUsers(CurrentConfigPath().c_str(), users, &result.report); }))
    return result;
  result.success = true;
  result.message = "Das Importieren der Benutzer war erfolgreich.";
  return result;
}

}  // namespace orn
