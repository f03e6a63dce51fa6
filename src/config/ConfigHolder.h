// The one place through which the program touches configuration data: holds one ConfigRecord of
// the configuration library, loads and saves it, copies it, merges another configuration into it,
// runs the library's checks and switches the product code under which stored passwords are read.
// Failures are thrown as MessageError.
#pragma once

#include <cstddef>
#include <string>

#include "tiloconf/tiloconf.h"

namespace orn {

// What Merge takes from the source.
struct ImportSelection {
  bool emailAddresses = true;
  bool users = true;
};

class ConfigHolder {
 public:
  // Kind 1: no record; releases what it later holds when owns is true.
  explicit ConfigHolder(bool owns);
  // Kind 2: owns a record loaded from path.
  explicit ConfigHolder(const char* path);
  // Kind 3: adopts record (allocated with new ConfigRecord{} or by Duplicate/LoadCurrentConfig).
  explicit ConfigHolder(ConfigRecord* record);
  virtual ~ConfigHolder();
  ConfigHolder(const ConfigHolder&) = delete;
  ConfigHolder& operator=(const ConfigHolder&) = delete;

  // Releases a held record, allocates a new one and loads path into it.
  void Load(const char* path);
  // Saves the record; with passwords the installation's password hooks encipher them, without
  // they are written as they stand in memory.
  void Save(const char* path, bool withPasswords);

  ConfigRecord* Record() const { return record_; }
  // Hands a record to a kind-1 holder (the holder's owns flag decides whether it is released).
  void SetRecord(ConfigRecord* record);
  // Gives up the record without releasing it.
  ConfigRecord* Release();

  // "<TEMP>/<prefix><seconds>.tmp"; returns its length, -1 when the buffer is null or too small.
  int GetTempFilepath(char* buffer, size_t size, const char* prefix) const;

  // A new record, owned by the caller, equal to this one.
  ConfigRecord* Duplicate() const;
  // Adds the source's entries to this configuration; overwrite replaces entries present in both.
  void Merge(const ConfigHolder& source, ImportSelection selection, bool overwrite);
  // Runs the library's conversions and checks over this configuration.
  void CheckAndConvert();
  // Loads path with its stored passwords read under the product code given.
  void LoadWithProductCode(const char* path, const char* code);
  // The same without the registry: the code goes to the library directly, nothing is written
  // (for a dry run, which must work on a read-only hive).
  void LoadUnderProductCode(const char* path, const char* code);

 private:
  void FreeRecord();

  ConfigRecord* record_ = nullptr;
  bool owns_ = false;
  std::string tempDirectory_;
};

// Loads the installed configuration; the record is owned by the caller.
ConfigRecord* LoadCurrentConfig();

// Releases a record allocated by the holder (TILOCONF_varfree and the record itself).
void FreeConfigRecord(ConfigRecord* record);

}  // namespace orn
