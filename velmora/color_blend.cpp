#include "color_blend.h"

#include "frame/numeric.h"
#include "gradient_plan.h"

namespace velmora {

std::optional<int> system_colour_index(std::int32_t colour) {
  if (colour >= 0) return std::nullopt;
  const std::int32_t index = colour & 0x7FFFFFFF;
  if (index > 24) return std::nullopt;
  return index;
}

std::int32_t blend_step_count(std::int32_t steps) { return steps < 2 ? 2 : steps; }

void blend_colors(std::int32_t colour1, std::int32_t colour2, std::int32_t steps, std::int32_t* table) {
  steps = blend_step_count(steps);
  const std::int32_t r1 = colour1 & 0xFF, g1 = (colour1 & 0xFF00) / 256, b1 = (colour1 & 0xFF0000) / 65536;
  const std::int32_t r2 = colour2 & 0xFF, g2 = (colour2 & 0xFF00) / 256, b2 = (colour2 & 0xFF0000) / 65536;
  // The divisor is the step count itself, both operands first made Singles,
  // the quotient kept as a Single.
  const double divisor = static_cast<float>(steps);
  auto increment = [&](std::int32_t from, std::int32_t to) {
    return static_cast<double>(static_cast<float>(safe_divide(static_cast<float>(to - from), divisor)));
  };
  const double dr = increment(r1, r2), dg = increment(g1, g2), db = increment(b1, b2);
  table[0] = colour1;
  for (std::int32_t i = 1; i <= steps - 2; ++i) {
    const double step = static_cast<float>(i);
    const std::int32_t r = frame::to_long(step * dr + r1);
    const std::int32_t g = frame::to_long(step * dg + g1);
    const std::int32_t b = frame::to_long(step * db + b1);
    table[i] = r + 256 * g + 65536 * b;
  }
  table[steps - 1] = colour2;
}

std::vector<std::int32_t> blend_colors(std::int32_t colour1, std::int32_t colour2, std::int32_t steps) {
  std::vector<std::int32_t> table(static_cast<std::size_t>(blend_step_count(steps)));
  blend_colors(colour1, colour2, steps, table.data());
  return table;
}

}  // namespace velmora
