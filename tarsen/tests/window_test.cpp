// Windows found by part of their caption, captions changed, windows disabled,
// the display mode changed and restored, the keyboard layout and the cursor.
#include <string>
#include <vector>

#include "tarsen_client.h"

namespace tarsen_test {
namespace {

constexpr UINT kCallBack = WM_APP + 7;

struct Nested {
  _Tarsen* tarsen = nullptr;
  HWND start = nullptr;
  long found = -1;
  int calls = 0;
};
Nested g_nested;

// On kCallBack the window calls GetWindowHandle again, as a host's event
// handler may do while an outer walk processes messages.
LRESULT CALLBACK test_window_procedure(HWND window, UINT message, WPARAM w, LPARAM l) {
  if (message == kCallBack && g_nested.tarsen) {
    ++g_nested.calls;
    StringVar part(L"NESTED");
    long start = static_cast<long>(reinterpret_cast<LONG_PTR>(g_nested.start));
    g_nested.tarsen->GetWindowHandle(part.put(), &start, &g_nested.found);
    return 0;
  }
  return DefWindowProcW(window, message, w, l);
}

class WindowTest : public TarsenTest {
 protected:
  void SetUp() override {
    TarsenTest::SetUp();
    WNDCLASSW window_class{};
    window_class.lpfnWndProc = test_window_procedure;
    window_class.hInstance = GetModuleHandleW(nullptr);
    window_class.lpszClassName = L"TarsenTestWindow";
    RegisterClassW(&window_class);
  }
  void TearDown() override {
    for (HWND window : windows_) DestroyWindow(window);
    g_nested = {};
    TarsenTest::TearDown();
  }
  // A top-level window, put at the top of the Z order (so the ones made
  // later lie above it).
  HWND make(const wchar_t* caption) {
    HWND window = CreateWindowExW(0, L"TarsenTestWindow", caption, WS_OVERLAPPEDWINDOW, 0, 0, 100, 100, nullptr,
                                  nullptr, GetModuleHandleW(nullptr), nullptr);
    EXPECT_TRUE(window);
    SetWindowPos(window, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    windows_.push_back(window);
    return window;
  }
  long handle(std::wstring_view part, HWND start, std::wstring* part_after = nullptr) {
    StringVar variable(part);
    long from = static_cast<long>(reinterpret_cast<LONG_PTR>(start)), found = -1;
    EXPECT_EQ(tarsen->GetWindowHandle(variable.put(), &from, &found), S_OK);
    if (part_after) *part_after = variable.text();
    return found;
  }
  std::wstring full_caption(std::wstring_view part, HWND start) {
    StringVar variable(part), result;
    long from = static_cast<long>(reinterpret_cast<LONG_PTR>(start));
    EXPECT_EQ(tarsen->GetWindowFullCaption(variable.put(), &from, result.put()), S_OK);
    return result.text();
  }
  static long as_long(HWND window) { return static_cast<long>(reinterpret_cast<LONG_PTR>(window)); }

 private:
  std::vector<HWND> windows_;
};

TEST_F(WindowTest, FoundByPartOfCaptionFromTheStartOnward) {
  HWND lower = make(L"Tarsen Lower Window");
  HWND upper = make(L"Tarsen Upper Window");
  HWND untitled = make(L"");
  // Z order from the top: untitled, upper, lower.
  std::wstring part;
  EXPECT_EQ(handle(L"UPPER", untitled, &part), as_long(upper));
  EXPECT_EQ(part, L"upper") << "the part is lower-cased in the caller's variable";
  EXPECT_EQ(handle(L"tarsen lower", untitled), as_long(lower));
  EXPECT_EQ(handle(L"WINDOW", upper), as_long(upper)) << "the start itself is looked at";
  EXPECT_EQ(handle(L"Upper", lower), 0) << "earlier windows are not found";
  EXPECT_EQ(handle(L"", untitled), as_long(upper)) << "an empty caption contains nothing";
  EXPECT_EQ(handle(L"", lower), as_long(lower));
  EXPECT_EQ(full_caption(L"upper w", untitled), L"Tarsen Upper Window");
  EXPECT_EQ(full_caption(L"no window has this", untitled), L"");

  EXPECT_EQ(handle(L"Upper", nullptr, &part), 0);
  EXPECT_EQ(part, L"Upper") << "hWnd 0 leaves the caller's text as it was";
  EXPECT_EQ(full_caption(L"Upper", nullptr), L"");
}

TEST_F(WindowTest, AHandlerMayCallInDuringTheWalk) {
  HWND nested_target = make(L"Nested target");
  HWND outer_target = make(L"Outer target");
  HWND first = make(L"First");
  g_nested.tarsen = tarsen.get();
  g_nested.start = first;
  PostMessageW(first, kCallBack, 0, 0);
  EXPECT_EQ(handle(L"outer", first), as_long(outer_target));
  EXPECT_EQ(g_nested.calls, 1);
  EXPECT_EQ(g_nested.found, as_long(nested_target));
}

TEST_F(WindowTest, CaptionChangedAndWindowDisabledByExactCaption) {
  HWND window = make(L"Tarsen Caption Test");
  StringVar old_caption(L"TARSEN caption test"), new_caption(L"Tarsen Renamed");
  VARIANT_BOOL done = 0;
  EXPECT_EQ(tarsen->ChangeWindowCaption(old_caption.put(), new_caption.put(), &done), S_OK);
  EXPECT_EQ(done, VARIANT_TRUE);
  wchar_t caption[64] = {};
  GetWindowTextW(window, caption, 64);
  EXPECT_STREQ(caption, L"Tarsen Renamed");
  StringVar nobody(L"Tarsen Caption Test"), other(L"x");
  EXPECT_EQ(tarsen->ChangeWindowCaption(nobody.put(), other.put(), &done), S_OK);
  EXPECT_EQ(done, VARIANT_FALSE);

  StringVar renamed(L"tarsen renamed");
  long mode = 0;
  EXPECT_EQ(tarsen->DisableWindow(renamed.put(), &mode, &done), S_OK);
  EXPECT_EQ(done, VARIANT_TRUE);
  EXPECT_FALSE(IsWindowEnabled(window));
  mode = 1;
  EXPECT_EQ(tarsen->DisableWindow(renamed.put(), &mode, &done), S_OK);
  EXPECT_EQ(done, VARIANT_TRUE);
  EXPECT_TRUE(IsWindowEnabled(window));
  StringVar no_window(L"Tarsen: no window has this caption");
  mode = 0;
  EXPECT_EQ(tarsen->DisableWindow(no_window.put(), &mode, &done), S_OK);
  EXPECT_EQ(done, VARIANT_FALSE);
}

// Puts the display back however the test ends.
struct DisplayRestore {
  ~DisplayRestore() { ChangeDisplaySettingsA(nullptr, 0); }
};

std::pair<DWORD, DWORD> current_mode() {
  DEVMODEA mode{};
  mode.dmSize = sizeof mode;
  EnumDisplaySettingsA(nullptr, ENUM_CURRENT_SETTINGS, &mode);
  return {mode.dmPelsWidth, mode.dmPelsHeight};
}

TEST_F(WindowTest, DisplayResolutionChangedAndRestored) {
  DisplayRestore restore;
  auto original = current_mode();
  ASSERT_GT(original.first, 0u);
  float width = 800.4f, height = 599.5f;  // 800 x 600
  VARIANT_BOOL done = 0;
  EXPECT_EQ(tarsen->ChangeDisplayResolution(&width, &height, &done), S_OK);
  EXPECT_EQ(done, VARIANT_TRUE);
  EXPECT_EQ(current_mode(), (std::pair<DWORD, DWORD>(800, 600)));
  float refused_width = 1234.0f, refused_height = 77.0f;
  EXPECT_EQ(tarsen->ChangeDisplayResolution(&refused_width, &refused_height, &done), S_OK);
  EXPECT_EQ(done, VARIANT_FALSE) << "a mode the display refuses";
  EXPECT_EQ(current_mode(), (std::pair<DWORD, DWORD>(800, 600)));
  float huge = 3e9f;
  EXPECT_EQ(tarsen->ChangeDisplayResolution(&huge, &height, &done), S_OK);
  EXPECT_EQ(done, VARIANT_FALSE);
  float back_width = static_cast<float>(original.first), back_height = static_cast<float>(original.second);
  EXPECT_EQ(tarsen->ChangeDisplayResolution(&back_width, &back_height, &done), S_OK);
  EXPECT_EQ(done, VARIANT_TRUE);
  EXPECT_EQ(current_mode(), original);
}

TEST_F(WindowTest, CursorCountMovesOneStepPerCall) {
  int base = ShowCursor(TRUE) - 1;
  ShowCursor(FALSE);
  VARIANT_BOOL hide = VARIANT_FALSE, show = VARIANT_TRUE, result = 7;
  EXPECT_EQ(tarsen->CursorVisible(&hide, &result), S_OK);
  EXPECT_EQ(result, static_cast<VARIANT_BOOL>(base - 1));
  EXPECT_EQ(tarsen->CursorVisible(&hide, &result), S_OK);
  EXPECT_EQ(result, static_cast<VARIANT_BOOL>(base - 2));
  EXPECT_EQ(tarsen->CursorVisible(&show, &result), S_OK);
  EXPECT_EQ(tarsen->CursorVisible(&show, &result), S_OK);
  EXPECT_EQ(result, static_cast<VARIANT_BOOL>(base));
  VARIANT_BOOL any_true = 5;  // any non-zero value shows
  EXPECT_EQ(tarsen->CursorVisible(&any_true, &result), S_OK);
  EXPECT_EQ(result, static_cast<VARIANT_BOOL>(base + 1));
  ShowCursor(FALSE);
}

TEST_F(WindowTest, KeyboardLayoutReadAndToggled) {
  char name[KL_NAMELENGTH] = {};
  ASSERT_TRUE(GetKeyboardLayoutNameA(name));
  KeyLayout layout = static_cast<KeyLayout>(7);
  EXPECT_EQ(tarsen->GetKeyboardLanguage(&layout), S_OK);
  EXPECT_EQ(layout, std::string(name) == "00000419" ? Rus : Eng) << name;
  // Two switches to the previous layout end where they began.
  KeyLayout rus = Rus;
  EXPECT_EQ(tarsen->SetKeyboardLanguage(&rus), S_OK);
  EXPECT_EQ(tarsen->SetKeyboardLanguage(&rus), S_OK);
  char after[KL_NAMELENGTH] = {};
  GetKeyboardLayoutNameA(after);
  EXPECT_STREQ(after, name);
  EXPECT_EQ(rus, Rus);
}

}  // namespace
}  // namespace tarsen_test

namespace tarsen_test {
namespace {

// Run with the Russian code pages (the test tarsen_cyrillic_test): captions
// pass through the ANSI code page 1251 and are lower-cased by the platform's
// Unicode mapping.
using CyrillicWindowTest = WindowTest;

TEST_F(CyrillicWindowTest, CaptionsMatchInAnyLetterCase) {
  ASSERT_EQ(GetACP(), 1251u);
  const wchar_t* caption = L"\x041e\x043a\x043d\x043e \x0422\x0430\x0440\x0441\x0435\x043d\x0430";  // Окно Тарсена
  HWND window = make(caption);
  HWND above = make(L"Above");
  std::wstring part;
  EXPECT_EQ(handle(L"\x0422\x0410\x0420\x0421\x0415\x041d\x0410", above, &part), as_long(window));  // ТАРСЕНА
  EXPECT_EQ(part, L"\x0442\x0430\x0440\x0441\x0435\x043d\x0430");  // тарсена
  EXPECT_EQ(full_caption(L"\x043e\x043a\x043d\x043e", above), caption);  // окно
}

}  // namespace
}  // namespace tarsen_test
