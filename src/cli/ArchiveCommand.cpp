// orncfg-cli archive: packs, lists and extracts zip archives the way the backup and the restore
// do (backslash names relative to a base folder, folder entries, DOS times, attribute words).
#include <cstdio>
#include <malloc.h>
#include <string>
#include <sys/stat.h>

#include "cli/Json.h"
#include "cli/Report.h"
#include "cli/Verbs.h"
#include "files/FilePaths.h"
#include "files/ZipPaths.h"
#include "files/ZipReader.h"
#include "files/ZipWriter.h"
#include "platform/AtomicFile.h"
#include "platform/FileAttributes.h"

namespace orn::cli {

namespace {

// Packs into a temporary file beside the archive, renamed over it when everything was packed.
class PackedArchive {
 public:
  explicit PackedArchive(const std::string& archive) : file_(archive, platform::kPrivateFileMode) {}
  const std::string& TempPath() const { return tempPath_; }
  bool Commit() { return file_.Commit(platform::Durability::None); }

 private:
  platform::AtomicFile file_;
  std::string tempPath_ = file_.TempPath();
};

int Pack(const Args& rest) {
  const bool flat = rest.Has("--flat");
  if (rest.size() < 3)
    return UsageError("Geben Sie das Archiv, das Basisverzeichnis und mindestens eine Datei oder ein Verzeichnis an.");
  const std::string& archive = rest[0];
  const std::string base = FullPath(rest[1]);
  struct stat st {};
  if (base.empty() || stat(base.c_str(), &st) != 0 || !S_ISDIR(st.st_mode))
    return ReportFailure("Das Verzeichnis " + rest[1] + " ist nicht vorhanden.");

  // minizip makes and frees a deflate state of about 270 KB for every entry; glibc would hand the
  // freed memory back at once and fault it in again for the next entry, which costs far more than
  // the packing of a small file. Freed memory up to 8 MB stays with the process instead.
  mallopt(M_TRIM_THRESHOLD, 8 << 20);
  PackedArchive packed(archive);
  CZipWriter writer;
  if (packed.TempPath().empty() || !writer.Open(packed.TempPath(), base))
    return ReportFailure("Das Archiv " + archive + " konnte nicht angelegt werden.");
  for (size_t i = 2; i < rest.size(); ++i) {
    const std::string& path = rest[i];
    const uint32_t attributes = platform::FileAttributes(MakeAbsoluteToBase(base, path));
    if (attributes == platform::kInvalidAttributes)
      return ReportFailure("Die Datei oder das Verzeichnis " + path + " ist nicht vorhanden.");
    if (attributes & platform::kAttrDirectory) {
      if (!writer.AddDirectory(path, flat))
        return ReportFailure("Das Verzeichnis " + path + " konnte nicht gepackt werden.");
    } else if (!writer.AddFile(path, flat)) {
      return ReportFailure("Die Datei " + path + " konnte nicht gepackt werden.");
    }
  }
  if (!writer.Close()) return ReportFailure("Die Komprimierung schlug fehl.");
  if (!packed.Commit()) return ReportFailure("Das Archiv " + archive + " konnte nicht angelegt werden.");
  return kExitOk;
}

std::string FormatDosDateTime(uint32_t value) {
  const unsigned date = value >> 16;
  const unsigned time = value & 0xFFFF;
  char text[32];
  snprintf(text, sizeof text, "%02u.%02u.%04u %02u:%02u:%02u", date & 0x1F, (date >> 5) & 0x0F, (date >> 9) + 1980,
           time >> 11, (time >> 5) & 0x3F, (time & 0x1F) * 2);
  return text;
}

std::string Hex32(uint32_t value) {
  char text[16];
  snprintf(text, sizeof text, "0x%08X", value);
  return text;
}

int List(const Args& args) {
  if (args.size() != 1) return UsageError("Geben Sie das Archiv an.");
  CZipReader reader;
  if (!reader.Open(args[0])) return ReportFailure("Das Archiv " + args[0] + " konnte nicht geöffnet werden.");
  const bool asJson = args.Has("--json");
  JsonWriter json;
  json.BeginArray();
  const bool listed = reader.ListEntries([&](const ZipEntryInfo& info) {
    if (asJson) {
      json.BeginObject()
          .Field("name", info.name)
          .Field("size", uint64_t{info.uncompressedSize})
          .Field("time", FormatDosDateTime(info.dosDateTime))
          .Field("attributes", Hex32(info.externalAttributes))
          .EndObject();
      return;
    }
    printf("%s\t%llu\t%s\t%s\n", info.name.c_str(), static_cast<unsigned long long>(info.uncompressedSize),
           FormatDosDateTime(info.dosDateTime).c_str(), Hex32(info.externalAttributes).c_str());
  });
  if (!listed) return ReportFailure("Das Archiv " + args[0] + " konnte nicht gelesen werden.");
  return asJson ? PrintJson(json.EndArray()) : kExitOk;
}

int Extract(const Args& args) {
  if (args.size() != 2) return UsageError("Geben Sie das Archiv und das Zielverzeichnis an.");
  CZipReader reader;
  if (!reader.Open(args[0])) return ReportFailure("Das Archiv " + args[0] + " konnte nicht geöffnet werden.");
  if (!reader.ExtractAll(args[1], false))
    return ReportFailure("Das Archiv " + args[0] + " konnte nicht entpackt werden.");
  return kExitOk;
}

constexpr Option kPackOptions[] = {{"--flat"}};
constexpr Option kListOptions[] = {{"--json"}};

const Command kChildren[] = {
    {"pack",
     "ARCHIV BASISVERZEICHNIS PFAD...",
     "packt Dateien und Verzeichnisse in ein neues Archiv, Namen relativ zum Basisverzeichnis",
     &Pack,
     {},
     "  Relative Pfade liegen im Basisverzeichnis, absolute müssen darin liegen. Namen, die mit\n"
     "  einem Punkt beginnen, und symbolische Verknüpfungen werden nicht gepackt. Mit --flat\n"
     "  erhält jede Datei nur ihren Dateinamen.",
     kPackOptions},
    {"list",
     "ARCHIV",
     "zeigt die Einträge: Name, Größe, DOS-Zeit, Attribute (durch Tabulatoren getrennt)",
     &List,
     {},
     "  --json  dieselben Angaben als ein JSON-Dokument",
     kListOptions},
    {"extract",
     "ARCHIV ZIELVERZEICHNIS",
     "entpackt alle Einträge in das Zielverzeichnis",
     &Extract,
     {},
     "  Einträge mit absoluten Namen, Laufwerken, \"..\" oder Wegen durch symbolische Verknüpfungen\n"
     "  werden abgelehnt; schreibgeschützte Dateien werden nicht überschrieben."},
};

}  // namespace

const Command& ArchiveCommand() {
  static const Command command{"archive", "", "Zip-Archive packen, anzeigen und entpacken", nullptr, kChildren};
  return command;
}

}  // namespace orn::cli
