#include "host_object.h"

#include <dispex.h>

#include <algorithm>
#include <vector>

#include "runtime_error.h"
#include "server.h"

namespace frame {

namespace {

constexpr int kObjectRequired = 91;
constexpr int kMemberNotSupported = 438;

[[noreturn]] void raise_host_failure(HRESULT status, EXCEPINFO& exception) {
  if (status == DISP_E_EXCEPTION) {
    if (exception.pfnDeferredFillIn) exception.pfnDeferredFillIn(&exception);
    HostError error{exception.scode ? exception.scode : error_status(exception.wCode), {}, {}};
    if (exception.bstrSource) error.source = exception.bstrSource;
    if (exception.bstrDescription) error.description = exception.bstrDescription;
    SysFreeString(exception.bstrSource);
    SysFreeString(exception.bstrDescription);
    SysFreeString(exception.bstrHelpFile);
    throw error;
  }
  switch (status) {
    case DISP_E_UNKNOWNNAME:
    case DISP_E_MEMBERNOTFOUND:
      raise(kMemberNotSupported);
    case DISP_E_TYPEMISMATCH:
      raise(kTypeMismatch);
    case DISP_E_OVERFLOW:
      raise(kOverflow);
    case DISP_E_BADPARAMCOUNT:
    case DISP_E_PARAMNOTOPTIONAL:
      raise(450);  // wrong number of arguments or invalid property assignment
    case E_OUTOFMEMORY:
      raise(kOutOfMemory);
    default:
      throw HostError{status, {}, {}};
  }
}

}  // namespace

HostObject::HostObject(IDispatch* object) : object_(object) {
  if (!object_) raise(kObjectRequired);
}

DISPID HostObject::id_of(std::wstring_view name) {
  std::wstring text(name);
  LPOLESTR names[] = {text.data()};
  DISPID id = DISPID_UNKNOWN;
  HRESULT status = object_->GetIDsOfNames(IID_NULL, names, 1, LOCALE_USER_DEFAULT, &id);
  if (status == E_NOTIMPL) {
    // Script objects name their members through IDispatchEx only.
    ComPtr<IDispatchEx> extended;
    if (SUCCEEDED(object_->QueryInterface(__uuidof(IDispatchEx), reinterpret_cast<void**>(extended.put())))) {
      Bstr bname(name);
      status = extended->GetDispID(bname.get(), fdexNameCaseInsensitive, &id);
    }
  }
  if (FAILED(status)) {
    EXCEPINFO none{};
    raise_host_failure(status == DISP_E_UNKNOWNNAME || status == E_NOTIMPL ? DISP_E_UNKNOWNNAME : status, none);
  }
  return id;
}

Variant HostObject::invoke(DISPID id, WORD flags, VARIANT* reversed_args, UINT count, bool named_put) {
  DISPID put_id = DISPID_PROPERTYPUT;
  DISPPARAMS params{reversed_args, named_put ? &put_id : nullptr, count, named_put ? 1u : 0u};
  Variant result;
  EXCEPINFO exception{};
  UINT arg_error = 0;
  HRESULT status = object_->Invoke(id, IID_NULL, LOCALE_USER_DEFAULT, flags, &params,
                                   named_put ? nullptr : result.get(), &exception, &arg_error);
  if (FAILED(status)) raise_host_failure(status, exception);
  return result;
}

Variant HostObject::get(std::wstring_view name) {
  // A plain property read: a script engine may take the method flag as a call
  // of the property's value (a JScript object's number is not a function).
  return invoke(id_of(name), DISPATCH_PROPERTYGET, nullptr, 0, false);
}

Variant HostObject::get(std::wstring_view name, const VARIANT& index) {
  VARIANT args[] = {index};
  return invoke(id_of(name), DISPATCH_PROPERTYGET | DISPATCH_METHOD, args, 1, false);
}

void HostObject::put(std::wstring_view name, const VARIANT& value) {
  VARIANT args[] = {value};
  invoke(id_of(name), DISPATCH_PROPERTYPUT, args, 1, true);
}

void HostObject::put(std::wstring_view name, const VARIANT& index, const VARIANT& value) {
  // Arguments travel last first: the value (named as the put value), then the index.
  VARIANT args[] = {value, index};
  invoke(id_of(name), DISPATCH_PROPERTYPUT, args, 2, true);
}

Variant HostObject::call(std::wstring_view name, std::initializer_list<VARIANT> arguments) {
  std::vector<VARIANT> reversed(arguments.begin(), arguments.end());
  std::reverse(reversed.begin(), reversed.end());
  return invoke(id_of(name), DISPATCH_METHOD, reversed.data(), static_cast<UINT>(reversed.size()), false);
}

long HostObject::get_long(std::wstring_view name) { return variant_to_long(*get(name).get()); }

short HostObject::get_integer(std::wstring_view name) {
  Variant value = get(name);
  Variant converted;
  HRESULT status = VariantChangeType(converted.get(), value.get(), 0, VT_I2);
  if (status == DISP_E_OVERFLOW) raise(kOverflow);
  if (FAILED(status)) raise(kTypeMismatch);
  return V_I2(converted.get());
}

std::wstring HostObject::get_text(std::wstring_view name) { return variant_to_text(*get(name).get()); }

VARIANT HostObject::long_value(long value) {
  VARIANT result;
  VariantInit(&result);
  V_VT(&result) = VT_I4;
  V_I4(&result) = value;
  return result;
}

VARIANT HostObject::text_value(BSTR borrowed) {
  VARIANT result;
  VariantInit(&result);
  V_VT(&result) = VT_BSTR;
  V_BSTR(&result) = borrowed;
  return result;
}

long variant_to_long(const VARIANT& value) {
  Variant converted;
  HRESULT status = VariantChangeType(converted.get(), const_cast<VARIANT*>(&value), 0, VT_I4);
  if (status == DISP_E_OVERFLOW) raise(kOverflow);
  if (FAILED(status)) raise(kTypeMismatch);
  return V_I4(converted.get());
}

std::wstring variant_to_text(const VARIANT& value) {
  Variant converted;
  if (FAILED(VariantChangeType(converted.get(), const_cast<VARIANT*>(&value), 0, VT_BSTR))) raise(kTypeMismatch);
  return std::wstring(text_of(V_BSTR(converted.get())));
}

}  // namespace frame
