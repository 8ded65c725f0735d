#include "corvane/number_text.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

namespace {

using corvane::number_text;

struct Case {
  double value;
  const char16_t* text;
};

TEST(NumberText, FifteenSignificantDigitsPositionalOrScientific) {
  const Case cases[] = {
      {0, u"0"},
      {-0.0, u"0"},
      {1536, u"1536"},
      {1.5, u"1.5"},
      {1.0 / 1024, u"0.0009765625"},
      {1.0 / 1024 / 1024 / 1024, u"9.31322574615479E-10"},
      {123456789.0 / 1024 / 1024, u"117.737568855286"},
      {5368709120.0, u"5368709120"},
      {0.1 + 0.2, u"0.3"},
      // The bounds of positional notation: 1E-4 up to below 1E+15.
      {0.0001, u"0.0001"},
      {0.00009999, u"9.999E-05"},
      {0.0000999999999999999999, u"0.0001"},  // rounds up into positional
      {0.00001, u"1E-05"},
      {1e14, u"100000000000000"},
      {999999999999999.0, u"999999999999999"},
      {999999999999999.5, u"1E+15"},  // rounds up into scientific
      {1e15, u"1E+15"},
      {9007199254740992.0, u"9.00719925474099E+15"},
      {123456789012345678.0, u"1.23456789012346E+17"},
      // Exponents keep at least two digits and grow to three.
      {1.25e-7, u"1.25E-07"},
      {1e100, u"1E+100"},
      {1.5e300, u"1.5E+300"},
      {std::numeric_limits<double>::denorm_min(), u"4.94065645841247E-324"},
      {std::numeric_limits<double>::max(), u"1.79769313486232E+308"},
      // Trailing zeros and a trailing separator are dropped.
      {100, u"100"},
      {2.50, u"2.5"},
      {1234567.8900000001, u"1234567.89"},
      {-1.5, u"-1.5"},
      {-0.00001, u"-1E-05"},
  };
  for (const Case& c : cases) EXPECT_EQ(number_text(c.value, u"."), c.text) << c.value;
}

TEST(NumberText, RoundsTheSixteenthDigitOnce) {
  // 123456.0009765625 is exact in binary: a tie at the fifteenth digit, which
  // goes away from zero.
  EXPECT_EQ(number_text(123456.0009765625, u"."), u"123456.000976563");
  EXPECT_EQ(number_text(-123456.0009765625, u"."), u"-123456.000976563");
  EXPECT_EQ(number_text(0.0000095367431640625, u"."), u"9.5367431640625E-06");
  EXPECT_EQ(number_text(0.123456789012345678, u"."), u"0.123456789012346");
  EXPECT_EQ(number_text(9.99999999999994e-5, u"."), u"9.99999999999994E-05");
}

TEST(NumberText, RegionalDecimalSeparator) {
  EXPECT_EQ(number_text(1.5, u","), u"1,5");
  EXPECT_EQ(number_text(1536, u","), u"1536");
  EXPECT_EQ(number_text(1.25e-7, u","), u"1,25E-07");
  EXPECT_EQ(number_text(1e-10, u","), u"1E-10");
  EXPECT_EQ(number_text(0.5, u"::"), u"0::5");
}

}  // namespace
