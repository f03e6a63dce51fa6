// Reference counting and interface queries for the module's objects: a class derives from
// ComObject<the interfaces it offers> and is created with new; it goes with its last Release.
#pragma once

#include <atomic>
#include <type_traits>

#include "ads/AdsApi.h"

namespace ads {

template <class First, class... Rest>
class ComObject : public First, public Rest... {
 public:
  HRESULT QueryInterface(REFIID iid, void** object) override {
    if (!object) return E_POINTER;
    *object = nullptr;
    if (iid == IID_IUnknown)
      *object = static_cast<First*>(this);
    else if (iid == IID_IDispatch)
      AsDispatch<First, Rest...>(object);
    else
      Find<First, Rest...>(iid, object);
    if (!*object) return E_NOINTERFACE;
    AddRef();
    return S_OK;
  }
  ULONG AddRef() override { return ++references_; }
  ULONG Release() override {
    const ULONG left = --references_;
    if (left == 0) delete this;
    return left;
  }

 protected:
  ComObject() = default;
  virtual ~ComObject() = default;

 private:
  // The first of the interfaces that is a dispatch interface, if any.
  template <class Interface, class... More>
  void AsDispatch(void** object) {
    if constexpr (std::is_base_of_v<IDispatch, Interface>)
      *object = static_cast<IDispatch*>(static_cast<Interface*>(this));
    else if constexpr (sizeof...(More) > 0)
      AsDispatch<More...>(object);
  }

  template <class Interface, class... More>
  void Find(REFIID iid, void** object) {
    if (iid == Interface::kIID)
      *object = static_cast<Interface*>(this);
    else if constexpr (sizeof...(More) > 0)
      Find<More...>(iid, object);
  }

  std::atomic<ULONG> references_{1};
};

// Holds one reference and releases it.
template <class Interface>
class ComPtr {
 public:
  ComPtr() = default;
  explicit ComPtr(Interface* p) : p_(p) {}
  ComPtr(const ComPtr&) = delete;
  ComPtr& operator=(const ComPtr&) = delete;
  ~ComPtr() {
    if (p_) p_->Release();
  }
  Interface* Get() const { return p_; }
  Interface* operator->() const { return p_; }
  Interface& operator*() const { return *p_; }
  Interface** Out() { return &p_; }
  Interface* Detach() {
    Interface* p = p_;
    p_ = nullptr;
    return p;
  }

 private:
  Interface* p_ = nullptr;
};

}  // namespace ads
