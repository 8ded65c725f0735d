// Velmora's window actions under Wine, each effect read back through the
// platform rather than trusted from our own calls.
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <thread>

#include "frame/server.h"
#include "test_support.h"
#include "velmora/color_blend.h"
#include "velmora/gradient_plan.h"

namespace {

using frame::ComPtr;
using velmora_test::BoxWatcher;
using velmora_test::Canvas;
using velmora_test::InputRecorder;
using velmora_test::TestHost;
using velmora_test::TestWindow;

class WindowActionsTest : public ::testing::Test {
 protected:
  void SetUp() override {
    CoInitialize(nullptr);
    velmora = velmora_test::create<_Velmora>(CLSID_Velmora, IID__Velmora);
    ASSERT_TRUE(velmora);
  }
  void TearDown() override {
    velmora.reset();
    CoUninitialize();
  }
  ComPtr<_Velmora> velmora;
};

int menu_item_count(HWND window) { return GetMenuItemCount(GetSystemMenu(window, FALSE)); }

TEST_F(WindowActionsTest, CloseLockRemovesTheCloseItemOnce) {
  TestWindow window(200, 100, 20, 20, WS_OVERLAPPEDWINDOW | WS_VISIBLE);
  LONG handle = window.as_long();
  const int items = menu_item_count(window.get());
  ASSERT_NE(GetMenuState(GetSystemMenu(window.get(), FALSE), SC_CLOSE, MF_BYCOMMAND), 0xFFFFFFFFu);
  EXPECT_EQ(velmora->CloseLock(&handle), S_OK);
  EXPECT_EQ(GetMenuState(GetSystemMenu(window.get(), FALSE), SC_CLOSE, MF_BYCOMMAND), 0xFFFFFFFFu);
  EXPECT_EQ(menu_item_count(window.get()), items - 1);
  EXPECT_EQ(velmora->CloseLock(&handle), S_OK);
  EXPECT_EQ(menu_item_count(window.get()), items - 1);
  EXPECT_EQ(handle, window.as_long());  // by-reference parameter not written
  LONG nothing = 0;
  EXPECT_EQ(velmora->CloseLock(&nothing), S_OK);
  window.destroy();
  EXPECT_EQ(velmora->CloseLock(&handle), S_OK);
}

COLORREF brush_colour(HBRUSH brush) {
  LOGBRUSH described{};
  GetObjectW(brush, sizeof described, &described);
  return described.lbColor;
}

HBRUSH menu_brush(HMENU menu) {
  MENUINFO info{};
  info.cbSize = sizeof info;
  info.fMask = MIM_BACKGROUND;
  GetMenuInfo(menu, &info);
  return info.hbrBack;
}

TEST_F(WindowActionsTest, MenuColorSetsTheBarAndDropDownBrushWithoutLeaking) {
  HMENU bar = CreateMenu();
  HMENU drop_down = CreatePopupMenu();
  AppendMenuW(drop_down, MF_STRING, 100, L"Item");
  AppendMenuW(bar, MF_POPUP, reinterpret_cast<UINT_PTR>(drop_down), L"File");
  TestWindow window(200, 100, 20, 20, WS_OVERLAPPEDWINDOW | WS_VISIBLE, bar);
  LONG handle = window.as_long();
  LONG red = 0x0000FF;
  EXPECT_EQ(velmora->MenuColor(&handle, &red), S_OK);
  ASSERT_NE(menu_brush(bar), nullptr);
  EXPECT_EQ(brush_colour(menu_brush(bar)), 0x0000FFu);
  EXPECT_EQ(brush_colour(menu_brush(drop_down)), 0x0000FFu);

  const size_t free_before = velmora_test::free_gdi_handles();
  for (LONG colour = 0; colour < 50; ++colour) ASSERT_EQ(velmora->MenuColor(&handle, &colour), S_OK);
  EXPECT_EQ(brush_colour(menu_brush(bar)), 49u);
  EXPECT_EQ(velmora_test::free_gdi_handles(), free_before);  // one brush in use before and after

  TestWindow plain(100, 50);
  LONG plain_handle = plain.as_long();
  const size_t free_plain = velmora_test::free_gdi_handles();
  EXPECT_EQ(velmora->MenuColor(&plain_handle, &red), S_OK);
  EXPECT_EQ(velmora_test::free_gdi_handles(), free_plain);  // no menu, no brush
}

TEST_F(WindowActionsTest, SetParentObjectMovesTheWindowIntoTheParent) {
  TestWindow parent(300, 200);
  TestWindow child(50, 40, 500, 500);
  LONG child_handle = child.as_long(), parent_handle = parent.as_long();
  EXPECT_EQ(velmora->SetParentObject(&child_handle, &parent_handle), S_OK);
  EXPECT_EQ(GetAncestor(child.get(), GA_PARENT), parent.get());
  LONG nothing = 0;
  EXPECT_EQ(velmora->SetParentObject(&nothing, &parent_handle), S_OK);
}

// Handles arrive as Longs and are sign-extended: -3 is the message-only
// parent (HWND_MESSAGE) on both builds.
TEST_F(WindowActionsTest, NegativeHandlesAreSignExtended) {
  TestWindow child(50, 40);
  LONG child_handle = child.as_long(), message_only = -3;
  EXPECT_EQ(velmora->SetParentObject(&child_handle, &message_only), S_OK);
  EXPECT_EQ(FindWindowExW(HWND_MESSAGE, nullptr, L"VelmoraTestWindow", nullptr), child.get());
}

TEST_F(WindowActionsTest, TransparentMakesTheWindowLayered) {
  TestWindow window(100, 80);
  LONG handle = window.as_long();
  BYTE alpha = 128;
  EXPECT_EQ(velmora->Transparent(&handle, &alpha), S_OK);
  EXPECT_TRUE(GetWindowLongW(window.get(), GWL_EXSTYLE) & WS_EX_LAYERED);
  BYTE read_alpha = 0;
  DWORD flags = 0;
  ASSERT_TRUE(GetLayeredWindowAttributes(window.get(), nullptr, &read_alpha, &flags));
  EXPECT_EQ(read_alpha, 128);
  EXPECT_EQ(flags, static_cast<DWORD>(LWA_ALPHA));
  alpha = 255;
  EXPECT_EQ(velmora->Transparent(&handle, &alpha), S_OK);
  EXPECT_TRUE(GetWindowLongW(window.get(), GWL_EXSTYLE) & WS_EX_LAYERED);
  GetLayeredWindowAttributes(window.get(), nullptr, &read_alpha, &flags);
  EXPECT_EQ(read_alpha, 255);
}

bool topmost(HWND window) { return (GetWindowLongW(window, GWL_EXSTYLE) & WS_EX_TOPMOST) != 0; }

TEST_F(WindowActionsTest, OnTopComparesModeWithMinusOneAndZero) {
  TestWindow window(100, 80);
  LONG handle = window.as_long();
  RECT before{};
  GetWindowRect(window.get(), &before);
  struct Step { VARIANT_BOOL mode; bool expected; } steps[] = {
      {VARIANT_TRUE, true}, {1, true}, {2, true}, {VARIANT_FALSE, false}, {1, false}, {VARIANT_TRUE, true},
  };
  for (const auto& step : steps) {
    VARIANT_BOOL mode = step.mode;
    EXPECT_EQ(velmora->OnTop(&handle, &mode), S_OK);
    EXPECT_EQ(topmost(window.get()), step.expected) << step.mode;
  }
  RECT after{};
  GetWindowRect(window.get(), &after);
  EXPECT_TRUE(EqualRect(&before, &after));
}

TEST_F(WindowActionsTest, MinimizedAllWindowsInjectsWinMWithMReleased) {
  InputRecorder recorder;
  VARIANT_BOOL result = 0;
  EXPECT_EQ(velmora->MinimizedAllWindows(&result), S_OK);
  EXPECT_EQ(result, VARIANT_TRUE);
  auto events = recorder.events();
  ASSERT_EQ(events.size(), 4u);
  const std::pair<WPARAM, DWORD> expected[] = {
      {WM_KEYDOWN, VK_LWIN}, {WM_KEYDOWN, 'M'}, {WM_KEYUP, 'M'}, {WM_KEYUP, VK_LWIN}};
  for (size_t i = 0; i < 4; ++i) {
    EXPECT_TRUE(events[i].keyboard);
    EXPECT_TRUE(events[i].injected);
    EXPECT_EQ(events[i].message, expected[i].first) << i;
    EXPECT_EQ(events[i].code, expected[i].second) << i;
  }
}

TEST_F(WindowActionsTest, MsgBoxPlusPassesTheButtonPressedAndWritesTextsBack) {
  TestWindow owner(100, 80);
  for (int answer : {IDYES, IDNO}) {
    BoxWatcher watcher(answer);
    LONG handle = owner.as_long();
    // Letters the Western code page cannot hold are shown as they are, not
    // as "?", and the variables keep them.
    frame::Bstr caption(L"Continue? \x0416");
    frame::Bstr title(L"Question \x8868");
    BSTR caption_variable = caption.release(), title_variable = title.release();
    LONG style = MB_YESNO;
    LONG pressed = 0;
    EXPECT_EQ(velmora->MsgBoxPlus(&handle, &caption_variable, &title_variable, &style, &pressed), S_OK);
    EXPECT_EQ(pressed, answer);
    auto boxes = watcher.boxes();
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].title, L"Question \x8868");
    EXPECT_EQ(boxes[0].text, L"Continue? \x0416");
    EXPECT_EQ(boxes[0].owner, owner.get());
    EXPECT_EQ(std::wstring(frame::text_of(caption_variable)), L"Continue? \x0416");
    EXPECT_EQ(std::wstring(frame::text_of(title_variable)), L"Question \x8868");
    SysFreeString(caption_variable);
    SysFreeString(title_variable);
  }
}

