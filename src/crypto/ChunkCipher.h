// Buffer operations of bounded size that the encrypted archive format is built from: one piece of
// a file through the content cipher, and the name block through AES-128-CBC with the fixed IV.
// Each call starts the cipher afresh from the given IV; chaining pieces is the caller's task.
//
// Every operation comes in two forms: one that makes its own cipher context, and one that reuses
// the caller's, so that a loop over a file allocates nothing per piece.
#pragma once

#include "crypto/Cipher.h"

namespace orn::crypto {

// The capacity of the callers' output buffers, and the bound of the length-checked operations.
inline constexpr int kChunkCapacity = 1200;

// The IV of the name block transform: "mvbnzuirotke81w" and a zero byte.
extern const unsigned char kNameBlockIv[16];

// Enciphers inLength bytes rounded up to the cipher's IV length; the filler comes from in's bytes
// behind inLength, so in must extend to the rounded length. Fails when the rounded length exceeds
// 1200. *outLength receives the rounded length. Returns 0, or -1 (also for an unknown cipher id).
int EncryptChunk(CipherContext& context, const unsigned char* in, int inLength, unsigned char* out, int* outLength,
                 const unsigned char* key, int cipherId, const unsigned char* iv);
int EncryptChunk(const unsigned char* in, int inLength, unsigned char* out, int* outLength, const unsigned char* key,
                 int cipherId, const unsigned char* iv);

// Deciphers inLength bytes (a multiple of the block size, then *outLength = inLength). One IV
// length of readable bytes must follow them in in: the cipher holds that block back unread.
int DecryptChunk(CipherContext& context, const unsigned char* in, int inLength, const unsigned char* key,
                 unsigned char* out, int* outLength, int cipherId, const unsigned char* iv);
int DecryptChunk(const unsigned char* in, int inLength, const unsigned char* key, unsigned char* out, int* outLength,
                 int cipherId, const unsigned char* iv);

// Writer's side: AES-128-CBC decryption under key (16 bytes) of inLength bytes; 16 readable bytes
// must follow them. *outLength receives inLength rounded up to 16.
int NameBlockEncode(CipherContext& context, const unsigned char* in, int inLength, unsigned char* out, int* outLength,
                    const unsigned char* key);
int NameBlockEncode(const unsigned char* in, int inLength, unsigned char* out, int* outLength,
                    const unsigned char* key);

// Reader's side: AES-128-CBC encryption of inLength bytes rounded up to 16 (in must extend that
// far); fails when the rounded length exceeds 1200.
int NameBlockDecode(CipherContext& context, const unsigned char* in, int inLength, unsigned char* out, int* outLength,
                    const unsigned char* key);
int NameBlockDecode(const unsigned char* in, int inLength, unsigned char* out, int* outLength,
                    const unsigned char* key);

}  // namespace orn::crypto
