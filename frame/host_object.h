// A control of the host (a picture box, a form, a list box) reached only by
// the names of its properties and methods through its dispatch interface.
// Script objects that answer GetIDsOfNames with E_NOTIMPL are reached through
// IDispatchEx::GetDispID instead. A name the object does not know, a refused
// access or a value that does not convert raises the host's error in the
// calling method (frame::HostError or a run-time error).
#pragma once

#include <windows.h>
#include <oaidl.h>

#include <initializer_list>
#include <string>
#include <string_view>

#include "owners.h"

namespace frame {

class HostObject {
 public:
  // Error 91 when the caller passed no object.
  explicit HostObject(IDispatch* object);
  explicit HostObject(IDispatch** object) : HostObject(object ? *object : nullptr) {}

  // Property read, optionally with one index argument ("ItemData"(i)).
  Variant get(std::wstring_view name);
  Variant get(std::wstring_view name, const VARIANT& index);
  // Property write, optionally with one index argument.
  void put(std::wstring_view name, const VARIANT& value);
  void put(std::wstring_view name, const VARIANT& index, const VARIANT& value);
  // Method call with the arguments in order; the method's result.
  Variant call(std::wstring_view name, std::initializer_list<VARIANT> arguments = {});

  // Reads converted to the kind the body needs (error 13 when they do not convert).
  long get_long(std::wstring_view name);
  short get_integer(std::wstring_view name);
  std::wstring get_text(std::wstring_view name);

  // Values to pass.
  static VARIANT long_value(long value);
  static VARIANT text_value(BSTR borrowed);

 private:
  DISPID id_of(std::wstring_view name);
  Variant invoke(DISPID id, WORD flags, VARIANT* reversed_args, UINT count, bool named_put);

  ComPtr<IDispatch> object_;
};

// A Variant converted to a kind (error 13 when it does not convert, 6 when it
// does not fit).
long variant_to_long(const VARIANT& value);
std::wstring variant_to_text(const VARIANT& value);

}  // namespace frame
