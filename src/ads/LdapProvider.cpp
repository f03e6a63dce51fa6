#include "ads/LdapProvider.h"

#include <memory>

#include "ads/AdsLastError.h"
#include "ads/AdsStrings.h"
#include "ads/ComObject.h"
#include "ads/LdapEntry.h"
#include "ads/LdapNames.h"
#include "ads/LdapSession.h"

namespace ads {

namespace {

// Pages without entries that a server may send in a row before the enumeration counts as stuck.
constexpr int kMaxEmptyPages = 100;

class LdapObject final : public ComObject<IADs, IADsContainer> {
 public:
  LdapObject(std::shared_ptr<LdapSession> session, AdsPath server, LdapEntry entry)
      : session_(std::move(session)), server_(std::move(server)), entry_(std::move(entry)) {}

  HRESULT get_Name(BSTR* name) override { return ReturnBstr(RelativeName(entry_.dn), name); }
  HRESULT get_Class(BSTR* name) override { return ReturnBstr(entry_.objectClass, name); }
  HRESULT get_ADsPath(BSTR* path) override { return ReturnBstr(FormatLdapPath(server_, entry_.dn), path); }
  HRESULT Get(const OLECHAR* name, VARIANT* value) override {
    if (!value) return E_POINTER;
    VariantInit(value);
    std::string text;
    const HRESULT hr = AttributeText(entry_, WideToUtf8(name), &text);
    return Failed(hr) ? hr : ReturnVariantText(text, value);
  }
  HRESULT get__NewEnum(IUnknown** enumerator) override;

 private:
  std::shared_ptr<LdapSession> session_;
  AdsPath server_;
  LdapEntry entry_;
};

class LdapEnumerator final : public ComObject<IEnumVARIANT> {
 public:
  LdapEnumerator(std::shared_ptr<LdapSession> session, AdsPath server, std::string base)
      : session_(std::move(session)), server_(std::move(server)), base_(std::move(base)) {}
  ~LdapEnumerator() override {
    if (page_) ldap_msgfree(page_);
    ber_memfree(cookie_.bv_val);
  }

  HRESULT Next(ULONG count, VARIANT* values, ULONG* fetched) override {
    ULONG got = 0;
    HRESULT hr = S_OK;
    while (got < count) {
      if (!entry_) {
        if (Failed(pendingFailure_) || finished_) {
          // Said again: walks into children since the failure may have replaced the thread's text.
          hr = Failed(pendingFailure_) ? SetLastAdsError(pendingFailure_, failureText_) : pendingFailure_;
          break;
        }
        hr = FetchPage();
        if (Failed(hr)) break;
        continue;
      }
      LdapEntry read = ReadLdapEntry(session_->Handle(), entry_);
      entry_ = ldap_next_entry(session_->Handle(), entry_);
      auto* child = new LdapObject(session_, server_, std::move(read));
      values[got].vt = VT_DISPATCH;
      values[got].pdispVal = static_cast<IADs*>(child);
      ++got;
    }
    if (fetched) *fetched = got;
    if (Failed(hr)) return hr;
    return got == count ? S_OK : S_FALSE;
  }

