#include "window_rules.h"

#include "frame/numeric.h"

namespace tarsen {

bool caption_contains(std::u16string_view caption, std::u16string_view part) {
  return !caption.empty() && caption.find(part) != std::u16string_view::npos;
}

DisplaySize display_size(float width, float height) {
  std::int32_t w = frame::to_long(width);
  return {w, frame::to_long(height)};
}

std::int32_t keyboard_layout_of_name(std::u16string_view name) {
  if (name.empty()) return 0;
  std::uint64_t value = 0;
  for (char16_t c : name) {
    if (c < u'0' || c > u'9') return 0;
    value = value * 10 + static_cast<std::uint64_t>(c - u'0');
    if (value > 1000000) return 0;  // far beyond 419: no need to read on
  }
  return value == 419 ? 1 : 0;
}

std::int16_t cursor_count_result(int count) {
  return static_cast<std::int16_t>(static_cast<std::uint16_t>(static_cast<unsigned>(count) & 0xFFFFu));
}

}  // namespace tarsen