TEST_F(WindowActionsTest, ObjectMoveReturnsWhenTheMoveLoopEnds) {
  TestWindow window(120, 80, 200, 200, WS_OVERLAPPEDWINDOW | WS_VISIBLE);
  SetForegroundWindow(window.get());
  RECT frame{};
  GetWindowRect(window.get(), &frame);
  SetCursorPos((frame.left + frame.right) / 2, (frame.top + frame.bottom) / 2);
  std::atomic<bool> released{false};
  std::thread user([&] {
    Sleep(300);
    mouse_event(MOUSEEVENTF_MOVE, 30, 20, 0, 0);
    Sleep(100);
    released = true;
    mouse_event(MOUSEEVENTF_LEFTUP, 0, 0, 0, 0);
  });
  // The button goes down as the user's would; its message stays queued, so
  // only ObjectMove's move loop sees the release.
  mouse_event(MOUSEEVENTF_LEFTDOWN, 0, 0, 0, 0);
  LONG handle = window.as_long();
  EXPECT_EQ(velmora->ObjectMove(&handle), S_OK);
  EXPECT_TRUE(released.load());
  user.join();
  velmora_test::pump_messages();
}

// Gradient paints through the thread's own engine, then touches the host's
// fill properties in order and leaves them as they were.
TEST_F(WindowActionsTest, GradientPaintsThenTouchesTheFillProperties) {
  TestWindow window(100, 50);
  Canvas canvas(100, 50);
  TestHost host;
  host.set(L"hWnd", window.as_long());
  host.set(L"hDC", canvas.as_long());
  host.set(L"ScaleHeight", 50);
  host.set(L"ScaleWidth", 100);
  host.set(L"FillStyle", 1);
  host.set(L"FillColor", 0x123456);
  host.set(L"ForeColor", 0x654321);
  LONG start = 0x0000FF, end = 0xFF0000;
  short angle = -360;
  IDispatch* object = &host;
  EXPECT_EQ(velmora->Gradient(&start, &end, &angle, &object), S_OK);
  const auto table = velmora::blend_colors(start, end, 102);
  EXPECT_EQ(canvas.pixel(0, 20), COLORREF(table[0]));
  EXPECT_EQ(canvas.pixel(60, 20), COLORREF(table[60]));
  const std::vector<std::wstring> expected{
      L"get hWnd", L"get hWnd", L"get hDC", L"get ScaleHeight", L"get ScaleWidth", L"get FillStyle",
      L"get FillColor", L"get ForeColor", L"put FillStyle=0", L"put FillColor=16777215", L"put ForeColor=0",
      L"put FillStyle=1", L"put FillColor=1193046", L"put ForeColor=6636321"};
  EXPECT_EQ(host.log(), expected);
  EXPECT_EQ(host.value(L"FillStyle"), 1);
}

