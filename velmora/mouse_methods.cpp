// Velmora's mouse and cursor control.
#include "velmora_object.h"

namespace velmora {

STDMETHODIMP VelmoraObject::LockCursor(LONG*) { return run_void([] { frame::not_implemented(); }); }
STDMETHODIMP VelmoraObject::UnLockCursor() { return run_void([] { frame::not_implemented(); }); }
STDMETHODIMP VelmoraObject::MoveMouse(LONG*, LONG*) { return run_void([] { frame::not_implemented(); }); }
STDMETHODIMP VelmoraObject::ClickMouse(MButtons*, VARIANT_BOOL* result) {
  return run(result, []() -> bool { frame::not_implemented(); });
}
STDMETHODIMP VelmoraObject::CenterMouseOnElement(LONG*, VARIANT_BOOL* result) {
  return run(result, []() -> bool { frame::not_implemented(); });
}
STDMETHODIMP VelmoraObject::GetCursorLocate(Coord*, LONG* result) {
  return run(result, []() -> long { frame::not_implemented(); });
}

}  // namespace velmora
