// libFuzzer target for the text form of a number (folder sizes): any finite
// Double, with either decimal separator, must come out as at most 15
// significant digits in positional or exponent form that reads back as the
// same number to within its last digit.
#include <fuzzer/FuzzedDataProvider.h>

#include "require.h"

#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "corvane/number_text.h"

namespace {


}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  FuzzedDataProvider input(data, size);
  const bool comma = input.ConsumeBool();
  double value = input.ConsumeFloatingPoint<double>();
  if (!std::isfinite(value)) return 0;
  const std::u16string separator = comma ? u"," : u".";
  const std::u16string text = corvane::number_text(value, separator);

  // Shape: [-]digits[<sep>digits][E(+|-)dd...], no other character.
  std::string plain;
  size_t digits = 0, i = 0;
  bool leading = true;
  if (i < text.size() && text[i] == u'-') plain += text[i++];
  for (; i < text.size() && text[i] != u'E'; ++i) {
    const char16_t c = text[i];
    if (c == separator[0]) {
      plain += '.';
      continue;
    }
    require(c >= u'0' && c <= u'9');
    if (c != u'0') leading = false;
    if (!leading) ++digits;
    plain += static_cast<char>(c);
  }
  if (i < text.size()) {
    plain += 'E';
    ++i;
    require(i < text.size() && (text[i] == u'+' || text[i] == u'-'));
    plain += static_cast<char>(text[i++]);
    require(text.size() - i >= 2);
    for (; i < text.size(); ++i) {
      require(text[i] >= u'0' && text[i] <= u'9');
      plain += static_cast<char>(text[i]);
    }
  }
  require(!plain.empty());
  require(digits <= 15);

  // 15 digits of the largest Doubles read back as infinity, as the host's own
  // conversion would; subnormal numbers keep fewer digits of their own.
  const double back = std::strtod(plain.c_str(), nullptr);
  if (std::isinf(back)) require(std::fabs(value) > 1.797693134862315e308);
  else require(std::fabs(back - value) <= std::fabs(value) * 1e-14 || std::fabs(value) < 1e-300);
  return 0;
}
