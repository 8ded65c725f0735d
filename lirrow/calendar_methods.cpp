// DateFunction and IsLeapYear: the calendar (calendar.h) given today's local
// date and the user's first day of the week.
#include "calendar.h"
#include "frame/runtime_error.h"
#include "lirrow_object.h"

namespace lirrow {

namespace {

CalendarSetting current_setting() {
  SYSTEMTIME now{};
  GetLocalTime(&now);
  wchar_t first_day[4] = {};
  int setting = -1;
  if (GetLocaleInfoW(LOCALE_USER_DEFAULT, LOCALE_IFIRSTDAYOFWEEK, first_day, 4) > 0) setting = first_day[0] - L'0';
  return {day_number(now.wYear, now.wMonth, now.wDay), first_weekday_of_setting(setting)};
}

frame::Variant to_variant(const DateValue& value) {
  switch (value.kind) {
    case DateValue::Kind::Date: return frame::Variant::of_date(value.date);
    case DateValue::Kind::Long: return frame::Variant::of_long(value.number);
    case DateValue::Kind::Boolean: return frame::Variant::of_bool(value.flag);
    case DateValue::Kind::Empty: break;
  }
  return {};
}

}  // namespace

STDMETHODIMP LirrowObject::DateFunction(DateOption* FunctionType, DATE* dteDate, VARIANT* result) {
  return run(result, [&] {
    if (!FunctionType || !dteDate) frame::raise(frame::kInvalidCall);
    // The caller's variable itself: a date replaced by today is written at once.
    return to_variant(date_function(static_cast<std::int32_t>(*FunctionType), *dteDate, current_setting()));
  });
}

STDMETHODIMP LirrowObject::IsLeapYear(short* dteYear, short* result) {
  return run(result, [&] { return static_cast<short>(dteYear && is_leap_year(*dteYear) ? 1 : 0); });
}

}  // namespace lirrow
