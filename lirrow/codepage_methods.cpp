// TextCode and ANSI2OEM.
#include "lirrow_object.h"

namespace lirrow {

STDMETHODIMP LirrowObject::TextCode(BSTR*, CodeText* result) {
  return run(result, []() -> CodeText { frame::not_implemented(); });
}

STDMETHODIMP LirrowObject::ANSI2OEM(BSTR, BSTR* result) {
  return run(result, []() -> frame::Bstr { frame::not_implemented(); });
}

}  // namespace lirrow
