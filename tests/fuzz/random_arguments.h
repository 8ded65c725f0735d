// Random arguments for late-bound calls: every kind a script or a compiled
// client can pass, by value and by reference, with the awkward values (null
// strings, embedded NULs, lone surrogates, the limits of each integer kind,
// NaN and infinities, dates out of range, arrays of odd shape, a host object
// that fails). The arguments own what they hold and free it afterwards, also
// what the method put into a by-reference argument.
#pragma once

#include <windows.h>
#include <oaidl.h>

#include <cstdint>
#include <random>
#include <string>
#include <vector>

#include "server_library.h"

namespace suite_test {

class FailingHost;

struct ArgumentRules {
  FailingHost* host = nullptr;
  std::vector<std::wstring> texts;  // a pool of texts worth trying (paths of a sandbox and the like)
  bool bounded = false;             // small numbers only, for members that allocate by a count
  bool host_for_objects = false;    // an object parameter always gets the host
};

class CallArguments {
 public:
  CallArguments(std::mt19937_64& random, const MemberInfo& member, size_t count, const ArgumentRules& rules);
  ~CallArguments();
  CallArguments(const CallArguments&) = delete;
  CallArguments& operator=(const CallArguments&) = delete;

  // In the order DISPPARAMS wants them: the last argument first.
  VARIANT* reversed() { return reversed_.data(); }
  UINT count() const { return static_cast<UINT>(reversed_.size()); }
  bool passes_host() const { return passes_host_; }
  std::string describe() const;

 private:
  struct Slot {
    VARIANT value;     // what the call receives
    VARIANT referent;  // the variable behind VT_BYREF|VT_VARIANT
    union {
      SHORT i2;
      LONG i4;
      ULONG ui4;
      LONGLONG i8;
      FLOAT r4;
      DOUBLE r8;
      CY cy;
      VARIANT_BOOL b;
      BYTE ui1;
      SCODE error;
      BSTR text;
      IDispatch* object;
      IUnknown* unknown;
      SAFEARRAY* array;
    } storage;
    VARTYPE stored = VT_EMPTY;  // the kind in `storage` when value is VT_BYREF of it
  };

  void fill(Slot& slot, const ParamKind* param);
  VARIANT make_value(VARTYPE kind);
  VARTYPE random_kind();
  void make_by_ref(Slot& slot, VARTYPE kind);

  std::mt19937_64& random_;
  const ArgumentRules& rules_;
  std::vector<Slot> slots_;
  std::vector<VARIANT> reversed_;
  bool passes_host_ = false;
};

// A random text: characters chosen to trip text handling (controls,
// Cyrillic, surrogates, NUL, path separators).
std::wstring random_text(std::mt19937_64& random, size_t max_length);

}  // namespace suite_test
