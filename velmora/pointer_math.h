// The pure arithmetic of the mouse and window methods: pixels to the
// normalised absolute mouse space, a window's centre, and the selectors of
// ClickMouse, GetCursorLocate and OnTop.
#pragma once

#include <cstdint>
#include <optional>

namespace velmora {

// The absolute coordinate (0..65535 across the screen) that lands the pointer
// on `pixel` of a screen `screen_size` pixels wide (or high): the smallest
// value the system maps back to that pixel, pixel * 65536 / size rounded up,
// the far edge itself capped at 65535. Positions off the screen are passed on
// as computed. Error 11 for a screen size of 0, error 6 when the value does
// not fit a Long.
std::int32_t to_absolute(std::int32_t pixel, std::int32_t screen_size);

// The centre of a window rectangle: the half-extents in double precision,
// rounded to nearest with ties to even. Error 6 when it does not fit a Long.
struct Centre {
  std::int32_t x;
  std::int32_t y;
};
Centre window_centre(std::int32_t left, std::int32_t top, std::int32_t right, std::int32_t bottom);

// Whether a point lies on the screen, both bounds inclusive.
bool on_screen(Centre point, std::int32_t width, std::int32_t height);

// The mouse_event flags for one click (down and up) of a button (1 left,
// 2 middle, 3 right); none for any other value.
std::optional<std::uint32_t> click_flags(std::int32_t button);

// GetCursorLocate: the X coordinate for 1, the Y for 2, else 0.
std::int32_t cursor_coordinate(std::int32_t selector, std::int32_t x, std::int32_t y);

// OnTop: where the window goes in the Z order for a Boolean mode, compared
// with exactly -1 (topmost: -1) and 0 (not topmost: -2); nothing otherwise.
std::optional<std::int32_t> topmost_insert_after(std::int16_t mode);

}  // namespace velmora
