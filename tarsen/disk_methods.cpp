// GetVolumeSerialNumber, DisksInfo, SetDiskLabel and DriveType.
#include <optional>
#include <string>

#include "frame/ansi_text.h"
#include "frame/arguments.h"
#include "system_facts.h"
#include "tarsen_object.h"
#include "volume_rules.h"

namespace tarsen {

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
std::wstring written_name(const std::wstring& buffer) {
  size_t end = buffer.find(L'\0');
  return end == std::wstring::npos ? std::wstring() : buffer.substr(0, end);
}

}  // namespace

// A root path or label that the code page cannot hold is refused: its "?"
// would name another volume or folder, or write a label of "?" characters.
// The method answers as for a failing call, the caller's variables keep
// their texts, and nothing reaches the platform.

STDMETHODIMP TarsenObject::GetVolumeSerialNumber(BSTR* RootPath, BSTR* result) {
  return run(result, [&] {
    // A private copy: the caller's variable is not written.
    std::optional<AnsiText> root = frame::exact_ansi(frame::text_of(RootPath));
    DWORD serial = 0, component_length = 0, flags = 0;
    if (!root || !GetVolumeInformationA(root->c_str(), nullptr, 0, &serial, &component_length, &flags, nullptr, 0))
      return std::wstring(L"0000-0000");
    return std::wstring(frame::wide(serial_text(serial)));
  });
}

STDMETHODIMP TarsenObject::DisksInfo(BSTR* RootPath, DiskInfo* DType, VARIANT* result) {
  return run(result, [&] {
    VolumeFact fact = volume_fact(value_of(DType));
    // The names are read in their wide forms: a label that the code page
    // cannot hold comes back as it is, not as "?" text.
    std::wstring label(256, L' '), file_system(256, L' ');
    DWORD serial = 0, component_length = 0, flags = 0;
    if (std::optional<AnsiText> root = frame::exact_ansi(frame::text_of(RootPath))) {
      std::wstring exact = root->wide();
      GetVolumeInformationW(exact.c_str(), label.data(), 256, &serial, &component_length, &flags, file_system.data(),
                            256);
      frame::assign(RootPath, exact);
    }
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
    std::optional<bool> set = frame::with_exact_ansi(
        DiskRootPath, NewVolumeName, [](char* root, char* name) { return SetVolumeLabelA(root, name) != FALSE; });
    return set.value_or(false);
  });
}

STDMETHODIMP TarsenObject::DriveType(BSTR* RootPath, short* result) {
  return run(result, [&] {
    std::optional<UINT> type = frame::with_exact_ansi(RootPath, [](char* root) { return GetDriveTypeA(root); });
    return drive_type_code(type.value_or(DRIVE_UNKNOWN));
  });
}

}  // namespace tarsen
