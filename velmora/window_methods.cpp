// Velmora's window actions.
#include "velmora_object.h"

namespace velmora {

STDMETHODIMP VelmoraObject::CloseLock(LONG*) { return run_void([] { frame::not_implemented(); }); }
STDMETHODIMP VelmoraObject::MenuColor(LONG*, LONG*) { return run_void([] { frame::not_implemented(); }); }
STDMETHODIMP VelmoraObject::SetParentObject(LONG*, LONG*) { return run_void([] { frame::not_implemented(); }); }
STDMETHODIMP VelmoraObject::ObjectMove(LONG*) { return run_void([] { frame::not_implemented(); }); }
STDMETHODIMP VelmoraObject::Transparent(LONG*, BYTE*) { return run_void([] { frame::not_implemented(); }); }
STDMETHODIMP VelmoraObject::Gradient(LONG*, LONG*, short*, IDispatch**) {
  return run_void([] { frame::not_implemented(); });
}
STDMETHODIMP VelmoraObject::MinimizedAllWindows(VARIANT_BOOL* result) {
  return run(result, []() -> bool { frame::not_implemented(); });
}
STDMETHODIMP VelmoraObject::MsgBoxPlus(LONG*, BSTR*, BSTR*, LONG*, LONG* result) {
  return run(result, []() -> long { frame::not_implemented(); });
}
STDMETHODIMP VelmoraObject::OnTop(LONG*, VARIANT_BOOL*) { return run_void([] { frame::not_implemented(); }); }

}  // namespace velmora
