// ClassForGradient under Wine: properties, BlendColors on callers' arrays, and
// Draw on a real window, read back pixel by pixel.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "frame/server.h"
#include "test_support.h"
#include "velmora/color_blend.h"
#include "velmora/gradient_plan.h"
#include "velmora/tests/diagonal_sweep.h"

namespace {

using frame::ComPtr;
using velmora_test::BoxWatcher;
using velmora_test::Canvas;
using velmora_test::TestHost;
using velmora_test::TestWindow;

class GradientTest : public ::testing::Test {
 protected:
  void SetUp() override {
    CoInitialize(nullptr);
    painter = velmora_test::create<_ClassForGradient>(CLSID_ClassForGradient, IID__ClassForGradient);
    ASSERT_TRUE(painter);
  }
  void TearDown() override {
    painter.reset();
    CoUninitialize();
  }

  VARIANT_BOOL draw(TestHost& host, HRESULT expected = S_OK) {
    IDispatch* object = &host;
    VARIANT_BOOL drawn = 7;
    EXPECT_EQ(painter->Draw(&object, &drawn), expected);
    return drawn;
  }

  ComPtr<_ClassForGradient> painter;
};

// A window whose "hWnd" has the client size and whose "hDC" keeps the drawing.
struct Surface {
  Surface(int width, int height) : window(width, height), canvas(width, height) {
    host.set(L"hWnd", window.as_long());
    host.set(L"hDC", canvas.as_long());
  }
  TestWindow window;
  Canvas canvas;
  TestHost host;
};

// The only window this process may lock: whether the lock is free now.
bool window_lock_free() {
  TestWindow probe(10, 10);
  if (!LockWindowUpdate(probe.get())) return false;
  LockWindowUpdate(nullptr);
  return true;
}

TEST_F(GradientTest, NewInstanceValues) {
  LONG colour = 0;
  float angle = 0;
  EXPECT_EQ(painter->get_Color1(&colour), S_OK);
  EXPECT_EQ(colour, 0xFFFFD0);
  EXPECT_EQ(painter->get_Color2(&colour), S_OK);
  EXPECT_EQ(colour, 0x400000);
  EXPECT_EQ(painter->get_Angle(&angle), S_OK);
  EXPECT_EQ(angle, 315.0f);
}

TEST_F(GradientTest, ColoursResolveSystemColourReferences) {
  struct Case { LONG given, stored; } cases[] = {
      {static_cast<LONG>(0x80000005), static_cast<LONG>(GetSysColor(COLOR_WINDOW))},
      {static_cast<LONG>(0x8000000F), static_cast<LONG>(GetSysColor(COLOR_BTNFACE))},
      {static_cast<LONG>(0x80000018), static_cast<LONG>(GetSysColor(24))},
      {static_cast<LONG>(0x80000019), static_cast<LONG>(0x80000019)},
      {static_cast<LONG>(0x8000001A), static_cast<LONG>(0x8000001A)},
      {0x123456, 0x123456},
      {-1, -1},
  };
  for (const auto& c : cases) {
    LONG one = 0, two = 0;
    EXPECT_EQ(painter->put_Color1(c.given), S_OK);
    EXPECT_EQ(painter->put_Color2(c.given), S_OK);
    painter->get_Color1(&one);
    painter->get_Color2(&two);
    EXPECT_EQ(one, c.stored) << std::hex << c.given;
    EXPECT_EQ(two, c.stored) << std::hex << c.given;
  }
}

TEST_F(GradientTest, AngleNormalisedAndInfinityRefused) {
  struct Case { float given, stored; } cases[] = {{-90, 270}, {360, 0}, {725, 5}, {-0.0000001f, 360}};
  for (const auto& c : cases) {
    float angle = -1;
    EXPECT_EQ(painter->put_Angle(c.given), S_OK);
    painter->get_Angle(&angle);
    EXPECT_EQ(angle, c.stored) << c.given;
  }
  EXPECT_EQ(painter->put_Angle(std::numeric_limits<float>::infinity()), frame::error_status(6));
  float angle = 0;
  painter->get_Angle(&angle);
  EXPECT_EQ(angle, 360.0f);  // the failed assignment left the angle alone
}

std::vector<LONG> contents(SAFEARRAY* array) {
  LONG lower = 0, upper = -1;
  SafeArrayGetLBound(array, 1, &lower);
  SafeArrayGetUBound(array, 1, &upper);
  std::vector<LONG> values;
  for (LONG i = lower; i <= upper; ++i) {
    LONG value = 0;
    SafeArrayGetElement(array, &i, &value);
    values.push_back(value);
  }
  return values;
}

TEST_F(GradientTest, BlendColorsRedimensionsTheCallersArray) {
  SAFEARRAY* table = nullptr;
  LONG count = 0;
  EXPECT_EQ(painter->BlendColors(0, 0xFF, 5, &table, &count), S_OK);
  EXPECT_EQ(count, 5);
  ASSERT_NE(table, nullptr);
  EXPECT_EQ(contents(table), (std::vector<LONG>{0x00, 0x33, 0x66, 0x99, 0xFF}));
  LONG lower = -1;
  SafeArrayGetLBound(table, 1, &lower);
  EXPECT_EQ(lower, 0);
  // A second call re-dimensions the same variable.
  EXPECT_EQ(painter->BlendColors(0x123456, 0x654321, 0, &table, &count), S_OK);
  EXPECT_EQ(count, 2);
  EXPECT_EQ(contents(table), (std::vector<LONG>{0x123456, 0x654321}));
  SafeArrayDestroy(table);
}

TEST_F(GradientTest, BlendColorsRefusesFixedAndLockedArrays) {
  SAFEARRAYBOUND bound{3, 1};
  SAFEARRAY* fixed = SafeArrayCreate(VT_I4, 1, &bound);
  fixed->fFeatures |= FADF_FIXEDSIZE;
  LONG count = 99;
  SAFEARRAY* given = fixed;
  EXPECT_EQ(painter->BlendColors(0, 0xFF, 5, &given, &count), frame::error_status(10));
  EXPECT_EQ(given, fixed);
  EXPECT_EQ(count, 0);
  EXPECT_EQ(contents(fixed), (std::vector<LONG>{0, 0, 0}));
  fixed->fFeatures &= ~FADF_FIXEDSIZE;
  SafeArrayLock(fixed);
  EXPECT_EQ(painter->BlendColors(0, 0xFF, 5, &given, &count), frame::error_status(10));
  EXPECT_EQ(given, fixed);
  SafeArrayUnlock(fixed);
  SafeArrayDestroy(fixed);
}

TEST_F(GradientTest, BlendColorsOutOfMemoryForHugeStepCounts) {
  SAFEARRAY* table = nullptr;
  LONG count = 0;
  EXPECT_EQ(painter->BlendColors(0, 0xFF, 0x7FFFFFFF, &table, &count), frame::error_status(7));
  EXPECT_EQ(painter->BlendColors(0, 0xFF, 0x20000000, &table, &count), frame::error_status(7));
  EXPECT_EQ(table, nullptr);
}

// The expected colour table and plan for an area, from the pure engine.
struct Expected {
  std::vector<velmora::BandPoint> points;
  std::vector<std::int32_t> table;
};
Expected expected_for(int width, int height, float angle, LONG colour1, LONG colour2) {
  Expected result;
  result.points = velmora::plan_gradient_bands(width, height, angle);
  result.table = velmora::blend_colors(colour1, colour2, velmora::band_colour_count(result.points.size()));
  return result;
}

// Axis-aligned bands land exactly: the band index follows from the pixel.
TEST_F(GradientTest, DrawPaintsAxisAlignedBandsExactly) {
  const int width = 100, height = 50;
  const LONG colour1 = 0x0000FF, colour2 = 0xFF0000;
  struct Case { float angle; int (*band)(int x, int y); } cases[] = {
      {0, [](int x, int) { return x; }},
      {90, [](int, int y) { return 50 - y; }},
      {180, [](int x, int) { return 100 - x; }},
      {270, [](int, int y) { return y; }},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.angle);
    Surface surface(width, height);
    painter->put_Color1(colour1);
    painter->put_Color2(colour2);
    painter->put_Angle(c.angle);
    EXPECT_EQ(draw(surface.host), VARIANT_TRUE);
    Expected expected = expected_for(width, height, c.angle, colour1, colour2);
    for (int y = 0; y < height; y += 7)
      for (int x = 0; x < width; x += 3)
        ASSERT_EQ(surface.canvas.pixel(x, y), static_cast<COLORREF>(expected.table[c.band(x, y)])) << x << "," << y;
  }
}

