// The calendar behind DateFunction and IsLeapYear, over the Date kind: a
// double counting days since 1899-12-30 00:00 whose fraction is the time of
// day (for negative values the fraction counts forward from the start of the
// day named by the integer part). Proleptic Gregorian calendar throughout.
//
// Days are handled as whole day numbers (0 = 1899-12-30) of any size while a
// result is worked out; only the dates a method reads and delivers must lie in
// the years 100 to 9999, so intermediate steps such as "the first of the next
// month, minus one day" never fail where the final date is valid.
#pragma once

#include <cstdint>

namespace lirrow {

using DayNumber = std::int64_t;

struct CivilDate {
  std::int64_t year;
  int month;  // 1..12
  int day;    // 1..31
};

// The first and last day numbers of the Date kind: 100-01-01 and 9999-12-31.
inline constexpr DayNumber kFirstDay = -657434;
inline constexpr DayNumber kLastDay = 2958465;

// Weekdays counted with Sunday first: 1 Sunday, 2 Monday, ... 7 Saturday.
inline constexpr int kSunday = 1;
inline constexpr int kMonday = 2;
inline constexpr int kFriday = 6;
inline constexpr int kSaturday = 7;

bool is_leap_year(std::int64_t year);

// build(year, month, day) with normalisation: months outside 1..12 move into
// the neighbouring years, day 0 is the last day of the previous month, and
// days past the end of the month carry into the following months.
DayNumber day_number(std::int64_t year, std::int64_t month, std::int64_t day);
CivilDate civil_date(DayNumber day);

int weekday_sunday_first(DayNumber day);
// Weekday counted from the locale's first day of the week (given with Sunday
// first: 1 Sunday, 2 Monday, ...): 1 for that day, up to 7.
int weekday_from(DayNumber day, int first_weekday);

// The platform's first-day-of-week setting (0 Monday ... 6 Sunday) counted
// with Sunday first; Sunday when the setting is not one of those.
inline int first_weekday_of_setting(int setting) {
  return setting >= 0 && setting <= 6 ? (setting + 1) % 7 + 1 : kSunday;
}

// Dates outside the years 100 to 9999 fail as the host's own date functions
// do: reading a year, month, day or weekday from such a value (or from one
// that is not a number) is error 6, overflow; building one from a year, month
// and day is error 5, invalid procedure call.

// The day on which a Date falls; error 6 outside the range.
DayNumber day_of(double date);
// A Date on another day with the same time of day as `date` (a date moved by
// whole days); error 6 outside the range.
double same_time_on(double date, DayNumber day);
// The Date at 00:00 of a day built from a year, month and day; error 5
// outside the range.
double date_of(DayNumber day);

// DateFunction's options (the type library's DateOption).
enum class CalendarOption : std::int32_t {
  FirstOfQuarter = 0,
  LastOfQuarter = 1,
  FirstOfMonth = 2,
  LastOfMonth = 3,
  FirstOfNextMonth = 4,
  LastOfNextMonth = 5,
  FirstOfPreviousMonth = 6,
  LastOfPreviousMonth = 7,
  StartOfWeek = 8,
  EndOfWeek = 9,
  DayOfYear = 10,
  IsWorkday = 11,
  LastBusDay = 12,
  CalcAge = 13,
};

// A DateFunction result: the kind of the Variant and its value.
struct DateValue {
  enum class Kind { Empty, Date, Long, Boolean };
  Kind kind = Kind::Empty;
  double date = 0;
  std::int32_t number = 0;
  bool flag = false;

  static DateValue of_date(double value) { return {Kind::Date, value, 0, false}; }
  static DateValue of_long(std::int32_t value) { return {Kind::Long, 0, value, false}; }
  static DateValue of_boolean(bool value) { return {Kind::Boolean, 0, 0, value}; }
};

// What DateFunction needs from its surroundings.
struct CalendarSetting {
  DayNumber today;    // the current local date
  int first_weekday;  // the locale's first day of the week, Sunday first (1..7)
};

// DateFunction: the value `option` asks for, computed from `date`. `date` is
// the caller's variable: the empty-date rule and CalcAge's future-date rule
// replace it by today, and that write stays even when a later step fails.
// Errors: 6 when a rounded date does not fit a Long (empty-date rule), 6 or 5
// for a date read or delivered outside years 100 to 9999 (above). An unknown
// option gives Empty.
DateValue date_function(std::int32_t option, double& date, const CalendarSetting& setting);

}  // namespace lirrow
