#include "config/ConfigHolder.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <unistd.h>

#include "install/InstallPaths.h"
#include "install/MessageError.h"
#include "install/ProductKey.h"
#include "install/RegistryKey.h"
#include "oskasys/oskasys.h"
#include "platform/RuntimeDir.h"

namespace orn {

namespace {

constexpr const char* kNotInitialized = "config not initialized";
constexpr const char* kLoadFailed = "Fehler beim Laden der Konfiguration";
constexpr const char* kTempPathFailed = "GetTempFilepath() failed";
constexpr const char* kRegistryNotWritten = "Die Registry konnte nicht beschrieben werden.";

bool Failed(uint16_t result) { return result > 1; }

// Deletes a temporary file when it goes out of scope.
class TempFile {
 public:
  explicit TempFile(const char* path) : path_(path) {}
  ~TempFile() { unlink(path_); }
  TempFile(const TempFile&) = delete;
  TempFile& operator=(const TempFile&) = delete;

 private:
  const char* path_;
};

// Releases the user list of a record and leaves an empty one.
void EmptyUserList(ConfigRecord* record) {
  if (!record->users || !record->users->users) return;
  ConfigRecord part{};
  part.users = static_cast<TILOCONF_userpart*>(calloc(1, sizeof(TILOCONF_userpart)));
  if (!part.users) throw MessageError("out of memory");
  part.users->users = record->users->users;
  record->users->users = nullptr;
  TILOCONF_varfree(&part);
}

// Releases the mail part of a record and sets its field to null.
void RemoveMailPart(ConfigRecord* record) {
  ConfigRecord part{};
  part.mail = record->mail;
  record->mail = nullptr;
  TILOCONF_varfree(&part);
}

}  // namespace

void FreeConfigRecord(ConfigRecord* record) {
  if (!record) return;
  TILOCONF_varfree(record);
  delete record;
}

ConfigHolder::ConfigHolder(bool owns) : owns_(owns), tempDirectory_(platform::TempDirectory()) { pwcrypt_init(); }

ConfigHolder::ConfigHolder(const char* path) : ConfigHolder(true) { Load(path); }

ConfigHolder::ConfigHolder(ConfigRecord* record) : ConfigHolder(true) { record_ = record; }

ConfigHolder::~ConfigHolder() { FreeRecord(); }

void ConfigHolder::FreeRecord() {
  if (owns_) FreeConfigRecord(record_);
  record_ = nullptr;
}

void ConfigHolder::SetRecord(ConfigRecord* record) {
  if (record == record_) return;
  FreeRecord();
  record_ = record;
}

ConfigRecord* ConfigHolder::Release() {
  ConfigRecord* record = record_;
  record_ = nullptr;
  return record;
}

void ConfigHolder::Load(const char* path) {
  // A record this holder does not own belongs to someone else and is only let go.
  FreeRecord();
  record_ = new ConfigRecord{};
  if (Failed(TILOCONF_varload(path, record_))) throw MessageError(kLoadFailed);
}

void ConfigHolder::Save(const char* path, bool withPasswords) {
  if (!record_) throw MessageError(kNotInitialized);
  if (withPasswords)
    pwcrypt_init();
  else
    config_set_pwfuncs(nullptr, nullptr);
  if (Failed(TILOCONF_varsave(path, record_))) throw MessageError(kLoadFailed);
}

int ConfigHolder::GetTempFilepath(char* buffer, size_t size, const char* prefix) const {
  if (!buffer || size < tempDirectory_.size() + 40) return -1;
  int32_t now = 0;
  __time(&now);
  int n = snprintf(buffer, size, "%s/%s%i.tmp", tempDirectory_.c_str(), prefix ? prefix : "", now);
  return n < 0 || static_cast<size_t>(n) >= size ? -1 : n;
}

ConfigRecord* ConfigHolder::Duplicate() const {
  char path[kMaxPath];
  if (GetTempFilepath(path, sizeof path, "tmpThis") == -1) throw MessageError(kTempPathFailed);
  if (!record_) throw MessageError(kNotInitialized);
  config_set_pwfuncs(nullptr, nullptr);
  TempFile file(path);
  if (Failed(TILOCONF_varsave(path, record_))) throw MessageError(kLoadFailed);
  ConfigHolder copy(false);
  try {
    copy.Load(path);
  } catch (...) {
    FreeConfigRecord(copy.Release());
    throw;
  }
  return copy.Release();
}

void ConfigHolder::Merge(const ConfigHolder& source, ImportSelection selection, bool overwrite) {
  if (!record_) throw MessageError(kNotInitialized);
  ConfigHolder copy(source.Duplicate());
  if (!selection.users) EmptyUserList(copy.Record());
  if (!selection.emailAddresses) RemoveMailPart(copy.Record());

  char path[kMaxPath];
  if (GetTempFilepath(path, sizeof path, "tmpMerge") == -1) throw MessageError(kTempPathFailed);
  if (!copy.Record()) throw MessageError(kNotInitialized);
  config_set_pwfuncs(nullptr, nullptr);
  TempFile file(path);
  if (Failed(TILOCONF_varsave(path, copy.Record()))) throw MessageError(kLoadFailed);
  if (overwrite) {
    if (Failed(TILOCONF_varload_overwrite(path, record_))) throw MessageError("Fehler beim Laden der Konfiguration.");
  } else if (Failed(TILOCONF_varload_merge(path, record_))) {
    throw MessageError("Fehler beim Zusammenführen der Konfigurationen");
  }
}

void ConfigHolder::CheckAndConvert() {
  if (!record_) throw MessageError(kNotInitialized);
  const ConfigRecord saved = TILOCONF_config;
  TILOCONF_config = *record_;
  const char* failure = nullptr;
  if (convert_inetconfig() < 0)
    failure = "convert_inetconfig() failed";
  else if (convert_mailconfig(0) < 0)
    failure = "convert_mailconfig() failed";
  else if (check_inetconfig(0) < 0)
    failure = "check_inetconfig() failed";
  else if (check_mailconfig(0) < 0)
    failure = "check_mailconfig() failed";
  // The record's parts are shared with the working record while the calls run; taking the
  // working record back also after a failure keeps the holder's pointers valid whatever a
  // conversion replaced.
  *record_ = TILOCONF_config;
  TILOCONF_config = saved;
  if (failure) throw MessageError(failure);
}

void ConfigHolder::LoadWithProductCode(const char* path, const char* code) {
  RegistryKey key;
  if (!key.Open(RegistryRoot::LocalMachine, ProductKey(), kKeyAllAccess))
    throw MessageError("registry could not be opened.");

  // Keep the present OldCDKey (or note that there is none) to put it back afterwards.
  std::string present;
  const bool hadValue = key.GetString(kValueOldCDKey, present);
  char* kept = hadValue ? strdup(present.c_str()) : nullptr;

  if (!key.SetString(kValueOldCDKey, code ? code : "")) {
    cbcontext_free(kept);
    throw MessageError(kRegistryNotWritten);
  }

  // Put the kept value back (or remove the value when there was none), whatever the load did.
  auto restore = [&] {
    const bool ok = kept ? key.SetString(kValueOldCDKey, kept) : key.DeleteValue(kValueOldCDKey);
    cbcontext_free(kept);
    kept = nullptr;
    key.Close();
    return ok;
  };
  try {
    pwdecryptreinit();
    Load(path);
  } catch (...) {
    if (!restore()) throw MessageError(kRegistryNotWritten);
    throw;
  }
  if (!restore()) throw MessageError(kRegistryNotWritten);
}

void ConfigHolder::LoadUnderProductCode(const char* path, const char* code) {
  pwdecryptwithcode(code);
  Load(path);
}

ConfigRecord* LoadCurrentConfig() {
  const std::string path = CurrentConfigPath();
  ConfigHolder holder(false);
  try {
    holder.Load(path.c_str());
  } catch (...) {
    FreeConfigRecord(holder.Release());
    throw;
  }
  return holder.Release();
}

}  // namespace orn
