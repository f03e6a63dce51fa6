#include "backup/RestorePlan.h"

#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <set>

#include "backup/BackupTable.h"
#include "backup/RegistrySnapshot.h"
#include "install/FailureText.h"
#include "install/InstallPaths.h"
#include "install/MessageError.h"
#include "install/ProductKey.h"
#include "install/RegistryKey.h"
#include "install/TaskValues.h"
#include "users/ConfigUsers.h"

namespace orn {

namespace {

namespace fs = std::filesystem;

// The contents of a regular file, or nothing when there is none.
std::optional<std::string> Contents(const fs::path& path) {
  std::error_code error;
  if (!fs::is_regular_file(path, error)) return std::nullopt;
  std::ifstream in(path, std::ios::binary);
  if (!in) return std::nullopt;
  return std::string(std::istreambuf_iterator<char>(in), {});
}

PlanAction Compare(const std::optional<std::string>& archived, const std::optional<std::string>& installed) {
  if (!archived) return PlanAction::Keep;
  if (!installed) return PlanAction::Add;
  return *archived == *installed ? PlanAction::Keep : PlanAction::Replace;
}

// Every regular file below root/folder, as "folder/a/b" paths.
std::set<std::string> FilesBelow(const fs::path& root, const std::string& folder) {
  std::set<std::string> files;
  std::error_code error;
  for (fs::recursive_directory_iterator it(root / folder, error), end; !error && it != end; it.increment(error))
    if (it->is_regular_file(error)) files.insert(fs::relative(it->path(), root, error).string());
  return files;
}

std::vector<PlanItem> PlanFiles(const fs::path& archive, const fs::path& install) {
  std::vector<PlanItem> items{{"orn.cfg", PlanAction::Replace}};
  std::set<std::string> names(std::begin(kBackupFiles), std::end(kBackupFiles));
  names.merge(FilesBelow(archive, kArchiveFolder));
  names.merge(FilesBelow(install, kArchiveFolder));
  for (const std::string& name : names)
    items.push_back({name, Compare(Contents(archive / name), Contents(install / name))});
  return items;
}

std::vector<PlanItem> PlanTaskValues(const std::string& archive) {
  const std::vector<std::string> archived = ReadRegistrySnapshotLines(archive);
  RegistryKey key;
  const bool opened = key.Open(RegistryRoot::LocalMachine, ProductKey(), kKeyRead);
  std::vector<PlanItem> items;
  for (size_t i = 0; i < std::size(kTaskValueNames); ++i) {
    std::string value;
    std::optional<std::string> installed;
    if (opened && key.GetString(kTaskValueNames[i], value)) installed = value;
    items.push_back(
        {kTaskValueNames[i], Compare(i < archived.size() ? std::optional(archived[i]) : std::nullopt, installed)});
  }
  return items;
}

// name -> "full name\taddresses" of every user of a configuration.
std::map<std::string, std::string> UserLines(const std::string& configPath) {
  std::map<std::string, std::string> lines;
  for (const ImportUser& user : ReadUsers(configPath.c_str())) {
    std::string line = user.fullName;
    for (const std::string& address : user.emails) line += "\t" + address;
    lines[user.name] = line;
  }
  return lines;
}

std::vector<PlanItem> PlanUsers(const std::string& archivedConfig, const std::string& installedConfig) {
  const std::map<std::string, std::string> archived = UserLines(archivedConfig);
  const std::map<std::string, std::string> installed = UserLines(installedConfig);
  std::vector<PlanItem> items;
  for (const auto& [name, line] : archived) {
    const auto it = installed.find(name);
    items.push_back({name, Compare(line, it == installed.end() ? std::nullopt : std::optional(it->second))});
  }
  for (const auto& [name, line] : installed)
    if (!archived.count(name)) items.push_back({name, PlanAction::Remove});
  return items;
}

}  // namespace

RestorePlan PlanRestore(const std::string& archivePath, RestoreInteraction& interaction) {
  RestorePlan plan;
  std::string install, config;
  try {
    install = InstallDirectory();
    config = CurrentConfigPath();
  } catch (const MessageError&) {
    plan.message = kNoInstallation;
    return plan;
  }
  std::string failure;
  const VerifyResult checked = VerifyArchive(archivePath, interaction, [&](const std::string& folder) {
    try {
      plan.files = PlanFiles(folder, install);
      plan.taskValues = PlanTaskValues(folder);
      plan.users = PlanUsers(folder + "/orn.cfg", config);
    } catch (const MessageError& e) {
      failure = FailureText("Die Konfiguration konnte nicht geladen werden.", e.Text());
    }
  });
  plan.outcome = checked.outcome;
  plan.message = checked.message;
  if (checked.outcome == RestoreOutcome::Restored && !failure.empty()) {
    plan.outcome = RestoreOutcome::Failed;
    plan.message = failure;
  }
  return plan;
}

}  // namespace orn
