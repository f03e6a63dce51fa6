// The message exception: the way the configuration, registry, server-stop, user, delimited-file
// and directory layers report failure. It carries a constant text (German for what the user reads,
// English for internal texts); the page or command that started the work shows it inside its own
// message. Deliberately not derived from std::exception, so that a second handler for "any other
// exception" sees only the other kinds.
#pragma once

namespace orn {

class MessageError {
 public:
  constexpr explicit MessageError(const char* text) : text_(text ? text : "") {}
  constexpr const char* Text() const { return text_; }

 private:
  const char* text_;
};

}  // namespace orn
