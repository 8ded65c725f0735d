// The conversions behind Tarsen's system facts: codes, rounding, folder
// choice and text cutting. No Windows types here: the method bodies hand in
// what the platform answered.
#pragma once

#include <cstdint>
#include <functional>
#include <string_view>

namespace tarsen {

// Family of the running system from the version record: 1 for the 98 and Me
// releases, 2 for the NT family, 0 for anything else.
std::int16_t windows_type_code(std::uint32_t platform_id, std::uint32_t major, std::uint32_t minor);

// Whole seconds of uptime, halves away from zero. Error 6 when the figure
// does not fit a Long (after some 68 years of uptime).
std::int32_t work_time_seconds(std::uint64_t milliseconds);

// Boot mode from the clean-boot metric: 0 normal (1), 1 fail-safe (2),
// 2 fail-safe with network (3), anything else 1.
std::int16_t work_state_code(int clean_boot_metric);

// Mode 1: the bottom edge, Mode 2: the right edge, as Integer (error 6 above
// 32,767); any other Mode 0.
std::int16_t work_region_edge(std::int16_t mode, std::int32_t bottom, std::int32_t right);

// Where GetSystemDirs takes a folder's path from.
enum class FolderSource { None, Special, Windows, System, Temp };
struct FolderChoice {
  FolderSource source = FolderSource::None;
  int csidl = 0;  // for Special
};
FolderChoice folder_for_mode(std::int32_t mode);

// The trailing text of GetSystemDirs: "\" only when Slash is exactly 1.
std::u16string_view folder_suffix(std::int16_t slash);

// The text before the first NUL; the whole text when there is none.
std::u16string_view trim_at_nul(std::u16string_view text);
std::string_view trim_at_nul(std::string_view text);
// The text before the first NUL; the empty text when there is none (a buffer
// the platform did not write into).
std::string_view text_before_nul_or_empty(std::string_view text);

// `value` rounded to `decimals` places, halves away from zero, on its decimal
// form of fifteen significant digits (as the text form of a Double has it),
// so 1.005 gives 1.01 although its binary value lies just below.
double round_decimal_half_away(double value, int decimals);

// Bytes to megabytes (1,048,576 bytes), two decimals.
double to_megabytes(double bytes);

// One reading of the memory-status record, in bytes.
struct MemoryReading {
  std::uint64_t total_phys = 0;
  std::uint64_t avail_phys = 0;
  std::uint64_t total_page_file = 0;
  std::uint64_t avail_page_file = 0;
};

// The figure of MemoryWork for `mode` (1 to 7, else 0). Every single figure
// takes a fresh reading; sums add two rounded figures; the percentage is the
// available figure over the total one, a whole number. A total of 0 makes the
// percentage fail as the division does (error 11, or 6 for 0 / 0).
double memory_figure(std::int32_t mode, const std::function<MemoryReading()>& read);

}  // namespace tarsen
