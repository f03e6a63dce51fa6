#include "ads/WinNtProvider.h"

#include <memory>

#include "ads/AdsLastError.h"
#include "ads/AdsStrings.h"
#include "ads/ComObject.h"
#include "ads/LocalAccounts.h"

namespace ads {

namespace {

class WinNtUser final : public ComObject<IADs> {
 public:
  WinNtUser(std::string computer, LocalAccount account)
      : computer_(std::move(computer)), account_(std::move(account)) {}
  HRESULT get_Name(BSTR* name) override { return ReturnBstr(account_.name, name); }
  HRESULT get_Class(BSTR* name) override { return ReturnBstr("User", name); }
  HRESULT get_ADsPath(BSTR* path) override { return ReturnBstr("WinNT://" + computer_ + "/" + account_.name, path); }
  HRESULT Get(const OLECHAR* name, VARIANT* value) override {
    if (!value) return E_POINTER;
    VariantInit(value);
    const std::string property = WideToUtf8(name);
    const std::string* text = property == "FullName" ? &account_.fullName
                              : property == "Name"   ? &account_.name
                                                     : nullptr;
    return text ? ReturnVariantText(*text, value) : E_ADS_PROPERTY_NOT_FOUND;
  }

 private:
  std::string computer_;
  LocalAccount account_;
};

class WinNtEnumerator final : public ComObject<IEnumVARIANT> {
 public:
  WinNtEnumerator(std::string computer, std::shared_ptr<const std::vector<LocalAccount>> accounts)
      : computer_(std::move(computer)), accounts_(std::move(accounts)) {}
  HRESULT Next(ULONG count, VARIANT* values, ULONG* fetched) override {
    ULONG got = 0;
    for (; got < count && next_ < accounts_->size(); ++got, ++next_) {
      values[got].vt = VT_DISPATCH;
      values[got].pdispVal = new WinNtUser(computer_, (*accounts_)[next_]);
    }
    if (fetched) *fetched = got;
    return got == count ? S_OK : S_FALSE;
  }

 private:
  std::string computer_;
  std::shared_ptr<const std::vector<LocalAccount>> accounts_;
  size_t next_ = 0;
};

class WinNtComputer final : public ComObject<IADs, IADsContainer> {
 public:
  explicit WinNtComputer(std::string name)
      : name_(std::move(name)), accounts_(std::make_shared<const std::vector<LocalAccount>>(ReadLocalAccounts())) {}
  HRESULT get_Name(BSTR* name) override { return ReturnBstr(name_, name); }
  HRESULT get_Class(BSTR* name) override { return ReturnBstr("Computer", name); }
  HRESULT get_ADsPath(BSTR* path) override { return ReturnBstr("WinNT://" + name_, path); }
  HRESULT Get(const OLECHAR* name, VARIANT* value) override {
    if (!value) return E_POINTER;
    VariantInit(value);
    return WideToUtf8(name) == "Name" ? ReturnVariantText(name_, value) : E_ADS_PROPERTY_NOT_FOUND;
  }
  HRESULT get__NewEnum(IUnknown** enumerator) override {
    if (!enumerator) return E_POINTER;
    *enumerator = new WinNtEnumerator(name_, accounts_);
    return S_OK;
  }

 private:
  std::string name_;
  std::shared_ptr<const std::vector<LocalAccount>> accounts_;
};

}  // namespace

HRESULT WinNtGetObject(const AdsPath& path, REFIID iid, void** object) {
  if (!IsLocalComputerName(path.host))
    return SetLastAdsError(E_ADS_UNKNOWN_OBJECT, "WinNT://" + path.host + ": not this computer");
  if (!path.segments.empty())
    return SetLastAdsError(E_ADS_UNKNOWN_OBJECT, "WinNT://" + path.host + ": only the computer can be bound");
  ComPtr<WinNtComputer> computer(new WinNtComputer(path.host));
  return computer->QueryInterface(iid, object);
}

}  // namespace ads
