// The base of every class of the suite: reference counting, QueryInterface,
// IDispatch from the type library, ISupportErrorInfo, and the method frame
// that wraps every public method.
#pragma once

#include <windows.h>
#include <oaidl.h>
#include <cguid.h>

#include <new>
#include <string>
#include <string_view>
#include <type_traits>

#include "dispatch.h"
#include "owners.h"
#include "server.h"

namespace frame {

namespace detail {

template <class Out>
void preset(Out* out) {
  if constexpr (std::is_same_v<Out, VARIANT>) VariantInit(out);
  else *out = Out{};
}

inline void store(BSTR* out, Bstr value) { *out = value.release(); }
inline void store(BSTR* out, std::wstring_view value) { *out = Bstr(value).release(); }
inline void store(BSTR* out, const std::wstring& value) { *out = Bstr(value).release(); }
inline void store(VARIANT* out, Variant value) { *out = value.release(); }
template <class Out, class Value>
  requires std::is_arithmetic_v<Out> || std::is_enum_v<Out>
void store(Out* out, Value value) {
  // A Boolean result is the 16-bit -1 / 0; everything else keeps its value.
  if constexpr (std::is_same_v<Value, bool>) *out = static_cast<Out>(value ? VARIANT_TRUE : VARIANT_FALSE);
  else *out = static_cast<Out>(value);
}

}  // namespace detail

template <class Derived, class Interface>
class ComObject : public Interface, public ISupportErrorInfo {
 public:
  ComObject() { module_add_ref(); }
  ComObject(const ComObject&) = delete;
  ComObject& operator=(const ComObject&) = delete;

  static const IID& iid() { return __uuidof(Interface); }
  // Looked up on every call (a library has at most four classes): a static
  // local would need the runtime's thread-safe initialisation, whose
  // bookkeeping outlives the library when it is unloaded.
  static const ClassEntry& entry() { return class_for_interface(iid()); }

  // The class object's create function: a new instance (reference count 1,
  // then the class's initialisation step) handed out through `riid`.
  static HRESULT create(REFIID riid, void** object) noexcept {
    if (!object) return E_POINTER;
    *object = nullptr;
    auto* instance = new (std::nothrow) Derived();
    if (!instance) return E_OUTOFMEMORY;
    HRESULT status = instance->QueryInterface(riid, object);
    instance->Release();
    return status;
  }

  // IUnknown
  STDMETHODIMP QueryInterface(REFIID riid, void** object) override {
    if (!object) return E_POINTER;
    *object = nullptr;
    if (absent(&riid)) return E_INVALIDARG;
    if (IsEqualIID(riid, IID_IUnknown) || IsEqualIID(riid, IID_IDispatch) || IsEqualIID(riid, iid())) {
      *object = static_cast<Interface*>(this);
    } else if (IsEqualIID(riid, IID_ISupportErrorInfo)) {
      *object = static_cast<ISupportErrorInfo*>(this);
    } else {
      return E_NOINTERFACE;
    }
    AddRef();
    return S_OK;
  }
  STDMETHODIMP_(ULONG) AddRef() override { return static_cast<ULONG>(InterlockedIncrement(&references_)); }
  STDMETHODIMP_(ULONG) Release() override {
    LONG left = InterlockedDecrement(&references_);
    if (left == 0) delete static_cast<Derived*>(this);
    return static_cast<ULONG>(left);
  }

  // IDispatch
  STDMETHODIMP GetTypeInfoCount(UINT* count) override {
    if (!count) return E_POINTER;
    *count = 1;
    return S_OK;
  }
  STDMETHODIMP GetTypeInfo(UINT index, LCID, ITypeInfo** info) override { return dispatch_type_info(iid(), index, info); }
  STDMETHODIMP GetIDsOfNames(REFIID riid, LPOLESTR* names, UINT count, LCID, DISPID* ids) override {
    if (absent(&riid)) return E_INVALIDARG;
    if (!IsEqualIID(riid, IID_NULL)) return DISP_E_UNKNOWNINTERFACE;
    return dispatch_ids_of_names(iid(), names, count, ids);
  }
  STDMETHODIMP Invoke(DISPID id, REFIID riid, LCID, WORD flags, DISPPARAMS* params, VARIANT* result,
                      EXCEPINFO* exception, UINT* arg_error) override {
    return dispatch_invoke(static_cast<Interface*>(this), entry(), id, riid, flags, params, result, exception, arg_error);
  }

  // ISupportErrorInfo
  STDMETHODIMP InterfaceSupportsErrorInfo(REFIID riid) override {
    if (absent(&riid)) return E_INVALIDARG;
    return IsEqualIID(riid, iid()) ? S_OK : S_FALSE;
  }

 protected:
  virtual ~ComObject() { module_release(); }

  // The method frame. The instance is held for the whole call; the result
  // location is preset to the empty value of its kind before the body runs;
  // whatever the body throws becomes the status and the error information,
  // and the caller then gets the preset value.
  template <class Out, class Body>
  HRESULT run(Out* out, Body&& body) noexcept {
    if (!out) return E_POINTER;
    detail::preset(out);
    ComPtr<Interface> hold(static_cast<Interface*>(this));
    try {
      detail::store(out, body());
      return S_OK;
    } catch (...) {
      return report_current_exception(entry());
    }
  }

  // The method frame for a member without a result (a property's let).
  template <class Body>
  HRESULT run_void(Body&& body) noexcept {
    ComPtr<Interface> hold(static_cast<Interface*>(this));
    try {
      body();
      return S_OK;
    } catch (...) {
      return report_current_exception(entry());
    }
  }

 private:
  LONG references_ = 1;
};

}  // namespace frame
