/* System-support library of the ORN! server product (stand-in over the platform layer).
 * C calls with the names and results the product's own library has. */
#ifndef ORN_OSKASYS_H
#define ORN_OSKASYS_H

#include <stddef.h>
#include <stdint.h>

#ifdef __cplusplus
extern "C" {
#endif

typedef void* HANDLE;

#define ERROR_SUCCESS 0u
#define ERROR_ALREADY_EXISTS 183u
#define SYNCHRONIZE 0x00100000u

/* Global mutexes: a lock file <runtime>/mutex/<name> held with flock while the handle is open. */
HANDLE CreateMutexGlobal(void* securityAttributes, int initialOwner, const char* name);
HANDLE OpenMutexGlobal(uint32_t desiredAccess, int inherit, const char* name);
int CloseHandle(HANDLE handle);
/* Result of the last CreateMutexGlobal/OpenMutexGlobal of this thread. */
uint32_t GetLastError(void);

/* Seconds of a steadily rising clock; only differences mean anything. */
long timeout_current_secs(void);
/* Stores the current calendar time in seconds. */
void __time(int32_t* value);

/* Releases a string allocated with strdup/malloc. */
void cbcontext_free(void* pointer);

/* Password hooks of the configuration library. Each takes a stored (or plain) text and returns a
 * newly malloc'ed text, or NULL to keep the text unchanged. (NULL, NULL) switches them off. */
typedef char* (*config_pwfunc)(const char* text);
void config_set_pwfuncs(config_pwfunc encrypt, config_pwfunc decrypt);
void config_get_pwfuncs(config_pwfunc* encrypt, config_pwfunc* decrypt);

/* String lists: singly linked, each node owns a copy of its text. */
typedef struct stringlist {
  struct stringlist* next;
  char* string;
} stringlist;
/* Non-zero when string is an element of list (exact comparison). */
int stringlist_in(const stringlist* list, const char* string);
/* Appends a copy of string; an empty (NULL) head is started. Returns 0, or -1 when out of memory. */
int stringlist_append_string(stringlist** head, const char* string);
void stringlist_free(stringlist* list);

/* Request/reply over the named pipe <runtime>/pipe/<name> (a Unix stream socket). The name may be
 * given in the Windows form "\\\\.\\pipe\\<name>". Sets *received to the bytes of the reply.
 * Returns 1 when a reply arrived within timeoutMs, 0 otherwise. */
int CallPipeServer(const char* pipeName, const void* request, uint32_t requestLength, void* reply, uint32_t replyLength,
                   uint32_t* received, uint32_t timeoutMs);

#ifdef __cplusplus
}
#endif

#endif
