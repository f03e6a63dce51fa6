#include "platform/Hive.h"

#include "platform/AtomicFile.h"

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <functional>
#include <string_view>
#include <sys/file.h>
#include <sys/stat.h>
#include <system_error>
#include <unistd.h>
#include <unordered_map>

#include "platform/AsciiCase.h"

namespace orn::platform {

namespace {

constexpr std::string_view kHeader = "REGEDIT4";
constexpr size_t kHexColumns = 76;  // continuation lines keep hex values below 80 columns

struct Key {
  std::string path;    // as created
  std::string folded;  // lower case, for lookups
  std::vector<HiveValue> values;
};
using Model = std::vector<Key>;

// A key path: backslash-separated non-empty names, no NUL and no line break.
bool ValidKeyPath(std::string_view path) {
  if (path.empty() || path.front() == '\\' || path.back() == '\\') return false;
  if (path.find("\\\\") != std::string_view::npos) return false;
  return path.find_first_of(std::string_view("\0\r\n", 3)) == std::string_view::npos;
}

bool IsSpace(char c) { return c == ' ' || c == '\t'; }

std::string_view Trim(std::string_view s) {
  while (!s.empty() && IsSpace(s.front())) s.remove_prefix(1);
  while (!s.empty() && IsSpace(s.back())) s.remove_suffix(1);
  return s;
}

int HexDigit(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  c = AsciiLowerChar(c);
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  return -1;
}

std::string SystemText(int error) { return std::error_code(error, std::generic_category()).message(); }

[[noreturn]] void Fail(const std::string& path, const std::string& what) {
  throw HiveError("registry hive " + path + ": " + what);
}

// ---- reading ----

class Parser {
 public:
  Parser(std::string_view text, const std::string& path) : text_(text), path_(path) {}

  Model Run() {
    if (text_.empty()) return {};
    if (text_.find('\0') != std::string_view::npos) Fail(path_, "contains a NUL byte");
    std::string_view line;
    if (!NextLine(&line) || line != kHeader) Fail(path_, "does not start with REGEDIT4");
    while (NextLine(&line)) {
      std::string_view t = Trim(line);
      if (t.empty() || t.front() == ';') continue;
      if (t.front() == '[')
        Section(t);
      else if (t.front() == '"' || t.front() == '@')
        Value(t);
      else
        Error("not a section, value or comment");
    }
    return std::move(keys_);
  }

 private:
  // The next physical line without its LF or CR LF end.
  bool NextLine(std::string_view* line) {
    if (pos_ >= text_.size()) return false;
    size_t end = text_.find('\n', pos_);
    if (end == std::string_view::npos) end = text_.size();
    *line = text_.substr(pos_, end - pos_);
    if (!line->empty() && line->back() == '\r') line->remove_suffix(1);
    pos_ = end + 1;
    ++lineNumber_;
    return true;
  }

  [[noreturn]] void Error(const std::string& what) { Fail(path_, "line " + std::to_string(lineNumber_) + ": " + what); }

  void Section(std::string_view t) {
    if (t.size() < 2 || t.back() != ']') Error("section without closing bracket");
    std::string_view path = t.substr(1, t.size() - 2);
    if (!ValidKeyPath(path)) Error("bad key path");
    std::string folded = AsciiLower(path);
    auto [it, added] = keyIndex_.emplace(folded, keys_.size());
    if (added) {
      keys_.push_back(Key{std::string(path), std::move(folded), {}});
      valueIndex_.emplace_back();
    }
    current_ = it->second;
  }

  void Value(std::string_view t) {
    if (current_ == kNone) Error("value outside a section");
    size_t i = 0;
    std::string name;
    if (t[0] == '@')
      i = 1;
    else
      Quoted(t, &i, &name);
    while (i < t.size() && IsSpace(t[i])) ++i;
    if (i >= t.size() || t[i] != '=') Error("'=' expected after the value name");
    std::string_view rest = Trim(t.substr(i + 1));

    HiveValue value;
    value.name = std::move(name);
    if (!rest.empty() && rest.front() == '"') {
      size_t j = 0;
      Quoted(rest, &j, &value.data);
      if (j != rest.size()) Error("text after the closing quote");
    } else if (rest.starts_with("dword:")) {
      value.type = ValueType::Dword;
      value.data = Dword(rest.substr(6));
    } else if (rest.starts_with("hex:")) {
      value.type = ValueType::Binary;
      value.data = Hex(rest.substr(4));
    } else {
      Error("unknown value data");
    }
    Store(std::move(value));
  }

