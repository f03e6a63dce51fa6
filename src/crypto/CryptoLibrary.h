// libcrypto as the cipher and digest layer uses it: one library context of our own, holding the
// "default" provider and the "legacy" provider (single DES lives only there), and the algorithms
// fetched from it once for the whole process. The context reads no configuration file, so what is
// available does not depend on the system's openssl.cnf.
#pragma once

#include <openssl/types.h>

namespace orn::crypto {

// The fetched cipher for a cipher id (1 DES-CBC, 2 DES-EDE3-CBC, 3 AES-128-CBC); null for any
// other id and when the algorithm is not available (DES-CBC without the legacy provider).
const EVP_CIPHER* LibraryCipher(int cipherId);
const EVP_MD* LibraryMd5();
const EVP_MD* LibrarySha1();
EVP_MAC* LibraryHmac();

// Why an algorithm is missing, as an English text; null when everything could be loaded.
const char* CryptoLibraryError();

}  // namespace orn::crypto
