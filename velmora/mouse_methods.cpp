// Velmora's mouse and cursor control. Movement is injected in the normalised
// absolute space, with the screen size read anew for every conversion.
#include "frame/arguments.h"
#include "frame/runtime_error.h"
#include "pointer_math.h"
#include "velmora_object.h"

namespace velmora {

using frame::value_of;

namespace {

struct ScreenSize {
  int width;
  int height;
};

ScreenSize screen_size() { return {GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)}; }

long to_absolute_x(long x) { return to_absolute(x, screen_size().width); }
long to_absolute_y(long y) { return to_absolute(y, screen_size().height); }

// One absolute pointer move to a pixel; X is converted before Y, and a
// failing conversion moves nothing.
void move_mouse_absolute(long x, long y) {
  const long absolute_x = to_absolute_x(x);
  const long absolute_y = to_absolute_y(y);
  mouse_event(MOUSEEVENTF_MOVE | MOUSEEVENTF_ABSOLUTE, static_cast<DWORD>(absolute_x), static_cast<DWORD>(absolute_y),
              0, 0);
}


}  // namespace

// Confining to the zero rectangle of a window that has no client area would
// pin the pointer at the screen's corner for the whole desktop, so nothing is
// clipped when GetClientRect fails.
STDMETHODIMP VelmoraObject::LockCursor(LONG* hWnd) {
  return run_void([&] {
    try {
      const HWND window = frame::window_of(value_of(hWnd));
      RECT client{};
      if (!GetClientRect(window, &client)) return;
      POINT origin{client.left, client.top};
      ClientToScreen(window, &origin);
      OffsetRect(&client, origin.x, origin.y);
      ClipCursor(&client);
    } catch (...) {
      // Every error ends LockCursor quietly.
    }
  });
}

STDMETHODIMP VelmoraObject::UnLockCursor() {
  return run_void([] { ClipCursor(nullptr); });
}

STDMETHODIMP VelmoraObject::MoveMouse(LONG* x, LONG* y) {
  return run_void([&] { move_mouse_absolute(value_of(x), value_of(y)); });
}

STDMETHODIMP VelmoraObject::ClickMouse(MButtons* Button, VARIANT_BOOL* result) {
  return run(result, [&] {
    const auto flags = click_flags(Button ? *Button : 0);
    if (!flags) return false;
    mouse_event(*flags, 0, 0, 0, 0);
    return true;
  });
}

STDMETHODIMP VelmoraObject::CenterMouseOnElement(LONG* hWnd, VARIANT_BOOL* result) {
  return run(result, [&] {
    const ScreenSize screen = screen_size();
    RECT frame{};
    if (!GetWindowRect(frame::window_of(value_of(hWnd)), &frame)) return false;
    const Centre centre = window_centre(frame.left, frame.top, frame.right, frame.bottom);
    if (!on_screen(centre, screen.width, screen.height)) return false;
    move_mouse_absolute(centre.x, centre.y);
    return true;
  });
}

STDMETHODIMP VelmoraObject::GetCursorLocate(Coord* XorY, LONG* result) {
  return run(result, [&] {
    POINT position{};
    GetCursorPos(&position);
    return cursor_coordinate(XorY ? *XorY : 0, position.x, position.y);
  });
}

}  // namespace velmora
