/* Configuration library of the ORN! server product (stand-in): owns the format of "orn.cfg".
 * C calls with the names and results of the product's own library. The file format is described
 * in docs/orn-cfg-format.md. */
#ifndef ORN_TILOCONF_H
#define ORN_TILOCONF_H

#include <stddef.h>
#include <stdint.h>

#include "oskasys/oskasys.h"

#ifdef __cplusplus
extern "C" {
#endif

/* Field 1: general part. */
typedef struct TILOCONF_general {
  char* servername;    /* host name of the gateway */
  char* domain;        /* local mail and DNS domain */
  intptr_t configured; /* non-zero once the server's set-up has been completed */
  char* postmaster;    /* address that receives the server's own reports */
  char* language;      /* language of the server's messages, "de" or "en" */
} TILOCONF_general;

/* Field 5: internet access, a list of provider accounts that each carry a stored password. */
typedef struct TILOCONF_provider {
  struct TILOCONF_provider* next;
  char* name;
  char* login;
  char* password; /* stored password */
  char* dialin;   /* phone number, PPPoE service or host */
} TILOCONF_provider;

typedef struct TILOCONF_inetpart {
  TILOCONF_provider* providers;
  char* defaultprovider; /* name of the provider used by default; NULL or "" for none */
  intptr_t idletimeout;  /* seconds until an idle connection is closed, 0 = never */
  intptr_t proxyport;    /* port of the HTTP proxy, 0 = default */
} TILOCONF_inetpart;

/* Field 17: mail part. */
typedef struct TILOCONF_mailaccount { /* mailbox collected from a provider */
  struct TILOCONF_mailaccount* next;
  char* server;
  char* login;
  char* password;  /* stored password */
  char* password2; /* optional second stored password (SMTP authentication), may be NULL */
  char* recipient; /* local user or address that receives the collected mail */
  intptr_t port;   /* 0 = default */
} TILOCONF_mailaccount;

/* Kinds of e-mail addresses. */
#define TILOCONF_ADDR_MAILBOX 1 /* delivered to the owners' mailboxes */
#define TILOCONF_ADDR_FORWARD 2 /* forwarded to an outside address */
#define TILOCONF_ADDR_LIST 3    /* distribution list */
#define TILOCONF_ADDR_CATCHALL 4

typedef struct TILOCONF_emailaddress {
  struct TILOCONF_emailaddress* next;
  intptr_t kind;
  char* address;
  stringlist* owners; /* names of the owning users */
} TILOCONF_emailaddress;

typedef struct TILOCONF_mailpart {
  TILOCONF_mailaccount* accounts;
  TILOCONF_emailaddress* addresses;
  char* smtprelay;       /* outgoing relay host, may be empty */
  intptr_t smtpport;     /* 0 = default */
  intptr_t pollinterval; /* minutes between collections, 0 = default */
} TILOCONF_mailpart;

/* Field 18: user part. */
typedef struct TILOCONF_user {
  struct TILOCONF_user* next;
  char* fullname;
  char* name;
  char* password;  /* stored password */
  char* email;     /* primary e-mail address */
  intptr_t rights; /* TILOCONF_RIGHT_* bits */
} TILOCONF_user;

#define TILOCONF_RIGHT_INTERNET 0x01
#define TILOCONF_RIGHT_MAIL 0x02
#define TILOCONF_RIGHT_ADMIN 0x04

typedef struct TILOCONF_userpart {
  TILOCONF_user* users;
} TILOCONF_userpart;

/* Field 19: the further parts of a server configuration (firewall, proxy, DNS, DHCP, ...), kept
 * as ordered sections whose text round-trips byte for byte. */
typedef struct TILOCONF_section {
  struct TILOCONF_section* next;
  char* name; /* section name, compared ignoring case */
  char* text; /* the section's lines, each ended by "\n", exactly as in the file */
} TILOCONF_section;

/* One configuration: 26 pointer-sized fields; fields not listed are reserved and stay NULL. */
typedef struct ConfigRecord {
  TILOCONF_general* general; /* 1 */
  void* reserved2;
  void* reserved3;
  void* reserved4;
  TILOCONF_inetpart* inet; /* 5 */
  void* reserved6;
  void* reserved7;
  void* reserved8;
  void* reserved9;
  void* reserved10;
  void* reserved11;
  void* reserved12;
  void* reserved13;
  void* reserved14;
  void* reserved15;
  void* reserved16;
  TILOCONF_mailpart* mail;    /* 17 */
  TILOCONF_userpart* users;   /* 18 */
  TILOCONF_section* sections; /* 19 */
  void* reserved20;
  void* reserved21;
  void* reserved22;
  void* reserved23;
  void* reserved24;
  void* reserved25;
  void* reserved26;
} ConfigRecord;

/* The library's working record, used by the convert_* and check_* calls. */
extern ConfigRecord TILOCONF_config;

/* Load and save: 0 or 1 success, 2 or more failure (see docs/orn-cfg-format.md for the codes).
 * A failed load leaves the record as far as it was filled; it can always be released. */
#define TILOCONF_OK 0
#define TILOCONF_ERR_OPEN 2      /* cannot be opened or read, or not a regular file */
#define TILOCONF_ERR_NOTCONFIG 3 /* no configuration file: empty, binary, a foreign first line */
#define TILOCONF_ERR_VERSION 4   /* a configuration file of an unsupported format version */
#define TILOCONF_ERR_SYNTAX 5    /* damaged or cut short: a line that breaks the format */
#define TILOCONF_ERR_NOMEMORY 6  /* out of memory */
#define TILOCONF_ERR_TOOLARGE 7  /* the file is larger than 256 MiB or a line longer than 1 MiB */
#define TILOCONF_ERR_WRITE 8     /* saving: the file could not be written or put in place */
#define TILOCONF_ERR_ARGUMENT 9  /* a null path or record */
uint16_t TILOCONF_varload(const char* path, ConfigRecord* record);
uint16_t TILOCONF_varload_merge(const char* path, ConfigRecord* record);
uint16_t TILOCONF_varload_overwrite(const char* path, ConfigRecord* record);
uint16_t TILOCONF_varsave(const char* path, const ConfigRecord* record);
/* Releases everything the record holds and leaves it zero-filled (the record itself belongs to
 * the caller). */
void TILOCONF_varfree(ConfigRecord* record);

TILOCONF_user* TILOCONF_user_alloc(void);
TILOCONF_emailaddress* TILOCONF_emailaddress_alloc(void);

/* Checks over TILOCONF_config; negative = the server could not run with it. */
int convert_inetconfig(void);
int convert_mailconfig(int flags);
int check_inetconfig(int flags);
int check_mailconfig(int flags);

/* Installs the password hooks keyed with this installation's product code (value "CDKey" of the
 * installation key). */
void pwcrypt_init(void);
/* Installs the password hooks keyed with the product code in the value "OldCDKey". */
void pwdecryptreinit(void);
/* Installs the password hooks keyed with the product code given, without reading the registry. */
void pwdecryptwithcode(const char* code);
/* Deciphers an 80-character stored text (the settings password) with this installation's code;
 * writes the plain password NUL-terminated (truncated to size - 1). */
void pwstringdecrypt(const char* text, char* output, size_t size);
/* The reverse of pwstringdecrypt, for set-up tools: writes 80 characters and a NUL into output
 * (at least 81 bytes). Returns 0, or -1 when the password is longer than 31 bytes. */
int pwstringencrypt(const char* password, char* output, size_t size);

#ifdef __cplusplus
}
#endif

#endif
