// orn-demo: builds a complete demo installation of the ORN! server in a folder.
//
//   orn-demo DIR [--protected] [--server PATH]
//
// DIR receives its own hive (registry.reg), runtime folder (run/), TEMP folder (tmp/) and the
// installation directory (orn/) with the server program, an "orn.cfg" with users, addresses and
// stored passwords, the filter and spam lists, and an "arsp" tree. With --protected the settings
// password "demo" is stored. The output is deterministic: running it again on the same DIR gives
// the same installation. It prints the environment for the shell to eval.
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <string>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

#include "install/ProductKey.h"
#include "install/TaskValues.h"
#include "platform/Hive.h"
#include "tiloconf/tiloconf.h"

namespace fs = std::filesystem;

namespace {

constexpr const char* kDemoProductCode = "A7K2QXM4P9ZRT3CW8N";
// The branch office whose configuration lies ready for an import, written under its own code.
constexpr const char* kBranchProductCode = "B3M7N1P5Q9R2S6T4V8";
constexpr const char* kMarker = ".orn-demo";
constexpr const char* kDomain = "firma-demo.de";
constexpr time_t kFileTime = 1764590400;  // 2025-12-01 12:00 UTC, for reproducible trees

// A small deterministic generator (xorshift), so that every run builds the same tree.
struct Random {
  uint32_t state = 0x2545F491;
  uint32_t Next() {
    state ^= state << 13;
    state ^= state >> 17;
    state ^= state << 5;
    return state;
  }
  uint32_t Below(uint32_t n) { return Next() % n; }
};

[[noreturn]] void Fail(const std::string& text) {
  fprintf(stderr, "orn-demo: %s\n", text.c_str());
  exit(1);
}

void WriteText(const fs::path& path, const std::string& text) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out << text;
  out.close();
  if (!out) Fail("cannot write " + path.string());
  struct timespec times[2] = {{kFileTime, 0}, {kFileTime, 0}};
  utimensat(AT_FDCWD, path.c_str(), times, AT_SYMLINK_NOFOLLOW);
}

char* Copy(const std::string& text) {
  char* copy = strdup(text.c_str());
  if (!copy) Fail("out of memory");
  return copy;
}

template <typename T>
T* Alloc() {
  T* entry = static_cast<T*>(calloc(1, sizeof(T)));
  if (!entry) Fail("out of memory");
  return entry;
}

struct DemoUser {
  const char* name;
  const char* fullName;
};

const DemoUser kUsers[] = {
    {"admin", "Administrator"},
    {"amueller", "Anna Müller"},
    {"bschmidt", "Bernd Schmidt"},
    {"cschneider", "Clara Schneider"},
    {"dfischer", "Dieter Fischer"},
    {"eweber", "Eva Weber"},
    {"fmeyer", "Frank Meyer"},
    {"gwagner", "Gisela Wagner"},
    {"hbecker", "Hans Becker"},
    {"ischulz", "Ingrid Schulz"},
    {"jhoffmann", "Jürgen Hoffmann"},
    {"kschaefer", "Karin Schäfer"},
    {"lkoch", "Lars Koch"},
    {"mbauer", "Monika Bauer"},
    {"nrichter", "Norbert Richter"},
    {"oklein", "Olga Klein"},
    {"pwolf", "Peter Wolf"},
    {"rschroeder", "Renate Schröder"},
    {"sneumann", "Stefan Neumann"},
    {"tschwarz", "Tanja Schwarz"},
    {"uzimmermann", "Uwe Zimmermann"},
    {"vbraun", "Vera Braun"},
    {"wkrueger", "Werner Krüger"},
    {"yhofmann", "Yvonne Hofmann"},
    {"zhartmann", "Zoran Hartmann"},
    {"alange", "Andreas Lange"},
    {"bschmitt", "Birgit Schmitt"},
    {"cwerner", "Christian Werner"},
    {"dkrause", "Doris Krause"},
    {"emeier", "Erik Meier"},
    {"flehmann", "Franziska Lehmann"},
    {"gschmid", "Georg Schmid"},
    {"praktikant", ""},
    {"scanner", "Scanner 2. OG"},
    {"backup", "Sicherungskonto"},
    {"gast", "Gastzugang"},
};

