#include "support/Slapd.h"

#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <signal.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>
#include <stdexcept>

namespace orn::test {

namespace {

// Debian's slapd package puts both here, outside the PATH of ordinary users.
constexpr const char* kSlapd = "/usr/sbin/slapd";
constexpr const char* kSlapadd = "/usr/sbin/slapadd";
constexpr int kStartAttempts = 5;
constexpr int kStartTimeoutMs = 10000;

// A port nobody listens on right now (the kernel's choice for port 0).
int FreePort() {
  const int s = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  socklen_t length = sizeof address;
  int port = 0;
  if (s >= 0 && bind(s, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0 &&
      getsockname(s, reinterpret_cast<sockaddr*>(&address), &length) == 0)
    port = ntohs(address.sin_port);
  if (s >= 0) close(s);
  return port;
}

bool Accepts(int port) {
  const int s = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_port = htons(static_cast<uint16_t>(port));
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  const bool connected = s >= 0 && connect(s, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0;
  if (s >= 0) close(s);
  return connected;
}

std::string Configuration(const Slapd::Config& config, const std::string& folder) {
  std::string text =
      "include /etc/ldap/schema/core.schema\n"
      "include /etc/ldap/schema/cosine.schema\n"
      "include /etc/ldap/schema/inetorgperson.schema\n"
      "include /etc/ldap/schema/nis.schema\n";
  if (!config.schema.empty()) text += "include " + folder + "/test.schema\n";
  text += "modulepath /usr/lib/ldap\nmoduleload back_mdb\n";
  text += "pidfile " + folder + "/slapd.pid\n";
  // The directory imitates one whose pages are small: a client must page to read it whole.
  text += config.stockLimits ? "sizelimit 500\n" : "sizelimit size.soft=500 size.hard=500 size.prtotal=unlimited\n";
  text += "database mdb\nmaxsize 268435456\n";
  text += "suffix \"" + config.suffix + "\"\n";
  text += "rootdn \"cn=admin," + config.suffix + "\"\n";
  text += std::string("rootpw ") + Slapd::kRootPassword + "\n";
  text += "directory " + folder + "/data\n";
  if (config.refuseAnonymous)
    text +=
        "access to attrs=userPassword by anonymous auth by * none\n"
        "access to * by users read by * none\n";
  else
    text +=
        "access to attrs=userPassword by anonymous auth by * none\n"
        "access to * by * read\n";
  return text;
}

}  // namespace

Slapd::Slapd(const Config& config) : suffix_(config.suffix) {
  const std::string folder = dir_.Path();
  std::filesystem::create_directories(folder + "/data");
  if (!config.schema.empty()) WriteFile(folder + "/test.schema", config.schema);
  WriteFile(folder + "/slapd.conf", Configuration(config, folder));
  WriteFile(folder + "/data.ldif", config.ldif);
  std::string output;
  const std::string load = std::string(kSlapadd) + " -q -f '" + folder + "/slapd.conf' -l '" + folder + "/data.ldif'";
  if (RunCommand(load + " 2>&1", &output) != 0) throw std::runtime_error("slapadd failed: " + output);
  for (int attempt = 0; attempt < kStartAttempts; ++attempt)
    if (Start(FreePort())) return;
  throw std::runtime_error("slapd did not start; see " + folder + "/slapd.log");
}

Slapd::~Slapd() { Stop(); }

bool Slapd::Start(int port) {
  if (port == 0) return false;
  const std::string folder = dir_.Path();
  const std::string listen = "ldap://127.0.0.1:" + std::to_string(port) + "/";
  const std::string conf = folder + "/slapd.conf";
  const pid_t pid = fork();
  if (pid < 0) return false;
  if (pid == 0) {
    const int log = open((folder + "/slapd.log").c_str(), O_WRONLY | O_CREAT | O_APPEND, 0600);
    if (log >= 0) {
      dup2(log, STDOUT_FILENO);
      dup2(log, STDERR_FILENO);
    }
    // -d 0 keeps slapd in the foreground, so that it stays our child.
    execl(kSlapd, "slapd", "-d", "0", "-h", listen.c_str(), "-f", conf.c_str(), static_cast<char*>(nullptr));
    _exit(127);
  }
  pid_ = pid;
  port_ = port;
  int status;
  const bool up = WaitFor([&] { return waitpid(pid, &status, WNOHANG) == 0 && Accepts(port); }, kStartTimeoutMs);
  if (up) return true;
  if (waitpid(pid, &status, WNOHANG) == 0) Stop();  // still running but not listening
  pid_ = -1;
  return false;
}

void Slapd::Stop() {
  if (pid_ <= 0) return;
  kill(pid_, SIGTERM);
  int status;
  if (!WaitFor([&] { return waitpid(pid_, &status, WNOHANG) == pid_; }, kStartTimeoutMs)) {
    kill(pid_, SIGKILL);
    waitpid(pid_, &status, 0);
  }
  pid_ = -1;
}

}  // namespace orn::test
