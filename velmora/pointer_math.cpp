#include "pointer_math.h"

#include <cmath>

#include "frame/numeric.h"
#include "frame/runtime_error.h"

namespace velmora {

std::int32_t to_absolute(std::int32_t pixel, std::int32_t screen_size) {
  // Both operands are Singles before the arithmetic.
  const double size = static_cast<float>(screen_size);
  const double position = static_cast<float>(pixel);
  if (size == 0) frame::raise(frame::kDivisionByZero);
  double absolute = std::ceil(position * 65536.0 / size);
  if (position >= 0 && position <= size && absolute > 65535) absolute = 65535;
  if (absolute < INT32_MIN || absolute > INT32_MAX) frame::raise(frame::kOverflow);
  return static_cast<std::int32_t>(absolute);
}

Centre window_centre(std::int32_t left, std::int32_t top, std::int32_t right, std::int32_t bottom) {
  // The differences are 32-bit integer arithmetic: a span that leaves the
  // Long range is an overflow.
  auto span = [](std::int32_t from, std::int32_t to) {
    const std::int64_t difference = static_cast<std::int64_t>(to) - from;
    if (difference < INT32_MIN || difference > INT32_MAX) frame::raise(frame::kOverflow);
    return static_cast<double>(difference);
  };
  return {frame::to_long(span(left, right) / 2 + left), frame::to_long(span(top, bottom) / 2 + top)};
}

bool on_screen(Centre point, std::int32_t width, std::int32_t height) {
  return point.x >= 0 && point.x <= width && point.y >= 0 && point.y <= height;
}

std::optional<std::uint32_t> click_flags(std::int32_t button) {
  switch (button) {
    case 1: return 0x0002 | 0x0004;  // left down, left up
    case 2: return 0x0020 | 0x0040;  // middle down, middle up
    case 3: return 0x0008 | 0x0010;  // right down, right up
    default: return std::nullopt;
  }
}

std::int32_t cursor_coordinate(std::int32_t selector, std::int32_t x, std::int32_t y) {
  if (selector == 1) return x;
  if (selector == 2) return y;
  return 0;
}

std::optional<std::int32_t> topmost_insert_after(std::int16_t mode) {
  if (mode == -1) return -1;
  if (mode == 0) return -2;
  return std::nullopt;
}

}  // namespace velmora
