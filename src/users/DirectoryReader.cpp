#include "users/DirectoryReader.h"

#include <algorithm>
#include <new>

#include "ads/AdsStrings.h"
#include "ads/ComObject.h"
#include "install/MessageError.h"

namespace orn {

namespace {

// Containers nested deeper than this are not walked into (a guard against directories that loop).
constexpr int kMaxDepth = 64;

thread_local std::string lastFailureDetail;

bool Listed(const std::vector<std::string>& classes, const std::string& name) {
  return std::find(classes.begin(), classes.end(), name) != classes.end();
}

// A BSTR freed on every way out.
class Bstr {
 public:
  Bstr() = default;
  explicit Bstr(const std::string& text) : text_(ads::AllocBstr(text)) {
    if (!text_) throw std::bad_alloc();
  }
  ~Bstr() { ads::SysFreeString(text_); }
  Bstr(const Bstr&) = delete;
  Bstr& operator=(const Bstr&) = delete;
  ads::BSTR* Out() { return &text_; }
  const ads::OLECHAR* Get() const { return text_; }
  std::string Utf8() const { return ads::BstrToUtf8(text_); }

 private:
  ads::BSTR text_ = nullptr;
};

// A VARIANT cleared on every way out.
struct Variant {
  Variant() { ads::VariantInit(&value); }
  ~Variant() { ads::VariantClear(&value); }
  Variant(const Variant&) = delete;
  Variant& operator=(const Variant&) = delete;
  ads::VARIANT value;
};

// The attribute's value when Get succeeds with a text.
bool GetText(ads::IADs& object, const std::string& attribute, std::string& text) {
  const Bstr name(attribute);
  Variant value;
  if (ads::Failed(object.Get(name.Get(), &value.value)) || value.value.vt != ads::VT_BSTR) return false;
  text = ads::BstrToUtf8(value.value.bstrVal);
  return true;
}

// The relative name with every "CN=" and "cn=" taken out; spaces too when asked.
std::string StripCn(const std::string& name, bool dropSpaces) {
  std::string out;
  for (size_t i = 0; i < name.size(); ++i) {
    if (name.compare(i, 3, "CN=") == 0 || name.compare(i, 3, "cn=") == 0) {
      i += 2;
    } else if (!(dropSpaces && name[i] == ' ')) {
      out += name[i];
    }
  }
  return out;
}

class EnumeratorGuard {
 public:
  EnumeratorGuard(const DirectoryModule& module, ads::IEnumVARIANT* enumerator)
      : module_(module), enumerator_(enumerator) {}
  ~EnumeratorGuard() { module_.FreeEnumerator(enumerator_); }
  EnumeratorGuard(const EnumeratorGuard&) = delete;
  EnumeratorGuard& operator=(const EnumeratorGuard&) = delete;