// The same with a VBScript class instance as host, which names its members
// only through IDispatchEx.
constexpr wchar_t kLoggingClass[] = LR"(
Class PictureBox
  Public Log
  Public hWnd
  Public hDC
  Private savedStyle
  Private savedFill
  Private savedFore
  Private Sub Class_Initialize
    Log = ""
    savedStyle = 2
    savedFill = 255
    savedFore = 65280
  End Sub
  Public Property Get ScaleHeight
    Log = Log & "ScaleHeight;"
    ScaleHeight = 50
  End Property
  Public Property Get ScaleWidth
    Log = Log & "ScaleWidth;"
    ScaleWidth = 100
  End Property
  Public Property Get FillStyle
    Log = Log & "FillStyle;"
    FillStyle = savedStyle
  End Property
  Public Property Let FillStyle(value)
    Log = Log & "FillStyle=" & value & ";"
    savedStyle = value
  End Property
  Public Property Get FillColor
    Log = Log & "FillColor;"
    FillColor = savedFill
  End Property
  Public Property Let FillColor(value)
    Log = Log & "FillColor=" & value & ";"
    savedFill = value
  End Property
  Public Property Get ForeColor
    Log = Log & "ForeColor;"
    ForeColor = savedFore
  End Property
  Public Property Let ForeColor(value)
    Log = Log & "ForeColor=" & value & ";"
    savedFore = value
  End Property
