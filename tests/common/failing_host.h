// A stand-in for a host control whose every access fails, in one of three
// ways: names it does not know, a raised exception with texts, or a bare
// failure status. It lives on the caller's stack and counts references, so a
// test sees whether a method kept it after returning.
#pragma once

#include <windows.h>
#include <oaidl.h>

namespace suite_test {

// The host's own statuses: they travel to the caller unchanged.
inline constexpr HRESULT kHostRaised = static_cast<HRESULT>(0x80047FF1);
inline constexpr HRESULT kHostRefused = static_cast<HRESULT>(0x80047FF2);

class FailingHost final : public IDispatch {
 public:
  enum class Mode { UnknownNames, Raises, Refuses };

  void set_mode(Mode mode) { mode_ = mode; }
  LONG references() const { return references_; }
  long accesses() const { return accesses_; }

  STDMETHODIMP QueryInterface(REFIID riid, void** object) override {
    if (!object) return E_POINTER;
    if (IsEqualIID(riid, IID_IUnknown) || IsEqualIID(riid, IID_IDispatch)) {
      *object = static_cast<IDispatch*>(this);
      AddRef();
      return S_OK;
    }
    *object = nullptr;
    return E_NOINTERFACE;
  }
  STDMETHODIMP_(ULONG) AddRef() override { return static_cast<ULONG>(InterlockedIncrement(&references_)); }
  STDMETHODIMP_(ULONG) Release() override { return static_cast<ULONG>(InterlockedDecrement(&references_)); }

  STDMETHODIMP GetTypeInfoCount(UINT* count) override {
    if (count) *count = 0;
    return count ? S_OK : E_POINTER;
  }
  STDMETHODIMP GetTypeInfo(UINT, LCID, ITypeInfo** info) override {
    if (info) *info = nullptr;
    return DISP_E_BADINDEX;
  }
  STDMETHODIMP GetIDsOfNames(REFIID, LPOLESTR*, UINT count, LCID, DISPID* ids) override {
    ++accesses_;
    if (mode_ == Mode::UnknownNames) {
      for (UINT i = 0; i < count; ++i) ids[i] = DISPID_UNKNOWN;
      return DISP_E_UNKNOWNNAME;
    }
    for (UINT i = 0; i < count; ++i) ids[i] = static_cast<DISPID>(100 + i);
    return S_OK;
  }
  STDMETHODIMP Invoke(DISPID, REFIID, LCID, WORD, DISPPARAMS*, VARIANT* result, EXCEPINFO* exception, UINT*) override {
    ++accesses_;
    if (result) VariantInit(result);
    if (mode_ == Mode::Raises && exception) {
      ZeroMemory(exception, sizeof *exception);
      exception->scode = kHostRaised;
      exception->bstrSource = SysAllocString(L"FailingHost");
      exception->bstrDescription = SysAllocString(L"The host refused the access");
      return DISP_E_EXCEPTION;
    }
    return kHostRefused;
  }

 private:
  LONG references_ = 1;
  long accesses_ = 0;
  Mode mode_ = Mode::UnknownNames;
};

}  // namespace suite_test
