#include "crypto/CryptoLibrary.h"

#include <openssl/evp.h>
#include <openssl/provider.h>

namespace orn::crypto {

namespace {

struct Library {
  OSSL_LIB_CTX* context = nullptr;
  EVP_CIPHER* ciphers[4] = {};  // by cipher id; [0] unused
  EVP_MD* md5 = nullptr;
  EVP_MD* sha1 = nullptr;
  EVP_MAC* hmac = nullptr;
  const char* error = nullptr;
};

// Loaded on first use and kept for the life of the process: the fetched algorithms are immutable
// and may be shared, and freeing them at exit would race libcrypto's own clean-up.
Library Load() {
  Library lib;
  lib.context = OSSL_LIB_CTX_new();
  if (!lib.context) {
    lib.error = "libcrypto: no library context could be created";
    return lib;
  }
  // Loading any provider by hand switches off the automatic fallback to "default", so both are
  // loaded explicitly.
  const bool haveDefault = OSSL_PROVIDER_load(lib.context, "default") != nullptr;
  const bool haveLegacy = OSSL_PROVIDER_load(lib.context, "legacy") != nullptr;
  if (haveDefault) {
    lib.ciphers[2] = EVP_CIPHER_fetch(lib.context, "DES-EDE3-CBC", nullptr);
    lib.ciphers[3] = EVP_CIPHER_fetch(lib.context, "AES-128-CBC", nullptr);
    lib.md5 = EVP_MD_fetch(lib.context, "MD5", nullptr);
    lib.sha1 = EVP_MD_fetch(lib.context, "SHA1", nullptr);
    lib.hmac = EVP_MAC_fetch(lib.context, "HMAC", nullptr);
  }
  if (haveLegacy) lib.ciphers[1] = EVP_CIPHER_fetch(lib.context, "DES-CBC", "provider=legacy");

  if (!haveDefault)
    lib.error = "libcrypto: the default provider could not be loaded";
  else if (!haveLegacy)
    lib.error = "libcrypto: the legacy provider could not be loaded, DES-CBC is not available";
  else if (!lib.ciphers[1] || !lib.ciphers[2] || !lib.ciphers[3] || !lib.md5 || !lib.sha1 || !lib.hmac)
    lib.error = "libcrypto: a cipher or digest could not be fetched";
  return lib;
}

const Library& Get() {
  static const Library lib = Load();
  return lib;
}

}  // namespace

const EVP_CIPHER* LibraryCipher(int cipherId) {
  if (cipherId < 1 || cipherId > 3) return nullptr;
  return Get().ciphers[cipherId];
}

const EVP_MD* LibraryMd5() { return Get().md5; }
const EVP_MD* LibrarySha1() { return Get().sha1; }
EVP_MAC* LibraryHmac() { return Get().hmac; }
const char* CryptoLibraryError() { return Get().error; }

}  // namespace orn::crypto