  // A quoted text starting at s[*i]; leaves *i after the closing quote.
  void Quoted(std::string_view s, size_t* i, std::string* out) {
    size_t k = *i + 1;
    for (;;) {
      if (k >= s.size()) Error("unterminated quoted text");
      char c = s[k++];
      if (c == '"') break;
      if (c != '\\') {
        out->push_back(c);
        continue;
      }
      if (k >= s.size()) Error("unterminated quoted text");
      switch (s[k++]) {
        case '\\':
          out->push_back('\\');
          break;
        case '"':
          out->push_back('"');
          break;
        case 'n':
          out->push_back('\n');
          break;
        case 'r':
          out->push_back('\r');
          break;
        default:
          Error("bad escape in quoted text");
      }
    }
    *i = k;
  }

  std::string Dword(std::string_view digits) {
    if (digits.empty() || digits.size() > 8) Error("bad dword");
    uint32_t number = 0;
    for (char c : digits) {
      int d = HexDigit(c);
      if (d < 0) Error("bad dword");
      number = number << 4 | static_cast<uint32_t>(d);
    }
    std::string data(4, '\0');
    for (int b = 0; b < 4; ++b) data[b] = static_cast<char>(number >> (8 * b) & 0xFF);
    return data;
  }

  // Bytes "xx,xx,..."; a line ending in a backslash continues on the next line.
  std::string Hex(std::string_view first) {
    std::string list;
    std::string_view segment = Trim(first);
    while (!segment.empty() && segment.back() == '\\') {
      segment.remove_suffix(1);
      list.append(segment);
      std::string_view next;
      if (!NextLine(&next)) Error("hex data continued past the end of the file");
      segment = Trim(next);
    }
    list.append(segment);

    std::string data;
    std::string_view rest = Trim(list);
    while (!rest.empty()) {
      size_t comma = rest.find(',');
      std::string_view item = Trim(rest.substr(0, comma));
      if (item.size() != 2 || HexDigit(item[0]) < 0 || HexDigit(item[1]) < 0) Error("bad hex byte");
      data.push_back(static_cast<char>(HexDigit(item[0]) << 4 | HexDigit(item[1])));
      if (comma == std::string_view::npos) break;
      rest = rest.substr(comma + 1);
      if (Trim(rest).empty()) Error("bad hex byte");
    }
    return data;
  }

  // A later line for the same value name replaces the data and keeps the first position.
  void Store(HiveValue value) {
    Key& key = keys_[current_];
    auto [it, added] = valueIndex_[current_].emplace(AsciiLower(value.name), key.values.size());
    if (added) {
      key.values.push_back(std::move(value));
    } else {
      HiveValue& old = key.values[it->second];
      old.type = value.type;
      old.data = std::move(value.data);
    }
  }

