// ChangeDisplayResolution, ChangeWindowCaption, GetWindowFullCaption,
// GetWindowHandle, DisableWindow, SetKeyboardLanguage, GetKeyboardLanguage
// and CursorVisible.
#include <string>

#include "frame/ansi_text.h"
#include "frame/arguments.h"
#include "frame/arguments.h"
#include "lower_case.h"
#include "frame/runtime_error.h"
#include "system_facts.h"
#include "tarsen_object.h"
#include "window_rules.h"

namespace tarsen {

using frame::window_of;
using frame::long_of;
using frame::value_of;

namespace {

using frame::AnsiText;

// Lets the host's own event handlers run: every message waiting for this
// thread is dispatched.
void process_pending_messages() {
  MSG message;
  while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
    TranslateMessage(&message);
    DispatchMessageW(&message);
  }
}

// Captions travel in their wide forms: a caption that the code page cannot
// hold is read, found and set as it is, never as a "?" text that names
// another window (or none).

// The caption of a window: as many characters as its length reports, any
// the call did not fill staying NUL.
std::wstring read_window_caption(HWND window) {
  if (!window) return {};
  int length = GetWindowTextLengthW(window);
  if (length <= 0) return {};
  std::wstring buffer(static_cast<size_t>(length) + 1, L'\0');
  GetWindowTextW(window, buffer.data(), length + 1);
  buffer.resize(static_cast<size_t>(length));
  return buffer;
}

// The top-level window of exactly this caption. The caller's variable gets
// its own text back, as the 8-bit round trip gives it for a text the code
// page holds.
HWND find_window_by_caption(BSTR* caption) {
  std::wstring text(frame::text_of(caption));
  HWND window = FindWindowW(nullptr, text.c_str());
  frame::assign(caption, text);
  return window;
}

// The walk from `start` along its siblings in Z order. Everything it needs
// lives in locals, so a handler that runs while messages are processed may
// call in again without disturbing it.
HWND find_window_by_caption_part(HWND start, BSTR* part) {
  HWND window = start;
  for (;;) {
    process_pending_messages();
    if (!window) return nullptr;
    std::wstring caption = lower_case(read_window_caption(window));
    std::wstring wanted = lower_case(std::wstring(frame::text_of(part)));
    frame::assign(part, wanted);
    if (caption_contains(frame::u16(caption), frame::u16(wanted))) return window;
    window = GetWindow(window, GW_HWNDNEXT);
  }
}

}  // namespace

STDMETHODIMP TarsenObject::ChangeDisplayResolution(float* Width, float* Height, VARIANT_BOOL* result) {
  return run(result, [&] {
    try {
      DEVMODEA mode{};
      mode.dmSize = 124;  // the record without its colour-management fields
      // The record ends up holding what the enumeration left in it last.
      for (std::int32_t index = 0;; ++index) {
        BOOL more = EnumDisplaySettingsA(nullptr, static_cast<DWORD>(index), &mode);
        if ((more & 0xFFFF) == 0) break;
        if (index == INT32_MAX) frame::raise(frame::kOverflow);
      }
      DisplaySize size = display_size(value_of(Width), value_of(Height));
      mode.dmFields = DM_PELSWIDTH | DM_PELSHEIGHT;
      mode.dmPelsWidth = static_cast<DWORD>(size.width);
      mode.dmPelsHeight = static_cast<DWORD>(size.height);
      // A mode the display refuses is reported as false.
      return ChangeDisplaySettingsA(&mode, 0) == DISP_CHANGE_SUCCESSFUL;
    } catch (const frame::RuntimeError&) {
      return false;
    }
  });
}

STDMETHODIMP TarsenObject::ChangeWindowCaption(BSTR* OldCaption, BSTR* NewCaption, VARIANT_BOOL* result) {
  return run(result, [&] {
    HWND window = find_window_by_caption(OldCaption);
    if (!window) return false;
    std::wstring caption(frame::text_of(NewCaption));
    SendMessageW(window, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(caption.c_str()));
    frame::assign(NewCaption, caption);
    return true;
  });
}

STDMETHODIMP TarsenObject::GetWindowFullCaption(BSTR* PartOfCaption, long* hWnd, BSTR* result) {
  return run(result, [&] {
    return read_window_caption(find_window_by_caption_part(window_of(value_of(hWnd)), PartOfCaption));
  });
}

STDMETHODIMP TarsenObject::GetWindowHandle(BSTR* PartOfCaption, long* hWnd, long* result) {
  return run(result, [&] { return long_of(find_window_by_caption_part(window_of(value_of(hWnd)), PartOfCaption)); });
}

STDMETHODIMP TarsenObject::DisableWindow(BSTR* Caption, long* Mode, VARIANT_BOOL* result) {
  return run(result, [&] {
    HWND window = find_window_by_caption(Caption);
    // No window of that caption: nothing to enable or disable, and no success.
    if (!window) return false;
    EnableWindow(window, value_of(Mode) != 0);
    return true;
  });
}

STDMETHODIMP TarsenObject::SetKeyboardLanguage(KeyLayout* Language) {
  // Always the previous layout: callers use it as a toggle; the member only
  // travels as the flags.
  return run_void([&] {
    ActivateKeyboardLayout(reinterpret_cast<HKL>(static_cast<LONG_PTR>(HKL_PREV)),
                           static_cast<UINT>(value_of(Language)));
  });
}

STDMETHODIMP TarsenObject::GetKeyboardLanguage(KeyLayout* result) {
  return run(result, [] {
    auto buffer = AnsiText::buffer(KL_NAMELENGTH, '\0');
    GetKeyboardLayoutNameA(buffer.data());
    std::wstring name = AnsiText::decode(trim_at_nul(std::string_view(buffer.c_str(), buffer.size())));
    return static_cast<KeyLayout>(keyboard_layout_of_name(frame::u16(name)));
  });
}

STDMETHODIMP TarsenObject::CursorVisible(VARIANT_BOOL* Mode, VARIANT_BOOL* result) {
  return run(result, [&] { return cursor_count_result(ShowCursor(value_of(Mode) != 0)); });
}

}  // namespace tarsen
