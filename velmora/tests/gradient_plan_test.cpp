#include "velmora/gradient_plan.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "frame/runtime_error.h"
#include "frame/testing.h"
#include "velmora/color_blend.h"
#include "velmora/tests/diagonal_sweep.h"

namespace {

using velmora::BandPoint;
using velmora::FloatPoint;
using velmora::band_colour_count;
using velmora::normalize_angle;
using velmora::plan_first_band;
using velmora::plan_gradient_bands;

using frame::testing::error_of;

TEST(Angle, ReducedIntoZeroTo360) {
  struct Case { float given, stored; } cases[] = {
      {-90, 270}, {360, 0}, {725, 5}, {0, 0}, {315, 315}, {-720, 0}, {359.5f, 359.5f}, {1080.25f, 0.25f},
      // Just below a multiple of 360 the Single rounding lands on 360 itself.
      {-0.0000001f, 360}, {-1e-6f, 360},
  };
  for (const auto& c : cases) EXPECT_EQ(normalize_angle(c.given), c.stored) << c.given;
}

TEST(Angle, InfiniteOrNanFails) {
  EXPECT_EQ(error_of([] { normalize_angle(std::numeric_limits<float>::infinity()); }), frame::kOverflow);
  EXPECT_EQ(error_of([] { normalize_angle(-std::numeric_limits<float>::infinity()); }), frame::kOverflow);
  EXPECT_EQ(error_of([] { normalize_angle(std::numeric_limits<float>::quiet_NaN()); }), frame::kOverflow);
  // The largest magnitudes still land within one turn.
  for (float huge : {std::numeric_limits<float>::max(), -std::numeric_limits<float>::max(), 1e20f, -3e17f}) {
    float stored = normalize_angle(huge);
    EXPECT_GE(stored, 0.0f) << huge;
    EXPECT_LE(stored, 360.0f) << huge;
  }
}

TEST(SafeDivide, ZeroDenominatorGivesZero) {
  EXPECT_EQ(velmora::safe_divide(5, 0), 0);
  EXPECT_EQ(velmora::safe_divide(-5, -0.0), 0);
  EXPECT_EQ(velmora::safe_divide(1, 3), 1.0 / 3);
}

TEST(RotatePoint, CounterClockwiseOnScreen) {
  // 90 degrees turns a point right of the centre to above it (Y grows down).
  FloatPoint point{11, 5};
  velmora::rotate_point({10, 5}, point, 90);
  EXPECT_NEAR(point.x, 10, 1e-6);
  EXPECT_EQ(point.y, 4);
  point = {11, 5};
  velmora::rotate_point({10, 5}, point, 180);
  EXPECT_EQ(point.x, 9);
  EXPECT_NEAR(point.y, 5, 1e-6);
}

TEST(Plan, HundredByFiftyAtZero) {
  auto points = plan_gradient_bands(100, 50, 0);
  ASSERT_EQ(points.size(), 204u);
  EXPECT_EQ(points[0], (BandPoint{0, 97}));
  EXPECT_EQ(points[1], (BandPoint{0, -47}));
  for (size_t k = 0; k < 102; ++k) {
    EXPECT_EQ(points[2 * k], (BandPoint{static_cast<int>(k), 97}));
    EXPECT_EQ(points[2 * k + 1], (BandPoint{static_cast<int>(k), -47}));
  }
  EXPECT_EQ(band_colour_count(points.size()), 102);
}

TEST(Plan, HundredByFiftyAtNinetySweepsUpFromTheBottom) {
  auto start = plan_first_band(100, 50, 90);
  EXPECT_FALSE(start.steep);
  EXPECT_EQ(start.sweep.step_x, 0);
  EXPECT_EQ(start.sweep.step_y, -1);
  auto points = plan_gradient_bands(100, 50, 90);
  ASSERT_EQ(points.size(), 104u);  // 52 lines, Y = 50 down to -1
  for (size_t k = 0; k < 52; ++k) {
    EXPECT_EQ(points[2 * k].y, 50 - static_cast<int>(k));
    EXPECT_EQ(points[2 * k + 1].y, 50 - static_cast<int>(k));
  }
  EXPECT_EQ(points[0].x, 122);
  EXPECT_EQ(points[1].x, -22);
}

TEST(Plan, ExactFortyFiveIsSweptSideways) {
  auto start = plan_first_band(100, 50, 45);
  EXPECT_TRUE(start.steep);
  EXPECT_EQ(start.sweep.step_x, 1);
  EXPECT_EQ(start.sweep.step_y, 0);
}

TEST(Plan, NearFortyFiveTheSteepnessFollowsTheLine) {
  EXPECT_TRUE(plan_first_band(100, 50, 44.9f).steep);
  EXPECT_FALSE(plan_first_band(100, 50, 45.1f).steep);
  EXPECT_FALSE(plan_first_band(100, 50, 134.9f).steep);
  EXPECT_TRUE(plan_first_band(100, 50, 135.1f).steep);
}

// A 7x3 area at 45 degrees: the first line's two extents are an exact tie,
// so it is steep and swept sideways from the left.
TEST(Plan, SevenByThreeAtFortyFiveIsATie) {
  const auto start = plan_first_band(7, 3, 45);
  EXPECT_EQ(std::fabs(start.p0.x - start.p1.x), std::fabs(start.p0.y - start.p1.y));
  EXPECT_TRUE(start.steep);
  const auto points = plan_gradient_bands(7, 3, 45);
  EXPECT_EQ(points[0], (BandPoint{0, 5}));
  EXPECT_EQ(points[1], (BandPoint{-8, -3}));
}

// The diagonal sweep's plans, as this build computes them; the Windows test
// programs check their own plans and the DLL's lines against the same digest.
TEST(Plan, DiagonalSweepDigest) {
  EXPECT_EQ(velmora_sweep::sweep_digest(), velmora_sweep::kReferenceDigest) << std::hex << velmora_sweep::sweep_digest();
}

// The sweep by angle and steepness: the side it starts from and its step.
TEST(Plan, SweepTable) {
  struct Case { float angle; bool steep; int step_x, step_y; } cases[] = {
      {0, true, 1, 0},     {30, true, 1, 0},    {90, false, 0, -1},  {100, false, 0, -1},
      {150, true, -1, 0},  {180, true, -1, 0},  {200, true, -1, 0},  {260, false, 0, 1},
      {270, false, 0, 1},  {300, false, 0, 1},  {350, true, 1, 0},   {359.99f, true, 1, 0},
  };
  for (const auto& c : cases) {
    auto start = plan_first_band(640, 480, c.angle);
    EXPECT_EQ(start.steep, c.steep) << c.angle;
    EXPECT_EQ(start.sweep.step_x, c.step_x) << c.angle;
    EXPECT_EQ(start.sweep.step_y, c.step_y) << c.angle;
  }
}

// For any area and angle: each point moves by the step from its predecessor
// two places back, the first line touches the start edge, the pass stops
// exactly when the two newest points are past the far edge.
TEST(Plan, InvariantsOverAreasAndAngles) {
  const int sizes[][2] = {{2, 2}, {3, 2}, {2, 300}, {100, 50}, {50, 100}, {640, 480}, {1920, 1080}, {4000, 3}};
  const float angles[] = {0, 1, 22.5f, 44.999f, 45, 45.001f, 89.999f, 90, 90.001f, 135, 180, 225,
                          269.99f, 270, 270.01f, 315, 359.9999f, 360};
  for (const auto& size : sizes) {
    for (float raw : angles) {
      const float angle = normalize_angle(raw);
      const int width = size[0], height = size[1];
      SCOPED_TRACE(testing::Message() << width << "x" << height << " at " << angle);
      const auto start = plan_first_band(width, height, angle);
      const auto points = plan_gradient_bands(width, height, angle);
      ASSERT_GE(points.size(), 3u);
      const int sx = start.sweep.step_x, sy = start.sweep.step_y;
      for (size_t i = 2; i < points.size(); ++i) {
        ASSERT_EQ(points[i].x, points[i - 2].x + sx);
        ASSERT_EQ(points[i].y, points[i - 2].y + sy);
      }
      auto past = [&](const BandPoint& p) {
        if (sx > 0) return p.x > width;
        if (sx < 0) return p.x < 0;
        if (sy > 0) return p.y > height;
        return p.y < 0;
      };
      const size_t n = points.size();
      EXPECT_TRUE(past(points[n - 1]) && past(points[n - 2]));
      EXPECT_FALSE(past(points[n - 2]) && past(points[n - 3]));
      const BandPoint& a = points[0];
      const BandPoint& b = points[1];
      if (sx > 0) {
        EXPECT_EQ(std::max(a.x, b.x), 0);
      } else if (sx < 0) {
        EXPECT_EQ(std::min(a.x, b.x), width);
      } else if (sy < 0) {
        EXPECT_EQ(std::min(a.y, b.y), height);
      } else {
        EXPECT_EQ(std::max(a.y, b.y), 0);
      }
    }
  }
}

TEST(Plan, ColourCountHalvesTiesToEven) {
  EXPECT_EQ(band_colour_count(7), 4);
  EXPECT_EQ(band_colour_count(5), 2);
  EXPECT_EQ(band_colour_count(3), 2);
  EXPECT_EQ(band_colour_count(204), 102);
}

// With n mod 4 = 3 the table has one colour more than there are lines, so the
// end colour itself is never drawn.
TEST(Plan, OddPointCountLeavesTheEndColourUndrawn) {
  bool found = false;
  for (int angle = 0; angle < 360 && !found; ++angle) {
    auto points = plan_gradient_bands(100, 50, static_cast<float>(angle));
    if (points.size() % 4 != 3) continue;
    found = true;
    const size_t lines = points.size() / 2;
    auto table = velmora::blend_colors(0, 0xFF, band_colour_count(points.size()));
    ASSERT_EQ(table.size(), lines + 1);
    EXPECT_NE(table[lines - 1], 0xFF);
    EXPECT_EQ(table[lines], 0xFF);
  }
  EXPECT_TRUE(found);
}

}  // namespace
