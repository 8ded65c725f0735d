// GetVolumeSerialNumber, DisksInfo, SetDiskLabel and DriveType.
#include <string>

#include "frame/ansi_text.h"
#include "frame/arguments.h"
#include "frame/arguments.h"
#include "system_facts.h"
#include "tarsen_object.h"
#include "volume_rules.h"

namespace tarsen {

using frame::with_ansi;
using frame::value_of;

namespace {

using frame::AnsiText;

frame::Variant text_variant(std::wstring_view text) {
  frame::Variant value;
  V_VT(value.get()) = VT_BSTR;
  V_BSTR(value.get()) = frame::Bstr(text).release();
  return value;
}

// The text a name buffer holds; the empty text when the call wrote nothing.
std::wstring written_name(const std::string& buffer) { return AnsiText::decode(text_before_nul_or_empty(buffer)); }

}  // namespace

STDMETHODIMP TarsenObject::GetVolumeSerialNumber(BSTR* RootPath, BSTR* result) {
  return run(result, [&] {
    // A private copy: the caller's variable is not written.
    AnsiText root(frame::text_of(RootPath));
    DWORD serial = 0, component_length = 0, flags = 0;
    if (!GetVolumeInformationA(root.c_str(), nullptr, 0, &serial, &component_length, &flags, nullptr, 0))
      return std::wstring(L"0000-0000");
    return std::wstring(frame::wide(serial_text(serial)));
  });
}

STDMETHODIMP TarsenObject::DisksInfo(BSTR* RootPath, DiskInfo* DType, VARIANT* result) {
  return run(result, [&] {
    VolumeFact fact = volume_fact(value_of(DType));
    std::string label(256, ' '), file_system(256, ' ');
    DWORD serial = 0, component_length = 0, flags = 0;
    with_ansi(RootPath, [&](char* root) {
      return GetVolumeInformationA(root, label.data(), 256, &serial, &component_length, &flags, file_system.data(), 256);
    });
    switch (fact) {
      case VolumeFact::Serial: return text_variant(frame::wide(serial_decimal(serial)));
      case VolumeFact::Label: return text_variant(written_name(label));
      default: return text_variant(written_name(file_system));
    }
  });
}

STDMETHODIMP TarsenObject::SetDiskLabel(BSTR* DiskRootPath, BSTR* NewVolumeName, VARIANT_BOOL* result) {
  return run(result, [&] {
    // A label the platform refuses is reported as false.
    return with_ansi(DiskRootPath, NewVolumeName,
                     [](char* root, char* name) { return SetVolumeLabelA(root, name) != FALSE; });
  });
}

STDMETHODIMP TarsenObject::DriveType(BSTR* RootPath, short* result) {
  return run(result, [&] { return drive_type_code(with_ansi(RootPath, [](char* root) { return GetDriveTypeA(root); })); });
}

}  // namespace tarsen
