#include "tiloconf/ConfigFormat.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstddef>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <span>

#include "platform/AtomicFile.h"
#include "tiloconf/ConfigText.h"

namespace orn::tiloconf {

namespace {

constexpr std::string_view kMagic = "ORNCFG ";
constexpr std::string_view kEndLine = "END";

// ---------------------------------------------------------------------------------------------
// The layout: which blocks exist, which keys each holds and where they land in the C structs.
// Reader and writer both work from these tables, so that they cannot disagree.

enum class FieldKind { Text, Number, Password, Owners };

struct Field {
  std::string_view key;
  FieldKind kind;
  size_t offset;
};

#define ORN_FIELD(type, key, kind, member) \
  Field { key, FieldKind::kind, offsetof(type, member) }

constexpr Field kGeneralFields[] = {
    ORN_FIELD(TILOCONF_general, "ServerName", Text, servername),
    ORN_FIELD(TILOCONF_general, "Domain", Text, domain),
    ORN_FIELD(TILOCONF_general, "Configured", Number, configured),
    ORN_FIELD(TILOCONF_general, "Postmaster", Text, postmaster),
    ORN_FIELD(TILOCONF_general, "Language", Text, language),
};
constexpr Field kInetFields[] = {
    ORN_FIELD(TILOCONF_inetpart, "DefaultProvider", Text, defaultprovider),
    ORN_FIELD(TILOCONF_inetpart, "IdleTimeout", Number, idletimeout),
    ORN_FIELD(TILOCONF_inetpart, "ProxyPort", Number, proxyport),
};
constexpr Field kProviderFields[] = {
    ORN_FIELD(TILOCONF_provider, "Name", Text, name),
    ORN_FIELD(TILOCONF_provider, "Login", Text, login),
    ORN_FIELD(TILOCONF_provider, "Password", Password, password),
    ORN_FIELD(TILOCONF_provider, "Dialin", Text, dialin),
};
constexpr Field kMailFields[] = {
    ORN_FIELD(TILOCONF_mailpart, "SmtpRelay", Text, smtprelay),
    ORN_FIELD(TILOCONF_mailpart, "SmtpPort", Number, smtpport),
    ORN_FIELD(TILOCONF_mailpart, "PollInterval", Number, pollinterval),
};
constexpr Field kAccountFields[] = {
    ORN_FIELD(TILOCONF_mailaccount, "Server", Text, server),
    ORN_FIELD(TILOCONF_mailaccount, "Login", Text, login),
    ORN_FIELD(TILOCONF_mailaccount, "Password", Password, password),
    ORN_FIELD(TILOCONF_mailaccount, "Password2", Password, password2),
    ORN_FIELD(TILOCONF_mailaccount, "Recipient", Text, recipient),
    ORN_FIELD(TILOCONF_mailaccount, "Port", Number, port),
};
constexpr Field kAddressFields[] = {
    ORN_FIELD(TILOCONF_emailaddress, "Kind", Number, kind),
    ORN_FIELD(TILOCONF_emailaddress, "Address", Text, address),
    ORN_FIELD(TILOCONF_emailaddress, "Owner", Owners, owners),
};
constexpr Field kUserFields[] = {
    ORN_FIELD(TILOCONF_user, "FullName", Text, fullname),     ORN_FIELD(TILOCONF_user, "Name", Text, name),
    ORN_FIELD(TILOCONF_user, "Password", Password, password), ORN_FIELD(TILOCONF_user, "Email", Text, email),
    ORN_FIELD(TILOCONF_user, "Rights", Number, rights),
};
constexpr Field kSectionFields[] = {
    ORN_FIELD(TILOCONF_section, "Name", Text, name),
    ORN_FIELD(TILOCONF_section, "Text", Text, text),
};

#undef ORN_FIELD

enum class Block { None, General, Inet, Provider, Mail, Account, Address, Users, User, Section };

struct BlockInfo {
  Block block;
  std::string_view heading;  // the line that opens the block
  Block parent;              // the part an entry block belongs to; None for parts and sections
  std::span<const Field> fields;
};

constexpr BlockInfo kBlocks[] = {
    {Block::General, "[general]", Block::None, kGeneralFields},
    {Block::Inet, "[inet]", Block::None, kInetFields},
    {Block::Provider, "[provider]", Block::Inet, kProviderFields},
    {Block::Mail, "[mail]", Block::None, kMailFields},
    {Block::Account, "[account]", Block::Mail, kAccountFields},
    {Block::Address, "[address]", Block::Mail, kAddressFields},
    {Block::Users, "[users]", Block::None, {}},
    {Block::User, "[user]", Block::Users, kUserFields},
    {Block::Section, "[section]", Block::None, kSectionFields},
};

const BlockInfo& InfoOf(Block block) {
  for (const BlockInfo& info : kBlocks)
    if (info.block == block) return info;
  abort();  // every Block has a row
}

char*& TextAt(void* object, const Field& field) {
  return *reinterpret_cast<char**>(static_cast<char*>(object) + field.offset);
}
intptr_t& NumberAt(void* object, const Field& field) {
  return *reinterpret_cast<intptr_t*>(static_cast<char*>(object) + field.offset);
}
stringlist*& OwnersAt(void* object, const Field& field) {
  return *reinterpret_cast<stringlist**>(static_cast<char*>(object) + field.offset);
}

// ---------------------------------------------------------------------------------------------
// Writer

void AppendLine(std::string& out, std::string_view key, std::string_view value) {
  out += key;
  out += '=';
  AppendEscaped(out, value);
  out += '\n';
}

void AppendBlock(std::string& out, Block block, const void* constObject, config_pwfunc encrypt) {
  const BlockInfo& info = InfoOf(block);
  // The accessors are shared with the reader; the writer only reads through them.
  void* object = const_cast<void*>(constObject);
  out += '\n';
  out += info.heading;
  out += '\n';
  for (const Field& field : info.fields) {
    switch (field.kind) {
      case FieldKind::Text:
        if (const char* text = TextAt(object, field)) AppendLine(out, field.key, text);
        break;
      case FieldKind::Number:
        out += field.key;
        out += '=';
        AppendNumber(out, NumberAt(object, field));
        out += '\n';
        break;
      case FieldKind::Password: {
        const char* text = TextAt(object, field);
        if (!text) break;
        std::unique_ptr<char, FreeDeleter> enciphered(encrypt ? encrypt(text) : nullptr);
        if (enciphered) {
          out += field.key;
          AppendLine(out, "*", enciphered.get());
        } else {
          AppendLine(out, field.key, text);
        }
        break;
      }
      case FieldKind::Owners:
        for (const stringlist* owner = OwnersAt(object, field); owner; owner = owner->next)
          if (owner->string) AppendLine(out, field.key, owner->string);
        break;
    }
  }
}

template <class Entry>
void AppendEntries(std::string& out, Block block, const Entry* head, config_pwfunc encrypt) {
  for (const Entry* entry = head; entry; entry = entry->next) AppendBlock(out, block, entry, encrypt);
}

// ---------------------------------------------------------------------------------------------
// Reader

class Parser {
 public:
  Parser(ConfigRecord* record, config_pwfunc decrypt) : record_(record), decrypt_(decrypt) {}

