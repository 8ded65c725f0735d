// Draw on a 1920 x 1080 surface against the platform's own GradientFill
// filling the same surface, in the same run.
#include <initguid.h>

#include <windows.h>
#include <oleauto.h>

#include <chrono>
#include <cstdio>

#include "velmora/gradient_plan.h"
#include "velmora/tests/test_support.h"

namespace {

using Clock = std::chrono::steady_clock;

double milliseconds_per_run(int runs, auto&& body) {
  body();  // warm-up
  const auto start = Clock::now();
  for (int i = 0; i < runs; ++i) body();
  return std::chrono::duration<double, std::milli>(Clock::now() - start).count() / runs;
}

}  // namespace

int main() {
  CoInitialize(nullptr);
  constexpr int kWidth = 1920, kHeight = 1080, kRuns = 20;
  velmora_test::TestWindow window(kWidth, kHeight, 0, 0);
  velmora_test::Canvas canvas(kWidth, kHeight);
  velmora_test::TestHost host;
  host.set(L"hWnd", window.as_long());
  host.set(L"hDC", canvas.as_long());
  auto painter = velmora_test::create<_ClassForGradient>(CLSID_ClassForGradient, IID__ClassForGradient);
  if (!painter) {
    std::printf("Velmora.dll not loaded\n");
    return 1;
  }
  RECT client{};
  GetClientRect(window.get(), &client);
  std::printf("surface %ldx%ld, %d runs each\n", client.right, client.bottom, kRuns);
  std::printf("%-28s %12s %12s\n", "what", "ms per run", "band lines");
  for (float angle : {0.0f, 90.0f, 315.0f}) {
    painter->put_Angle(angle);
    IDispatch* object = &host;
    VARIANT_BOOL drawn = 0;
    const double ms = milliseconds_per_run(kRuns, [&] { painter->Draw(&object, &drawn); });
    const size_t lines = velmora::plan_gradient_bands(client.right, client.bottom, angle).size() / 2;
    char what[64];
    std::snprintf(what, sizeof what, "Draw at %g degrees", angle);
    std::printf("%-28s %12.2f %12zu\n", what, ms, lines);
  }
  TRIVERTEX corners[2] = {{0, 0, 0xD000, 0xFF00, 0xFF00, 0}, {kWidth, kHeight, 0x0000, 0x0000, 0x4000, 0}};
  GRADIENT_RECT rect{0, 1};
  const double fill_ms = milliseconds_per_run(
      kRuns, [&] { GradientFill(canvas.dc(), corners, 2, &rect, 1, GRADIENT_FILL_RECT_H); });
  std::printf("%-28s %12.2f %12s\n", "GradientFill (horizontal)", fill_ms, "-");
  painter.reset();
  CoUninitialize();
  return 0;
}
