// The CSV export and import as one call each, so that the page and the command line read their
// controls or options, call one of these and show the message it returns.
#pragma once

#include <cstddef>
#include <string>

#include "users/ConfigUsers.h"

namespace orn {

struct CsvExportRequest {
  std::string path;
  char separator = ',';
  bool oneAddressPerRow = false;
};

struct CsvExportResult {
  bool success = false;
  std::string message;  // the text to show, success or failure
  size_t users = 0;     // the users written
};

// Writes the installed configuration's users into the file. Failures: "Geben Sie bitte einen
// Dateipfad an." (no path), "Die Konfiguration konnte nicht geladen werden." and "Die Benutzer
// konnten nicht geschrieben werden.", each with "\nFehlermeldung: <text>" when the failure has one.
CsvExportResult ExportUsersToCsv(const CsvExportRequest& request);

struct CsvImportResult {
  bool success = false;
  std::string message;
  AddUsersReport report;
};

// Adds the users of the file to the installed configuration (the server keeps running).
// Failures: "Geben Sie bitte einen gültigen Dateipfad an." (no path, or nothing there), "Die
// Benutzer konnten nicht gelesen werden." and "Die Benutzer konnten nicht importiert werden.",
// with the failure's text as above.
CsvImportResult ImportUsersFromCsv(const std::string& path);

}  // namespace orn
