// Velmora's window actions: each a short fixed sequence of platform calls
// whose failures (a handle that names no window, a window without a menu)
// are not errors.
#include <map>

#include "error_report.h"
#include "frame/arguments.h"
#include "frame/host_object.h"
#include "gradient_per_thread.h"
#include "pointer_math.h"
#include "velmora_object.h"

namespace velmora {

using frame::value_of;

namespace {


// The background brush MenuColor last set on each menu, so the next call
// (from any thread: menus belong to the process) can delete it once the menu
// no longer uses it.
SRWLOCK g_menu_brushes_lock = SRWLOCK_INIT;
std::map<HMENU, HBRUSH> g_menu_brushes;

// The records' sizes as 32-bit hosts know them; the x64 build uses the SDK's.
static_assert(sizeof(void*) == 8 || sizeof(MENUINFO) == 28);
static_assert(sizeof(void*) == 8 || sizeof(LOGBRUSH) == 12);

HBRUSH current_menu_brush(HMENU menu) {
  MENUINFO info{};
  info.cbSize = sizeof info;
  info.fMask = MIM_BACKGROUND;
  return GetMenuInfo(menu, &info) ? info.hbrBack : nullptr;
}

VARIANT integer_value(short value) {
  VARIANT result;
  VariantInit(&result);
  V_VT(&result) = VT_I2;
  V_I2(&result) = value;
  return result;
}

}  // namespace

STDMETHODIMP VelmoraObject::CloseLock(LONG* hWnd) {
  return run_void([&] {
    const HWND window = frame::window_of(value_of(hWnd));
    HMENU system_menu = GetSystemMenu(window, FALSE);
    if (!system_menu) return;
    DeleteMenu(system_menu, SC_CLOSE, MF_BYCOMMAND);
    DrawMenuBar(window);
  });
}

// A window without a menu gets no brush; the brush set on this menu by the
// previous call is deleted once the new one is in place.
STDMETHODIMP VelmoraObject::MenuColor(LONG* hWnd, LONG* MenuColor) {
  return run_void([&] {
    HMENU menu = GetMenu(frame::window_of(value_of(hWnd)));
    if (!menu) return;
    const LOGBRUSH solid{BS_SOLID, static_cast<COLORREF>(value_of(MenuColor)), 0};
    const HBRUSH brush = CreateBrushIndirect(&solid);
    if (!brush) return;
    MENUINFO info{};
    info.cbSize = sizeof info;
    GetMenuInfo(menu, &info);
    const HBRUSH previous = current_menu_brush(menu);
    info.fMask = MIM_APPLYTOSUBMENUS | MIM_BACKGROUND;
    info.hbrBack = brush;
    if (!SetMenuInfo(menu, &info)) {
      DeleteObject(brush);
      return;
    }
    frame::ExclusiveLock lock(g_menu_brushes_lock);
    auto& brushes = g_menu_brushes;
    auto ours = brushes.find(menu);
    if (ours != brushes.end() && ours->second == previous) DeleteObject(previous);
    brushes[menu] = brush;  // the menu keeps using it
  });
}

STDMETHODIMP VelmoraObject::SetParentObject(LONG* ChildhWnd, LONG* ParenthWnd) {
  return run_void([&] { SetParent(frame::window_of(value_of(ChildhWnd)), frame::window_of(value_of(ParenthWnd))); });
}

// The window's default handling of a left button on its caption runs the
// platform's move loop; the call returns when the button is released.
STDMETHODIMP VelmoraObject::ObjectMove(LONG* hWnd) {
  return run_void([&] {
    ReleaseCapture();
    SendMessageA(frame::window_of(value_of(hWnd)), WM_NCLBUTTONDOWN, HTCAPTION, 0);
  });
}

STDMETHODIMP VelmoraObject::Transparent(LONG* hWnd, BYTE* Value) {
  return run_void([&] {
    const HWND window = frame::window_of(value_of(hWnd));
    const LONG ex_style = GetWindowLongA(window, GWL_EXSTYLE);
    SetWindowLongA(window, GWL_EXSTYLE, ex_style | WS_EX_LAYERED);
    SetLayeredWindowAttributes(window, 0, Value ? *Value : 0, LWA_ALPHA);
  });
}

// Paints with this thread's own engine instance, driven through its
// interface, then touches the host's fill properties and restores them.
// That second step has no error trap: a missing property fails the call
// after the gradient is painted.
STDMETHODIMP VelmoraObject::Gradient(LONG* StartColor, LONG* EndColor, short* Angel, IDispatch** Object) {
  return run_void([&] {
    _ClassForGradient* painter = thread_gradient_painter();
    check_status(painter->put_Angle(static_cast<float>(Angel ? *Angel : 0)));
    check_status(painter->put_Color1(value_of(StartColor)));
    check_status(painter->put_Color2(value_of(EndColor)));
    VARIANT_BOOL drawn = VARIANT_FALSE;
    check_status(painter->Draw(Object, &drawn));

    frame::HostObject host(Object);
    host.get(L"ScaleHeight");
    host.get(L"ScaleWidth");
    const short fill_style = host.get_integer(L"FillStyle");
    const long fill_color = host.get_long(L"FillColor");
    const long fore_color = host.get_long(L"ForeColor");
    host.put(L"FillStyle", integer_value(0));
    host.put(L"FillColor", frame::HostObject::long_value(0xFFFFFF));
    host.put(L"ForeColor", frame::HostObject::long_value(0));
    host.put(L"FillStyle", integer_value(fill_style));
    host.put(L"FillColor", frame::HostObject::long_value(fill_color));
    host.put(L"ForeColor", frame::HostObject::long_value(fore_color));
  });
}

// Windows key + M; M is released as well, so no key stays logically down.
STDMETHODIMP VelmoraObject::MinimizedAllWindows(VARIANT_BOOL* result) {
  return run(result, [] {
    try {
      keybd_event(VK_LWIN, 0, 0, 0);
      keybd_event('M', 0, 0, 0);
      keybd_event('M', 0, KEYEVENTF_KEYUP, 0);
      keybd_event(VK_LWIN, 0, KEYEVENTF_KEYUP, 0);
      return true;
    } catch (...) {
      return false;
    }
  });
}

STDMETHODIMP VelmoraObject::OnTop(LONG* hWnd, VARIANT_BOOL* Mode) {
  return run_void([&] {
    const auto insert_after = topmost_insert_after(Mode ? *Mode : 1);
    if (!insert_after) return;
    SetWindowPos(frame::window_of(value_of(hWnd)), frame::window_of(*insert_after), 0, 0, 0,
                 0, SWP_NOSIZE | SWP_NOMOVE);
  });
}

// Caption and Title are shown through the wide form, exactly as given: the
// 8-bit form would show a character that the code page lacks as "?" and
// write the "?" back into the caller's variable. Each variable gets its own
// text back (what the 8-bit round trip gives for a text the page holds), also
// when the box could not be shown.
STDMETHODIMP VelmoraObject::MsgBoxPlus(LONG* hWnd, BSTR* Caption, BSTR* Title, LONG* wType, LONG* result) {
  return run(result, [&] {
    std::wstring caption(frame::text_of(Caption)), title(frame::text_of(Title));
    const int pressed =
        MessageBoxW(frame::window_of(value_of(hWnd)), caption.c_str(), title.c_str(), static_cast<UINT>(value_of(wType)));
    frame::assign(Caption, caption);
    frame::assign(Title, title);
    return static_cast<long>(pressed);
  });
}

}  // namespace velmora
