#include "volume_rules.h"

namespace tarsen {

std::u16string serial_text(std::uint32_t serial) {
  static constexpr char16_t kDigits[] = u"0123456789ABCDEF";
  std::u16string text(9, u'-');
  for (int i = 0; i < 8; ++i) {
    char16_t digit = kDigits[(serial >> (28 - 4 * i)) & 0xF];
    text[static_cast<size_t>(i < 4 ? i : i + 1)] = digit;
  }
  return text;
}

std::u16string serial_decimal(std::uint32_t serial) {
  std::int64_t value = static_cast<std::int32_t>(serial);
  std::u16string text;
  std::uint64_t magnitude = static_cast<std::uint64_t>(value < 0 ? -value : value);
  do {
    text.insert(text.begin(), static_cast<char16_t>(u'0' + magnitude % 10));
    magnitude /= 10;
  } while (magnitude);
  if (value < 0) text.insert(text.begin(), u'-');
  return text;
}

VolumeFact volume_fact(std::int32_t dtype) {
  if (dtype == 1) return VolumeFact::Serial;
  if (dtype == 2) return VolumeFact::Label;
  return VolumeFact::FileSystem;
}

std::int16_t drive_type_code(std::uint32_t platform_type) {
  return platform_type >= 2 && platform_type <= 6 ? static_cast<std::int16_t>(platform_type - 1) : 0;
}

}  // namespace tarsen
