// Conversions to the host's narrow integer kinds: round to nearest, ties to the
// even neighbour, error 6 when the rounded value does not fit.
#pragma once

#include <cmath>
#include <cstdint>
#include <limits>

#include "runtime_error.h"

namespace frame {

// Round to the nearest whole number, ties to even (the host's CInt/CLng rule).
inline double round_half_even(double value) {
  double floor_value = std::floor(value);
  double diff = value - floor_value;
  if (diff > 0.5) return floor_value + 1.0;
  if (diff < 0.5) return floor_value;
  return std::fmod(floor_value, 2.0) == 0.0 ? floor_value : floor_value + 1.0;
}

template <class Int>
Int to_int_checked(double value) {
  if (std::isnan(value)) raise(kOverflow);
  double rounded = round_half_even(value);
  if (rounded < static_cast<double>(std::numeric_limits<Int>::min()) ||
      rounded > static_cast<double>(std::numeric_limits<Int>::max()))
    raise(kOverflow);
  return static_cast<Int>(rounded);
}

inline std::int32_t to_long(double value) { return to_int_checked<std::int32_t>(value); }
inline std::int16_t to_integer(double value) { return to_int_checked<std::int16_t>(value); }

// A 16-bit counter of the host: adding past 32,767 is error 6.
inline std::int16_t increment_integer(std::int16_t counter) {
  if (counter == std::numeric_limits<std::int16_t>::max()) raise(kOverflow);
  return static_cast<std::int16_t>(counter + 1);
}

}  // namespace frame