// Diagonal bands: every sampled pixel has the colour of the band through it
// (within one pixel of the ideal line, for the rasteriser's rounding).
TEST_F(GradientTest, DrawPaintsDiagonalBandsAtTheirPositions) {
  const LONG colour1 = 0x000000, colour2 = 0xFFFFFF;
  const float angles[] = {30, 45, 135, 200, 315};
  const int sizes[][2] = {{100, 50}, {64, 97}};
  for (const auto& size : sizes) {
    for (float angle : angles) {
      const int width = size[0], height = size[1];
      SCOPED_TRACE(testing::Message() << width << "x" << height << " at " << angle);
      Surface surface(width, height);
      painter->put_Color1(colour1);
      painter->put_Color2(colour2);
      painter->put_Angle(angle);
      EXPECT_EQ(draw(surface.host), VARIANT_TRUE);
      const Expected expected = expected_for(width, height, angle, colour1, colour2);
      const auto start = velmora::plan_first_band(width, height, angle);
      const auto& a = expected.points[0];
      const auto& b = expected.points[1];
      const size_t lines = expected.points.size() / 2;
      for (int y = 1; y < height - 1; y += 5) {
        for (int x = 1; x < width - 1; x += 5) {
          // The band index the ideal line through this pixel would have.
          double band = 0;
          if (start.sweep.step_x != 0) {
            const double x0 = a.x + (y - a.y) * double(b.x - a.x) / (b.y - a.y);
            band = (x - x0) / start.sweep.step_x;
          } else {
            const double y0 = a.y + (x - a.x) * double(b.y - a.y) / (b.x - a.x);
            band = (y - y0) / start.sweep.step_y;
          }
          bool matches = false;
          for (long k = std::lround(band) - 1; k <= std::lround(band) + 1; ++k)
            if (k >= 0 && static_cast<size_t>(k) < lines && surface.canvas.pixel(x, y) == COLORREF(expected.table[k])) matches = true;
          ASSERT_TRUE(matches) << x << "," << y << " band " << band << " pixel " << std::hex << surface.canvas.pixel(x, y);
        }
      }
    }
  }
}

