#include "lirrow/calendar.h"

#include <gtest/gtest.h>

#include "frame/testing.h"

#include <cmath>
#include <limits>

#include "frame/runtime_error.h"

namespace {

using lirrow::CalendarSetting;
using lirrow::CivilDate;
using lirrow::DateValue;
using lirrow::DayNumber;
using Kind = DateValue::Kind;
using Option = lirrow::CalendarOption;

DayNumber on(int year, int month, int day) { return lirrow::day_number(year, month, day); }

// A Date on `day` at `time` (before day 0 the fraction is subtracted).
double at(DayNumber day, double time) { return day < 0 ? day - time : day + time; }

// 11 September 2003 (a Thursday) as today, Monday as first day of the week.
const DayNumber kToday = 37875;
const CalendarSetting kMondayFirst{kToday, lirrow::kMonday};
const CalendarSetting kSundayFirst{kToday, lirrow::kSunday};

DateValue call(Option option, double date, const CalendarSetting& setting = kMondayFirst) {
  return lirrow::date_function(static_cast<std::int32_t>(option), date, setting);
}

double date_result(Option option, double date, const CalendarSetting& setting = kMondayFirst) {
  DateValue value = call(option, date, setting);
  EXPECT_EQ(value.kind, Kind::Date);
  return value.date;
}

using frame::testing::error_of;

TEST(Calendar, DayNumbersOfKnownDates) {
  struct Case {
    int year, month, day;
    DayNumber number;
    int weekday;
  };
  const Case cases[] = {
      {1899, 12, 30, 0, 7},       {1899, 12, 29, -1, 6},     {1900, 1, 1, 2, 2},
      {1900, 3, 1, 61, 5},        {2000, 2, 29, 36585, 3},   {2003, 9, 11, 37875, 5},
      {100, 1, 1, -657434, 6},    {9999, 12, 31, 2958465, 6}, {1600, 2, 29, -109512, 3},
      {1, 1, 1, -693593, 2},      {100, 3, 1, -657375, 2},   {2100, 12, 31, 73415, 6},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << c.year << "-" << c.month << "-" << c.day);
    EXPECT_EQ(on(c.year, c.month, c.day), c.number);
    CivilDate civil = lirrow::civil_date(c.number);
    EXPECT_EQ(civil.year, c.year);
    EXPECT_EQ(civil.month, c.month);
    EXPECT_EQ(civil.day, c.day);
    EXPECT_EQ(lirrow::weekday_sunday_first(c.number), c.weekday);
  }
}

TEST(Calendar, EveryDayOfTheDateRangeRoundTrips) {
  CivilDate previous = lirrow::civil_date(lirrow::kFirstDay - 1);
  for (DayNumber day = lirrow::kFirstDay; day <= lirrow::kLastDay; ++day) {
    CivilDate civil = lirrow::civil_date(day);
    bool next_day = civil.year == previous.year && civil.month == previous.month && civil.day == previous.day + 1;
    bool next_month = civil.year == previous.year && civil.month == previous.month + 1 && civil.day == 1;
    bool next_year = civil.year == previous.year + 1 && civil.month == 1 && previous.month == 12 && civil.day == 1;
    ASSERT_TRUE(next_day || next_month || next_year) << day;
    ASSERT_EQ(on(civil.year, civil.month, civil.day), day);
    ASSERT_EQ(lirrow::weekday_sunday_first(day), (lirrow::weekday_sunday_first(day - 1) % 7) + 1);
    previous = civil;
  }
}

TEST(Calendar, BuildNormalisesMonthsAndDays) {
  EXPECT_EQ(on(2003, 13, 1), on(2004, 1, 1));
  EXPECT_EQ(on(2003, 14, 1), on(2004, 2, 1));
  EXPECT_EQ(on(2003, 0, 1), on(2002, 12, 1));
  EXPECT_EQ(on(2003, -11, 1), on(2002, 1, 1));
  EXPECT_EQ(on(2003, -12, 1), on(2001, 12, 1));
  EXPECT_EQ(on(2004, 3, 0), on(2004, 2, 29));
  EXPECT_EQ(on(2003, 3, 0), on(2003, 2, 28));
  EXPECT_EQ(on(2003, 1, 32), on(2003, 2, 1));
  EXPECT_EQ(on(2003, 2, 29), on(2003, 3, 1));
  EXPECT_EQ(on(2003, 1, -30), on(2002, 12, 1));
}

