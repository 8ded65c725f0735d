// Velmora's mouse and cursor members under Wine's virtual desktop (1024 x 768):
// the pointer, the clip rectangle and the injected clicks read back.
#include <gtest/gtest.h>

#include "frame/server.h"
#include "test_support.h"

namespace {

using frame::ComPtr;
using velmora_test::InputRecorder;
using velmora_test::TestWindow;

class MouseTest : public ::testing::Test {
 protected:
  void SetUp() override {
    CoInitialize(nullptr);
    velmora = velmora_test::create<_Velmora>(CLSID_Velmora, IID__Velmora);
    ASSERT_TRUE(velmora);
    ASSERT_EQ(GetSystemMetrics(SM_CXSCREEN), 1024);
    ASSERT_EQ(GetSystemMetrics(SM_CYSCREEN), 768);
  }
  void TearDown() override {
    ClipCursor(nullptr);
    velmora.reset();
    CoUninitialize();
  }
  POINT pointer() {
    POINT position{};
    GetCursorPos(&position);
    return position;
  }
  HRESULT move(LONG x, LONG y) { return velmora->MoveMouse(&x, &y); }
  ComPtr<_Velmora> velmora;
};

RECT clip() {
  RECT rect{};
  GetClipCursor(&rect);
  return rect;
}

TEST_F(MouseTest, MoveMouseLandsOnThePixelAsked) {
  const POINT targets[] = {{512, 384}, {0, 0}, {513, 385}, {700, 500}, {1023, 767}, {1, 1}, {999, 10}};
  for (const POINT& target : targets) {
    EXPECT_EQ(move(target.x, target.y), S_OK);
    const POINT now = pointer();
    EXPECT_EQ(now.x, target.x);
    EXPECT_EQ(now.y, target.y);
  }
  // The far edge itself maps to 65535, the last pixel.
  EXPECT_EQ(move(1024, 768), S_OK);
  EXPECT_EQ(pointer().x, 1023);
  EXPECT_EQ(pointer().y, 767);
}

TEST_F(MouseTest, MoveMouseOverflowMovesNothing) {
  move(100, 100);
  EXPECT_EQ(move(2147483647, 10), frame::error_status(6));
  EXPECT_EQ(move(10, -2147483647 - 1), frame::error_status(6));
  EXPECT_EQ(pointer().x, 100);
  EXPECT_EQ(pointer().y, 100);
}

TEST_F(MouseTest, GetCursorLocateReadsOneCoordinate) {
  move(321, 123);
  for (auto [selector, expected] : {std::pair{mx, 321}, std::pair{my, 123}, std::pair{Coord(0), 0}, std::pair{Coord(3), 0}}) {
    Coord which = selector;
    LONG value = -1;
    EXPECT_EQ(velmora->GetCursorLocate(&which, &value), S_OK);
    EXPECT_EQ(value, expected) << selector;
  }
}

TEST_F(MouseTest, CenterMouseOnElementMovesToTheCentre) {
  // A window whose rectangle is (100, 100)-(301, 200): its centre is (200, 150).
  TestWindow window(201, 100, 100, 100);
  RECT frame{};
  GetWindowRect(window.get(), &frame);
  ASSERT_EQ(frame.right - frame.left, 201);
  LONG handle = window.as_long();
  VARIANT_BOOL moved = 0;
  EXPECT_EQ(velmora->CenterMouseOnElement(&handle, &moved), S_OK);
  EXPECT_EQ(moved, VARIANT_TRUE);
  EXPECT_EQ(pointer().x, 200);
  EXPECT_EQ(pointer().y, 150);
}

TEST_F(MouseTest, CenterMouseOnElementRefusesWhatIsOffScreenOrGone) {
  move(50, 60);
  TestWindow left_of_screen(100, 100, -500, 100);
  TestWindow gone(100, 100);
  const LONG gone_handle = gone.as_long();
  gone.destroy();
  for (LONG handle : {left_of_screen.as_long(), LONG(0), gone_handle}) {
    VARIANT_BOOL moved = 7;
    EXPECT_EQ(velmora->CenterMouseOnElement(&handle, &moved), S_OK);
    EXPECT_EQ(moved, VARIANT_FALSE);
    EXPECT_EQ(pointer().x, 50);
    EXPECT_EQ(pointer().y, 60);
  }
}

TEST_F(MouseTest, LockCursorClipsToTheClientAreaAndUnlockFreesIt) {
  TestWindow window(200, 150, 120, 90, WS_OVERLAPPEDWINDOW | WS_VISIBLE);
  // The desktop only applies a clip for the foreground window's process;
  // an earlier test may have left another window in front.
  SetForegroundWindow(window.get());
  for (MSG message; PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE);) DispatchMessageW(&message);
  RECT client{};
  GetClientRect(window.get(), &client);
  POINT origin{0, 0};
  ClientToScreen(window.get(), &origin);
  OffsetRect(&client, origin.x, origin.y);
  // Wine 8's 32-bit side accepts a clip and never applies it, also from a
  // program that calls the platform directly: nothing here can be observed.
  ClipCursor(&client);
  RECT platform = clip();
  ClipCursor(nullptr);
  if (!EqualRect(&platform, &client)) GTEST_SKIP() << "the platform applies no cursor clip for this process";
  LONG handle = window.as_long();
  EXPECT_EQ(velmora->LockCursor(&handle), S_OK);
  RECT clipped = clip();
  EXPECT_TRUE(EqualRect(&clipped, &client)) << clipped.left << "," << clipped.top << "," << clipped.right << "," << clipped.bottom;
  move(5, 5);  // the pointer cannot leave the client area
  EXPECT_EQ(pointer().x, client.left);
  EXPECT_EQ(pointer().y, client.top);
  EXPECT_EQ(velmora->UnLockCursor(), S_OK);
  RECT freed = clip();
  EXPECT_EQ(freed.left, 0);
  EXPECT_EQ(freed.top, 0);
  EXPECT_EQ(freed.right, 1024);
  EXPECT_EQ(freed.bottom, 768);
}

