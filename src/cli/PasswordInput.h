// Where a command takes a password from: the first line of a file named by an option ("-" for
// standard input), or else, on a terminal, a prompt without echo on /dev/tty. Never from an
// argument or the environment, so that a password shows neither in the process list nor in a
// shell's history.
#pragma once

#include <string>

namespace orn::cli {

// A password that is wiped from memory when it goes.
class Secret {
 public:
  Secret() = default;
  ~Secret();
  Secret(const Secret&) = delete;
  Secret& operator=(const Secret&) = delete;
  std::string& Text() { return text_; }
  const char* c_str() const { return text_.c_str(); }
  bool empty() const { return text_.empty(); }

 private:
  std::string text_;
};

struct PasswordSource {
  const std::string* file;                 // the value of the command's file option, or null
  const char* prompt;                      // "Kennwort: "
  const char* confirmPrompt = nullptr;     // when set, a terminal asks a second time and compares
  const char* option = "--password-file";  // named when there is neither a file nor a terminal
};

// Reads the password; returns false with *error set to the message when there is none to read,
// the file cannot be read or its first line holds a NUL byte, or the two entries on a terminal
// differ. The line end (LF or CR LF) is
// not part of the password.
bool ReadPassword(const PasswordSource& source, Secret* password, std::string* error);

}  // namespace orn::cli