  uint16_t Run(std::string_view data);

 private:
  uint16_t Heading(std::string_view line);
  uint16_t Assignment(std::string_view line);
  uint16_t StoreText(std::string_view value, bool enciphered, char** target);

  template <class T>
  T* Allocate() {
    return static_cast<T*>(calloc(1, sizeof(T)));
  }

  ConfigRecord* record_;
  config_pwfunc decrypt_;
  Block block_ = Block::None;  // the block whose lines follow
  Block part_ = Block::None;   // the part whose entries may follow
  void* object_ = nullptr;     // the struct the lines of block_ fill
  uint32_t seen_ = 0;          // the fields of block_ given so far
  TILOCONF_provider** providerTail_ = nullptr;
  TILOCONF_mailaccount** accountTail_ = nullptr;
  TILOCONF_emailaddress** addressTail_ = nullptr;
  TILOCONF_user** userTail_ = nullptr;
  TILOCONF_section** sectionTail_ = nullptr;
  stringlist** ownerTail_ = nullptr;
};

uint16_t Parser::Run(std::string_view data) {
  sectionTail_ = &record_->sections;

  // "ORNCFG <version>": a first line of any other shape is not ours.
  const size_t firstEnd = data.find('\n');
  std::string_view first = data.substr(0, firstEnd);
  if (first.ends_with('\r')) first.remove_suffix(1);
  if (!first.starts_with(kMagic)) return TILOCONF_ERR_NOTCONFIG;
  const std::string_view version = first.substr(kMagic.size());
  if (version.empty() || version.size() > 9 || version.find_first_not_of("0123456789") != std::string_view::npos)
    return TILOCONF_ERR_NOTCONFIG;
  if (version != std::to_string(kFormatVersion)) return TILOCONF_ERR_VERSION;
  if (firstEnd == std::string_view::npos) return TILOCONF_ERR_SYNTAX;

  bool ended = false;
  for (size_t pos = firstEnd + 1; pos < data.size();) {
    // Look for the line end no further than the longest line allowed.
    const std::string_view rest = data.substr(pos);
    const size_t lineEnd = rest.substr(0, kMaxLineLength + 1).find('\n');
    if (lineEnd == std::string_view::npos)
      return rest.size() > kMaxLineLength ? TILOCONF_ERR_TOOLARGE : TILOCONF_ERR_SYNTAX;  // the file is cut short
    std::string_view line = rest.substr(0, lineEnd);
    pos += lineEnd + 1;
    if (line.ends_with('\r')) line.remove_suffix(1);

    if (ended) return TILOCONF_ERR_SYNTAX;  // nothing may follow the end line
    if (line.empty() || line.front() == '#') continue;
    uint16_t result = TILOCONF_OK;
    if (line == kEndLine)
      ended = true;
    else if (line.front() == '[')
      result = Heading(line);
    else
      result = Assignment(line);
    if (result != TILOCONF_OK) return result;
  }
  return ended ? TILOCONF_OK : TILOCONF_ERR_SYNTAX;
}

uint16_t Parser::Heading(std::string_view line) {
  const BlockInfo* info = nullptr;
  for (const BlockInfo& candidate : kBlocks)
    if (candidate.heading == line) info = &candidate;
  if (!info) return TILOCONF_ERR_SYNTAX;
  if (info->parent != Block::None && info->parent != part_) return TILOCONF_ERR_SYNTAX;

  void* object = nullptr;
  switch (info->block) {
    case Block::General:
      if (record_->general) return TILOCONF_ERR_SYNTAX;
      object = record_->general = Allocate<TILOCONF_general>();
      break;
    case Block::Inet:
      if (record_->inet) return TILOCONF_ERR_SYNTAX;
      object = record_->inet = Allocate<TILOCONF_inetpart>();
      if (record_->inet) providerTail_ = &record_->inet->providers;
      break;
    case Block::Mail:
      if (record_->mail) return TILOCONF_ERR_SYNTAX;
      object = record_->mail = Allocate<TILOCONF_mailpart>();
      if (record_->mail) {
        accountTail_ = &record_->mail->accounts;
        addressTail_ = &record_->mail->addresses;
      }
      break;
    case Block::Users:
      if (record_->users) return TILOCONF_ERR_SYNTAX;
      object = record_->users = Allocate<TILOCONF_userpart>();
      if (record_->users) userTail_ = &record_->users->users;
      break;
    case Block::Provider:
      if (auto* entry = Allocate<TILOCONF_provider>()) {
        *providerTail_ = entry;
        providerTail_ = &entry->next;
        object = entry;
      }
      break;
    case Block::Account:
      if (auto* entry = Allocate<TILOCONF_mailaccount>()) {
        *accountTail_ = entry;
        accountTail_ = &entry->next;
        object = entry;
      }
      break;
    case Block::Address:
      if (auto* entry = Allocate<TILOCONF_emailaddress>()) {
        *addressTail_ = entry;
        addressTail_ = &entry->next;
        ownerTail_ = &entry->owners;
        object = entry;
      }
      break;
    case Block::User:
      if (auto* entry = Allocate<TILOCONF_user>()) {
        *userTail_ = entry;
        userTail_ = &entry->next;
        object = entry;
      }
      break;
    case Block::Section:
      if (auto* entry = Allocate<TILOCONF_section>()) {
        *sectionTail_ = entry;
        sectionTail_ = &entry->next;
        object = entry;
      }
      break;
    case Block::None:
      break;
  }
  if (!object) return TILOCONF_ERR_NOMEMORY;
  if (info->parent == Block::None) part_ = info->block == Block::Section ? Block::None : info->block;
  block_ = info->block;
  object_ = object;
  seen_ = 0;
  return TILOCONF_OK;
}

uint16_t Parser::Assignment(std::string_view line) {
  const size_t equals = line.find('=');
  if (equals == std::string_view::npos || block_ == Block::None) return TILOCONF_ERR_SYNTAX;
  std::string_view key = line.substr(0, equals);
  const std::string_view value = line.substr(equals + 1);
  const bool enciphered = key.ends_with('*');
  if (enciphered) key.remove_suffix(1);

  const std::span<const Field> fields = InfoOf(block_).fields;
  size_t index = 0;
  while (index < fields.size() && fields[index].key != key) ++index;
  if (index == fields.size()) return TILOCONF_ERR_SYNTAX;
  const Field& field = fields[index];
  if (enciphered && field.kind != FieldKind::Password) return TILOCONF_ERR_SYNTAX;
  if (field.kind != FieldKind::Owners) {
    if (seen_ & (1u << index)) return TILOCONF_ERR_SYNTAX;  // a key given twice
    seen_ |= 1u << index;
  }

  switch (field.kind) {
    case FieldKind::Number:
      return ParseNumber(value, &NumberAt(object_, field)) ? TILOCONF_OK : TILOCONF_ERR_SYNTAX;
    case FieldKind::Text:
    case FieldKind::Password:
      return StoreText(value, enciphered, &TextAt(object_, field));
    case FieldKind::Owners: {
      char* text = nullptr;
      if (const uint16_t result = StoreText(value, false, &text); result != TILOCONF_OK) return result;
      auto* node = Allocate<stringlist>();
      if (!node) {
        free(text);
        return TILOCONF_ERR_NOMEMORY;
      }
      node->string = text;
      *ownerTail_ = node;
      ownerTail_ = &node->next;
      return TILOCONF_OK;
    }
  }
  return TILOCONF_ERR_SYNTAX;
}

uint16_t Parser::StoreText(std::string_view value, bool enciphered, char** target) {
  char* text = nullptr;
  switch (DecodeEscaped(value, &text)) {
    case DecodeResult::Ok:
      break;
    case DecodeResult::Malformed:
      return TILOCONF_ERR_SYNTAX;
    case DecodeResult::NoMemory:
      return TILOCONF_ERR_NOMEMORY;
  }
  if (enciphered && decrypt_) {
    if (char* plain = decrypt_(text)) {
      free(text);
      text = plain;
    }
  }
  *target = text;
  return TILOCONF_OK;
}

}  // namespace

uint16_t ParseConfig(std::string_view data, ConfigRecord* record, config_pwfunc decrypt) {
  return Parser(record, decrypt).Run(data);
}

std::string FormatConfig(const ConfigRecord& record, config_pwfunc encrypt) {
  std::string out = std::string(kMagic) + std::to_string(kFormatVersion) + '\n';
  if (record.general) AppendBlock(out, Block::General, record.general, encrypt);
  if (const TILOCONF_inetpart* inet = record.inet) {
    AppendBlock(out, Block::Inet, inet, encrypt);
    AppendEntries(out, Block::Provider, inet->providers, encrypt);
  }
  if (const TILOCONF_mailpart* mail = record.mail) {
    AppendBlock(out, Block::Mail, mail, encrypt);
    AppendEntries(out, Block::Account, mail->accounts, encrypt);
    AppendEntries(out, Block::Address, mail->addresses, encrypt);
  }
  if (const TILOCONF_userpart* users = record.users) {
    AppendBlock(out, Block::Users, users, encrypt);
    AppendEntries(out, Block::User, users->users, encrypt);
  }
  AppendEntries(out, Block::Section, record.sections, encrypt);
  out += '\n';
  out += kEndLine;
  out += '\n';
  return out;
}

uint16_t ReadConfigFile(const char* path, std::string* data) {
  // O_NONBLOCK: a FIFO or device under the name must not keep the open waiting.
  const int fd = open(path, O_RDONLY | O_NONBLOCK | O_CLOEXEC | O_NOCTTY);
  if (fd < 0) return TILOCONF_ERR_OPEN;
  struct stat st;
  uint16_t result = TILOCONF_OK;
  if (fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
    result = TILOCONF_ERR_OPEN;
  } else if (static_cast<uint64_t>(st.st_size) > kMaxFileSize) {
    result = TILOCONF_ERR_TOOLARGE;
  } else {
    data->clear();
    data->resize(static_cast<size_t>(st.st_size) + 1);
    size_t filled = 0;
    for (;;) {
      if (filled == data->size()) {
        // The file grew while it was read.
        if (data->size() > kMaxFileSize) {
          result = TILOCONF_ERR_TOOLARGE;
          break;
        }
        data->resize(data->size() * 2 < kMaxFileSize + 1 ? data->size() * 2 : kMaxFileSize + 1);
      }
      const ssize_t n = read(fd, data->data() + filled, data->size() - filled);
      if (n < 0 && errno == EINTR) continue;
      if (n < 0) {
        result = TILOCONF_ERR_OPEN;
        break;
      }
      if (n == 0) break;
      filled += static_cast<size_t>(n);
    }
    data->resize(filled);
    if (result == TILOCONF_OK && filled > kMaxFileSize) result = TILOCONF_ERR_TOOLARGE;
  }
  close(fd);
  return result;
}

uint16_t WriteFileAtomically(const char* path, std::string_view data) {
  // The configuration holds passwords: only its owner reads it, also when it replaces a file
  // that others could read. A link is followed: the file it leads to is replaced.
  platform::AtomicFile file(path, platform::kPrivateFileMode);
  if (!file.Write(data.data(), data.size()) || !file.Commit(platform::Durability::DataAndDirectory))
    return TILOCONF_ERR_WRITE;
  return TILOCONF_OK;
}

}  // namespace orn::tiloconf
