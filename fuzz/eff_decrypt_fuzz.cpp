// Encrypted archives, damaged: decryption succeeds only for an intact file and then gives the
// plain file back; every other outcome is a failure that leaves no target and no temporary file.
// Never a crash or a hang. The first byte says what the rest is:
//   below 128: an archive file as it is (password "fuzz");
//   128 and up: plain bytes behind a two-byte offset. They are encrypted (cipher id 1 + first byte
//   mod 3), the byte at the offset (when inside the archive) is flipped, and the result decrypted,
//   so that the checks behind the password check are reached as well.
#include <dirent.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "crypto/ArchiveFile.h"

namespace {

constexpr char kPassword[] = "fuzz";

char workDir[4096];  // a plain array: the exit handler below runs after static destructors

std::string Path(const char* name) { return std::string(workDir) + "/" + name; }

void RemoveWorkDir() {
  for (const char* name : {"in.eff", "plain", "out", "made.eff"}) unlink(Path(name).c_str());
  rmdir(workDir);
}

void MakeWorkDir() {
  const char* base = getenv("TMPDIR");
  snprintf(workDir, sizeof workDir, "%s/orn-eff-fuzz-%d", base && *base ? base : "/tmp", static_cast<int>(getpid()));
  mkdir(workDir, 0700);
  atexit(&RemoveWorkDir);
}

void Write(const std::string& path, const uint8_t* data, size_t size) {
  FILE* file = fopen(path.c_str(), "wb");
  if (!file) abort();
  if (size && fwrite(data, 1, size, file) != size) abort();
  fclose(file);
}

std::string Read(const std::string& path) {
  std::string text;
  FILE* file = fopen(path.c_str(), "rb");
  if (!file) abort();
  char buffer[4096];
  size_t got;
  while ((got = fread(buffer, 1, sizeof buffer, file)) > 0) text.append(buffer, got);
  fclose(file);
  return text;
}

size_t EntryCount() {
  DIR* dir = opendir(workDir);
  if (!dir) abort();
  size_t count = 0;
  while (const dirent* entry = readdir(dir))
    if (entry->d_name[0] != '.') ++count;
  closedir(dir);
  return count;
}

// Decrypts archive into "out"; checks that only a success leaves a target. Returns the result.
int DecryptChecked(const std::string& archive) {
  Write(Path("in.eff"), reinterpret_cast<const uint8_t*>(archive.data()), archive.size());
  const size_t before = EntryCount();
  const int result = orn::crypto::DecryptArchiveFile(Path("in.eff").c_str(), Path("out").c_str(), kPassword);
  if (EntryCount() != before + (result == 0 ? 1 : 0)) abort();
  return result;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (!workDir[0]) MakeWorkDir();
  if (size == 0) return 0;
  unlink(Path("out").c_str());
  if (data[0] < 128) {
    if (DecryptChecked(std::string(reinterpret_cast<const char*>(data) + 1, size - 1)) == 0)
      unlink(Path("out").c_str());
    return 0;
  }
  if (size < 3) return 0;
  const int cipherId = 1 + data[0] % 3;
  const size_t damageAt = static_cast<size_t>(data[1]) << 8 | data[2];
  const std::string plain(reinterpret_cast<const char*>(data) + 3, size - 3);
  Write(Path("plain"), data + 3, size - 3);
  if (orn::crypto::EncryptArchiveFile(Path("plain").c_str(), Path("made.eff").c_str(), kPassword, cipherId) != 0)
    abort();
  std::string archive = Read(Path("made.eff"));
  unlink(Path("made.eff").c_str());
  // The salt's last byte and the name length are never read: damage there changes nothing. The
  // cipher id is checked by the contents alone, so an empty file decrypts under any known id.
  bool harmless = damageAt >= archive.size() || damageAt == 39 || (damageAt >= 44 && damageAt < 48);
  if (damageAt < archive.size()) archive[damageAt] = static_cast<char>(archive[damageAt] ^ 0x01);
  if (plain.empty() && damageAt >= 40 && damageAt < 44)
    harmless = archive[40] >= 1 && archive[40] <= 3 && !archive[41] && !archive[42] && !archive[43];
  // Damage in the last cipher block garbles that whole block, but only the plain bytes in it
  // (not its zero filler) count for the content MAC: when those few bytes come out right by
  // chance (one in 256 for a single byte), the file decrypts, and correctly. Either outcome is
  // right there; the output is checked below whenever it succeeds.
  const size_t block = cipherId == 3 ? 16 : 8;
  const bool lastBlock = !plain.empty() && damageAt < archive.size() && damageAt + block >= archive.size();
  const int result = DecryptChecked(archive);
  if (!lastBlock && (result == 0) != harmless) abort();
  if (result == 0 && Read(Path("out")) != plain) abort();
  unlink(Path("out").c_str());
  return 0;
}