// Builds the demo configuration record.
void FillConfig(ConfigRecord& record) {
  record.general = Alloc<TILOCONF_general>();
  record.general->servername = Copy("gateway");
  record.general->domain = Copy(kDomain);
  record.general->configured = 1;
  record.general->postmaster = Copy(std::string("admin@") + kDomain);
  record.general->language = Copy("de");

  record.inet = Alloc<TILOCONF_inetpart>();
  const char* providers[][4] = {{"DSL Hauptanschluss", "kd4711@dsl-anbieter.example", "Dsl!2025", "pppoe"},
                                {"LTE Reserve", "lte-reserve", "Lte-Reserve#9", "*99#"},
                                {"ISDN Notfall", "notfall", "isdn0815", "0191011"}};
  TILOCONF_provider** providerTail = &record.inet->providers;
  for (auto& p : providers) {
    auto* entry = Alloc<TILOCONF_provider>();
    entry->name = Copy(p[0]);
    entry->login = Copy(p[1]);
    entry->password = Copy(p[2]);
    entry->dialin = Copy(p[3]);
    *providerTail = entry;
    providerTail = &entry->next;
  }
  record.inet->defaultprovider = Copy(providers[0][0]);
  record.inet->idletimeout = 300;
  record.inet->proxyport = 8080;

  record.mail = Alloc<TILOCONF_mailpart>();
  record.mail->smtprelay = Copy("mail.dsl-anbieter.example");
  record.mail->smtpport = 587;
  record.mail->pollinterval = 10;
  auto* info = Alloc<TILOCONF_mailaccount>();
  info->server = Copy("pop.dsl-anbieter.example");
  info->login = Copy("info-firma-demo");
  info->password = Copy("Info#Postfach1");
  info->password2 = Copy("Smtp-Auth!77");
  info->recipient = Copy("info@firma-demo.de");
  info->port = 995;
  auto* sales = Alloc<TILOCONF_mailaccount>();
  sales->server = Copy("pop.dsl-anbieter.example");
  sales->login = Copy("vertrieb-firma-demo");
  sales->password = Copy("Vertrieb2025");
  sales->recipient = Copy("vbraun");
  sales->port = 110;
  info->next = sales;
  record.mail->accounts = info;

  record.users = Alloc<TILOCONF_userpart>();
  TILOCONF_user** userTail = &record.users->users;
  TILOCONF_emailaddress** addressTail = &record.mail->addresses;
  auto addAddress = [&](const std::string& text, intptr_t kind, std::vector<const char*> owners) {
    auto* address = Alloc<TILOCONF_emailaddress>();
    address->kind = kind;
    address->address = Copy(text);
    for (const char* owner : owners) stringlist_append_string(&address->owners, owner);
    *addressTail = address;
    addressTail = &address->next;
  };
  Random random;
  int index = 0;
  for (const DemoUser& u : kUsers) {
    auto* user = Alloc<TILOCONF_user>();
    user->name = Copy(u.name);
    user->fullname = Copy(u.fullName);
    std::string password = std::string(u.name).substr(0, 3) + std::to_string(1000 + random.Below(9000)) + "!";
    user->password = Copy(password);
    user->rights = TILOCONF_RIGHT_INTERNET | TILOCONF_RIGHT_MAIL | (index == 0 ? TILOCONF_RIGHT_ADMIN : 0);
    // Every fifth user (and the technical accounts) has no address of its own.
    const bool hasAddress = index % 5 != 4 && index < 32;
    if (hasAddress) {
      std::string primary = std::string(u.name) + "@" + kDomain;
      user->email = Copy(primary);
      addAddress(primary, TILOCONF_ADDR_MAILBOX, {u.name});
    }
    *userTail = user;
    userTail = &user->next;
    ++index;
  }
  // Addresses owned by two users, a forward and a distribution list.
  addAddress(std::string("info@") + kDomain, TILOCONF_ADDR_MAILBOX, {"amueller", "bschmidt"});
  addAddress(std::string("vertrieb@") + kDomain, TILOCONF_ADDR_MAILBOX, {"vbraun", "wkrueger"});
  addAddress(std::string("buchhaltung@") + kDomain, TILOCONF_ADDR_MAILBOX, {"dfischer", "eweber"});
  addAddress(std::string("technik@") + kDomain, TILOCONF_ADDR_LIST, {"admin", "lkoch", "pwolf"});
  addAddress(std::string("webmaster@") + kDomain, TILOCONF_ADDR_FORWARD, {"admin"});
  addAddress(std::string("postmaster@") + kDomain, TILOCONF_ADDR_MAILBOX, {"admin"});

  const char* sections[][2] = {
      {"firewall", "Policy=deny\nAllow=tcp/25,tcp/80,tcp/443,tcp/995\nLogDropped=1\n"},
      {"proxy", "Cache=256\nCacheDir=cache\n; Sperrlisten stehen in den Filterdateien\nBlockList=jnkblist.cfg\n"},
      {"dns", "Forwarder=192.0.2.53\nForwarder=198.51.100.53\nLocalZone=firma-demo.de\n"},
      {"dhcp", "Range=192.168.10.100-192.168.10.199\nLease=86400\nGateway=192.168.10.1\n"},
  };
  TILOCONF_section** sectionTail = &record.sections;
  for (auto& s : sections) {
    auto* section = Alloc<TILOCONF_section>();
    section->name = Copy(s[0]);
    section->text = Copy(s[1]);
    *sectionTail = section;
    sectionTail = &section->next;
  }
}

