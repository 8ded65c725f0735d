// Writes a PNG of a 400 x 300 gradient at 315 degrees painted by
// ClassForGradient's Draw, so a new user sees what the engine does.
//   gradient_picture.exe <output.png>
#include <initguid.h>

#include <windows.h>

#include <cstdio>
#include <fstream>

#include "png_writer.h"
#include "velmora/tests/test_support.h"

int wmain(int argc, wchar_t** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: gradient_picture <output.png>\n");
    return 2;
  }
  CoInitialize(nullptr);
  constexpr int kWidth = 400, kHeight = 300;
  int status = 1;
  {
    velmora_test::TestWindow window(kWidth, kHeight, 0, 0);
    velmora_test::Canvas canvas(kWidth, kHeight);
    velmora_test::TestHost host;
    host.set(L"hWnd", window.as_long());
    host.set(L"hDC", canvas.as_long());
    auto painter = velmora_test::create<_ClassForGradient>(CLSID_ClassForGradient, IID__ClassForGradient);
    IDispatch* object = &host;
    VARIANT_BOOL drawn = 0;
    if (painter && SUCCEEDED(painter->put_Angle(315)) && SUCCEEDED(painter->Draw(&object, &drawn)) && drawn) {
      std::vector<std::uint8_t> rgb;
      for (int y = 0; y < kHeight; ++y) {
        for (int x = 0; x < kWidth; ++x) {
          const COLORREF pixel = canvas.pixel(x, y);
          rgb.insert(rgb.end(), {GetRValue(pixel), GetGValue(pixel), GetBValue(pixel)});
        }
      }
      const auto png = velmora::encode_png(kWidth, kHeight, rgb);
      std::ofstream out(argv[1], std::ios::binary);
      out.write(reinterpret_cast<const char*>(png.data()), static_cast<std::streamsize>(png.size()));
      status = out ? 0 : 1;
    }
    if (status) std::fprintf(stderr, "gradient_picture: no picture written\n");
  }
  CoUninitialize();
  return status;
}
