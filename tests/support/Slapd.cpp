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

constexpr int kTimeoutMs = 10000;

// Port 0: a free port on 127.0.0.1; otherwise whether somebody accepts connections there.
int Probe(int port) {
  const int s = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_port = htons(static_cast<uint16_t>(port));
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  socklen_t length = sizeof address;
  auto* a = reinterpret_cast<sockaddr*>(&address);
  int result = 0;
  if (s >= 0 && port == 0 && bind(s, a, length) == 0 && getsockname(s, a, &length) == 0)
    result = ntohs(address.sin_port);
  if (s >= 0 && port != 0) result = connect(s, a, length) == 0;
  if (s >= 0) close(s);
  return result;
}

std::string Configuration(const Slapd::Config& config, const std::string& folder) {
  std::string text;
  for (const char* schema : {"core", "cosine", "inetorgperson", "nis"})
    text += std::string("include /etc/ldap/schema/") + schema + ".schema\n";
  if (!config.schema.empty()) text += "include " + folder + "/test.schema\n";
  text += "modulepath /usr/lib/ldap\nmoduleload back_mdb\npidfile " + folder + "/slapd.pid\n";
  // The directory imitates one whose pages are small: a client must page to read it whole.
  text += config.stockLimits ? "sizelimit 500\n" : "sizelimit size.soft=500 size.hard=500 size.prtotal=unlimited\n";
  text += "database mdb\nmaxsize 268435456\nsuffix \"" + config.suffix + "\"\nrootdn \"cn=admin," + config.suffix +
          "\"\nrootpw geheim\ndirectory " + folder + "/data\n";
  text += "access to attrs=userPassword by anonymous auth by * none\n";
  text += config.refuseAnonymous ? "access to * by users read by * none\n" : "access to * by * read\n";
  return text;
}

}  // namespace

Slapd::Slapd(const Config& config) {
  const std::string folder = dir_.Path();
  std::filesystem::create_directories(folder + "/data");
  if (!config.schema.empty()) WriteFile(folder + "/test.schema", config.schema);
  WriteFile(folder + "/slapd.conf", Configuration(config, folder));
  WriteFile(folder + "/data.ldif", config.ldif);
  // Debian's slapd package puts its programs in /usr/sbin, outside the PATH of ordinary users.
  std::string output;
  if (RunCommand("/usr/sbin/slapadd -q -f '" + folder + "/slapd.conf' -l '" + folder + "/data.ldif' 2>&1", &output))
    throw std::runtime_error("slapadd failed: " + output);
  for (int attempt = 0; attempt < 5; ++attempt)
    if (Start(Probe(0))) return;
  throw std::runtime_error("slapd did not start; see " + folder + "/slapd.log");
}

Slapd::~Slapd() { Stop(); }

bool Slapd::Start(int port) {
  if (port == 0) return false;
  const std::string listen = "ldap://127.0.0.1:" + std::to_string(port) + "/", conf = dir_ / "slapd.conf";
  const pid_t pid = fork();
  if (pid < 0) return false;
  if (pid == 0) {
    const int log = open((dir_ / "slapd.log").c_str(), O_WRONLY | O_CREAT | O_APPEND, 0600);
    dup2(log, STDOUT_FILENO);
    dup2(log, STDERR_FILENO);
    // -d 0 keeps slapd in the foreground, so that it stays our child.
    execl("/usr/sbin/slapd", "slapd", "-d", "0", "-h", listen.c_str(), "-f", conf.c_str(), static_cast<char*>(nullptr));
    _exit(127);
  }
  pid_ = pid;
  port_ = port;
  int status;
  if (WaitFor([&] { return waitpid(pid, &status, WNOHANG) == 0 && Probe(port); }, kTimeoutMs)) return true;
  if (waitpid(pid, &status, WNOHANG) == 0) Stop();  // still running but not listening
  pid_ = -1;
  return false;
}

void Slapd::Stop() {
  if (pid_ <= 0) return;
  kill(pid_, SIGTERM);
  waitpid(pid_, nullptr, 0);
  pid_ = -1;
}

}  // namespace orn::test