// The configuration of a branch office: some users and addresses the demo has too (with other
// contents), some new ones, and passwords stored under the branch's product code.
void FillBranchConfig(ConfigRecord& record) {
  record.general = Alloc<TILOCONF_general>();
  record.general->servername = Copy("filiale");
  record.general->domain = Copy(kDomain);
  record.general->configured = 1;
  record.general->language = Copy("de");
  record.inet = Alloc<TILOCONF_inetpart>();
  record.inet->providers = Alloc<TILOCONF_provider>();
  record.inet->providers->name = Copy("DSL Filiale");
  record.inet->providers->login = Copy("filiale@dsl-anbieter.example");
  record.inet->providers->password = Copy("Filiale#DSL1");
  record.inet->providers->dialin = Copy("pppoe");
  record.inet->proxyport = 3128;
  record.mail = Alloc<TILOCONF_mailpart>();
  record.mail->accounts = Alloc<TILOCONF_mailaccount>();
  record.mail->accounts->server = Copy("pop.dsl-anbieter.example");
  record.mail->accounts->login = Copy("filiale-firma-demo");
  record.mail->accounts->password = Copy("Filiale-Post!9");
  record.mail->accounts->recipient = Copy("filiale@firma-demo.de");
  record.mail->accounts->port = 995;
  record.users = Alloc<TILOCONF_userpart>();
  const char* users[][3] = {
      {"amueller", "Anna Müller-Schmidt", "Anna#Filiale"},
      {"bschmidt", "Bernd Schmidt", "Bernd-2026"},
      {"kfranke", "Katrin Franke", "Katrin!77"},
      {"lotto", "Lea Otto", "LeaO-2026"},
      {"mpeters", "Marco Peters", "Marco#Peters"},
      {"nvogel", "Nina Vogel", "Nina-Vogel1"},
      {"filiale", "Filialkonto", "Filiale#1"},
  };
  TILOCONF_user** userTail = &record.users->users;
  TILOCONF_emailaddress** addressTail = &record.mail->addresses;
  for (auto& u : users) {
    auto* user = Alloc<TILOCONF_user>();
    user->name = Copy(u[0]);
    user->fullname = Copy(u[1]);
    user->password = Copy(u[2]);
    user->email = Copy(std::string(u[0]) + "@" + kDomain);
    user->rights = TILOCONF_RIGHT_INTERNET | TILOCONF_RIGHT_MAIL;
    *userTail = user;
    userTail = &user->next;
    auto* address = Alloc<TILOCONF_emailaddress>();
    address->kind = TILOCONF_ADDR_MAILBOX;
    address->address = Copy(user->email);
    stringlist_append_string(&address->owners, u[0]);
    *addressTail = address;
    addressTail = &address->next;
  }
  auto* shared = Alloc<TILOCONF_emailaddress>();
  shared->kind = TILOCONF_ADDR_MAILBOX;
  shared->address = Copy(std::string("info@") + kDomain);
  stringlist_append_string(&shared->owners, "filiale");
  *addressTail = shared;
  TILOCONF_section* section = Alloc<TILOCONF_section>();
  section->name = Copy("filiale");
  section->text = Copy("Standort=Hamburg\nLeitung=kfranke\n");
  record.sections = section;
}

