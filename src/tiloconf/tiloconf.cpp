// The C calls of the configuration library: loading, merging, saving and releasing records.
#include "tiloconf/tiloconf.h"

#include <cstdlib>
#include <string>

#include "tiloconf/ConfigFormat.h"
#include "tiloconf/ConfigMerge.h"
#include "tiloconf/RecordMemory.h"

using namespace orn::tiloconf;

// No exception leaves a C call. The only ones the code below can meet are std::bad_alloc (from the
// standard containers), so every catch answers "out of memory".

namespace {

// Loads path into record (released first) with the decrypt hook installed now.
uint16_t Load(const char* path, ConfigRecord* record) {
  FreeRecord(record);
  std::string data;
  if (const uint16_t result = ReadConfigFile(path, &data); result != TILOCONF_OK) return result;
  config_pwfunc encrypt = nullptr, decrypt = nullptr;
  config_get_pwfuncs(&encrypt, &decrypt);
  return ParseConfig(data, record, decrypt);
}

uint16_t LoadAndMerge(const char* path, ConfigRecord* record, bool overwrite) {
  if (!path || !record) return TILOCONF_ERR_ARGUMENT;
  // The file goes into a record of its own first, so that a failure leaves record unchanged.
  ConfigRecord source{};
  uint16_t result;
  try {
    result = Load(path, &source);
    if (result == TILOCONF_OK) MergeRecord(*record, source, overwrite);
  } catch (...) {
    result = TILOCONF_ERR_NOMEMORY;
  }
  FreeRecord(&source);
  return result;
}

}  // namespace

extern "C" {

ConfigRecord TILOCONF_config;

uint16_t TILOCONF_varload(const char* path, ConfigRecord* record) {
  if (!path || !record) return TILOCONF_ERR_ARGUMENT;
  try {
    return Load(path, record);
  } catch (...) {
    return TILOCONF_ERR_NOMEMORY;
  }
}

uint16_t TILOCONF_varload_merge(const char* path, ConfigRecord* record) { return LoadAndMerge(path, record, false); }

uint16_t TILOCONF_varload_overwrite(const char* path, ConfigRecord* record) { return LoadAndMerge(path, record, true); }

uint16_t TILOCONF_varsave(const char* path, const ConfigRecord* record) {
  if (!path || !record) return TILOCONF_ERR_ARGUMENT;
  try {
    config_pwfunc encrypt = nullptr, decrypt = nullptr;
    config_get_pwfuncs(&encrypt, &decrypt);
    return WriteFileAtomically(path, FormatConfig(*record, encrypt));
  } catch (...) {
    return TILOCONF_ERR_NOMEMORY;
  }
}

void TILOCONF_varfree(ConfigRecord* record) { FreeRecord(record); }

TILOCONF_user* TILOCONF_user_alloc(void) { return static_cast<TILOCONF_user*>(calloc(1, sizeof(TILOCONF_user))); }

TILOCONF_emailaddress* TILOCONF_emailaddress_alloc(void) {
  return static_cast<TILOCONF_emailaddress*>(calloc(1, sizeof(TILOCONF_emailaddress)));
}

}  // extern "C"
