#include "process_rules.h"

namespace tarsen {

std::u16string applet_command_line(std::u16string_view file_name) {
  std::u16string line = u"rundll32.exe shell32.dll,Control_RunDLL ";
  line += file_name;
  return line;
}

std::optional<std::u16string_view> extension_of_class_key(std::u16string_view key_name) {
  if (key_name.empty() || key_name.front() != u'.') return std::nullopt;
  return key_name.substr(1);
}

std::optional<std::string_view> office_version_key(std::int32_t component) {
  switch (component) {
    case 1: return "Word.Document\\CurVer";
    case 2: return "Excel.Sheet\\CurVer";
    case 3: return "Access.Database\\CurVer";
    case 4: return "PowerPoint.Slide\\CurVer";
    default: return std::nullopt;
  }
}

std::uint32_t registry_text_length(long status, std::uint32_t reported_length, std::uint32_t buffer_length) {
  if (status != 0 || reported_length <= 1) return 0;
  // A length beyond the buffer cannot come with success; never read past it.
  return (reported_length > buffer_length ? buffer_length : reported_length) - 1;
}

}  // namespace tarsen
