// DateFunction and IsLeapYear.
#include "lirrow_object.h"

namespace lirrow {

STDMETHODIMP LirrowObject::DateFunction(DateOption*, DATE*, VARIANT* result) {
  return run(result, []() -> frame::Variant { frame::not_implemented(); });
}

STDMETHODIMP LirrowObject::IsLeapYear(short*, short* result) {
  return run(result, []() -> short { frame::not_implemented(); });
}

}  // namespace lirrow