// The lines that Draws issue, kept by a metafile device context: for each
// Draw, each line's two ends and its pen's colour, in the order drawn.
struct DrawnLine {
  velmora::BandPoint from;
  velmora::BandPoint to;
  COLORREF colour = 0;
  bool operator==(const DrawnLine&) const = default;
};
std::ostream& operator<<(std::ostream& out, const DrawnLine& line) {
  return out << "(" << line.from.x << "," << line.from.y << ")-(" << line.to.x << "," << line.to.y << ") #" << std::hex
             << line.colour << std::dec;
}

class LineRecorder {
 public:
  LineRecorder() : dc_(CreateEnhMetaFileW(nullptr, nullptr, nullptr, nullptr)) {}
  LineRecorder(const LineRecorder&) = delete;
  LineRecorder& operator=(const LineRecorder&) = delete;
  ~LineRecorder() { DeleteEnhMetaFile(CloseEnhMetaFile(dc_)); }
  long as_long() const { return static_cast<long>(reinterpret_cast<LONG_PTR>(dc_)); }
  // Closes the lines of one Draw.
  void end_of_draw() { GdiComment(dc_, 0, nullptr); }

  // Ends the recording and reads the lines back, one list per Draw; call once.
  std::vector<std::vector<DrawnLine>> draws() {
    HENHMETAFILE metafile = CloseEnhMetaFile(dc_);
    dc_ = nullptr;
    std::vector<BYTE> bits(GetEnhMetaFileBits(metafile, 0, nullptr));
    GetEnhMetaFileBits(metafile, static_cast<UINT>(bits.size()), bits.data());
    DeleteEnhMetaFile(metafile);
    std::vector<std::vector<DrawnLine>> draws(1);
    DrawnLine line;
    for (size_t at = 0; at + sizeof(EMR) <= bits.size();) {
      const auto* record = reinterpret_cast<const ENHMETARECORD*>(&bits[at]);
      if (record->iType == EMR_MOVETOEX) {
        const POINTL& p = reinterpret_cast<const EMRMOVETOEX*>(record)->ptl;
        line.from = {p.x, p.y};
      } else if (record->iType == EMR_CREATEPEN) {
        line.colour = reinterpret_cast<const EMRCREATEPEN*>(record)->lopn.lopnColor;
      } else if (record->iType == EMR_LINETO) {
        const POINTL& p = reinterpret_cast<const EMRLINETO*>(record)->ptl;
        line.to = {p.x, p.y};
        draws.back().push_back(line);
      } else if (record->iType == EMR_GDICOMMENT) {
        draws.emplace_back();
      }
      at += record->nSize ? record->nSize : bits.size();
    }
    draws.pop_back();  // after the last Draw's end
    return draws;
  }

