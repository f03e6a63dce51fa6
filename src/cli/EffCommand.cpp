// orncfg-cli eff: encrypted archive files (".eff"), encrypted and decrypted as the backup and the
// restore do it, and their header shown without a password.
#include <cstdio>
#include <string>

#include "cli/Json.h"
#include "cli/PasswordInput.h"
#include "cli/Report.h"
#include "cli/Verbs.h"
#include "crypto/ArchiveFile.h"
#include "crypto/ArchiveHeader.h"
#include "crypto/Cipher.h"
#include "crypto/CryptoLibrary.h"

namespace orn::cli {

namespace {

constexpr char kPasswordOption[] = "--password-file";

const char* CipherName(uint32_t cipherId) {
  switch (cipherId) {
    case crypto::kCipherDesCbc:
      return "DES-CBC";
    case crypto::kCipherDesEde3Cbc:
      return "DES-EDE3-CBC";
    case crypto::kCipherAes128Cbc:
      return "AES-128-CBC";
    default:
      return "unbekannt";
  }
}

// The failure text, with libcrypto's reason when the cipher the file needs is missing.
int Failure(const std::string& sentence, int cipherId) {
  const char* reason = crypto::CryptoLibraryError();
  if (reason && crypto::CipherById(cipherId) && !crypto::LibraryCipher(cipherId))
    return ReportFailure(sentence, reason);
  return ReportFailure(sentence);
}

std::string Hex(const unsigned char* bytes, size_t length) {
  std::string hex;
  char digits[3];
  for (size_t i = 0; i < length; ++i) {
    snprintf(digits, sizeof digits, "%02x", bytes[i]);
    hex += digits;
  }
  return hex;
}

int Encrypt(const Args& args) {
  if (args.size() != 2) return UsageError("Geben Sie die Quelldatei und die Zieldatei an.");
  int cipherId = crypto::kCipherDesCbc;
  if (const std::string* cipher = args.Value("--cipher")) {
    if (*cipher != "1" && *cipher != "2" && *cipher != "3")
      return UsageError("Als Verfahren sind 1 (DES-CBC), 2 (DES-EDE3-CBC) und 3 (AES-128-CBC) möglich.");
    cipherId = (*cipher)[0] - '0';
  }
  Secret password;
  std::string error;
  if (!ReadPassword({args.Value(kPasswordOption), "Kennwort: ", "Bestätigung: "}, &password, &error))
    return ReportFailure(error);
  if (password.empty()) return ReportFailure("Geben Sie bitte ein Kennwort an.");
  const std::string& source = args[0];
  const std::string& target = args[1];
  if (crypto::EncryptArchiveFile(source.c_str(), target.c_str(), password.c_str(), cipherId) != 0)
    return Failure("Die Datei " + source + " konnte nicht verschlüsselt werden.", cipherId);
  Say("Die Datei wurde verschlüsselt unter " + target + " gespeichert.\n");
  return kExitOk;
}

int Decrypt(const Args& args) {
  if (args.empty() || args.size() > 2)
    return UsageError("Geben Sie die verschlüsselte Datei und, wenn gewünscht, die Zieldatei an.");
  Secret password;
  std::string error;
  if (!ReadPassword({args.Value(kPasswordOption), "Kennwort: "}, &password, &error)) return ReportFailure(error);
  const char* source = args[0].c_str();
  const char* target = args.size() == 2 ? args[1].c_str() : nullptr;
  if (crypto::DecryptArchiveFile(source, target, password.c_str()) != 0) {
    crypto::ArchiveHeader header;
    uint64_t fileLength = 0;
    const bool known = crypto::ReadArchiveHeader(source, &header, &fileLength);
    return Failure(crypto::kDecryptFailedText, known ? static_cast<int>(header.cipherId) : 0);
  }
  Say("Die Datei wurde nach " + crypto::DecryptTargetPath(source, target) + " entschlüsselt.\n");
  return kExitOk;
}

int Info(const Args& args) {
  if (args.size() != 1) return UsageError("Geben Sie eine verschlüsselte Datei an.");
  crypto::ArchiveHeader header;
  uint64_t fileLength = 0;
  // A header whose cipher is unknown or whose name block could not have been written is no
  // archive's: its fields would be noise.
  const crypto::CipherDescriptor* cipher = nullptr;
  const bool plausible = crypto::ReadArchiveHeader(args[0].c_str(), &header, &fileLength) &&
                         (cipher = crypto::CipherById(static_cast<int>(header.cipherId))) != nullptr &&
                         header.nameBlockLength <= crypto::kNameBlockBound && header.nameBlockLength % 16 == 0 &&
                         fileLength >= crypto::kArchiveHeaderSize + header.nameBlockLength;
  if (!plausible) return ReportFailure("Die Datei " + args[0] + " ist keine verschlüsselte Sicherungsdatei.");
  const uint64_t block = static_cast<uint64_t>(cipher->blockSize);
  const uint64_t expected = crypto::kArchiveHeaderSize + uint64_t{header.nameBlockLength} +
                            (uint64_t{header.plainLength} + block - 1) / block * block;
  const std::string contentMac = Hex(header.contentMac, sizeof header.contentMac);
  const std::string salt = Hex(header.salt, sizeof header.salt);
  const std::string nameMac = Hex(header.nameMac, sizeof header.nameMac);
  if (args.Has("--json")) {
    JsonWriter json;
    json.BeginObject()
        .Field("contentMac", contentMac)
        .Field("plainLength", uint64_t{header.plainLength})
        .Field("salt", salt)
        .Field("cipherId", uint64_t{header.cipherId})
        .Field("cipher", CipherName(header.cipherId))
        .Field("nameLength", uint64_t{header.nameLength})
        .Field("nameBlockLength", uint64_t{header.nameBlockLength})
        .Field("nameMac", nameMac)
        .Field("fileLength", fileLength)
        .Field("expectedLength", expected);
    return PrintJson(json.EndObject());
  }
  printf("Inhalts-MAC:       %s\n", contentMac.c_str());
  printf("Klartextlänge:     %u Bytes\n", header.plainLength);
  printf("Salz:              %s\n", salt.c_str());
  printf("Verfahren:         %u (%s)\n", header.cipherId, CipherName(header.cipherId));
  printf("Namenslänge:       %u Bytes\n", header.nameLength);
  printf("Namensblocklänge:  %u Bytes\n", header.nameBlockLength);
  printf("Namens-MAC:        %s\n", nameMac.c_str());
  printf("Dateilänge:        %llu Bytes", static_cast<unsigned long long>(fileLength));
  if (expected) printf(" (erwartet: %llu)", static_cast<unsigned long long>(expected));
  printf("\n");
  return kExitOk;
}

constexpr char kPasswordDetails[] =
    "  Das Kennwort wird aus der ersten Zeile der Datei F gelesen (--password-file F, '-' für die\n"
    "  Standardeingabe) oder, ohne diese Angabe, am Terminal ohne Anzeige abgefragt.";

constexpr Option kEncryptOptions[] = {{"--cipher", "1|2|3"}, {kPasswordOption, "F"}};
constexpr Option kDecryptOptions[] = {{kPasswordOption, "F"}};
constexpr Option kInfoOptions[] = {{"--json"}};

const Command kChildren[] = {
    {"encrypt",
     "QUELLE ZIEL",
     "verschlüsselt eine Datei in das Format der Sicherungsdateien (.eff)",
     &Encrypt,
     {},
     "  --cipher: 1 DES-CBC (wie die Sicherung, voreingestellt), 2 DES-EDE3-CBC, 3 AES-128-CBC.\n"
     "  Das Kennwort wird aus der ersten Zeile der Datei F gelesen (--password-file F, '-' für die\n"
     "  Standardeingabe) oder, ohne diese Angabe, am Terminal ohne Anzeige zweimal abgefragt.",
     kEncryptOptions},
    {"decrypt",
     "QUELLE [ZIEL]",
     "entschlüsselt eine Sicherungsdatei (.eff); ohne ZIEL nach QUELLE.dec",
     &Decrypt,
     {},
     kPasswordDetails,
     kDecryptOptions},
    {"info",
     "DATEI",
     "zeigt die Kopfdaten einer Sicherungsdatei (.eff), ohne Kennwort",
     &Info,
     {},
     "  --json  dieselben Angaben als ein JSON-Dokument",
     kInfoOptions},
};

}  // namespace

const Command& EffCommand() {
  static const Command command{"eff", "", "verschlüsselte Sicherungsdateien (.eff) ver- und entschlüsseln", nullptr,
                               kChildren};
  return command;
}

}  // namespace orn::cli