// Writes the filter and spam lists: some (not all) files that a backup takes along.
void WriteListFiles(const fs::path& install) {
  const char* files[][2] = {
      {"dnsfilt.cfg", "werbung.example\ntracker.example\n"},
      {"blacklist.cfg", "spam-versand.example\n203.0.113.17\n"},
      {"whitelist.cfg", "partner-firma.example\n"},
      {"jnkblist.cfg", "*.casino.example\n*.gewinnspiel.example\n"},
      {"bpjslist.cfg", "# Sperrliste\n"},
      {"spam_absender.cfg", "newsletter@spam-versand.example\n"},
      {"spam_betreff.cfg", "Gewinn\nViagra\nDringend!!!\n"},
      {"spam_sperrwort.cfg", "Lotterie\nErbschaft\n"},
      {"SPAM_AUSNAHMEN_ABSENDER.CFG", "chef@partner-firma.example\n"},
      {"spam_pal.cfg", "Schwelle=5\n"},
      {"mid.cfg", "MessageIdDomain=firma-demo.de\n"},
  };
  for (auto& f : files) WriteText(install / f[0], f[1]);
}

// The "arsp" tree: three levels, a few hundred files, empty folders, names beginning with ".".
void WriteArspTree(const fs::path& install) {
  Random random;
  const fs::path arsp = install / "arsp";
  const char* level1[] = {"vorlagen", "archiv", "berichte", "postfaecher"};
  int files = 0;
  for (const char* a : level1) {
    for (int b = 0; b < 4; ++b) {
      const fs::path dir2 = arsp / a / ("gruppe" + std::to_string(b));
      for (int c = 0; c < 3; ++c) {
        const fs::path dir3 = dir2 / ("teil" + std::to_string(c));
        fs::create_directories(dir3);
        const int count = 4 + static_cast<int>(random.Below(5));
        for (int i = 0; i < count; ++i) {
          std::string body;
          const uint32_t lines = 1 + random.Below(40);
          for (uint32_t l = 0; l < lines; ++l) body += "Eintrag " + std::to_string(random.Next()) + " " + a + "\n";
          WriteText(dir3 / ("datei" + std::to_string(i) + ".txt"), body);
          ++files;
        }
      }
      WriteText(dir2 / "index.dat", std::string(64 + random.Below(2048), static_cast<char>('A' + b)));
    }
  }
  fs::create_directories(arsp / "leer");
  fs::create_directories(arsp / "archiv" / "alt" / "leer");
  fs::create_directories(arsp / ".cache" / "tmp");
  WriteText(arsp / ".cache" / "tmp" / "state", "volatile\n");
  WriteText(arsp / ".hidden", "wird nicht gesichert\n");
  WriteText(arsp / "vorlagen" / ".lock", "");
  WriteText(arsp / "README.txt", "Antwortvorlagen und Archiv des Servers\n");
  (void)files;
}

// Folders get the fixed time too, deepest first, once everything below them is written.
void FixFolderTimes(const fs::path& top) {
  std::vector<fs::path> folders{top};
  for (const auto& entry : fs::recursive_directory_iterator(top))
    if (entry.is_directory() && !entry.is_symlink()) folders.push_back(entry.path());
  struct timespec times[2] = {{kFileTime, 0}, {kFileTime, 0}};
  for (auto it = folders.rbegin(); it != folders.rend(); ++it) utimensat(AT_FDCWD, it->c_str(), times, 0);
}

// Quotes a path for a POSIX shell.
std::string ShellQuote(const std::string& text) {
  std::string quoted = "'";
  for (char c : text) quoted += c == '\'' ? std::string("'\\''") : std::string(1, c);
  return quoted + "'";
}

void Usage() {
  fprintf(stderr, "usage: orn-demo DIR [--protected] [--server PATH]\n");
  exit(2);
}

}  // namespace

