// ChangeDisplayResolution, ChangeWindowCaption, GetWindowFullCaption,
// GetWindowHandle, DisableWindow, SetKeyboardLanguage, GetKeyboardLanguage
// and CursorVisible.
#include "tarsen_object.h"

namespace tarsen {

STDMETHODIMP TarsenObject::ChangeDisplayResolution(float*, float*, VARIANT_BOOL* result) {
  return run(result, []() -> bool { frame::not_implemented(); });
}

STDMETHODIMP TarsenObject::ChangeWindowCaption(BSTR*, BSTR*, VARIANT_BOOL* result) {
  return run(result, []() -> bool { frame::not_implemented(); });
}

STDMETHODIMP TarsenObject::GetWindowFullCaption(BSTR*, long*, BSTR* result) {
  return run(result, []() -> frame::Bstr { frame::not_implemented(); });
}

STDMETHODIMP TarsenObject::GetWindowHandle(BSTR*, long*, long* result) {
  return run(result, []() -> long { frame::not_implemented(); });
}

STDMETHODIMP TarsenObject::DisableWindow(BSTR*, long*, VARIANT_BOOL* result) {
  return run(result, []() -> bool { frame::not_implemented(); });
}

STDMETHODIMP TarsenObject::SetKeyboardLanguage(KeyLayout*) {
  return run_void([] { frame::not_implemented(); });
}

STDMETHODIMP TarsenObject::GetKeyboardLanguage(KeyLayout* result) {
  return run(result, []() -> KeyLayout { frame::not_implemented(); });
}

STDMETHODIMP TarsenObject::CursorVisible(VARIANT_BOOL*, VARIANT_BOOL* result) {
  return run(result, []() -> VARIANT_BOOL { frame::not_implemented(); });
}

}  // namespace tarsen
