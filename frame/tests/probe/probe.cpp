// The probe's bodies: each the smallest use of one feature of the frame.
#include <initguid.h>

#include <string>

#include "frame/ansi_text.h"
#include "frame/com_object.h"
#include "frame/numeric.h"
#include "frameprobe_h.h"

namespace {

using frame::assign;
using frame::text_of;

class ProbeObject final : public frame::ComObject<ProbeObject, _Probe> {
 public:
  STDMETHODIMP Shout(BSTR* Text, BSTR* result) override {
    return run(result, [&] {
      std::wstring old(text_of(Text));
      assign(Text, old + L"!");
      return old;
    });
  }
  STDMETHODIMP Twice(long* Value, long* result) override {
    return run(result, [&] {
      long old = *Value;
      *Value = old * 2;
      return old;
    });
  }
  STDMETHODIMP SetDate(DATE* When, VARIANT_BOOL* result) override {
    return run(result, [&] {
      *When = 1.5;
      return true;
    });
  }
  STDMETHODIMP Fail(long Number, BSTR* result) override {
    return run(result, [&]() -> frame::Bstr { frame::raise(Number); });
  }
  STDMETHODIMP Mix(long A, double B, float C, BSTR D, short E, unsigned char F, VARIANT_BOOL G, DATE H,
                   BSTR* result) override {
    return run(result, [&] {
      return std::to_wstring(A) + L"|" + std::to_wstring(B) + L"|" + std::to_wstring(C) + L"|" +
             std::wstring(text_of(D)) + L"|" + std::to_wstring(E) + L"|" + std::to_wstring(F) + L"|" +
             std::to_wstring(G) + L"|" + std::to_wstring(H);
    });
  }
  STDMETHODIMP Flip(VARIANT_BOOL* Flag, VARIANT_BOOL* result) override {
    return run(result, [&] {
      *Flag = *Flag ? VARIANT_FALSE : VARIANT_TRUE;
      return *Flag != VARIANT_FALSE;
    });
  }
  STDMETHODIMP Fill(SAFEARRAY** Values, long* result) override {
    return run(result, [&] {
      if (!Values) frame::raise(frame::kInvalidCall);
      if (*Values) {
        HRESULT status = SafeArrayDestroy(*Values);
        if (FAILED(status)) frame::raise(frame::kArrayLocked);
        *Values = nullptr;
      }
      SAFEARRAY* array = SafeArrayCreateVector(VT_I4, 0, 3);
      if (!array) throw std::bad_alloc();
      for (LONG i = 0; i < 3; ++i) {
        LONG value = (i + 1) * 10;
        SafeArrayPutElement(array, &i, &value);
      }
      *Values = array;
      return 3L;
    });
  }
  STDMETHODIMP ToInteger(double Value, short* result) override {
    return run(result, [&] { return frame::to_integer(Value); });
  }
  STDMETHODIMP Kind(VARIANT* Value, BSTR* result) override {
    return run(result, [&] {
      std::wstring kind = std::to_wstring(V_VT(Value));
      VariantClear(Value);
      return kind;
    });
  }
  STDMETHODIMP put_Level(long rhs) override {
    return run_void([&] { level_ = rhs; });
  }
  STDMETHODIMP get_Level(long* rhs) override {
    return run(rhs, [&] { return level_; });
  }
  STDMETHODIMP AnsiRoundTrip(BSTR* Text, long* result) override {
    return run(result, [&] {
      frame::AnsiText ansi(text_of(Text));
      assign(Text, ansi.wide());
      return static_cast<long>(ansi.size());
    });
  }

 private:
  long level_ = 0;
};

}  // namespace

const frame::LibraryIdentity& frame::library_identity() {
  static const ClassEntry classes[] = {
      {&CLSID_Probe, &IID__Probe, L"Probe", L"_Probe", L"FrameProbe.Probe", &ProbeObject::create},
  };
  static const LibraryIdentity identity{L"FrameProbe", &LIBID_FrameProbe, 1, 0, classes, std::size(classes)};
  return identity;
}
