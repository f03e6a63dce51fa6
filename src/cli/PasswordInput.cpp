#include "cli/PasswordInput.h"

#include <fcntl.h>
#include <openssl/crypto.h>
#include <termios.h>
#include <unistd.h>

#include <csignal>
#include <cstdio>
#include <cstring>
#include <iterator>

namespace orn::cli {

namespace {

// Appends the first line of file to line; false at a read error.
bool ReadLine(FILE* file, std::string& line) {
  line.reserve(128);
  int c;
  while ((c = fgetc(file)) != EOF && c != '\n') line += static_cast<char>(c);
  if (!line.empty() && line.back() == '\r') line.pop_back();
  return !ferror(file);
}

// The terminal while echo is off, so that a signal that ends the program turns echo on again.
int echoFd = -1;
termios echoSaved;
const int kEndingSignals[] = {SIGINT, SIGTERM, SIGHUP, SIGQUIT, SIGTSTP};

extern "C" void RestoreEchoAndRaise(int signal) {
  tcsetattr(echoFd, TCSAFLUSH, &echoSaved);
  ::signal(signal, SIG_DFL);
  raise(signal);
}

// Prompts on the terminal tty and reads one line without echo.
bool PromptWithoutEcho(int tty, const char* prompt, std::string& line) {
  if (write(tty, prompt, strlen(prompt)) < 0) return false;
  termios quiet;
  if (tcgetattr(tty, &echoSaved) != 0) return false;
  quiet = echoSaved;
  quiet.c_lflag &= ~static_cast<tcflag_t>(ECHO);
  echoFd = tty;
  struct sigaction restore {
  }, saved[std::size(kEndingSignals)];
  restore.sa_handler = &RestoreEchoAndRaise;
  for (size_t i = 0; i < std::size(kEndingSignals); ++i) sigaction(kEndingSignals[i], &restore, &saved[i]);
  bool ok = tcsetattr(tty, TCSAFLUSH, &quiet) == 0;
  char c;
  ssize_t got = 0;
  while (ok && (got = read(tty, &c, 1)) == 1 && c != '\n') line += c;
  ok = ok && got >= 0;
  tcsetattr(tty, TCSAFLUSH, &echoSaved);
  for (size_t i = 0; i < std::size(kEndingSignals); ++i) sigaction(kEndingSignals[i], &saved[i], nullptr);
  echoFd = -1;
  OPENSSL_cleanse(&c, sizeof c);
  if (!line.empty() && line.back() == '\r') line.pop_back();
  return write(tty, "\n", 1) == 1 && ok;
}

bool FromFile(const std::string& path, Secret* password, std::string* error) {
  FILE* file = path == "-" ? stdin : fopen(path.c_str(), "rb");
  const bool ok = file && ReadLine(file, password->Text());
  if (file && file != stdin) fclose(file);
  if (!ok) {
    *error = "Die Kennwortdatei " + path + " konnte nicht gelesen werden.";
    return false;
  }
  // A password is a C string further down: a NUL would silently cut it short.
  if (password->Text().find('\0') != std::string::npos) {
    *error = "Die erste Zeile der Kennwortdatei " + path +
             " enthält ein NUL-Zeichen; ein solches Kennwort wird "
             "nicht angenommen.";
    return false;
  }
  return true;
}

bool FromTerminal(const PasswordSource& source, Secret* password, std::string* error) {
  const int tty = open("/dev/tty", O_RDWR | O_NOCTTY | O_CLOEXEC);
  if (tty < 0) {
    *error = std::string("Es wurde kein Kennwort angegeben: verwenden Sie ") + source.option +
             " DATEI (oder - für die Standardeingabe), oder rufen Sie den Befehl an einem Terminal auf.";
    return false;
  }
  bool ok = PromptWithoutEcho(tty, source.prompt, password->Text());
  if (ok && source.confirmPrompt) {
    Secret confirmation;
    ok = PromptWithoutEcho(tty, source.confirmPrompt, confirmation.Text());
    if (ok && confirmation.Text() != password->Text()) {
      close(tty);
      *error = "Die angegebenen Kennwörter stimmen nicht überein.";
      return false;
    }
  }
  close(tty);
  if (!ok) *error = "Das Kennwort konnte nicht gelesen werden.";
  return ok;
}

}  // namespace

Secret::~Secret() { OPENSSL_cleanse(text_.data(), text_.capacity()); }

bool ReadPassword(const PasswordSource& source, Secret* password, std::string* error) {
  password->Text().clear();
  return source.file ? FromFile(*source.file, password, error) : FromTerminal(source, password, error);
}

}  // namespace orn::cli
