// The encrypted archive file (".eff"): a plain file, enciphered in 1 KB pieces with a key derived
// from a password and a fresh salt, with HMAC-SHA1 checks of the password (over the source file
// name) and of the contents. The layout is described in docs/eff-format.md.
#pragma once

#include <cstddef>
#include <string>

namespace orn::crypto {

// Turns the plain file sourcePath into an encrypted archive at targetPath (replaced when it
// exists) under password, with the content cipher cipherId (1 DES-CBC, 2 DES-EDE3-CBC,
// 3 AES-128-CBC; the backup uses 1). Returns 0, or -1 on any failure; the target is then as it was.
int EncryptArchiveFile(const char* sourcePath, const char* targetPath, const char* password, int cipherId);
// The same with the given 16-byte salt instead of a fresh one (null: fresh), for comparisons.
int EncryptArchiveFile(const char* sourcePath, const char* targetPath, const char* password, int cipherId,
                       const unsigned char* salt);

// Turns the encrypted archive sourcePath back into the plain file at DecryptTargetPath(sourcePath,
// targetPath). A wrong password fails before anything is written; on any failure the target is as
// it was (a damaged file never leaves a partial or unchecked plain file). The cipher text is
// deciphered on every core, in slices that each start from the cipher block before them, while
// the content MAC and the write take the finished slices in order. Returns 0 or -1.
int DecryptArchiveFile(const char* sourcePath, const char* targetPath, const char* password);
// What the user is told when DecryptArchiveFile fails (wrong password or damaged file alike).
inline constexpr const char* kDecryptFailedText =
    "Die Datei konnte nicht entschlüsselt werden. Bitte stellen Sie sicher, dass die angegebene Datei eine "
    "gültige Sicherungsdatei einer ORN!-Konfiguration ist. Überprüfen Sie auch das Kennwort.";

// targetPath, or sourcePath with ".dec" appended when targetPath is absent or longer than 260.
std::string DecryptTargetPath(const char* sourcePath, const char* targetPath);

// The derived key: HMAC-SHA1 under the password of the salt's first 15 bytes, 20 bytes into out.
// Fails (-1) when an input is missing (an empty password counts as missing), the cipher id is not
// 1 to 3, or capacity is below 20 or the cipher's key length; otherwise returns 0.
int DeriveCipherKey(int cipherId, const unsigned char* password, size_t passwordLength, const unsigned char* salt,
                    unsigned char* out, size_t capacity);

}  // namespace orn::crypto
