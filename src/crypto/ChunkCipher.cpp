#include "crypto/ChunkCipher.h"

namespace orn::crypto {

namespace {

constexpr int kEncrypt = 1;
constexpr int kDecrypt = 0;

int RoundUp(int length, int multiple) { return (length + multiple - 1) / multiple * multiple; }

// Starts context afresh and runs one update over length bytes; 0 or -1.
int RunOnce(CipherContext& context, const CipherDescriptor* descriptor, int direction, const unsigned char* key,
            const unsigned char* iv, const unsigned char* in, int length, unsigned char* out, int* outLength) {
  if (!descriptor || !in || !out || !outLength || !key || !iv) return -1;
  if (!CipherInit(context, descriptor, key, iv, direction)) return -1;
  return CipherUpdate(context, out, outLength, in, length) ? 0 : -1;
}

}  // namespace

const unsigned char kNameBlockIv[16] = {'m', 'v', 'b', 'n', 'z', 'u', 'i', 'r', 'o', 't', 'k', 'e', '8', '1', 'w', 0};

int EncryptChunk(CipherContext& context, const unsigned char* in, int inLength, unsigned char* out, int* outLength,
                 const unsigned char* key, int cipherId, const unsigned char* iv) {
  const CipherDescriptor* descriptor = CipherById(cipherId);
  if (!descriptor || inLength < 0) return -1;
  const int rounded = RoundUp(inLength, descriptor->ivLength);
  if (rounded > kChunkCapacity) return -1;
  if (outLength) *outLength = kChunkCapacity;
  return RunOnce(context, descriptor, kEncrypt, key, iv, in, rounded, out, outLength);
}

int DecryptChunk(CipherContext& context, const unsigned char* in, int inLength, const unsigned char* key,
                 unsigned char* out, int* outLength, int cipherId, const unsigned char* iv) {
  const CipherDescriptor* descriptor = CipherById(cipherId);
  if (!descriptor || inLength < 0) return -1;
  return RunOnce(context, descriptor, kDecrypt, key, iv, in, inLength + descriptor->ivLength, out, outLength);
}

int NameBlockEncode(CipherContext& context, const unsigned char* in, int inLength, unsigned char* out, int* outLength,
                    const unsigned char* key) {
  if (inLength < 0) return -1;
  return RunOnce(context, CipherById(kCipherAes128Cbc), kDecrypt, key, kNameBlockIv, in, inLength + 16, out, outLength);
}

int NameBlockDecode(CipherContext& context, const unsigned char* in, int inLength, unsigned char* out, int* outLength,
                    const unsigned char* key) {
  if (inLength < 0) return -1;
  const int rounded = RoundUp(inLength, 16);
  if (rounded > kChunkCapacity) return -1;
  if (outLength) *outLength = kChunkCapacity;
  return RunOnce(context, CipherById(kCipherAes128Cbc), kEncrypt, key, kNameBlockIv, in, rounded, out, outLength);
}

int EncryptChunk(const unsigned char* in, int inLength, unsigned char* out, int* outLength, const unsigned char* key,
                 int cipherId, const unsigned char* iv) {
  CipherContext context;
  return EncryptChunk(context, in, inLength, out, outLength, key, cipherId, iv);
}

int DecryptChunk(const unsigned char* in, int inLength, const unsigned char* key, unsigned char* out, int* outLength,
                 int cipherId, const unsigned char* iv) {
  CipherContext context;
  return DecryptChunk(context, in, inLength, key, out, outLength, cipherId, iv);
}

int NameBlockEncode(const unsigned char* in, int inLength, unsigned char* out, int* outLength,
                    const unsigned char* key) {
  CipherContext context;
  return NameBlockEncode(context, in, inLength, out, outLength, key);
}

int NameBlockDecode(const unsigned char* in, int inLength, unsigned char* out, int* outLength,
                    const unsigned char* key) {
  CipherContext context;
  return NameBlockDecode(context, in, inLength, out, outLength, key);
}

}  // namespace orn::crypto
