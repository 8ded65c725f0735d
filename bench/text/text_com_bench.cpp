// FindAndReplace through the COM frame (the vtable call, the result a new
// string) on 10 MB and 100 MB of UTF-16 text, sparse and dense matches, beside
// the least any such method must do with the same bytes in the same process: a
// scan for a byte that never occurs, 16 bytes at a time, then a new string of
// the source's length from the same allocator and a copy of the text into it.
// Wall-clock time, the best of several rounds taken in turns with the anchor.
#include <windows.h>
#include <oleauto.h>
#if defined(__SSE2__)
#include <emmintrin.h>
#endif

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <string>

#include "sample_text.h"

#include "frame/owners.h"
#include <initguid.h>

#include "lirrow_h.h"

namespace {

using frame::Bstr;
using frame::ComPtr;

double now() {
  LARGE_INTEGER count, frequency;
  QueryPerformanceCounter(&count);
  QueryPerformanceFrequency(&frequency);
  return static_cast<double>(count.QuadPart) / static_cast<double>(frequency.QuadPart);
}

double seconds_of(auto&& f) {
  const double start = now();
  f();
  return now() - start;
}

// The C library's memchr here may be a byte loop: the anchor scans with the
// same vector width as the search itself (where the build has one).
const void* find_byte(const void* data, unsigned char value, size_t size) {
  const auto* bytes = static_cast<const unsigned char*>(data);
  const __m128i wanted = _mm_set1_epi8(static_cast<char>(value));
  size_t i = 0;
#if defined(__SSE2__)
  for (; i + 64 <= size; i += 64) {
    __m128i a = _mm_cmpeq_epi8(_mm_loadu_si128(reinterpret_cast<const __m128i*>(bytes + i)), wanted);
    __m128i b = _mm_cmpeq_epi8(_mm_loadu_si128(reinterpret_cast<const __m128i*>(bytes + i + 16)), wanted);
    __m128i c = _mm_cmpeq_epi8(_mm_loadu_si128(reinterpret_cast<const __m128i*>(bytes + i + 32)), wanted);
    __m128i d = _mm_cmpeq_epi8(_mm_loadu_si128(reinterpret_cast<const __m128i*>(bytes + i + 48)), wanted);
    if (_mm_movemask_epi8(_mm_or_si128(_mm_or_si128(a, b), _mm_or_si128(c, d)))) break;
  }
#endif
  for (; i < size; ++i)
    if (bytes[i] == value) return bytes + i;
  return nullptr;
}

volatile size_t g_sink;

}  // namespace

int main() {
  CoInitialize(nullptr);
  HMODULE module = LoadLibraryW((std::wstring(SUITE_DIST_DIR) + L"/Lirrow.dll").c_str());
  auto get_class_object = module ? reinterpret_cast<HRESULT(STDAPICALLTYPE*)(REFCLSID, REFIID, void**)>(
                                       reinterpret_cast<void*>(GetProcAddress(module, "DllGetClassObject")))
                                 : nullptr;
  ComPtr<IClassFactory> factory;
  ComPtr<_Lirrow> lib;
  if (!get_class_object ||
      FAILED(get_class_object(CLSID_Lirrow, IID_IClassFactory, reinterpret_cast<void**>(factory.put()))) ||
      FAILED(factory->CreateInstance(nullptr, IID__Lirrow, reinterpret_cast<void**>(lib.put())))) {
    std::printf("Lirrow.dll could not be loaded from %ls\n", SUITE_DIST_DIR);
    return 1;
  }
  std::printf("%-44s %9s %9s %7s\n", "FindAndReplace through the frame / anchor", "ours ms", "anchor", "ratio");
  for (size_t mb : {10, 100}) {
    for (auto [name, every] : {std::pair{"sparse (1 per 32,768 units)", size_t(32768)},
                               std::pair{"dense (1 per 16 units)", size_t(16)}}) {
      Bstr text(sample_text<std::wstring>(mb << 20, every)), what(L"XYZ"), with(L"--");
      BSTR text_raw = text.get(), what_raw = what.get(), with_raw = with.get();
      const size_t bytes = text.view().size() * 2;
      double ours = 1e9, anchor = 1e9;
      for (int round = 0; round < (mb <= 10 ? 15 : 5); ++round) {
        anchor = std::min(anchor, seconds_of([&] {
          g_sink = reinterpret_cast<size_t>(find_byte(text_raw, 0x7F, bytes));
          Bstr copy = Bstr::of_length(text.view().size());
          std::memcpy(copy.get(), text_raw, bytes);
          g_sink = copy.get()[bytes / 4];
        }));
        ours = std::min(ours, seconds_of([&] {
          BSTR result = nullptr;
          if (lib->FindAndReplace(&text_raw, &what_raw, &with_raw, &result) != S_OK) std::printf("call failed\n");
          Bstr owned = Bstr::adopt(result);
          g_sink = owned.view().size();
        }));
      }
      char label[64];
      std::snprintf(label, sizeof label, "%zu MB, %s", mb, name);
      std::printf("%-44s %9.2f %9.2f %7.2f\n", label, ours * 1e3, anchor * 1e3, ours / anchor);
    }
  }
  lib.reset();
  factory.reset();
  CoUninitialize();
}
