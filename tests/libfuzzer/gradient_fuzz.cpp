// libFuzzer target for the gradient engine's pure part: the angle rule, the
// first band line for any client size (extreme and negative ones included),
// the full band plan for real client sizes, and the colour table.
#include <fuzzer/FuzzedDataProvider.h>

#include "require.h"

#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>

#include "frame/runtime_error.h"
#include "velmora/color_blend.h"
#include "velmora/gradient_plan.h"

namespace {


// Only overflow may come out of the engine.
template <class Body>
void overflow_at_most(Body&& body) {
  try {
    body();
  } catch (const frame::RuntimeError& error) {
    require(error.number == 6);
  }
}

int component(std::int32_t colour, int shift) { return (colour >> shift) & 0xFF; }

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  FuzzedDataProvider input(data, size);
  const auto width = input.ConsumeIntegral<std::int32_t>();
  const auto height = input.ConsumeIntegral<std::int32_t>();
  const auto angle = input.ConsumeFloatingPoint<float>();
  const auto colour1 = input.ConsumeIntegral<std::int32_t>();
  const auto colour2 = input.ConsumeIntegral<std::int32_t>();
  const auto steps = input.ConsumeIntegralInRange<std::int32_t>(-16, 4096);
  const auto small_width = input.ConsumeIntegralInRange<std::int32_t>(2, 800);
  const auto small_height = input.ConsumeIntegralInRange<std::int32_t>(2, 800);

  // The angle is held in 0 up to 360; infinities and NaN overflow. (Beyond
  // about 1e15 degrees the reduction through whole turns loses the turn itself,
  // so there only a finite value is asked for.)
  try {
    const float stored = velmora::normalize_angle(angle);
    require(std::isfinite(angle) && std::isfinite(stored));
    if (std::fabs(angle) < 1e15f) require(stored >= 0 && stored <= 360);
  } catch (const frame::RuntimeError& error) {
    require(error.number == 6 && !std::isfinite(angle));
  }

  if (std::isfinite(angle)) {
    overflow_at_most([&] { velmora::plan_first_band(width, height, angle); });
    overflow_at_most([&] {
      const auto points = velmora::plan_gradient_bands(small_width, small_height, angle);
      // Half the point count, ties to the even number.
      const std::int64_t half = static_cast<std::int64_t>(points.size()) / 2;
      const std::int64_t expected = points.size() % 2 == 0 ? half : half + (half % 2);
      require(velmora::band_colour_count(points.size()) == expected);
    });
  }

  // The colour table: the two colours at its ends, every interior component
  // between the two colours' components.
  const auto table = velmora::blend_colors(colour1, colour2, steps);
  require(static_cast<std::int32_t>(table.size()) == velmora::blend_step_count(steps) && table.size() >= 2);
  require(table.front() == colour1 && table.back() == colour2);
  if (colour1 >= 0 && colour1 <= 0xFFFFFF && colour2 >= 0 && colour2 <= 0xFFFFFF) {
    for (std::int32_t entry : table)
      for (int shift : {0, 8, 16}) {
        const int low = std::min(component(colour1, shift), component(colour2, shift));
        const int high = std::max(component(colour1, shift), component(colour2, shift));
        require(entry >= 0 && component(entry, shift) >= low && component(entry, shift) <= high);
      }
  }
  const auto index = velmora::system_colour_index(colour1);
  require(index.has_value() == (colour1 < 0 && (colour1 & 0x7FFFFFFF) <= 24));
  return 0;
}
