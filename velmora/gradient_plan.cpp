#include "gradient_plan.h"

#include <cfloat>
#include <cmath>
#include <cstdlib>

#include "frame/numeric.h"
#include "frame/runtime_error.h"

// The plan rounds each step to Single or Double as written; with excess
// precision between steps (x87 math) an exact tie, such as the steepness of a
// 45-degree line, can tip the other way and move every band.
static_assert(FLT_EVAL_METHOD == 0, "the gradient plan needs SSE2 math on x86 (-msse2 -mfpmath=sse)");

namespace velmora {

namespace {

// Int(): the whole number towards minus infinity.
double whole_below(double value) { return std::floor(value); }

// Degrees to radians with the engine's own factor (pi as 3.14159265358979).
constexpr double kRadiansPerDegree = 0.017453292519943278;

// A sum of two Singles is a Single.
float single_sum(float a, float b) { return static_cast<float>(static_cast<double>(a) + static_cast<double>(b)); }
float single_difference(float a, float b) {
  return static_cast<float>(static_cast<double>(a) - static_cast<double>(b));
}

std::int32_t checked_step(std::int32_t value, std::int16_t step) {
  std::int64_t moved = static_cast<std::int64_t>(value) + step;
  if (moved < INT32_MIN || moved > INT32_MAX) frame::raise(frame::kOverflow);
  return static_cast<std::int32_t>(moved);
}

// Whether the two newest points have both left the client area on the side
// the sweep moves towards.
bool sweep_done(const BandPoint& a, const BandPoint& b, const Sweep& sweep, std::int32_t width, std::int32_t height) {
  if (sweep.step_x > 0) return a.x > width && b.x > width;
  if (sweep.step_x < 0) return a.x < 0 && b.x < 0;
  if (sweep.step_y > 0) return a.y > height && b.y > height;
  return a.y < 0 && b.y < 0;
}

}  // namespace

float normalize_angle(float degrees) {
  double value = degrees;
  if (!std::isfinite(value)) frame::raise(frame::kOverflow);
  double reduced = value - whole_below(whole_below(value / 360.0) * 360.0);
  // Beyond about 1e15 degrees the product no longer meets the value exactly
  // and the difference is far outside a turn; reduce those exactly instead.
  if (reduced < 0 || reduced > 360) {
    reduced = std::fmod(value, 360.0);
    if (reduced < 0) reduced += 360.0;
  }
  return static_cast<float>(reduced);
}

double safe_divide(double numerator, double denominator) {
  if (denominator == 0) return 0;
  return numerator / denominator;
}

void rotate_point(const FloatPoint& centre, FloatPoint& point, float degrees) {
  const double theta = static_cast<float>(static_cast<double>(degrees) * kRadiansPerDegree);
  const double dx = single_difference(point.x, centre.x);
  const double dy = single_difference(point.y, centre.y);
  const double sine = std::sin(theta), cosine = std::cos(theta);
  point.x = static_cast<float>(dy * sine + dx * cosine + centre.x);
  point.y = static_cast<float>(centre.y - (dx * sine - dy * cosine));
}

BandStart plan_first_band(std::int32_t width, std::int32_t height, float angle) {
  const FloatPoint centre{static_cast<float>(whole_below(width / 2.0)), static_cast<float>(whole_below(height / 2.0))};
  const double longest = static_cast<float>(width > height ? width : height);
  const float half_length = static_cast<float>((std::sqrt(longest * longest + longest * longest) + 2) / 2);

  BandStart start;
  start.p0 = {single_difference(centre.x, half_length), centre.y};
  start.p1 = {single_sum(half_length, centre.x), centre.y};
  const float turned = single_sum(angle, 90);
  const float line_angle = static_cast<float>(turned - whole_below(whole_below(turned / 360.0) * 360.0));
  rotate_point(centre, start.p0, line_angle);
  rotate_point(centre, start.p1, line_angle);

  const FloatPoint& p0 = start.p0;
  const FloatPoint& p1 = start.p1;
  const float extent_x = std::fabs(single_difference(p0.x, p1.x));
  const float extent_y = std::fabs(single_difference(p0.y, p1.y));
  start.steep = extent_y >= extent_x;  // an exact 45-degree line is swept sideways

  const float max_x = std::fmax(p0.x, p1.x), min_x = std::fmin(p0.x, p1.x);
  const float max_y = std::fmax(p0.y, p1.y), min_y = std::fmin(p0.y, p1.y);
  const Sweep from_left{-max_x, 0, 1, 0};
  const Sweep from_right{static_cast<float>(static_cast<double>(width) - min_x), 0, -1, 0};
  const Sweep from_bottom{0, static_cast<float>(static_cast<double>(height) - min_y), 0, -1};
  const Sweep from_top{0, -max_y, 0, 1};
  if (angle >= 0 && angle <= 90) start.sweep = start.steep ? from_left : from_bottom;
  else if (angle >= 90 && angle <= 180) start.sweep = start.steep ? from_right : from_bottom;
  else if (angle >= 180 && angle <= 270) start.sweep = start.steep ? from_right : from_top;
  else start.sweep = start.steep ? from_left : from_top;
  return start;
}

std::vector<BandPoint> plan_gradient_bands(std::int32_t width, std::int32_t height, float angle) {
  const BandStart start = plan_first_band(width, height, angle);
  const Sweep& sweep = start.sweep;
  constexpr std::size_t kBlock = 1000;
  std::vector<BandPoint> points(kBlock);
  points[0] = {frame::to_long(single_sum(sweep.offset_x, start.p0.x)), frame::to_long(single_sum(sweep.offset_y, start.p0.y))};
  points[1] = {frame::to_long(single_sum(sweep.offset_x, start.p1.x)), frame::to_long(single_sum(sweep.offset_y, start.p1.y))};
  std::size_t n = 2;
  bool done = false;
  do {
    const BandPoint& from = points[n - 2];
    points[n] = {checked_step(from.x, sweep.step_x), checked_step(from.y, sweep.step_y)};
    ++n;
    done = sweep_done(points[n - 1], points[n - 2], sweep, width, height);
    if (n % kBlock == 0) points.resize(n + kBlock);
  } while (!done);
  points.resize(n);
  return points;
}

std::int32_t band_colour_count(std::size_t point_count) {
  return frame::to_long(static_cast<double>(point_count) / 2);
}

}  // namespace velmora
