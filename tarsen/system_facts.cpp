#include "system_facts.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <limits>
#include <string>

#include "frame/numeric.h"
#include "frame/runtime_error.h"

namespace tarsen {

std::int16_t windows_type_code(std::uint32_t platform_id, std::uint32_t major, std::uint32_t minor) {
  if (major == 4 && minor >= 10 && platform_id == 1) return 1;
  if (platform_id == 2) return 2;
  return 0;
}

std::int32_t work_time_seconds(std::uint64_t milliseconds) {
  // Integer arithmetic is the decimal rounding of ms / 1000 exactly.
  std::uint64_t seconds = milliseconds / 1000 + (milliseconds % 1000 >= 500 ? 1 : 0);
  if (seconds > static_cast<std::uint64_t>(std::numeric_limits<std::int32_t>::max())) frame::raise(frame::kOverflow);
  return static_cast<std::int32_t>(seconds);
}

std::int16_t work_state_code(int clean_boot_metric) {
  switch (clean_boot_metric) {
    case 1: return 2;
    case 2: return 3;
    default: return 1;
  }
}

std::int16_t work_region_edge(std::int16_t mode, std::int32_t bottom, std::int32_t right) {
  if (mode == 1) return frame::to_integer(bottom);
  if (mode == 2) return frame::to_integer(right);
  return 0;
}

FolderChoice folder_for_mode(std::int32_t mode) {
  // The shell's special-folder numbers, by member value 0 to 15.
  static constexpr int kSpecial[] = {25, 0, 6, 23, 2, 24, 7, 22, 11, 20, 19, 5, 27, 8, 9, 21};
  if (mode >= 0 && mode < static_cast<std::int32_t>(std::size(kSpecial))) return {FolderSource::Special, kSpecial[mode]};
  switch (mode) {
    case 16: return {FolderSource::Temp, 0};
    case 18: return {FolderSource::Windows, 0};
    case 19: return {FolderSource::System, 0};
    default: return {};
  }
}

std::u16string_view folder_suffix(std::int16_t slash) { return slash == 1 ? u"\\" : u""; }

std::u16string_view trim_at_nul(std::u16string_view text) { return text.substr(0, text.find(u'\0')); }
std::string_view trim_at_nul(std::string_view text) { return text.substr(0, text.find('\0')); }

std::string_view text_before_nul_or_empty(std::string_view text) {
  size_t nul = text.find('\0');
  return nul == std::string_view::npos ? std::string_view() : text.substr(0, nul);
}

double round_decimal_half_away(double value, int decimals) {
  if (value == 0.0 || !std::isfinite(value)) return value;
  // Fifteen significant digits: "d.dddddddddddddde±x".
  char text[64];
  std::snprintf(text, sizeof text, "%.14e", std::fabs(value));
  std::string digits;
  digits += text[0];
  digits.append(text + 2, 14);
  int exponent = std::atoi(std::strchr(text, 'e') + 1);
  // The value is 0.<digits> x 10^(exponent + 1); keep `keep` digits of them.
  int point = exponent + 1;
  int keep = point + decimals;
  if (keep >= static_cast<int>(digits.size())) return value;
  if (keep < 0) return 0.0;
  bool up = digits[static_cast<size_t>(keep)] >= '5';
  std::string kept = digits.substr(0, static_cast<size_t>(keep));
  if (up) {
    // Carry from the last kept digit; "999" becomes "1000" one place up.
    int i = keep - 1;
    while (i >= 0 && kept[static_cast<size_t>(i)] == '9') kept[static_cast<size_t>(i--)] = '0';
    if (i >= 0) ++kept[static_cast<size_t>(i)];
    else kept.insert(kept.begin(), '1');
  }
  if (kept.empty()) return 0.0;
  std::string number = kept + "e" + std::to_string(-decimals);
  double rounded = std::strtod(number.c_str(), nullptr);
  return value < 0 ? -rounded : rounded;
}

double to_megabytes(double bytes) { return round_decimal_half_away(bytes / 1024 / 1024, 2); }

double memory_figure(std::int32_t mode, const std::function<MemoryReading()>& read) {
  auto available_page_file = [&] { return to_megabytes(static_cast<double>(read().avail_page_file)); };
  auto available_phys = [&] { return to_megabytes(static_cast<double>(read().avail_phys)); };
  auto total_page_file = [&] { return to_megabytes(static_cast<double>(read().total_page_file)); };
  auto total_phys = [&] { return to_megabytes(static_cast<double>(read().total_phys)); };
  auto available = [&] {
    double page_file = available_page_file();
    return page_file + available_phys();
  };
  auto total = [&] {
    double phys = total_phys();
    return phys + total_page_file();
  };
  switch (mode) {
    case 1: return available();
    case 2: return available_page_file();
    case 3: return available_phys();
    case 4: return total_page_file();
    case 5: {
      double a = available();
      double t = total();
      if (t == 0.0) frame::raise(a == 0.0 ? frame::kOverflow : frame::kDivisionByZero);
      return round_decimal_half_away(a / t * 100, 0);
    }
    case 6: return total();
    case 7: return total_phys();
    default: return 0.0;
  }
}

}  // namespace tarsen
