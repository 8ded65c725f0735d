#include "calendar.h"

#include <cmath>

#include "frame/numeric.h"
#include "frame/runtime_error.h"

namespace lirrow {

namespace {

std::int64_t floor_div(std::int64_t a, std::int64_t b) {
  std::int64_t q = a / b;
  return (a % b != 0 && (a < 0) != (b < 0)) ? q - 1 : q;
}

std::int64_t floor_mod(std::int64_t a, std::int64_t b) { return a - floor_div(a, b) * b; }

// Days from 1970-01-01 to 1899-12-30, the Date kind's day 0.
constexpr std::int64_t kUnixDaysOfDayZero = -25569;

// Day count since 1970-01-01 of a valid civil date (eras of 400 years, with
// the year starting on 1 March so that the leap day comes last).
std::int64_t unix_days(std::int64_t year, int month, int day) {
  year -= month <= 2;
  std::int64_t era = floor_div(year, 400);
  std::int64_t year_of_era = year - era * 400;
  std::int64_t day_of_year = (153 * (month > 2 ? month - 3 : month + 9) + 2) / 5 + day - 1;
  std::int64_t day_of_era = year_of_era * 365 + year_of_era / 4 - year_of_era / 100 + day_of_year;
  return era * 146097 + day_of_era - 719468;
}

void check_in_range(DayNumber day, int error) {
  if (day < kFirstDay || day > kLastDay) frame::raise(error);
}

bool is_weekend(DayNumber day) {
  int weekday = weekday_sunday_first(day);
  return weekday == kSaturday || weekday == kSunday;
}

// Whole years from the birth date to today; the age rises on the anniversary
// (1 March in common years for a birthday on 29 February).
std::int32_t age_in_years(double& born, DayNumber today) {
  // A birth date in the future counts as born today.
  if (born > static_cast<double>(today)) born = static_cast<double>(today);
  CivilDate birth = civil_date(day_of(born));
  CivilDate now = civil_date(today);
  std::int64_t years = now.year - birth.year;
  if (day_number(now.year, birth.month, birth.day) > today) --years;
  return static_cast<std::int32_t>(years);
}

}  // namespace

bool is_leap_year(std::int64_t year) { return year % 4 == 0 && (year % 100 != 0 || year % 400 == 0); }

DayNumber day_number(std::int64_t year, std::int64_t month, std::int64_t day) {
  year += floor_div(month - 1, 12);
  int normal_month = static_cast<int>(floor_mod(month - 1, 12)) + 1;
  return unix_days(year, normal_month, 1) - kUnixDaysOfDayZero + (day - 1);
}

CivilDate civil_date(DayNumber day) {
  std::int64_t days = day + kUnixDaysOfDayZero + 719468;
  std::int64_t era = floor_div(days, 146097);
  std::int64_t day_of_era = days - era * 146097;
  std::int64_t year_of_era = (day_of_era - day_of_era / 1460 + day_of_era / 36524 - day_of_era / 146096) / 365;
  std::int64_t day_of_year = day_of_era - (365 * year_of_era + year_of_era / 4 - year_of_era / 100);
  std::int64_t shifted_month = (5 * day_of_year + 2) / 153;
  int month = static_cast<int>(shifted_month < 10 ? shifted_month + 3 : shifted_month - 9);
  int day_of_month = static_cast<int>(day_of_year - (153 * shifted_month + 2) / 5 + 1);
  std::int64_t year = year_of_era + era * 400 + (month <= 2);
  return {year, month, day_of_month};
}

int weekday_sunday_first(DayNumber day) {
  // Day 0, 30 December 1899, was a Saturday.
  return static_cast<int>(floor_mod(day + 6, 7)) + 1;
}

int weekday_from(DayNumber day, int first_weekday) {
  return static_cast<int>(floor_mod(weekday_sunday_first(day) - first_weekday, 7)) + 1;
}

DayNumber day_of(double date) {
  if (!std::isfinite(date)) frame::raise(frame::kOverflow);
  double whole = std::trunc(date);
  if (whole < static_cast<double>(kFirstDay) || whole > static_cast<double>(kLastDay))
    frame::raise(frame::kOverflow);
  return static_cast<DayNumber>(whole);
}

double same_time_on(double date, DayNumber day) {
  check_in_range(day, frame::kOverflow);
  double time = std::fabs(date - std::trunc(date));
  // Before day 0 the fraction still counts forward from the start of the day.
  return day < 0 ? static_cast<double>(day) - time : static_cast<double>(day) + time;
}

double date_of(DayNumber day) {
  check_in_range(day, frame::kInvalidCall);
  return static_cast<double>(day);
}

DateValue date_function(std::int32_t option, double& date, const CalendarSetting& setting) {
  using Option = CalendarOption;
  if (option < 0 || option > static_cast<std::int32_t>(Option::CalcAge)) return {};
  auto selected = static_cast<Option>(option);

  // Options that take the date as it is.
  switch (selected) {
    case Option::StartOfWeek:
    case Option::EndOfWeek: {
      DayNumber day = day_of(date);
      DayNumber start = day - weekday_from(day, setting.first_weekday) + 1;
      return DateValue::of_date(same_time_on(date, selected == Option::StartOfWeek ? start : start + 6));
    }
    case Option::LastBusDay: {
      CivilDate civil = civil_date(day_of(date));
      DayNumber last = day_number(civil.year, civil.month + 1, 0);
      while (is_weekend(last)) --last;
      return DateValue::of_date(date_of(last));
    }
    case Option::CalcAge:
      return DateValue::of_long(age_in_years(date, setting.today));
    default:
      break;
  }

  // The empty date (1899-12-30 up to noon) stands for today, and the caller
  // gets today in its variable.
  if (frame::to_long(date) == 0) date = static_cast<double>(setting.today);
  DayNumber day = day_of(date);
  CivilDate civil = civil_date(day);
  std::int64_t year = civil.year;
  int month = civil.month;
  int quarter_start = 3 * ((month - 1) / 3) + 1;
  switch (selected) {
    case Option::FirstOfQuarter: return DateValue::of_date(date_of(day_number(year, quarter_start, 1)));
    case Option::LastOfQuarter: return DateValue::of_date(date_of(day_number(year, quarter_start + 3, 0)));
    case Option::FirstOfMonth: return DateValue::of_date(date_of(day_number(year, month, 1)));
    case Option::LastOfMonth: return DateValue::of_date(date_of(day_number(year, month + 1, 1) - 1));
    case Option::FirstOfNextMonth: return DateValue::of_date(date_of(day_number(year, month + 1, 1)));
    case Option::LastOfNextMonth: return DateValue::of_date(date_of(day_number(year, month + 2, 0)));
    case Option::FirstOfPreviousMonth: return DateValue::of_date(date_of(day_number(year, month - 1, 1)));
    case Option::LastOfPreviousMonth: return DateValue::of_date(date_of(day_number(year, month, 0)));
    case Option::DayOfYear:
      return DateValue::of_long(static_cast<std::int32_t>(day - day_number(year - 1, 12, 31)));
    case Option::IsWorkday: {
      int weekday = weekday_sunday_first(day);
      return DateValue::of_boolean(weekday >= kMonday && weekday <= kFriday);
    }
    default:
      return {};
  }
}

}  // namespace lirrow
