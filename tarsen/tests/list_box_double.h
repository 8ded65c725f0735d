// A stand-in for the host's list controls: a late-bound object that knows the
// names Pattern, FileName, AddItem, Clear, NewIndex and ItemData, keeps its
// items, and logs every access in order. It can sort its items (so NewIndex
// is not the last index) and refuse one name.
#pragma once

#include <windows.h>
#include <oaidl.h>

#include <string>
#include <vector>

namespace tarsen_test {

class ListBoxDouble final : public IDispatch {
 public:
  struct Item {
    std::wstring text;
    long data = 0;
  };

  bool sorted = false;
  std::wstring refuse;  // a name whose every access fails
  std::vector<Item> items;
  std::vector<std::wstring> log;
  std::wstring pattern, file_name;

  // IUnknown (the test owns the object; counting only checks balance)
  STDMETHODIMP QueryInterface(REFIID riid, void** object) override;
  STDMETHODIMP_(ULONG) AddRef() override { return ++references; }
  STDMETHODIMP_(ULONG) Release() override { return --references; }
  // IDispatch
  STDMETHODIMP GetTypeInfoCount(UINT* count) override;
  STDMETHODIMP GetTypeInfo(UINT, LCID, ITypeInfo**) override { return E_NOTIMPL; }
  STDMETHODIMP GetIDsOfNames(REFIID, LPOLESTR* names, UINT count, LCID, DISPID* ids) override;
  STDMETHODIMP Invoke(DISPID id, REFIID, LCID, WORD flags, DISPPARAMS* params, VARIANT* result, EXCEPINFO* exception,
                      UINT*) override;

  ULONG references = 1;

  // The item texts cut at their first NUL, as a list box shows them.
  std::vector<std::wstring> shown() const;

 private:
  long new_index_ = -1;
};

}  // namespace tarsen_test
