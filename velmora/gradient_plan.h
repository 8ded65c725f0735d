// The gradient engine's geometry, free of any window system: the angle rule,
// the rotation of a point, and the plan of band lines that sweep across a
// client area. Every step keeps the precision it is defined in (Single where
// a value is a Single, double for sums and products), so the rounding of the
// band positions is reproducible to the pixel.
#pragma once

#include <cstdint>
#include <vector>

namespace velmora {

struct FloatPoint {
  float x = 0;
  float y = 0;
};

struct BandPoint {
  std::int32_t x = 0;
  std::int32_t y = 0;
  bool operator==(const BandPoint&) const = default;
};

// The stored Angle for a value given to the property: reduced into 0 up to
// 360 in double precision, then rounded to Single (so a value just below a
// multiple of 360 is stored as 360). Error 6 for an infinite or NaN value.
float normalize_angle(float degrees);

// The quotient in double precision, or 0 when the denominator is 0.
double safe_divide(double numerator, double denominator);

// Turns `point` about `centre` by `degrees`, counter-clockwise on a screen
// whose Y axis grows downwards.
void rotate_point(const FloatPoint& centre, FloatPoint& point, float degrees);

// Where the first band line starts and how it moves from line to line.
struct Sweep {
  float offset_x = 0;
  float offset_y = 0;
  std::int16_t step_x = 0;
  std::int16_t step_y = 0;
};

// The first band line (before the sweep offset) and the sweep chosen for it.
struct BandStart {
  FloatPoint p0;
  FloatPoint p1;
  bool steep = false;
  Sweep sweep;
};

BandStart plan_first_band(std::int32_t width, std::int32_t height, float angle);

// The band point list: points 2k and 2k+1 are the ends of band line k. The
// list may have an odd length; the last point then has no partner.
// Error 6 when a position does not fit a Long.
std::vector<BandPoint> plan_gradient_bands(std::int32_t width, std::int32_t height, float angle);

// The number of colours the rasteriser asks for: the point count halved,
// rounded to nearest with ties to even.
std::int32_t band_colour_count(std::size_t point_count);

}  // namespace velmora
