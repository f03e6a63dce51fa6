#include "crypto/Hmac.h"

#include <openssl/core_names.h>
#include <openssl/evp.h>
#include <openssl/params.h>

#include "crypto/CryptoLibrary.h"

namespace orn::crypto {

namespace {

const unsigned char kNoKey[1] = {0};

}  // namespace

HmacContext::HmacContext() {
  if (EVP_MAC* hmac = LibraryHmac()) mac = EVP_MAC_CTX_new(hmac);
}

HmacContext::~HmacContext() { EVP_MAC_CTX_free(mac); }

int HmacInit(HmacContext& c, const void* key, size_t keyLength, const DigestDescriptor* descriptor) {
  if (!c.mac) return 0;
  if (!descriptor) {
    // libcrypto starts again with the key it holds.
    return c.descriptor && EVP_MAC_init(c.mac, nullptr, 0, nullptr);
  }
  OSSL_PARAM params[] = {
      OSSL_PARAM_construct_utf8_string(OSSL_MAC_PARAM_DIGEST, const_cast<char*>(descriptor->name), 0),
      OSSL_PARAM_construct_end()};
  // An empty key is a valid HMAC key; libcrypto only needs a pointer to take it as one.
  const auto* keyBytes = static_cast<const unsigned char*>(key);
  if (!keyBytes || keyLength == 0) {
    keyBytes = kNoKey;
    keyLength = 0;
  }
  if (!EVP_MAC_init(c.mac, keyBytes, keyLength, params)) {
    c.descriptor = nullptr;
    return 0;
  }
  c.descriptor = descriptor;
  return 1;
}

int HmacUpdate(HmacContext& c, const void* bytes, size_t length) {
  if (!c.descriptor) return 0;
  return length == 0 || EVP_MAC_update(c.mac, static_cast<const unsigned char*>(bytes), length);
}

int HmacFinal(HmacContext& c, unsigned char* out, unsigned int* outLength) {
  if (!c.descriptor || !out) return 0;
  size_t written = 0;
  if (!EVP_MAC_final(c.mac, out, &written, static_cast<size_t>(c.descriptor->digestSize))) return 0;
  if (outLength) *outLength = static_cast<unsigned int>(written);
  return 1;
}

unsigned char* Hmac(const DigestDescriptor& descriptor, const void* key, size_t keyLength, const void* message,
                    size_t messageLength, unsigned char* out, unsigned int* outLength) {
  HmacContext context;
  if (!HmacInit(context, key, keyLength, &descriptor) || !HmacUpdate(context, message, messageLength) ||
      !HmacFinal(context, out, outLength))
    return nullptr;
  return out;
}

int HmacSha1Of(const unsigned char* message, size_t messageLength, const unsigned char* key, size_t keyLength,
               unsigned char* out, int* outLength) {
  if (!message || !out || !outLength || *outLength < 20) return -1;
  if (!Hmac(Sha1Descriptor(), key, keyLength, message, messageLength, out, nullptr)) return -1;
  *outLength = 20;
  return 0;
}

int HmacMd5Of(const unsigned char* message, size_t messageLength, const unsigned char* key, size_t keyLength,
              unsigned char* out, size_t capacity) {
  if (!message || !out || capacity < 16) return -1;
  return Hmac(Md5Descriptor(), key, keyLength, message, messageLength, out, nullptr) ? 0 : -1;
}

}  // namespace orn::crypto