 private:
  HDC dc_;
};

// Every client size from 2x2 to 40x40 at the four diagonals: the DLL draws
// exactly the lines and colours of the plan; and this build plans every size
// at angles near the diagonals as the native build does (there the steepness
// is a tie, or nearly, that excess precision tipped on x86).
TEST_F(GradientTest, DrawsThePlannedLinesAtEverySizeNearTheDiagonals) {
  ASSERT_EQ(velmora_sweep::sweep_digest(), velmora_sweep::kReferenceDigest)
      << "this build plans otherwise than the native build: " << std::hex << velmora_sweep::sweep_digest();
  const LONG colour1 = 0x102030, colour2 = 0xF0E0D0;
  painter->put_Color1(colour1);
  painter->put_Color2(colour2);
  // A hidden child window: resizing it costs no trip to the display.
  TestWindow parent(50, 50, 0, 0, WS_POPUP);
  TestWindow window(velmora_sweep::kSmallest, velmora_sweep::kSmallest, 0, 0, WS_CHILD, nullptr, 0, parent.get());
  TestHost host;
  host.set(L"hWnd", window.as_long());
  int sizes_drawn = 0, differing = 0;
  for (float angle : velmora_sweep::kDiagonals) {
    painter->put_Angle(angle);
    LineRecorder recorder;
    host.set(L"hDC", recorder.as_long());
    struct Planned {
      int width, height;
      std::vector<DrawnLine> lines;
    };
    std::vector<Planned> planned;
    for (int width = velmora_sweep::kSmallest; width <= velmora_sweep::kLargest; ++width) {
      for (int height = velmora_sweep::kSmallest; height <= velmora_sweep::kLargest; ++height) {
        SetWindowPos(window.get(), nullptr, 0, 0, width, height,
                     SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE | SWP_NOREDRAW | SWP_NOSENDCHANGING);
        ASSERT_EQ(draw(host), VARIANT_TRUE);
        recorder.end_of_draw();
        const Expected expected = expected_for(width, height, angle, colour1, colour2);
        planned.push_back({width, height, {}});
        for (size_t j = 0; j + 1 < expected.points.size(); j += 2)
          planned.back().lines.push_back({expected.points[j], expected.points[j + 1], COLORREF(expected.table[j / 2])});
      }
    }
    const std::vector<std::vector<DrawnLine>> drawn = recorder.draws();
    ASSERT_EQ(drawn.size(), planned.size());
    for (size_t i = 0; i < drawn.size(); ++i, ++sizes_drawn) {
      const Planned& plan = planned[i];
      if (drawn[i] != plan.lines && ++differing <= 3)
        ADD_FAILURE() << plan.width << "x" << plan.height << " at " << angle << ": first line drawn "
                      << (drawn[i].empty() ? DrawnLine{} : drawn[i][0]) << ", planned " << plan.lines[0];
    }
  }
  EXPECT_EQ(differing, 0) << "sizes drawn otherwise than planned";
  EXPECT_EQ(sizes_drawn, 4 * 39 * 39);
}