TEST(Calendar, LeapYears) {
  for (int year : {2000, 2004, 0, -4, -400, 1600, 32764})
    EXPECT_TRUE(lirrow::is_leap_year(year)) << year;
  for (int year : {1900, 2003, 2100, -100, 1, -1, 32767, 1700})
    EXPECT_FALSE(lirrow::is_leap_year(year)) << year;
}

TEST(Calendar, WeekdayFromTheLocalesFirstDay) {
  DayNumber thursday = on(2003, 9, 11);
  EXPECT_EQ(lirrow::weekday_from(thursday, lirrow::kMonday), 4);
  EXPECT_EQ(lirrow::weekday_from(thursday, lirrow::kSunday), 5);
  EXPECT_EQ(lirrow::weekday_from(thursday, lirrow::kSaturday), 6);
  EXPECT_EQ(lirrow::weekday_from(thursday, 5), 1);
  // The platform's setting counts 0 for Monday up to 6 for Sunday.
  EXPECT_EQ(lirrow::first_weekday_of_setting(0), lirrow::kMonday);
  EXPECT_EQ(lirrow::first_weekday_of_setting(5), lirrow::kSaturday);
  EXPECT_EQ(lirrow::first_weekday_of_setting(6), lirrow::kSunday);
  EXPECT_EQ(lirrow::first_weekday_of_setting(-1), lirrow::kSunday);
  EXPECT_EQ(lirrow::first_weekday_of_setting(7), lirrow::kSunday);
}

TEST(DateFunction, MonthAndQuarterOptionsOnDatedExamples) {
  struct Case {
    Option option;
    DayNumber date;
    DayNumber expected;
  };
  const Case cases[] = {
      {Option::FirstOfQuarter, on(2003, 5, 15), on(2003, 4, 1)},
      {Option::FirstOfQuarter, on(2003, 3, 31), on(2003, 1, 1)},
      {Option::FirstOfQuarter, on(2003, 10, 1), on(2003, 10, 1)},
      {Option::FirstOfQuarter, on(2003, 12, 31), on(2003, 10, 1)},
      {Option::LastOfQuarter, on(2003, 11, 15), on(2003, 12, 31)},
      {Option::LastOfQuarter, on(2004, 2, 1), on(2004, 3, 31)},
      {Option::LastOfQuarter, on(2004, 4, 1), on(2004, 6, 30)},
      {Option::LastOfQuarter, on(2004, 9, 30), on(2004, 9, 30)},
      {Option::FirstOfMonth, on(2003, 9, 11), on(2003, 9, 1)},
      {Option::LastOfMonth, on(2004, 2, 10), on(2004, 2, 29)},
      {Option::LastOfMonth, on(2003, 2, 10), on(2003, 2, 28)},
      {Option::LastOfMonth, on(1900, 2, 1), on(1900, 2, 28)},
      {Option::LastOfMonth, on(2000, 2, 1), on(2000, 2, 29)},
      {Option::LastOfNextMonth, on(2003, 1, 31), on(2003, 2, 28)},
      {Option::LastOfNextMonth, on(2003, 11, 30), on(2003, 12, 31)},
      {Option::LastOfNextMonth, on(2003, 12, 31), on(2004, 1, 31)},
      {Option::FirstOfNextMonth, on(2003, 12, 5), on(2004, 1, 1)},
      {Option::FirstOfPreviousMonth, on(2004, 1, 5), on(2003, 12, 1)},
      {Option::LastOfPreviousMonth, on(2004, 3, 5), on(2004, 2, 29)},
      {Option::LastOfPreviousMonth, on(2004, 1, 31), on(2003, 12, 31)},
      {Option::LastBusDay, on(2003, 8, 1), on(2003, 8, 29)},   // 31 August is a Sunday
      {Option::LastBusDay, on(2003, 8, 31), on(2003, 8, 29)},
      {Option::LastBusDay, on(2003, 5, 2), on(2003, 5, 30)},   // 31 May is a Saturday
      {Option::LastBusDay, on(2003, 9, 11), on(2003, 9, 30)},  // a Tuesday
      {Option::LastBusDay, on(2004, 2, 3), on(2004, 2, 27)},   // 29 February 2004 is a Sunday
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << "option " << static_cast<int>(c.option) << " of day " << c.date);
    EXPECT_EQ(date_result(c.option, static_cast<double>(c.date)), static_cast<double>(c.expected));
    // The time of day of the argument does not matter; the result is at 00:00.
    EXPECT_EQ(date_result(c.option, at(c.date, 0.75)), static_cast<double>(c.expected));
  }
}