  static constexpr size_t kNone = static_cast<size_t>(-1);
  std::string_view text_;
  const std::string& path_;
  size_t pos_ = 0;
  size_t lineNumber_ = 0;
  size_t current_ = kNone;
  Model keys_;
  std::unordered_map<std::string, size_t> keyIndex_;
  std::vector<std::unordered_map<std::string, size_t>> valueIndex_;
};

// The file's bytes; nullopt when it does not exist.
std::optional<std::string> ReadHiveFile(const std::string& path) {
  int fd = open(path.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) {
    if (errno == ENOENT) return std::nullopt;
    Fail(path, SystemText(errno));
  }
  std::string text;
  char buffer[65536];
  for (;;) {
    ssize_t n = read(fd, buffer, sizeof buffer);
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) {
      int error = errno;
      close(fd);
      Fail(path, SystemText(error));
    }
    if (n == 0) break;
    text.append(buffer, static_cast<size_t>(n));
  }
  close(fd);
  return text;
}

Model Load(const std::string& path) {
  std::optional<std::string> text = ReadHiveFile(path);
  return text ? Parser(*text, path).Run() : Model{};
}

// ---- writing ----

void AppendQuoted(std::string* out, std::string_view s) {
  out->push_back('"');
  for (char c : s) {
    switch (c) {
      case '\\':
        out->append("\\\\");
        break;
      case '"':
        out->append("\\\"");
        break;
      case '\n':
        out->append("\\n");
        break;
      case '\r':
        out->append("\\r");
        break;
      default:
        out->push_back(c);
    }
  }
  out->push_back('"');
}

void AppendValue(std::string* out, const HiveValue& value) {
  static const char kDigits[] = "0123456789abcdef";
  size_t lineStart = out->size();
  if (value.name.empty())
    out->push_back('@');
  else
    AppendQuoted(out, value.name);
  out->push_back('=');
  switch (value.type) {
    case ValueType::String:
      AppendQuoted(out, value.data);
      break;
    case ValueType::Dword: {
      out->append("dword:");
      for (int b = 3; b >= 0; --b) {
        auto byte = static_cast<unsigned char>(value.data[b]);
        out->push_back(kDigits[byte >> 4]);
        out->push_back(kDigits[byte & 15]);
      }
      break;
    }
    case ValueType::Binary:
      out->append("hex:");
      for (size_t i = 0; i < value.data.size(); ++i) {
        if (i > 0) {
          out->push_back(',');
          if (out->size() - lineStart > kHexColumns) {
            out->append("\\\n  ");
            lineStart = out->size() - 2;
          }
        }
        auto byte = static_cast<unsigned char>(value.data[i]);
        out->push_back(kDigits[byte >> 4]);
        out->push_back(kDigits[byte & 15]);
      }
      break;
  }
  out->push_back('\n');
}

std::string Serialize(const Model& keys) {
  std::string out(kHeader);
  out.append("\n\n");
  for (const Key& key : keys) {
    out.push_back('[');
    out.append(key.path);
    out.append("]\n");
    for (const HiveValue& value : key.values) AppendValue(&out, value);
    out.push_back('\n');
  }
  return out;
}

// The exclusive lock on "<hive>.lock" that every change holds.
class ChangeLock {
 public:
  explicit ChangeLock(const std::string& hive) {
    std::string path = hive + ".lock";
    fd_ = open(path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
    if (fd_ < 0) Fail(hive, "lock file: " + SystemText(errno));
    while (flock(fd_, LOCK_EX) != 0) {
      if (errno == EINTR) continue;
      int error = errno;
      close(fd_);
      Fail(hive, "lock: " + SystemText(error));
    }
  }
  ~ChangeLock() { close(fd_); }
  ChangeLock(const ChangeLock&) = delete;
  ChangeLock& operator=(const ChangeLock&) = delete;

 private:
  int fd_;
};

// Writes the new hive beside the old one, flushes it and renames it over the old one.
void Replace(const std::string& hive, const std::string& text) {
  struct stat old {};
  const bool hadHive = stat(hive.c_str(), &old) == 0;
  AtomicFile file(hive, hadHive ? old.st_mode & 07777 : kPrivateFileMode);
  if (!file.IsOpen()) Fail(hive, "temporary file: " + SystemText(errno));
  // Root keeps the owner of a hive it rewrites; others cannot and need not.
  if (hadHive && geteuid() == 0 && fchown(file.Fd(), old.st_uid, old.st_gid) != 0)
    Fail(hive, "cannot be written: " + SystemText(errno));
  if (!file.Write(text.data(), text.size()) || !file.Commit(Durability::DataAndDirectory))
    Fail(hive, "cannot be written: " + SystemText(errno));
}

// Runs one change under the lock; apply returns whether it changed anything.
bool Modify(const std::string& hive, const std::function<bool(Model&)>& apply) {
  ChangeLock lock(hive);
  RemoveLeftovers(ParentFolder(hive));
  Model keys = Load(hive);
  if (!apply(keys)) return false;
  Replace(hive, Serialize(keys));
  return true;
}

// ---- lookups ----

bool IsSameOrBelow(const std::string& folded, const std::string& key) {
  return folded.size() >= key.size() && folded.compare(0, key.size(), key) == 0 &&
         (folded.size() == key.size() || folded[key.size()] == '\\');
}

Key* FindKey(Model& keys, const std::string& folded) {
  for (Key& key : keys)
    if (key.folded == folded) return &key;
  return nullptr;
}

std::vector<HiveValue>::iterator FindValue(Key& key, const std::string& name) {
  for (auto it = key.values.begin(); it != key.values.end(); ++it)
    if (EqualsIgnoringAsciiCase(it->name, name)) return it;
  return key.values.end();
}

// The length of the leading whole names two folded key paths share.
size_t SharedLength(const std::string& a, const std::string& b) {
  size_t shared = 0;
  for (size_t n = 0;;) {
    size_t endA = std::min(a.find('\\', n), a.size());
    size_t endB = std::min(b.find('\\', n), b.size());
    if (endA != endB || a.compare(n, endA - n, b, n, endB - n) != 0) return shared;
    shared = endA;
    if (endA == a.size() || endB == b.size()) return shared;
    n = endA + 1;
  }
}

// The spelling for a new key: the leading names that already exist keep their stored case.
std::string Spelling(const Model& keys, const std::string& path) {
  std::string folded = AsciiLower(path);
  std::string best = path;
  size_t bestLength = 0;
  for (const Key& key : keys) {
    size_t n = SharedLength(folded, key.folded);
    if (n > bestLength) {
      bestLength = n;
      best = key.path.substr(0, n) + path.substr(n);
    }
  }
  return best;
}

Key& CreateIn(Model& keys, const std::string& path) {
  std::string folded = AsciiLower(path);
  if (Key* key = FindKey(keys, folded)) return *key;
  keys.push_back(Key{Spelling(keys, path), std::move(folded), {}});
  return keys.back();
}

void CheckKeyPath(const std::string& hive, const std::string& key) {
  if (!ValidKeyPath(key)) Fail(hive, "bad key path");
}

}  // namespace

Hive::Hive(std::string path) : path_(std::move(path)) {}

std::string Hive::DefaultPath() {
  const char* path = getenv("ORN_REGISTRY");
  return path && *path ? path : "/etc/orn/registry.reg";
}

bool Hive::CanRead() const {
  if (access(path_.c_str(), R_OK) == 0) return true;
  return errno == ENOENT && access(ParentFolder(path_).c_str(), X_OK) == 0;
}

bool Hive::CanWrite() const {
  if (access(ParentFolder(path_).c_str(), W_OK | X_OK) != 0) return false;
  return access(path_.c_str(), W_OK) == 0 || errno == ENOENT;
}

bool Hive::KeyExists(const std::string& key) const {
  Model keys = Load(path_);
  if (!ValidKeyPath(key)) return false;
  std::string folded = AsciiLower(key);
  for (const Key& k : keys)
    if (IsSameOrBelow(k.folded, folded)) return true;
  return false;
}

std::optional<HiveValue> Hive::GetValue(const std::string& key, const std::string& name) const {
  Model keys = Load(path_);
  const Key* k = FindKey(keys, AsciiLower(key));
  if (!k) return std::nullopt;
  for (const HiveValue& value : k->values)
    if (EqualsIgnoringAsciiCase(value.name, name)) return value;
  return std::nullopt;
}

std::vector<HiveValue> Hive::ListValues(const std::string& key) const {
  Model keys = Load(path_);
  const Key* k = FindKey(keys, AsciiLower(key));
  return k ? k->values : std::vector<HiveValue>{};
}

void Hive::CreateKey(const std::string& key) {
  CheckKeyPath(path_, key);
  Modify(path_, [&](Model& keys) {
    std::string folded = AsciiLower(key);
    for (const Key& k : keys)
      if (IsSameOrBelow(k.folded, folded)) return false;  // exists already (maybe as a parent)
    CreateIn(keys, key);
    return true;
  });
}

void Hive::SetValue(const std::string& key, const HiveValue& value) {
  CheckKeyPath(path_, key);
  if (value.name.find('\0') != std::string::npos) Fail(path_, "NUL in a value name");
  if (value.type == ValueType::String && value.data.find('\0') != std::string::npos) Fail(path_, "NUL in a text value");
  if (value.type == ValueType::Dword && value.data.size() != 4) Fail(path_, "dword not 4 bytes");
  if (value.type != ValueType::String && value.type != ValueType::Dword && value.type != ValueType::Binary)
    Fail(path_, "unknown value type");
  Modify(path_, [&](Model& keys) {
    Key& k = CreateIn(keys, key);
    auto it = FindValue(k, value.name);
    if (it == k.values.end()) {
      k.values.push_back(value);
    } else {
      if (it->type == value.type && it->data == value.data) return false;
      it->type = value.type;
      it->data = value.data;
    }
    return true;
  });
}

bool Hive::DeleteValue(const std::string& key, const std::string& name) {
  return Modify(path_, [&](Model& keys) {
    Key* k = FindKey(keys, AsciiLower(key));
    if (!k) return false;
    auto it = FindValue(*k, name);
    if (it == k->values.end()) return false;
    k->values.erase(it);
    return true;
  });
}

bool Hive::DeleteKey(const std::string& key) {
  return Modify(path_, [&](Model& keys) {
    if (!ValidKeyPath(key)) return false;
    std::string folded = AsciiLower(key);
    return std::erase_if(keys, [&](const Key& k) { return IsSameOrBelow(k.folded, folded); }) > 0;
  });
}

}  // namespace orn::platform
