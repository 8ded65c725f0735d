// The text form of a Double as the host's string conversion writes it: at most
// 15 significant digits, positional from 1E-4 up to below 1E+15, otherwise a
// mantissa, "E", a sign and at least two exponent digits.
#pragma once

#include <string>
#include <string_view>

namespace corvane {

// `decimal_separator` is the user's regional one ("." or "," and the like).
std::u16string number_text(double value, std::u16string_view decimal_separator);

}  // namespace corvane