// No client area, no clipping: the zero rectangle would pin the pointer at
// the screen's corner.
TEST_F(MouseTest, LockCursorOnNoWindowLeavesTheCursorFree) {
  TestWindow gone(100, 100);
  const LONG gone_handle = gone.as_long();
  gone.destroy();
  for (LONG handle : {LONG(0), gone_handle}) {
    EXPECT_EQ(velmora->LockCursor(&handle), S_OK);
    RECT free = clip();
    EXPECT_EQ(free.right, 1024);
    EXPECT_EQ(free.bottom, 768);
  }
}

TEST_F(MouseTest, ClickMouseSendsOneClickOfTheButton) {
  TestWindow target(200, 200, 300, 300);
  move(400, 400);
  InputRecorder recorder;
  MButtons button = mRight;
  VARIANT_BOOL clicked = 0;
  EXPECT_EQ(velmora->ClickMouse(&button, &clicked), S_OK);
  EXPECT_EQ(clicked, VARIANT_TRUE);
  auto events = recorder.events();
  ASSERT_EQ(events.size(), 2u);
  EXPECT_EQ(events[0].message, WPARAM(WM_RBUTTONDOWN));
  EXPECT_EQ(events[1].message, WPARAM(WM_RBUTTONUP));
  EXPECT_TRUE(events[0].injected && events[1].injected);
}

TEST_F(MouseTest, ClickMouseWithAnotherValueSendsNothing) {
  InputRecorder recorder;
  for (int value : {0, 4, -1}) {
    MButtons button = MButtons(value);
    VARIANT_BOOL clicked = 7;
    EXPECT_EQ(velmora->ClickMouse(&button, &clicked), S_OK);
    EXPECT_EQ(clicked, VARIANT_FALSE);
  }
  EXPECT_TRUE(recorder.events().empty());
}

}  // namespace
