// users_bench: export of all users to CSV and import of new users, for 10,000 and 100,000 users.
// Prints the medians and our peak memory, and ends with
//   growth export=X import=Y
// where X and Y are the time for 100,000 over ten times the time for 10,000 (1.0 is linear).
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <functional>
#include <unistd.h>
#include <string>
#include <sys/resource.h>
#include <vector>

#include "config/ConfigHolder.h"
#include "users/CSVUserExporter.h"
#include "users/ConfigUsers.h"

namespace fs = std::filesystem;

namespace {

constexpr int kRuns = 5;

double Seconds(const std::function<void()>& work) {
  const auto start = std::chrono::steady_clock::now();
  work();
  return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

double Median(std::vector<double> values) {
  std::sort(values.begin(), values.end());
  return values[values.size() / 2];
}

template <typename T>
T* New() {
  return static_cast<T*>(calloc(1, sizeof(T)));
}

// A configuration of n users, each owning one address, saved with enciphered passwords.
void WriteConfig(const std::string& path, int n) {
  orn::ConfigHolder holder(new ConfigRecord{});
  ConfigRecord* record = holder.Record();
  record->general = New<TILOCONF_general>();
  record->general->configured = 1;
  record->users = New<TILOCONF_userpart>();
  record->mail = New<TILOCONF_mailpart>();
  TILOCONF_user** userTail = &record->users->users;
  TILOCONF_emailaddress** addressTail = &record->mail->addresses;
  for (int i = 0; i < n; ++i) {
    const std::string name = "user" + std::to_string(i);
    auto* user = New<TILOCONF_user>();
    user->name = strdup(name.c_str());
    user->fullname = strdup(("Benutzer Nummer " + std::to_string(i)).c_str());
    user->password = strdup(("pw-" + std::to_string(i * 7919)).c_str());
    user->email = strdup((name + "@firma-demo.de").c_str());
    *userTail = user;
    userTail = &user->next;
    auto* address = New<TILOCONF_emailaddress>();
    address->kind = TILOCONF_ADDR_MAILBOX;
    address->address = strdup(user->email);
    stringlist_append_string(&address->owners, user->name);
    *addressTail = address;
    addressTail = &address->next;
  }
  holder.Save(path.c_str(), true);
}

// n users to import: every second one exists already under another letter case.
orn::ImportUserList ImportList(int n) {
  orn::ImportUserList users;
  for (int i = 0; i < n; ++i) {
    std::string name = i % 2 ? "USER" + std::to_string(i) : "neu" + std::to_string(i);
    users.Append({name, "Neuer Benutzer", {name + "@firma-demo.de"}});
  }
  return users;
}

struct Figures {
  double exportSeconds;
  double importSeconds;
};

Figures Measure(const fs::path& dir, int n) {
  const std::string pristine = (dir / ("orn-" + std::to_string(n) + ".cfg")).string();
  const std::string work = (dir / "work.cfg").string();
  const std::string csv = (dir / "users.csv").string();
  WriteConfig(pristine, n);
  const orn::ImportUserList users = ImportList(n);
  std::vector<double> exports, imports;
  for (int run = 0; run < kRuns; ++run) {
    exports.push_back(
        Seconds([&] { orn::CCSVUserExporter(csv, ';', false).Export(orn::ReadUsers(pristine.c_str())); }));
    fs::copy_file(pristine, work, fs::copy_options::overwrite_existing);
    imports.push_back(Seconds([&] { orn::AddUsers(work.c_str(), users); }));
  }
  return {Median(exports), Median(imports)};
}

}  // namespace

int main() {
  const fs::path dir = fs::temp_directory_path() / ("users-bench-" + std::to_string(getpid()));
  fs::create_directories(dir);
  const std::string hive = (dir / "registry.reg").string();
  FILE* h = fopen(hive.c_str(), "w");
  fputs("REGEDIT4\n\n[HKEY_LOCAL_MACHINE\\Software\\OSKA\\ORN\\CurrentVersion]\n\"CDKey\"=\"A7K2QXM4P9ZRT3CW8N\"\n", h);
  fclose(h);
  setenv("ORN_REGISTRY", hive.c_str(), 1);
  setenv("TEMP", dir.c_str(), 1);

  const Figures small = Measure(dir, 10000);
  printf("10000 users:  export %.3f s  import %.3f s  (median of %d)\n", small.exportSeconds, small.importSeconds,
         kRuns);
  const Figures large = Measure(dir, 100000);
  printf("100000 users: export %.3f s  import %.3f s  (median of %d)\n", large.exportSeconds, large.importSeconds,
         kRuns);
  struct rusage usage {};
  getrusage(RUSAGE_SELF, &usage);
  printf("peak memory: %.1f MB\n", usage.ru_maxrss / 1024.0);
  fs::remove_all(dir);
  printf("growth export=%.2f import=%.2f\n", large.exportSeconds / (10 * small.exportSeconds),
         large.importSeconds / (10 * small.importSeconds));
  return 0;
}
