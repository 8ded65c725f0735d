#include "frame/numeric.h"
#include "frame/testing.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

namespace {

using frame::testing::error_of;

TEST(RoundHalfEven, TiesGoToTheEvenNeighbour) {
  EXPECT_EQ(frame::round_half_even(0.5), 0.0);
  EXPECT_EQ(frame::round_half_even(1.5), 2.0);
  EXPECT_EQ(frame::round_half_even(2.5), 2.0);
  EXPECT_EQ(frame::round_half_even(-0.5), 0.0);
  EXPECT_EQ(frame::round_half_even(-1.5), -2.0);
  EXPECT_EQ(frame::round_half_even(-2.5), -2.0);
  EXPECT_EQ(frame::round_half_even(2.5000001), 3.0);
  EXPECT_EQ(frame::round_half_even(-2.4999999), -2.0);
}

TEST(ToLong, RangeEdgesAndOverflow) {
  EXPECT_EQ(frame::to_long(2147483647.0), 2147483647);
  EXPECT_EQ(frame::to_long(2147483647.4), 2147483647);
  EXPECT_EQ(frame::to_long(-2147483648.0), std::numeric_limits<std::int32_t>::min());
  EXPECT_EQ(frame::to_long(-2147483648.5), std::numeric_limits<std::int32_t>::min());  // tie to even stays in range
  EXPECT_EQ(error_of([] { frame::to_long(2147483647.5); }), 6);
  EXPECT_EQ(error_of([] { frame::to_long(-2147483649.0); }), 6);
  EXPECT_EQ(error_of([] { frame::to_long(std::nan("")); }), 6);
  EXPECT_EQ(error_of([] { frame::to_long(INFINITY); }), 6);
}

TEST(ToInteger, RangeEdgesAndOverflow) {
  EXPECT_EQ(frame::to_integer(32767.0), 32767);
  EXPECT_EQ(frame::to_integer(-32768.0), -32768);
  EXPECT_EQ(frame::to_integer(32766.5), 32766);
  EXPECT_EQ(error_of([] { frame::to_integer(32767.5); }), 6);  // 32768 after rounding
  EXPECT_EQ(error_of([] { frame::to_integer(32768.0); }), 6);
  EXPECT_EQ(error_of([] { frame::to_integer(-32769.0); }), 6);
}

TEST(IncrementInteger, PassingTheTopIsOverflow) {
  EXPECT_EQ(frame::increment_integer(32766), 32767);
  EXPECT_EQ(error_of([] { frame::increment_integer(32767); }), 6);
}

TEST(StandardErrorText, KnownNumbers) {
  EXPECT_EQ(frame::standard_error_text(6), "Overflow");
  EXPECT_EQ(frame::standard_error_text(10), "This array is fixed or temporarily locked");
  EXPECT_EQ(frame::standard_error_text(53), "File not found");
  EXPECT_EQ(frame::standard_error_text(75), "Path/File access error");
}

}  // namespace
