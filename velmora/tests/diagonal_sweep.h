// Plans that the native build and both Windows builds must agree on to the
// pixel: every client size from 2x2 to 40x40 at the four diagonal angles and
// at angles a few Single steps and a few thousandths of a degree either side.
// Near a diagonal the steepness of the first line is an exact tie or close
// to one, so a step kept in more precision than its kind (or a sine that
// differs in its last bit) shows up as another digest.
#pragma once

#include <cmath>
#include <cstdint>
#include <cstring>
#include <vector>

#include "velmora/gradient_plan.h"

namespace velmora_sweep {

inline constexpr int kSmallest = 2, kLargest = 40;
inline constexpr float kDiagonals[] = {45, 135, 225, 315};

inline std::vector<float> angles_near(float diagonal) {
  std::vector<float> angles{diagonal};
  float below = diagonal, above = diagonal;
  for (int step = 0; step < 2; ++step) {
    below = std::nextafter(below, 0.0f);
    above = std::nextafter(above, 360.0f);
    angles.insert(angles.end(), {below, above});
  }
  for (float offset : {0.001f, 0.01f, 0.1f}) angles.insert(angles.end(), {diagonal - offset, diagonal + offset});
  return angles;
}

// FNV-1a over the first band line of every plan of the sweep: the bits of
// its ends and of the sweep's offset, its steepness and step, and the plan's
// first line and length (the rest is whole-number stepping from there).
inline std::uint64_t sweep_digest() {
  std::uint64_t digest = 14695981039346656037ull;
  auto add = [&](auto value) {
    std::uint32_t bits;
    if constexpr (sizeof value == 4) std::memcpy(&bits, &value, 4);
    else bits = static_cast<std::uint32_t>(value);
    digest = (digest ^ bits) * 1099511628211ull;
  };
  for (float diagonal : kDiagonals)
    for (float angle : angles_near(diagonal))
      for (int width = kSmallest; width <= kLargest; ++width)
        for (int height = kSmallest; height <= kLargest; ++height) {
          const velmora::BandStart start = velmora::plan_first_band(width, height, angle);
          for (float value : {start.p0.x, start.p0.y, start.p1.x, start.p1.y, start.sweep.offset_x, start.sweep.offset_y})
            add(value);
          for (int value : {int{start.steep}, int{start.sweep.step_x}, int{start.sweep.step_y}}) add(value);
          const std::vector<velmora::BandPoint> plan = velmora::plan_gradient_bands(width, height, angle);
          for (int value : {plan[0].x, plan[0].y, plan[1].x, plan[1].y, static_cast<int>(plan.size())}) add(value);
        }
  return digest;
}

// What the native build's plans give: the reference for every build.
inline constexpr std::uint64_t kReferenceDigest = 0x7e33ec91bfb84361;

}  // namespace velmora_sweep