TEST(DateFunction, WeekBoundsKeepTheTimeOfDay) {
  double thursday_afternoon = on(2003, 9, 11) + 15.5 / 24;
  double time = 15.5 / 24;
  EXPECT_EQ(date_result(Option::StartOfWeek, thursday_afternoon, kMondayFirst), on(2003, 9, 8) + time);
  EXPECT_EQ(date_result(Option::EndOfWeek, thursday_afternoon, kMondayFirst), on(2003, 9, 14) + time);
  EXPECT_EQ(date_result(Option::StartOfWeek, thursday_afternoon, kSundayFirst), on(2003, 9, 7) + time);
  EXPECT_EQ(date_result(Option::EndOfWeek, thursday_afternoon, kSundayFirst), on(2003, 9, 13) + time);
  // A week's own first and last days.
  EXPECT_EQ(date_result(Option::StartOfWeek, on(2003, 9, 8), kMondayFirst), on(2003, 9, 8));
  EXPECT_EQ(date_result(Option::EndOfWeek, on(2003, 9, 14), kMondayFirst), on(2003, 9, 14));
}

TEST(DateFunction, NegativeDatesWithFractions) {
  // -1.25 is 29 December 1899 06:00 (a Friday); -5.25 is 25 December 06:00.
  EXPECT_EQ(date_result(Option::StartOfWeek, -1.25, kMondayFirst), -5.25);
  // Crossing day 0 keeps the time of day: 30 December 1899 06:00 (Saturday)
  // belongs to the week starting Monday 25 December 06:00.
  EXPECT_EQ(date_result(Option::StartOfWeek, 0.25, kMondayFirst), -5.25);
  EXPECT_EQ(date_result(Option::EndOfWeek, -1.25, kMondayFirst), 1.25);
  EXPECT_EQ(date_result(Option::EndOfWeek, -1.25, kSundayFirst), 0.25);
  // The fraction never moves a negative date to another day.
  EXPECT_EQ(date_result(Option::FirstOfMonth, -40.9), on(1899, 11, 1));
  EXPECT_EQ(date_result(Option::LastOfMonth, -40.9), on(1899, 11, 30));
  EXPECT_EQ(date_result(Option::LastBusDay, -0.9), on(1899, 12, 29));
  EXPECT_EQ(call(Option::DayOfYear, -1.9).number, 363);
  EXPECT_EQ(call(Option::IsWorkday, -1.9).flag, true);   // Friday 29 December
  EXPECT_EQ(call(Option::IsWorkday, -6.9).flag, false);  // Sunday 24 December
  EXPECT_EQ(call(Option::IsWorkday, -5.9).flag, true);   // Monday 25 December
}

TEST(DateFunction, DayOfYearAndWorkday) {
  struct Case {
    DayNumber date;
    std::int32_t day_of_year;
    bool workday;
  };
  const Case cases[] = {
      {on(2004, 1, 1), 1, true},      {on(2004, 12, 31), 366, true}, {on(2003, 12, 31), 365, true},
      {on(2004, 3, 1), 61, true},     {on(2003, 3, 1), 60, false},   {on(2003, 9, 13), 256, false},
      {on(2003, 9, 14), 257, false},  {on(2003, 9, 15), 258, true},  {on(100, 1, 1), 1, true},
      {on(9999, 12, 31), 365, true},  {on(2000, 12, 31), 366, false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.date);
    for (double time : {0.0, 0.999}) {
      DateValue day_of_year = call(Option::DayOfYear, at(c.date, time));
      EXPECT_EQ(day_of_year.kind, Kind::Long);
      EXPECT_EQ(day_of_year.number, c.day_of_year);
      for (const CalendarSetting& setting : {kMondayFirst, kSundayFirst}) {
        DateValue workday = call(Option::IsWorkday, at(c.date, time), setting);
        EXPECT_EQ(workday.kind, Kind::Boolean);
        EXPECT_EQ(workday.flag, c.workday);
      }
    }
  }
}