 private:
  // Asks for the next page; afterwards entry_ is its first entry (or null for an empty page).
  HRESULT FetchPage() {
    if (page_) ldap_msgfree(page_);
    page_ = nullptr;
    LDAP* ld = session_->Handle();
    LDAPControl* pageControl = nullptr;
    int rc = ldap_create_page_control(ld, kLdapPageSize, cookie_.bv_len ? &cookie_ : nullptr, 0, &pageControl);
    if (rc != LDAP_SUCCESS) return Fail(session_->Fail(rc, "paged search of " + base_));
    LDAPControl* controls[] = {pageControl, nullptr};
    rc = ldap_search_ext_s(ld, base_.c_str(), LDAP_SCOPE_ONELEVEL, "(objectClass=*)", EntryAttributes(), 0, controls,
                           nullptr, nullptr, LDAP_NO_LIMIT, &page_);
    ldap_control_free(pageControl);
    entry_ = page_ ? ldap_first_entry(ld, page_) : nullptr;

    int result = rc;
    LDAPControl** answerControls = nullptr;
    if (page_ && ldap_parse_result(ld, page_, &result, nullptr, nullptr, nullptr, &answerControls, 0) != LDAP_SUCCESS)
      result = rc == LDAP_SUCCESS ? LDAP_DECODING_ERROR : rc;
    ber_memfree(cookie_.bv_val);
    cookie_ = berval{0, nullptr};
    if (LDAPControl* answer = ldap_control_find(LDAP_CONTROL_PAGEDRESULTS, answerControls, nullptr)) {
      ber_int_t estimate = 0;
      if (ldap_parse_pageresponse_control(ld, answer, &estimate, &cookie_) != LDAP_SUCCESS)
        cookie_ = berval{0, nullptr};
    }
    ldap_controls_free(answerControls);

    if (result != LDAP_SUCCESS) {
      // Entries of this page still come; the failure ends the enumeration after them.
      finished_ = true;
      Fail(session_->Fail(result, "paged search of " + base_));
      return entry_ ? S_OK : pendingFailure_;
    }
    finished_ = cookie_.bv_len == 0;
    emptyPages_ = entry_ ? 0 : emptyPages_ + 1;
    if (emptyPages_ > kMaxEmptyPages)
      return Fail(SetLastAdsError(E_FAIL, "paged search of " + base_ + ": the server sends empty pages"));
    return S_OK;
  }

  // Keeps the failure that ends the enumeration, with the text recorded for it.
  HRESULT Fail(HRESULT code) {
    failureText_ = LastAdsErrorText();
    return pendingFailure_ = code;
  }

  std::shared_ptr<LdapSession> session_;
  AdsPath server_;
  std::string base_;
  LDAPMessage* page_ = nullptr;
  LDAPMessage* entry_ = nullptr;
  berval cookie_{0, nullptr};
  bool finished_ = false;
  int emptyPages_ = 0;
  HRESULT pendingFailure_ = S_OK;
  std::string failureText_;
};

HRESULT LdapObject::get__NewEnum(IUnknown** enumerator) {
  if (!enumerator) return E_POINTER;
  *enumerator = new LdapEnumerator(session_, server_, entry_.dn);
  return S_OK;
}

HRESULT ReadBase(LdapSession& session, const std::string& dn, LdapEntry* entry) {
  LDAPMessage* result = nullptr;
  int rc = ldap_search_ext_s(session.Handle(), dn.c_str(), LDAP_SCOPE_BASE, "(objectClass=*)", EntryAttributes(), 0,
                             nullptr, nullptr, nullptr, LDAP_NO_LIMIT, &result);
  LDAPMessage* found = rc == LDAP_SUCCESS ? ldap_first_entry(session.Handle(), result) : nullptr;
  if (found) *entry = ReadLdapEntry(session.Handle(), found);
  if (result) ldap_msgfree(result);
  if (rc == LDAP_SUCCESS && !found) rc = LDAP_NO_SUCH_OBJECT;
  return rc == LDAP_SUCCESS ? S_OK : session.Fail(rc, "bind to " + dn);
}

}  // namespace

HRESULT LdapGetObject(const AdsPath& path, REFIID iid, void** object) {
  const std::optional<std::string> dn = SegmentsToDn(path.segments);
  if (!dn) return SetLastAdsError(E_ADS_BAD_PATHNAME, "invalid distinguished name in the path");
  std::shared_ptr<LdapSession> session;
  HRESULT hr = LdapSession::Open(path, *dn, &session);
  if (Failed(hr)) return hr;

  LdapEntry entry;
  std::string context;
  if (dn->empty()) {
    hr = session->DefaultNamingContext(&context);
    if (Failed(hr)) return hr;
    hr = ReadBase(*session, context, &entry);
  } else {
    hr = ReadBase(*session, *dn, &entry);
    if (hr == E_ADS_UNKNOWN_OBJECT) {
      const std::string notFound = LastAdsErrorText();
      if (!Failed(session->DefaultNamingContext(&context)) && !DnWithin(*dn, context))
        hr = ReadBase(*session, *dn + "," + context, &entry);
      else
        SetLastAdsError(hr, notFound);
    }
  }
  if (Failed(hr)) return hr;
  AdsPath server = path;
  server.segments.clear();
  ComPtr<LdapObject> bound(new LdapObject(std::move(session), std::move(server), std::move(entry)));
  return bound->QueryInterface(iid, object);
}

}  // namespace ads
