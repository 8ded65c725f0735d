// ClassForGradient: the colour and angle properties, BlendColors, and Draw
// with its rasteriser. Planning and blending are pure (gradient_plan.cpp,
// color_blend.cpp); this file reads the host object and draws with GDI.
#include <cstdint>
#include <utility>

#include "color_blend.h"
#include "error_report.h"
#include "frame/arguments.h"
#include "frame/host_object.h"
#include "frame/runtime_error.h"
#include "gradient_object.h"
#include "gradient_plan.h"

namespace velmora {

namespace {

// A colour value as stored: a system colour reference replaced by the
// colour of that display element now.
long stored_colour(long value) {
  if (auto index = system_colour_index(value)) return static_cast<long>(GetSysColor(*index));
  return value;
}

// Tables whose bytes would not fit a signed 32-bit size cannot be held by the
// 32-bit build either; such a step count is out of memory on both builds.
constexpr std::int32_t kMaxBlendSteps = 0x7FFFFFFF / 4;

// The caller's array while its elements are written.
class ArrayData {
 public:
  explicit ArrayData(SAFEARRAY* array) : array_(array) {
    if (FAILED(SafeArrayAccessData(array_, &data_))) frame::raise(frame::kArrayLocked);
  }
  ArrayData(const ArrayData&) = delete;
  ArrayData& operator=(const ArrayData&) = delete;
  ~ArrayData() { SafeArrayUnaccessData(array_); }
  template <class T>
  T* as() const { return static_cast<T*>(data_); }

 private:
  SAFEARRAY* array_;
  void* data_ = nullptr;
};

class SafeArrayOwner {
 public:
  explicit SafeArrayOwner(SAFEARRAY* array = nullptr) : array_(array) {}
  SafeArrayOwner(const SafeArrayOwner&) = delete;
  SafeArrayOwner& operator=(const SafeArrayOwner&) = delete;
  ~SafeArrayOwner() { if (array_) SafeArrayDestroy(array_); }
  SAFEARRAY* get() const { return array_; }
  SAFEARRAY** put() { return &array_; }
  SAFEARRAY* release() { return std::exchange(array_, nullptr); }

 private:
  SAFEARRAY* array_;
};

// One band line in its own pen; the previous pen goes back before the new
// one is deleted, so no pen outlives its line.
void draw_band_line(HDC dc, const BandPoint& from, const BandPoint& to, long colour) {
  MoveToEx(dc, from.x, from.y, nullptr);
  frame::GdiObject pen(CreatePen(PS_SOLID, 1, static_cast<COLORREF>(colour)));
  HGDIOBJ previous = SelectObject(dc, pen.get());
  LineTo(dc, to.x, to.y);
  SelectObject(dc, previous);
}

}  // namespace

STDMETHODIMP GradientObject::put_Color1(LONG value) {
  return run_void([&] { color1_ = stored_colour(value); });
}
STDMETHODIMP GradientObject::get_Color1(LONG* value) {
  return run(value, [&] { return color1_; });
}
STDMETHODIMP GradientObject::put_Color2(LONG value) {
  return run_void([&] { color2_ = stored_colour(value); });
}
STDMETHODIMP GradientObject::get_Color2(LONG* value) {
  return run(value, [&] { return color2_; });
}
STDMETHODIMP GradientObject::put_Angle(float value) {
  return run_void([&] { angle_ = normalize_angle(value); });
}
STDMETHODIMP GradientObject::get_Angle(float* value) {
  return run(value, [&] { return angle_; });
}

STDMETHODIMP GradientObject::BlendColors(LONG lColor1, LONG lColor2, LONG lSteps, SAFEARRAY** laRetColors,
                                         LONG* result) {
  return run(result, [&] {
    if (!laRetColors) frame::raise(frame::kInvalidCall);
    const std::int32_t steps = blend_step_count(lSteps);
    // Re-dimensioning replaces the caller's array; one that is fixed in size,
    // static or locked keeps its content.
    SAFEARRAY* old = *laRetColors;
    constexpr USHORT kNotResizable = FADF_FIXEDSIZE | FADF_STATIC | FADF_AUTO | FADF_EMBEDDED;
    if (old && ((old->fFeatures & kNotResizable) || old->cLocks > 0)) frame::raise(frame::kArrayLocked);
    if (steps > kMaxBlendSteps) frame::raise(frame::kOutOfMemory);
    SAFEARRAYBOUND bound{static_cast<ULONG>(steps), 0};
    SafeArrayOwner fresh(SafeArrayCreate(VT_I4, 1, &bound));
    if (!fresh.get()) frame::raise(frame::kOutOfMemory);
    {
      ArrayData data(fresh.get());
      blend_colors(lColor1, lColor2, steps, data.as<std::int32_t>());
    }
    if (old) SafeArrayDestroy(old);
    *laRetColors = fresh.release();
    return steps;
  });
}

STDMETHODIMP GradientObject::Draw(IDispatch** picObj, VARIANT_BOOL* result) {
  return run(result, [&] { return draw(picObj); });
}

// Draw reports its own errors in a message box and answers false; the host
// window is unlocked afterwards only when this call locked it, so another
// program's lock is never released.
bool GradientObject::draw(IDispatch** picObj) {
  bool drawn = false;
  bool locked = false;
  std::wstring failure;
  try {
    frame::HostObject host(picObj);
    locked = LockWindowUpdate(frame::window_of(host.get_long(L"hWnd"))) != FALSE;
    RECT client{};
    if (GetClientRect(frame::window_of(host.get_long(L"hWnd")), &client) && client.right > 1 && client.bottom > 1)
      drawn = draw_gradient_bands(frame::handle_of<HDC>(host.get_long(L"hDC")), client.right, client.bottom) > 0;
  } catch (...) {
    failure = current_error_description();
  }
  if (!failure.empty()) show_error_box(failure, nullptr);
  if (locked) LockWindowUpdate(nullptr);
  return drawn;
}

// The rasteriser: plans the bands, asks its own interface for the colour
// table and draws one line per band. It answers twice the number of lines
// drawn; after an error (shown in its own box) it answers 0 and draws nothing
// further, since every later step needs the one that failed.
long GradientObject::draw_gradient_bands(HDC dc, long width, long height) {
  std::wstring failure;
  try {
    const std::vector<BandPoint> points = plan_gradient_bands(width, height, angle_);
    SafeArrayOwner table;
    LONG count = 0;
    check_status(BlendColors(color1_, color2_, band_colour_count(points.size()), table.put(), &count));
    ArrayData colours(table.get());
    const std::int32_t* colour = colours.as<std::int32_t>();
    size_t j = 0;
    for (; j + 2 <= points.size(); j += 2) draw_band_line(dc, points[j], points[j + 1], colour[j / 2]);
    return static_cast<long>(j);
  } catch (...) {
    failure = current_error_description();
  }
  show_error_box(failure, L"GradientRect");
  return 0;
}

}  // namespace velmora