TEST(DateFunction, EmptyDateStandsForTodayAndIsWrittenBack) {
  const Option today_options[] = {Option::FirstOfQuarter, Option::LastOfQuarter, Option::FirstOfMonth,
                                  Option::LastOfMonth, Option::FirstOfNextMonth, Option::LastOfNextMonth,
                                  Option::FirstOfPreviousMonth, Option::LastOfPreviousMonth,
                                  Option::DayOfYear, Option::IsWorkday};
  for (Option option : today_options) {
    for (double empty : {0.0, 0.5, -0.5, 0.25, -0.25, -0.0}) {
      SCOPED_TRACE(testing::Message() << static_cast<int>(option) << " at " << empty);
      double variable = empty;
      lirrow::date_function(static_cast<std::int32_t>(option), variable, kMondayFirst);
      EXPECT_EQ(variable, static_cast<double>(kToday));
    }
    for (double not_empty : {0.75, -0.75, 1.0, -1.0}) {
      double variable = not_empty;
      lirrow::date_function(static_cast<std::int32_t>(option), variable, kMondayFirst);
      EXPECT_EQ(variable, not_empty);
    }
  }
  EXPECT_EQ(date_result(Option::FirstOfMonth, 0.0), on(2003, 9, 1));
  EXPECT_EQ(date_result(Option::FirstOfMonth, 0.5), on(2003, 9, 1));
  EXPECT_EQ(date_result(Option::FirstOfMonth, 0.75), on(1899, 12, 1));
  EXPECT_EQ(call(Option::DayOfYear, -0.5).number, 254);
}

TEST(DateFunction, WeekAndBusinessDayOptionsUseTheEmptyDateAsItIs) {
  for (Option option : {Option::StartOfWeek, Option::EndOfWeek, Option::LastBusDay}) {
    double variable = 0;
    lirrow::date_function(static_cast<std::int32_t>(option), variable, kMondayFirst);
    EXPECT_EQ(variable, 0.0);
  }
  EXPECT_EQ(date_result(Option::StartOfWeek, 0), on(1899, 12, 25));
  EXPECT_EQ(date_result(Option::EndOfWeek, 0), on(1899, 12, 31));
  EXPECT_EQ(date_result(Option::LastBusDay, 0), on(1899, 12, 29));
}

TEST(DateFunction, CalcAge) {
  struct Case {
    DayNumber born;
    DayNumber today;
    std::int32_t age;
  };
  const Case cases[] = {
      {on(2000, 2, 29), on(2003, 2, 28), 2},  {on(2000, 2, 29), on(2003, 3, 1), 3},
      {on(2000, 2, 29), on(2004, 2, 28), 3},  {on(2000, 2, 29), on(2004, 2, 29), 4},
      {on(1970, 9, 12), on(2003, 9, 11), 32}, {on(1970, 9, 11), on(2003, 9, 11), 33},
      {on(2003, 9, 11), on(2003, 9, 11), 0},  {on(100, 1, 1), on(9999, 12, 31), 9899},
      {on(1899, 12, 29), on(2003, 9, 11), 103},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << c.born << " on " << c.today);
    double variable = at(c.born, 0.5);
    DateValue age = lirrow::date_function(13, variable, {c.today, lirrow::kMonday});
    EXPECT_EQ(age.kind, Kind::Long);
    EXPECT_EQ(age.number, c.age);
  }
}

