// System-support calls over the platform layer.
#include "oskasys/oskasys.h"

#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>

#include "platform/Clock.h"
#include "platform/GlobalMutex.h"
#include "platform/Pipe.h"

using orn::platform::GlobalMutex;

namespace {

thread_local uint32_t lastError = ERROR_SUCCESS;

// A handle is an owned GlobalMutex; the pointer value is what callers hold.
HANDLE ToHandle(std::unique_ptr<GlobalMutex> mutex) { return mutex.release(); }

config_pwfunc encryptHook = nullptr;
config_pwfunc decryptHook = nullptr;

}  // namespace

extern "C" {

HANDLE CreateMutexGlobal(void* /*securityAttributes*/, int /*initialOwner*/, const char* name) {
  if (!name) {
    lastError = 87;  // invalid parameter
    return nullptr;
  }
  bool existed = false;
  auto mutex = GlobalMutex::Create(name, &existed);
  if (!mutex) {
    lastError = 5;  // access denied: the lock file could not be made
    return nullptr;
  }
  lastError = existed ? ERROR_ALREADY_EXISTS : ERROR_SUCCESS;
  return ToHandle(std::move(mutex));
}

HANDLE OpenMutexGlobal(uint32_t /*desiredAccess*/, int /*inherit*/, const char* name) {
  if (!name) {
    lastError = 87;
    return nullptr;
  }
  auto mutex = GlobalMutex::OpenExisting(name);
  lastError = mutex ? ERROR_SUCCESS : 2;  // file not found
  return ToHandle(std::move(mutex));
}

int CloseHandle(HANDLE handle) {
  if (!handle) return 0;
  delete static_cast<GlobalMutex*>(handle);
  return 1;
}

uint32_t GetLastError(void) { return lastError; }

long timeout_current_secs(void) { return static_cast<long>(orn::platform::SteadySeconds()); }

void __time(int32_t* value) {
  if (value) *value = static_cast<int32_t>(orn::platform::CalendarSeconds());
}

void cbcontext_free(void* pointer) { free(pointer); }

void config_set_pwfuncs(config_pwfunc encrypt, config_pwfunc decrypt) {
  encryptHook = encrypt;
  decryptHook = decrypt;
}

void config_get_pwfuncs(config_pwfunc* encrypt, config_pwfunc* decrypt) {
  if (encrypt) *encrypt = encryptHook;
  if (decrypt) *decrypt = decryptHook;
}

int stringlist_in(const stringlist* list, const char* string) {
  if (!string) return 0;
  for (; list; list = list->next)
    if (list->string && strcmp(list->string, string) == 0) return 1;
  return 0;
}

int stringlist_append_string(stringlist** head, const char* string) {
  if (!head || !string) return -1;
  auto* node = static_cast<stringlist*>(calloc(1, sizeof(stringlist)));
  if (!node) return -1;
  node->string = strdup(string);
  if (!node->string) {
    free(node);
    return -1;
  }
  stringlist** tail = head;
  while (*tail) tail = &(*tail)->next;
  *tail = node;
  return 0;
}

void stringlist_free(stringlist* list) {
  while (list) {
    stringlist* next = list->next;
    free(list->string);
    free(list);
    list = next;
  }
}

int CallPipeServer(const char* pipeName, const void* request, uint32_t requestLength, void* reply, uint32_t replyLength,
                   uint32_t* received, uint32_t timeoutMs) {
  uint32_t count = 0;
  bool ok = pipeName && orn::platform::CallPipe(pipeName, request, requestLength, reply, replyLength, &count,
                                                static_cast<int>(timeoutMs));
  if (received) *received = count;
  return ok ? 1 : 0;
}

}  // extern "C"
