// A real OpenLDAP server on 127.0.0.1 with a free port, loaded with slapadd; stopped with the object.
#pragma once

#include <sys/types.h>

#include <string>

#include "support/TestSupport.h"

namespace orn::test {

class Slapd {
 public:
  struct Config {
    std::string suffix = "dc=orn-test,dc=de";
    std::string schema;            // further schema definitions (slapd.conf syntax)
    std::string ldif;              // the directory's entries, suffix entry first
    bool refuseAnonymous = false;  // only bound users may read
    // "sizelimit 500" as a stock server has it: no client reads more than 500 entries of one
    // search, paged or not. Otherwise the limit holds per page only (size.prtotal=unlimited).
    bool stockLimits = false;
  };

  // Throws std::runtime_error when slapadd fails or the server does not come up.
  explicit Slapd(const Config& config);
  ~Slapd();
  Slapd(const Slapd&) = delete;
  Slapd& operator=(const Slapd&) = delete;

  std::string HostPort() const { return "127.0.0.1:" + std::to_string(port_); }
  std::string Uri() const { return "ldap://" + HostPort(); }

 private:
  bool Start(int port);
  void Stop();

  ScratchDir dir_;
  pid_t pid_ = -1;
  int port_ = 0;
};

}  // namespace orn::test
