// WinLogOff, ApletList, ApletShell, StartAndWait, GetRegystredFileTypes,
// ProcessList, KillProcess and MSOfficeComponents.
#include "tarsen_object.h"

namespace tarsen {

STDMETHODIMP TarsenObject::WinLogOff() {
  return run_void([] { frame::not_implemented(); });
}

STDMETHODIMP TarsenObject::ApletList(IDispatch**) {
  return run_void([] { frame::not_implemented(); });
}

STDMETHODIMP TarsenObject::ApletShell(BSTR*) {
  return run_void([] { frame::not_implemented(); });
}

STDMETHODIMP TarsenObject::StartAndWait(BSTR*) {
  return run_void([] { frame::not_implemented(); });
}

STDMETHODIMP TarsenObject::GetRegystredFileTypes(IDispatch**) {
  return run_void([] { frame::not_implemented(); });
}

STDMETHODIMP TarsenObject::ProcessList(IDispatch**) {
  return run_void([] { frame::not_implemented(); });
}

STDMETHODIMP TarsenObject::KillProcess(long*, VARIANT_BOOL* result) {
  return run(result, []() -> bool { frame::not_implemented(); });
}

STDMETHODIMP TarsenObject::MSOfficeComponents(MSOffise*, VARIANT_BOOL* result) {
  return run(result, []() -> bool { frame::not_implemented(); });
}

}  // namespace tarsen