int main(int argc, char** argv) {
  std::string dir, server;
  bool protect = false;
  for (int i = 1; i < argc; ++i) {
    std::string arg = argv[i];
    if (arg == "--protected")
      protect = true;
    else if (arg == "--server" && i + 1 < argc)
      server = argv[++i];
    else if (!arg.empty() && arg[0] != '-' && dir.empty())
      dir = arg;
    else
      Usage();
  }
  if (dir.empty()) Usage();
  if (server.empty()) server = (fs::read_symlink("/proc/self/exe").parent_path() / "orn").string();
  if (!fs::exists(server)) Fail("server program not found: " + server);

  std::error_code ec;
  fs::create_directories(dir, ec);
  const fs::path root = fs::absolute(dir).lexically_normal();
  const bool isDemo = fs::exists(root / kMarker);
  if (!isDemo && !fs::is_empty(root, ec)) Fail(root.string() + " is neither empty nor a demo installation");

  // Start afresh, keeping the runtime folder (a running server holds it) and what the wizard and
  // orncfg-cli wrote into the installation: archives (.eff, .zip) and the restore's safety copies.
  const fs::path install = root / "orn";
  const fs::path kept = root / "kept";
  fs::remove_all(kept, ec);
  fs::create_directories(kept);
  int keptCount = 0;
  for (const fs::directory_entry& entry : fs::directory_iterator(install, ec)) {
    const std::string ext = entry.path().extension().string();
    const bool archive = entry.is_regular_file() && (ext == ".eff" || ext == ".zip");
    if (archive || entry.path().filename() == "backup") {
      fs::rename(entry.path(), kept / entry.path().filename(), ec);
      if (!ec) ++keptCount;
    }
  }
  for (const char* name : {"orn", "tmp", "import", "registry.reg", "registry.reg.lock"})
    fs::remove_all(root / name, ec);
  WriteText(root / kMarker, "orn demo installation\n");
  fs::create_directories(install);
  for (const fs::directory_entry& entry : fs::directory_iterator(kept, ec))
    fs::rename(entry.path(), install / entry.path().filename(), ec);
  fs::remove_all(kept, ec);
  if (keptCount)
    fprintf(stderr, "orn-demo: %d Sicherungen und Sicherheitskopien in %s behalten\n", keptCount, install.c_str());
  fs::create_directories(root / "tmp");
  fs::create_directories(root / "run");
  chmod((root / "run").c_str(), 0700);
  chmod((root / "tmp").c_str(), 0700);
  fs::copy_file(server, install / "orn", fs::copy_options::overwrite_existing);
  struct timespec programTimes[2] = {{kFileTime, 0}, {kFileTime, 0}};
  utimensat(AT_FDCWD, (install / "orn").c_str(), programTimes, 0);

  const std::string hivePath = (root / "registry.reg").string();
  setenv("ORN_REGISTRY", hivePath.c_str(), 1);
  setenv("ORN_RUNTIME_DIR", (root / "run").c_str(), 1);
  setenv("TEMP", (root / "tmp").c_str(), 1);

  orn::platform::Hive hive(hivePath);
  const std::string key = std::string("HKEY_LOCAL_MACHINE\\") + orn::kProductKey;
  auto set = [&](const char* name, const std::string& value) {
    hive.SetValue(key, {name, orn::platform::ValueType::String, value});
  };
  set(orn::kValueInstallDirectory, install.string());
  set(orn::kValueCDKey, kDemoProductCode);
  const char* tasks[] = {"0", "1", "1", "1", "0", "1", "1", "1", "0", "1", "0", "1", "1"};
  for (size_t i = 0; i < std::size(orn::kTaskValueNames); ++i) set(orn::kTaskValueNames[i], tasks[i]);
  if (protect) {
    char stored[81];
    if (pwstringencrypt("demo", stored, sizeof stored) != 0) Fail("settings password could not be enciphered");
    set(orn::kValueConfigPassword, stored);
  }

  ConfigRecord record{};
  FillConfig(record);
  pwcrypt_init();
  const std::string configPath = (install / "orn.cfg").string();
  if (TILOCONF_varsave(configPath.c_str(), &record) > 1) Fail("orn.cfg could not be written");
  TILOCONF_varfree(&record);
  struct timespec times[2] = {{kFileTime, 0}, {kFileTime, 0}};
  utimensat(AT_FDCWD, configPath.c_str(), times, 0);

  // The branch office's file, written under its own product code.
  set(orn::kValueCDKey, kBranchProductCode);
  ConfigRecord branch{};
  FillBranchConfig(branch);
  pwcrypt_init();
  fs::create_directories(root / "import");
  const std::string branchPath = (root / "import" / "filiale.cfg").string();
  if (TILOCONF_varsave(branchPath.c_str(), &branch) > 1) Fail("filiale.cfg could not be written");
  TILOCONF_varfree(&branch);
  utimensat(AT_FDCWD, branchPath.c_str(), times, 0);
  set(orn::kValueCDKey, kDemoProductCode);

  WriteListFiles(install);
  WriteArspTree(install);
  FixFolderTimes(install);

  printf("export ORN_REGISTRY=%s\n", ShellQuote(hivePath).c_str());
  printf("export ORN_RUNTIME_DIR=%s\n", ShellQuote((root / "run").string()).c_str());
  printf("export TEMP=%s\n", ShellQuote((root / "tmp").string()).c_str());
  return 0;
}
