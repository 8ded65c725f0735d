#include "list_box_double.h"

#include <algorithm>
#include <cwctype>

namespace tarsen_test {

namespace {

const wchar_t* const kNames[] = {L"Pattern", L"FileName", L"AddItem", L"Clear", L"NewIndex", L"ItemData"};

std::wstring text_of(const VARIANT& value) {
  VARIANT copy;
  VariantInit(&copy);
  if (FAILED(VariantChangeType(&copy, const_cast<VARIANT*>(&value), 0, VT_BSTR))) return L"<not text>";
  std::wstring text(V_BSTR(&copy), SysStringLen(V_BSTR(&copy)));
  VariantClear(&copy);
  return text;
}

long long_of(const VARIANT& value) {
  VARIANT copy;
  VariantInit(&copy);
  if (FAILED(VariantChangeType(&copy, const_cast<VARIANT*>(&value), 0, VT_I4))) return -99999;
  return V_I4(&copy);
}

bool same_name(const wchar_t* a, const wchar_t* b) { return _wcsicmp(a, b) == 0; }

}  // namespace

STDMETHODIMP ListBoxDouble::QueryInterface(REFIID riid, void** object) {
  if (IsEqualIID(riid, IID_IUnknown) || IsEqualIID(riid, IID_IDispatch)) {
    *object = static_cast<IDispatch*>(this);
    AddRef();
    return S_OK;
  }
  *object = nullptr;
  return E_NOINTERFACE;
}

STDMETHODIMP ListBoxDouble::GetTypeInfoCount(UINT* count) {
  *count = 0;
  return S_OK;
}

STDMETHODIMP ListBoxDouble::GetIDsOfNames(REFIID, LPOLESTR* names, UINT count, LCID, DISPID* ids) {
  for (UINT i = 0; i < count; ++i) ids[i] = DISPID_UNKNOWN;
  for (DISPID id = 0; id < static_cast<DISPID>(std::size(kNames)); ++id) {
    if (!same_name(names[0], kNames[id])) continue;
    if (!refuse.empty() && same_name(kNames[id], refuse.c_str())) return DISP_E_UNKNOWNNAME;
    ids[0] = id + 1;
    return S_OK;
  }
  return DISP_E_UNKNOWNNAME;
}

STDMETHODIMP ListBoxDouble::Invoke(DISPID id, REFIID, LCID, WORD flags, DISPPARAMS* params, VARIANT* result,
                                   EXCEPINFO*, UINT*) {
  const bool put = flags & DISPATCH_PROPERTYPUT;
  const UINT count = params ? params->cArgs : 0;
  auto arg = [&](UINT position) -> const VARIANT& {
    // Arguments travel last first; a put's value is the first of them.
    const VARIANT* value = &params->rgvarg[count - 1 - position];
    while (V_VT(value) == (VT_BYREF | VT_VARIANT)) value = V_VARIANTREF(value);
    return *value;
  };
  switch (id) {
    case 1:
    case 2: {
      if (!put || count != 1) return DISP_E_MEMBERNOTFOUND;
      std::wstring value = text_of(params->rgvarg[0]);
      log.push_back(std::wstring(L"put ") + kNames[id - 1] + L"=" + value);
      (id == 1 ? pattern : file_name) = value;
      return S_OK;
    }
    case 3: {
      if (count != 1) return DISP_E_BADPARAMCOUNT;
      Item item{text_of(arg(0)), 0};
      log.push_back(L"AddItem");
      auto at = items.end();
      if (sorted)
        at = std::find_if(items.begin(), items.end(), [&](const Item& other) {
          return _wcsicmp(other.text.c_str(), item.text.c_str()) > 0;
        });
      new_index_ = static_cast<long>(at - items.begin());
      items.insert(at, item);
      return S_OK;
    }
    case 4:
      log.push_back(L"Clear");
      items.clear();
      return S_OK;
    case 5:
      log.push_back(L"get NewIndex");
      if (result) {
        V_VT(result) = VT_I2;  // a list box reports an Integer
        V_I2(result) = static_cast<SHORT>(new_index_);
      }
      return S_OK;
    case 6: {
      if (!put || count != 2) return DISP_E_BADPARAMCOUNT;
      long index = long_of(arg(0));
      log.push_back(L"put ItemData(" + std::to_wstring(index) + L")");
      if (index < 0 || index >= static_cast<long>(items.size())) return DISP_E_BADINDEX;
      items[static_cast<size_t>(index)].data = long_of(params->rgvarg[0]);
      return S_OK;
    }
    default:
      return DISP_E_MEMBERNOTFOUND;
  }
}

std::vector<std::wstring> ListBoxDouble::shown() const {
  std::vector<std::wstring> texts;
  for (const auto& item : items) texts.push_back(item.text.substr(0, item.text.find(L'\0')));
  return texts;
}

}  // namespace tarsen_test
