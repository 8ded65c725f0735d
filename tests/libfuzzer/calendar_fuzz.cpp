// libFuzzer target for the calendar behind DateFunction and IsLeapYear: any
// option, any Date (NaN, infinities and dates far outside the years 100 to
// 9999 included), any "today" and first day of the week. Only errors 5 and 6
// may come out; every result has the kind its option promises and the
// property its name promises (a first of a month is a 1st, an end of week is
// the seventh weekday, and so on); day numbers and civil dates agree.
#include <fuzzer/FuzzedDataProvider.h>

#include "require.h"

#include <cstdint>
#include <cstdio>
#include <cstdlib>

#include "frame/runtime_error.h"
#include "lirrow/calendar.h"

namespace {


using lirrow::CalendarOption;
using lirrow::DateValue;

bool is_first_of_month(lirrow::DayNumber day) { return lirrow::civil_date(day).day == 1; }
bool is_last_of_month(lirrow::DayNumber day) { return lirrow::civil_date(day + 1).day == 1; }
bool starts_quarter(lirrow::DayNumber day) { return is_first_of_month(day) && (lirrow::civil_date(day).month - 1) % 3 == 0; }
bool ends_quarter(lirrow::DayNumber day) { return is_last_of_month(day) && lirrow::civil_date(day).month % 3 == 0; }

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  FuzzedDataProvider input(data, size);
  const auto option = input.ConsumeIntegralInRange<std::int32_t>(-2, 15);
  double date = input.ConsumeBool() ? input.ConsumeFloatingPoint<double>()
                                    : static_cast<double>(input.ConsumeIntegralInRange<std::int32_t>(-700000, 3000000)) +
                                          input.ConsumeProbability<double>();
  const lirrow::CalendarSetting setting{input.ConsumeIntegralInRange<lirrow::DayNumber>(lirrow::kFirstDay, lirrow::kLastDay),
                                        input.ConsumeIntegralInRange<int>(1, 7)};
  const auto year = input.ConsumeIntegral<std::int16_t>();

  // Day numbers and civil dates are two views of one calendar.
  const lirrow::DayNumber some_day = setting.today;
  const lirrow::CivilDate civil = lirrow::civil_date(some_day);
  require(lirrow::day_number(civil.year, civil.month, civil.day) == some_day);
  require(civil.month >= 1 && civil.month <= 12 && civil.day >= 1 && civil.day <= 31);
  require(lirrow::is_leap_year(year) ==
          (lirrow::day_number(year, 3, 1) - lirrow::day_number(year, 2, 28) == 2));
  const int weekday = lirrow::weekday_from(some_day, setting.first_weekday);
  require(weekday >= 1 && weekday <= 7);

  DateValue value;
  try {
    value = lirrow::date_function(option, date, setting);
  } catch (const frame::RuntimeError& error) {
    require(error.number == 5 || error.number == 6);
    return 0;
  }
  using Kind = DateValue::Kind;
  if (option < 0 || option > 13) {
    require(value.kind == Kind::Empty);
    return 0;
  }
  const auto chosen = static_cast<CalendarOption>(option);
  if (chosen == CalendarOption::DayOfYear || chosen == CalendarOption::CalcAge) {
    require(value.kind == Kind::Long);
    if (chosen == CalendarOption::DayOfYear) require(value.number >= 1 && value.number <= 366);
    else require(value.number >= 0);
    return 0;
  }
  if (chosen == CalendarOption::IsWorkday) {
    require(value.kind == Kind::Boolean);
    return 0;
  }
  require(value.kind == Kind::Date);
  require(value.date >= lirrow::kFirstDay && value.date < lirrow::kLastDay + 1);
  const lirrow::DayNumber day = lirrow::day_of(value.date);
  switch (chosen) {
    case CalendarOption::FirstOfQuarter: require(starts_quarter(day)); break;
    case CalendarOption::LastOfQuarter: require(ends_quarter(day)); break;
    case CalendarOption::FirstOfMonth:
    case CalendarOption::FirstOfNextMonth:
    case CalendarOption::FirstOfPreviousMonth: require(is_first_of_month(day)); break;
    case CalendarOption::LastOfMonth:
    case CalendarOption::LastOfNextMonth:
    case CalendarOption::LastOfPreviousMonth: require(is_last_of_month(day)); break;
    case CalendarOption::StartOfWeek: require(lirrow::weekday_from(day, setting.first_weekday) == 1); break;
    case CalendarOption::EndOfWeek: require(lirrow::weekday_from(day, setting.first_weekday) == 7); break;
    case CalendarOption::LastBusDay: {
      const int weekday_of_result = lirrow::weekday_sunday_first(day);
      require(weekday_of_result != lirrow::kSaturday && weekday_of_result != lirrow::kSunday);
      break;
    }
    default: break;
  }
  return 0;
}
