#include "velmora/pointer_math.h"

#include <gtest/gtest.h>

#include "frame/runtime_error.h"
#include "frame/testing.h"

namespace {

using velmora::to_absolute;

using frame::testing::error_of;

TEST(ToAbsolute, ExamplesOfBothScreens) {
  struct Case { int pixel, size, absolute; } cases[] = {
      {512, 1024, 32768}, {384, 768, 32768}, {1024, 1024, 65535}, {768, 768, 65535},
      {0, 1920, 0},       {0, 1080, 0},      {1, 1024, 64},       {1023, 1024, 65472},
      {1919, 1920, 65502}, {-1, 1024, -64},  {2048, 1024, 131072},
  };
  for (const auto& c : cases) EXPECT_EQ(to_absolute(c.pixel, c.size), c.absolute) << c.pixel << "/" << c.size;
}

// The system maps an absolute coordinate a back to the pixel a * size / 65536
// (rounded down): every pixel of the screen must come back as itself.
TEST(ToAbsolute, EveryPixelMapsBackToItself) {
  for (int size : {1024, 768, 1920, 1080, 1366, 3}) {
    for (int pixel = 0; pixel < size; ++pixel) {
      const std::int64_t absolute = to_absolute(pixel, size);
      ASSERT_EQ(absolute * size / 65536, pixel) << pixel << "/" << size;
      if (pixel > 0) ASSERT_LT((absolute - 1) * size / 65536, pixel) << "not the smallest: " << pixel;
    }
  }
}

TEST(ToAbsolute, Failures) {
  EXPECT_EQ(error_of([] { to_absolute(10, 0); }), frame::kDivisionByZero);
  EXPECT_EQ(error_of([] { to_absolute(0, 0); }), frame::kDivisionByZero);
  EXPECT_EQ(error_of([] { to_absolute(2147483647, 1024); }), frame::kOverflow);
  EXPECT_EQ(error_of([] { to_absolute(-2147483647 - 1, 1024); }), frame::kOverflow);
  EXPECT_EQ(error_of([] { to_absolute(32767, 1); }), 0);
}

TEST(WindowCentre, HalvesTiesToEven) {
  auto centre = velmora::window_centre(100, 100, 301, 200);
  EXPECT_EQ(centre.x, 200);  // 200.5 goes to the even 200
  EXPECT_EQ(centre.y, 150);
  centre = velmora::window_centre(101, 0, 302, 3);
  EXPECT_EQ(centre.x, 202);  // 201.5 goes to 202
  EXPECT_EQ(centre.y, 2);    // 1.5 goes to 2
  centre = velmora::window_centre(-300, -50, -100, 50);
  EXPECT_EQ(centre.x, -200);
  EXPECT_EQ(centre.y, 0);
  EXPECT_EQ(error_of([] { velmora::window_centre(-2147483647 - 1, 0, 2147483647, 0); }), frame::kOverflow);
}

TEST(OnScreen, BoundsInclusive) {
  EXPECT_TRUE(velmora::on_screen({0, 0}, 1024, 768));
  EXPECT_TRUE(velmora::on_screen({1024, 768}, 1024, 768));
  EXPECT_FALSE(velmora::on_screen({-1, 0}, 1024, 768));
  EXPECT_FALSE(velmora::on_screen({1025, 10}, 1024, 768));
  EXPECT_FALSE(velmora::on_screen({10, 769}, 1024, 768));
}

TEST(Selectors, ClickCursorAndTopmost) {
  EXPECT_EQ(velmora::click_flags(1), 0x0006u);
  EXPECT_EQ(velmora::click_flags(2), 0x0060u);
  EXPECT_EQ(velmora::click_flags(3), 0x0018u);
  for (int other : {0, 4, -1, 65539}) EXPECT_EQ(velmora::click_flags(other), std::nullopt) << other;
  EXPECT_EQ(velmora::cursor_coordinate(1, 12, 34), 12);
  EXPECT_EQ(velmora::cursor_coordinate(2, 12, 34), 34);
  EXPECT_EQ(velmora::cursor_coordinate(0, 12, 34), 0);
  EXPECT_EQ(velmora::cursor_coordinate(3, 12, 34), 0);
  EXPECT_EQ(velmora::topmost_insert_after(-1), -1);
  EXPECT_EQ(velmora::topmost_insert_after(0), -2);
  EXPECT_EQ(velmora::topmost_insert_after(1), std::nullopt);
  EXPECT_EQ(velmora::topmost_insert_after(2), std::nullopt);
}

}  // namespace
