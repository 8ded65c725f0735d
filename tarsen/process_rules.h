// The pure rules behind log-off, applets, programs, processes and the office
// registry check: texts built and cut, keys chosen.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace tarsen {

// "rundll32.exe shell32.dll,Control_RunDLL " followed by the applet's name
// as given (no quotes).
std::u16string applet_command_line(std::u16string_view file_name);

// The extension a classes-root key stands for: the name without its leading
// ".", or nothing for a name that does not begin with "." (letter case is
// left to the caller).
std::optional<std::u16string_view> extension_of_class_key(std::u16string_view key_name);

// The current-version key of an office application, under the classes root;
// nothing for a value outside 1 to 4.
std::optional<std::string_view> office_version_key(std::int32_t component);

// How many characters of a registry query's buffer are the value's text: the
// reported length without its NUL when the query succeeded and reported more
// than one byte, else none.
std::uint32_t registry_text_length(long status, std::uint32_t reported_length, std::uint32_t buffer_length);

}  // namespace tarsen
