// GetVolumeSerialNumber, DisksInfo, SetDiskLabel and DriveType.
#include "tarsen_object.h"

namespace tarsen {

STDMETHODIMP TarsenObject::GetVolumeSerialNumber(BSTR*, BSTR* result) {
  return run(result, []() -> frame::Bstr { frame::not_implemented(); });
}

STDMETHODIMP TarsenObject::DisksInfo(BSTR*, DiskInfo*, VARIANT* result) {
  return run(result, []() -> frame::Variant { frame::not_implemented(); });
}

STDMETHODIMP TarsenObject::SetDiskLabel(BSTR*, BSTR*, VARIANT_BOOL* result) {
  return run(result, []() -> bool { frame::not_implemented(); });
}

STDMETHODIMP TarsenObject::DriveType(BSTR*, short* result) {
  return run(result, []() -> short { frame::not_implemented(); });
}

}  // namespace tarsen
