// The pure calendar's date_function called in-process: calls per second for
// the options of date_function.vbs.
#include <chrono>
#include <cstdio>

#include "lirrow/calendar.h"

int main() {
  const int calls = 2000000;
  const struct {
    const char* name;
    int option;
  } options[] = {{"LastOfMonth", 3}, {"StartOfWeek", 8}, {"DayOfYear", 10}, {"LastBusDay", 12}, {"CalcAge", 13}};
  const lirrow::CalendarSetting setting{lirrow::day_number(2026, 12, 7), lirrow::kMonday};
  std::printf("in-process calendar, %d calls each\n", calls);
  for (const auto& entry : options) {
    double sink = 0;
    auto start = std::chrono::steady_clock::now();
    for (int i = 0; i < calls; ++i) {
      // A different day each call, so nothing is hoisted out of the loop.
      double date = 37844.0 + (i & 1023);
      lirrow::DateValue value = lirrow::date_function(entry.option, date, setting);
      sink += value.date + value.number;
    }
    std::chrono::duration<double> seconds = std::chrono::steady_clock::now() - start;
    std::printf("%-15s %14.0f calls/s (checksum %.0f)\n", entry.name, calls / seconds.count(), sink);
  }
  return 0;
}