End Class
Class BareBox
  Public hWnd
  Public hDC
  Public ScaleHeight
  Public ScaleWidth
End Class
Dim box
Set box = New PictureBox
Dim bare
Set bare = New BareBox
)";

TEST_F(WindowActionsTest, GradientOnAVbscriptClassInstance) {
  velmora_test::ScriptEngine engine;
  ASSERT_TRUE(engine.ready());
  ASSERT_EQ(engine.run(kLoggingClass), S_OK);
  TestWindow window(100, 50);
  Canvas canvas(100, 50);
  for (const wchar_t* name : {L"box", L"bare"}) {
    engine.run(std::wstring(name) + L".hWnd = " + std::to_wstring(window.as_long()));
    engine.run(std::wstring(name) + L".hDC = " + std::to_wstring(canvas.as_long()));
  }
  frame::Variant box = engine.eval(L"box");
  ASSERT_EQ(box.type(), VT_DISPATCH);
  LONG start = 0x0000FF, end = 0x00FF00;
  short angle = 0;
  IDispatch* object = V_DISPATCH(box.get());
  EXPECT_EQ(velmora->Gradient(&start, &end, &angle, &object), S_OK);
  const auto table = velmora::blend_colors(start, end, 102);
  EXPECT_EQ(canvas.pixel(0, 25), COLORREF(table[0]));
  EXPECT_EQ(canvas.pixel(80, 25), COLORREF(table[80]));
  frame::Variant log = engine.eval(L"box.Log");
  ASSERT_EQ(log.type(), VT_BSTR);
  EXPECT_EQ(std::wstring(frame::text_of(V_BSTR(log.get()))),
            L"ScaleHeight;ScaleWidth;FillStyle;FillColor;ForeColor;FillStyle=0;FillColor=16777215;ForeColor=0;"
            L"FillStyle=2;FillColor=255;ForeColor=65280;");

  // Without "FillStyle" the call fails with the host's error, after painting.
  Canvas second(100, 50);
  engine.run(L"bare.hDC = " + std::to_wstring(second.as_long()));
  frame::Variant bare = engine.eval(L"bare");
  ASSERT_EQ(bare.type(), VT_DISPATCH);
  object = V_DISPATCH(bare.get());
  EXPECT_EQ(velmora->Gradient(&start, &end, &angle, &object), frame::error_status(438));
  EXPECT_EQ(second.pixel(0, 25), COLORREF(table[0]));
}

TEST_F(WindowActionsTest, GradientFailsWithTheHostsErrorAfterPainting) {
  TestWindow window(100, 50);
  Canvas canvas(100, 50);
  TestHost host;
  host.set(L"hWnd", window.as_long());
  host.set(L"hDC", canvas.as_long());
  host.set(L"ScaleHeight", 50);
  host.set(L"ScaleWidth", 100);
  LONG start = 0x00FF00, end = 0x000000;
  short angle = 0;
  IDispatch* object = &host;
  EXPECT_EQ(velmora->Gradient(&start, &end, &angle, &object), frame::error_status(438));
  EXPECT_EQ(canvas.pixel(0, 10), 0x00FF00u);  // painted before the failure
  EXPECT_EQ(host.log().back(), L"get ScaleWidth");
}

// The thread's engine instance does not keep the library loaded, and a thread
// that used it may end.
TEST_F(WindowActionsTest, PerThreadEngineDoesNotCountAsAnInstance) {
  std::thread worker([] {
    CoInitialize(nullptr);
    {
      auto other = velmora_test::create<_Velmora>(CLSID_Velmora, IID__Velmora);
      TestWindow window(20, 20);
      Canvas canvas(20, 20);
      TestHost host;
      host.set(L"hWnd", window.as_long());
      host.set(L"hDC", canvas.as_long());
      for (const wchar_t* name : {L"ScaleHeight", L"ScaleWidth", L"FillStyle", L"FillColor", L"ForeColor"})
        host.set(name, 0);
      LONG colour = 0;
      short angle = 90;
      IDispatch* object = &host;
      EXPECT_EQ(other->Gradient(&colour, &colour, &angle, &object), S_OK);
    }
    CoUninitialize();
  });
  worker.join();
  LONG colour = 0;
  short angle = 0;
  TestHost host;
  host.set(L"hWnd", 0);
  for (const wchar_t* name : {L"ScaleHeight", L"ScaleWidth", L"FillStyle", L"FillColor", L"ForeColor"})
    host.set(name, 0);
  IDispatch* object = &host;
  EXPECT_EQ(velmora->Gradient(&colour, &colour, &angle, &object), S_OK);
  EXPECT_EQ(velmora_test::can_unload_now(), S_FALSE);
  velmora.reset();
  EXPECT_EQ(velmora_test::can_unload_now(), S_OK);
}

}  // namespace
