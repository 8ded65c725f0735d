#include "velmora/color_blend.h"

#include <gtest/gtest.h>

namespace {

using Table = std::vector<std::int32_t>;
using velmora::blend_colors;

TEST(BlendColors, Tables) {
  struct Case { std::int32_t c1, c2, steps; Table expected; } cases[] = {
      {0, 0xFF, 5, {0x00, 0x33, 0x66, 0x99, 0xFF}},
      {0, 0xFF, 3, {0x00, 0x55, 0xFF}},  // steps of a third, not a half
      {0, 5, 4, {0, 1, 2, 5}},           // 1.25 rounds to 1, 2.5 to 2
      {0x123456, 0x654321, 0, {0x123456, 0x654321}},
      {0x123456, 0x654321, 1, {0x123456, 0x654321}},
      {0x123456, 0x654321, -7, {0x123456, 0x654321}},
      {0, 0xFF00, 5, {0, 0x3300, 0x6600, 0x9900, 0xFF00}},
      {0, 0xFF0000, 5, {0, 0x330000, 0x660000, 0x990000, 0xFF0000}},
      {0xFFFFFF, 0, 5, {0xFFFFFF, 0xCCCCCC, 0x999999, 0x666666, 0}},
      // The top byte takes no part in the interior but the ends keep it.
      {static_cast<std::int32_t>(0xFF000000), 0x7F0000FF, 5,
       {static_cast<std::int32_t>(0xFF000000), 0x33, 0x66, 0x99, 0x7F0000FF}},
  };
  for (const auto& c : cases) EXPECT_EQ(blend_colors(c.c1, c.c2, c.steps), c.expected) << c.steps;
}

TEST(BlendColors, EachComponentRoundsOnItsOwn) {
  // From 0x000000 to 0x0A0A0A in 4 steps: 2.5 rounds to 2 in every component, 5 stays.
  EXPECT_EQ(blend_colors(0, 0x0A0A0A, 4), (Table{0, 0x020202, 0x050505, 0x0A0A0A}));
  // Falling components: -2.5 rounds to -2 (even), 10 - 2.5 = 7.5 to 8.
  EXPECT_EQ(blend_colors(0x0A, 0, 4), (Table{0x0A, 0x08, 0x05, 0}));
}

TEST(BlendColors, DefaultGradientTable) {
  auto table = blend_colors(0xFFFFD0, 0x400000, 102);
  ASSERT_EQ(table.size(), 102u);
  EXPECT_EQ(table.front(), 0xFFFFD0);
  EXPECT_EQ(table.back(), 0x400000);
  // Each component moves monotonically from the first colour towards the second.
  for (size_t i = 1; i + 1 < table.size(); ++i) {
    EXPECT_LE(table[i] & 0xFF, table[i - 1] & 0xFF);
    EXPECT_LE(table[i] >> 16, table[i - 1] >> 16);
  }
}

TEST(SystemColour, NegativeValuesUpTo24AreReferences) {
  EXPECT_EQ(velmora::system_colour_index(static_cast<std::int32_t>(0x8000000F)), 15);
  EXPECT_EQ(velmora::system_colour_index(static_cast<std::int32_t>(0x80000000)), 0);
  EXPECT_EQ(velmora::system_colour_index(static_cast<std::int32_t>(0x80000018)), 24);
  EXPECT_EQ(velmora::system_colour_index(static_cast<std::int32_t>(0x80000019)), std::nullopt);
  EXPECT_EQ(velmora::system_colour_index(static_cast<std::int32_t>(0x8000001A)), std::nullopt);
  EXPECT_EQ(velmora::system_colour_index(15), std::nullopt);
  EXPECT_EQ(velmora::system_colour_index(-1), std::nullopt);
}

}  // namespace