 private:
  const DirectoryModule& module_;
  ads::IEnumVARIANT* enumerator_;
};

const std::vector<std::string> kAccountClasses = {"user", "User"};

}  // namespace

CDirectoryReader::CDirectoryReader() : module_(DirectoryModule::Load()) {}

CDirectoryReader::CDirectoryReader(std::shared_ptr<const DirectoryModule> module) : module_(std::move(module)) {}

void CDirectoryReader::EnumerateUsers(ImportUserList& result) {
  module_->CheckFunctions();
  lastFailureDetail.clear();
  status_ = DirectoryReadStatus{};
  Walk("", 0, result);
}

std::string CDirectoryReader::GetADsPath() const { return "LDAP://" + m_strPath; }

void CDirectoryReader::Walk(const std::string& subPath, int depth, ImportUserList& result) {
  std::string path = GetADsPath();
  if (!subPath.empty()) path += "/" + subPath;
  ads::IADsContainer* bound = nullptr;
  const Bstr widePath(path);
  if (ads::Failed(module_->GetObject(widePath.Get(), ads::IID_IADsContainer, reinterpret_cast<void**>(&bound))) ||
      !bound) {
    lastFailureDetail = module_->LastErrorText();
    throw MessageError("connection failed");
  }
  const ads::ComPtr<ads::IADsContainer> container(bound);

  ads::IEnumVARIANT* enumerator = nullptr;
  const ads::HRESULT built = module_->BuildEnumerator(container.Get(), &enumerator);
  if (ads::Failed(built) || !enumerator) {
    MarkIncomplete(ads::Failed(built) ? built : ads::E_FAIL);
    return;
  }
  const EnumeratorGuard guard(*module_, enumerator);
  for (;;) {
    Variant child;
    ads::ULONG fetched = 0;
    const ads::HRESULT hr = module_->EnumerateNext(enumerator, 1, &child.value, &fetched);
    if (ads::Failed(hr)) MarkIncomplete(hr);  // asked before a child's walk replaces the module's text
    if (fetched == 0) break;
    TakeChild(child.value, subPath, depth, result);
    if (ads::Failed(hr)) break;
  }
}

void CDirectoryReader::MarkIncomplete(ads::HRESULT code) {
  if (!status_.complete) return;  // the first reason counts
  status_.complete = false;
  status_.code = code;
  status_.reason = module_->LastErrorText();
}

void CDirectoryReader::TakeChild(ads::VARIANT& child, const std::string& subPath, int depth, ImportUserList& result) {
  if (child.vt != ads::VT_DISPATCH || !child.pdispVal) return;
  ads::IADs* queried = nullptr;
  if (ads::Failed(child.pdispVal->QueryInterface(ads::IID_IADs, reinterpret_cast<void**>(&queried))) || !queried)
    return;
  const ads::ComPtr<ads::IADs> object(queried);
  Bstr className, name;
  if (ads::Failed(object->get_Class(className.Out()))) return;
  const std::string objectClass = className.Utf8();
  const bool named = !ads::Failed(object->get_Name(name.Out()));
  const std::string relativeName = named ? name.Utf8() : "";

  if (Listed(m_userClasses, objectClass)) {
    result.Append(MakeRecord(*object, relativeName));
  } else if (Listed(m_containerClasses, objectClass)) {
    // A container without a name would lead back to where the walk stands.
    if (relativeName.empty() || depth >= kMaxDepth) return;
    Walk(subPath.empty() ? relativeName : subPath + "/" + relativeName, depth + 1, result);
  }
}

ImportUser CDirectoryReader::MakeRecord(ads::IADs& object, const std::string& relativeName) const {
  ImportUser user;
  if (m_strKeyAttribute.empty() || !GetText(object, m_strKeyAttribute, user.name))
    user.name = StripCn(relativeName, true);
  if (!GetText(object, "FullName", user.fullName)) user.fullName = StripCn(relativeName, false);
  if (user.fullName.empty()) user.fullName = user.name;
  std::string mail;
  if (GetText(object, "mail", mail)) user.emails.push_back(std::move(mail));
  return user;
}

void CWinNTDirectoryReader::EnumerateUsers(ImportUserList& result) {
  SetUserClasses(kAccountClasses);
  SetContainerClasses({});
  CDirectoryReader::EnumerateUsers(result);
}

std::string CWinNTDirectoryReader::GetADsPath() const { return "WinNT://" + m_strPath; }

CDomainDirectoryReader::CDomainDirectoryReader() { m_strKeyAttribute = "samAccountName"; }

CDomainDirectoryReader::CDomainDirectoryReader(std::shared_ptr<const DirectoryModule> module)
    : CDirectoryReader(std::move(module)) {
  m_strKeyAttribute = "samAccountName";
}

void CDomainDirectoryReader::EnumerateUsers(ImportUserList& result) {
  SetUserClasses(kAccountClasses);
  SetContainerClasses({});
  CDirectoryReader::EnumerateUsers(result);
}

std::string CDomainDirectoryReader::GetADsPath() const {
  std::string path = "LDAP://";
  size_t start = 0;
  for (;;) {
    const size_t dot = m_strPath.find('.', start);
    if (start) path += ',';
    path += "DC=" + m_strPath.substr(start, dot == std::string::npos ? std::string::npos : dot - start);
    if (dot == std::string::npos) break;
    start = dot + 1;
  }
  return path;
}

const std::string& LastDirectoryFailureDetail() { return lastFailureDetail; }

void ClearLastDirectoryFailureDetail() { lastFailureDetail.clear(); }

}  // namespace orn
