// The pure rules behind the window, display, keyboard and cursor members.
#pragma once

#include <cstdint>
#include <string_view>

namespace tarsen {

// Whether a (lower-cased) caption contains a (lower-cased) part: an empty
// caption contains nothing, not even the empty part; a non-empty caption
// contains the empty part.
bool caption_contains(std::u16string_view caption, std::u16string_view part);

// Width and height of a display-mode request, each rounded to a Long (ties
// to even; error 6 out of range).
struct DisplaySize {
  std::int32_t width;
  std::int32_t height;
};
DisplaySize display_size(float width, float height);

// The layout member for a layout name: 1 (Rus) when the name is decimal
// digits whose value is 419, else 0 (Eng).
std::int32_t keyboard_layout_of_name(std::u16string_view name);

// The Boolean result of CursorVisible: the display count's low 16 bits as they are.
std::int16_t cursor_count_result(int count);

}  // namespace tarsen
