// Importing users, e-mail addresses and the other parts of another installation's configuration
// file into the installed configuration.
#pragma once

#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "config/ConfigHolder.h"

namespace orn {

// True when every stored password of the record is printable: each user's password, both passwords
// of each mail account, and each provider's password. Printable: every byte 0x20 to 0x7F, LF or
// CR; an empty text is printable.
bool PasswordsReadable(const ConfigRecord* record);

// Asked for the product identification code of the installation that wrote the file, when its
// passwords cannot be read otherwise. Returns the code, or nothing when the user cancels.
class ProductCodePrompt {
 public:
  virtual ~ProductCodePrompt() = default;
  virtual std::optional<std::string> AskProductCode() = 0;
};

struct ConfigImportRequest {
  std::string path;           // the configuration file to import
  ImportSelection selection;  // e-mail addresses wanted, users wanted
  bool overwrite = false;     // replace entries present on both sides
  bool dryRun = false;        // merge and check in memory only: no stop, no save
  // Stops the running server; the page wraps it in its wait cursor. Default: StopServer.
  std::function<void()> stopServer;
};

// What an import adds, replaces or keeps (names and addresses as the file holds them).
struct ConfigImportReport {
  std::vector<std::string> usersAdded, usersReplaced, usersKept;
  std::vector<std::string> addressesAdded, addressesReplaced, addressesKept;
};

enum class ConfigImportOutcome {
  Imported,           // merged, checked and (without dry run) saved
  NotAConfiguration,  // the file holds no configuration: back to the action page
  WrongProductCode,   // the code given does not open the passwords: the wizard ends
  Cancelled,          // the product code was not given: the wizard ends without a message
  Failed,             // a step failed: the wizard stays on its page
};

struct ConfigImportResult {
  ConfigImportOutcome outcome = ConfigImportOutcome::Failed;
  std::string message;  // the text to show; empty for Cancelled
  ConfigImportReport report;
};

// Runs the import: stop the server, load both configurations, ask for the product code when the
// file's passwords cannot be read, merge, check and save the installed configuration. A failure
// before the save leaves the installed file unchanged.
ConfigImportResult ImportConfiguration(const ConfigImportRequest& request, ProductCodePrompt& prompt);

}  // namespace orn