TEST_F(GradientTest, DrawReadsHwndTwiceAndHdcOnce) {
  Surface surface(40, 30);
  EXPECT_EQ(draw(surface.host), VARIANT_TRUE);
  EXPECT_EQ(surface.host.log(), (std::vector<std::wstring>{L"get hWnd", L"get hWnd", L"get hDC"}));
  EXPECT_TRUE(window_lock_free());
}

TEST_F(GradientTest, HostWithoutHdcShowsOneBoxAndAnswersFalse) {
  Surface surface(40, 30);
  surface.host.remove(L"hDC");
  BoxWatcher watcher;
  EXPECT_EQ(draw(surface.host), VARIANT_FALSE);
  auto boxes = watcher.boxes();
  ASSERT_EQ(boxes.size(), 1u);
  EXPECT_EQ(boxes[0].text, L"Object doesn't support this property or method");
  EXPECT_NE(boxes[0].title, L"GradientRect");
  EXPECT_TRUE(window_lock_free());
}

TEST_F(GradientTest, MissingObjectShowsABoxToo) {
  BoxWatcher watcher;
  IDispatch* nothing = nullptr;
  VARIANT_BOOL drawn = 7;
  EXPECT_EQ(painter->Draw(&nothing, &drawn), S_OK);
  EXPECT_EQ(drawn, VARIANT_FALSE);
  auto boxes = watcher.boxes();
  ASSERT_EQ(boxes.size(), 1u);
  EXPECT_EQ(boxes[0].text, L"Object variable or With block variable not set");
}

TEST_F(GradientTest, TooSmallOrInvalidAreaDrawsNothingWithoutABox) {
  BoxWatcher watcher;
  for (auto size : {std::pair{1, 100}, std::pair{100, 1}, std::pair{2, 2}}) {
    Surface surface(size.first, size.second);
    const COLORREF before = surface.canvas.pixel(0, 0);
    EXPECT_EQ(draw(surface.host), size.first > 1 && size.second > 1 ? VARIANT_TRUE : VARIANT_FALSE);
    if (size.first == 1 || size.second == 1) {
      EXPECT_EQ(surface.canvas.pixel(0, 0), before);
    }
  }
  TestHost gone;
  gone.set(L"hWnd", 0);
  gone.set(L"hDC", 0);
  EXPECT_EQ(draw(gone), VARIANT_FALSE);
  EXPECT_TRUE(watcher.boxes().empty());
  EXPECT_TRUE(window_lock_free());
}

// Another window's lock stays in place: Draw paints without the lock and
// does not release what it did not take.
TEST_F(GradientTest, AnotherWindowsLockIsLeftAlone) {
  Surface surface(40, 30);
  TestWindow other(10, 10);
  ASSERT_TRUE(LockWindowUpdate(other.get()));
  EXPECT_EQ(draw(surface.host), VARIANT_TRUE);
  EXPECT_FALSE(window_lock_free());
  LockWindowUpdate(nullptr);
  EXPECT_TRUE(window_lock_free());
}

// No pen survives a pass: the process's GDI object count is the same before
// and after a thousand passes of 102 lines each.
TEST_F(GradientTest, NoGdiObjectLeaks) {
  Surface surface(100, 50);
  painter->put_Angle(0);
  draw(surface.host);
  const DWORD objects_before = GetGuiResources(GetCurrentProcess(), GR_GDIOBJECTS);
  const size_t free_before = velmora_test::free_gdi_handles();
  for (int i = 0; i < 1000; ++i) ASSERT_EQ(draw(surface.host), VARIANT_TRUE) << i;
  EXPECT_EQ(GetGuiResources(GetCurrentProcess(), GR_GDIOBJECTS), objects_before);
  EXPECT_EQ(velmora_test::free_gdi_handles(), free_before);
  const Expected expected = expected_for(100, 50, 0, 0xFFFFD0, 0x400000);
  EXPECT_EQ(surface.canvas.pixel(99, 10), COLORREF(expected.table[99]));
}

}  // namespace