TEST(DateFunction, CalcAgeOfAFutureDateIsZeroAndWritesToday) {
  // Next year, and any time later on today's date.
  for (double born : {static_cast<double>(on(2004, 1, 1)), kToday + 0.001, 1e12}) {
    double variable = born;
    DateValue age = lirrow::date_function(13, variable, kMondayFirst);
    EXPECT_EQ(age.kind, Kind::Long);
    EXPECT_EQ(age.number, 0);
    EXPECT_EQ(variable, static_cast<double>(kToday));
  }
  double variable = kToday - 0.25;  // 10 September 18:00
  EXPECT_EQ(lirrow::date_function(13, variable, kMondayFirst).number, 0);
  EXPECT_EQ(variable, kToday - 0.25);
}

TEST(DateFunction, UnknownOptionsGiveEmpty) {
  for (std::int32_t option : {14, -1, 1000, std::numeric_limits<std::int32_t>::min()}) {
    double variable = 0;
    EXPECT_EQ(lirrow::date_function(option, variable, kMondayFirst).kind, Kind::Empty);
    EXPECT_EQ(variable, 0.0);
  }
}

TEST(DateFunction, YearsOneHundredAndNineNineNineNineEdges) {
  const double first = static_cast<double>(lirrow::kFirstDay);
  const double last = static_cast<double>(lirrow::kLastDay);
  // A date delivered inside the range is fine, whatever the steps in between.
  EXPECT_EQ(date_result(Option::LastOfMonth, last), last);
  EXPECT_EQ(date_result(Option::LastOfQuarter, last - 40), last);
  EXPECT_EQ(date_result(Option::FirstOfNextMonth, on(9999, 11, 30)), on(9999, 12, 1));
  EXPECT_EQ(date_result(Option::LastOfNextMonth, on(9999, 11, 30)), last);
  EXPECT_EQ(date_result(Option::LastBusDay, last + 0.9), last);
  EXPECT_EQ(date_result(Option::FirstOfMonth, first + 20), first);
  EXPECT_EQ(date_result(Option::FirstOfQuarter, -657434.5), first);
  EXPECT_EQ(date_result(Option::LastOfPreviousMonth, on(100, 2, 10)), on(100, 1, 31));
  EXPECT_EQ(date_result(Option::StartOfWeek, on(100, 1, 4), kMondayFirst), on(100, 1, 4));

  struct Failure {
    Option option;
    double date;
    int error;
  };
  const int built = frame::kInvalidCall;
  const int read = frame::kOverflow;
  const Failure failures[] = {
      {Option::LastOfNextMonth, last, built},  // January 10000
      {Option::FirstOfNextMonth, last - 10, built},
      {Option::FirstOfPreviousMonth, first, built},  // December 99
      {Option::LastOfPreviousMonth, first + 30, built},
      {Option::EndOfWeek, last, read},    // Sunday 2 January 10000
      {Option::StartOfWeek, first, read},  // Monday 28 December 99
      {Option::FirstOfMonth, first - 1, read},  // the date itself is outside
      {Option::FirstOfMonth, last + 1, read},
      {Option::StartOfWeek, 1e12, read},
      {Option::LastBusDay, -1e12, read},
      {Option::CalcAge, first - 1, read},
      {Option::StartOfWeek, std::nan(""), read},
      {Option::EndOfWeek, std::numeric_limits<double>::infinity(), read},
      {Option::CalcAge, std::nan(""), read},
  };
  for (const Failure& f : failures) {
    SCOPED_TRACE(testing::Message() << static_cast<int>(f.option) << " of " << f.date);
    EXPECT_EQ(error_of([&] { call(f.option, f.date); }), f.error);
  }
}

TEST(DateFunction, RoundedDateOutsideLongIsOverflow) {
  for (Option option : {Option::FirstOfMonth, Option::DayOfYear, Option::IsWorkday}) {
    EXPECT_EQ(error_of([&] { call(option, 2147483647.6); }), frame::kOverflow);
    EXPECT_EQ(error_of([&] { call(option, -2147483648.6); }), frame::kOverflow);
    EXPECT_EQ(error_of([&] { call(option, std::nan("")); }), frame::kOverflow);
    // Inside the Long range but outside the calendar: still no date.
    EXPECT_EQ(error_of([&] { call(option, 2147483647.4); }), frame::kOverflow);
  }
}

}  // namespace
