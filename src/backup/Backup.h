// The backup: the configuration, the task values, the table files and the "arsp" folder of the
// installation packed into one archive, plain (".zip") or encrypted (".eff").
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace orn {

class Progress;

struct BackupRequest {
  std::string path;  // the target as given; its extension is replaced to match encrypt
  bool encrypt = true;
  std::string password;
  std::string confirm;
  unsigned threads = 0;          // threads that deflate; 0: one per processor
  Progress* progress = nullptr;  // where packing is reported; none: nowhere
};

struct BackupResult {
  bool success = false;
  std::string message;      // the text to show, success or failure
  std::string archivePath;  // the path written (or meant)
  std::string reason;       // the system's reason where message names none; may be empty
  // The entries a successful backup left out, each "<entry name>: <reason>" (the command line
  // shows them; the wizard stays silent).
  std::vector<std::string> leftOut;
};

// Runs the backup; the server keeps running. The target is replaced only by a complete archive.
// The working folder is gone afterwards, whatever the outcome.
BackupResult RunBackup(const BackupRequest& request);

// dir + "/" (only when dir is not empty) + name + ".eff" (kind 1) or ".zip" (kind 0).
std::string MakeArchivePath(const std::string& dir, const std::string& name, int kind);

// The local time formatted with strftime (at most 127 characters); empty when that fails.
std::string FormatLocalTime(int64_t time, const char* format);

// "<installDirectory>/orn_ddmmyy.eff" for today.
std::string DefaultArchivePath(const std::string& installDirectory);

}  // namespace orn
