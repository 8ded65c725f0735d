// FindAndReplace and StringCount through the COM frame (the vtable call) on
// 10 MB and 100 MB of UTF-16 text, sparse and dense matches, each beside the
// least any such method must do with the same bytes in the same process:
//   FindAndReplace (the result a new string) beside a scan for a byte that
//     never occurs, in vectors as wide as the search's own (16 or 32 bytes),
//     then a new string of the source's length from the same allocator and a
//     copy of the text into it;
//   StringCount beside that scan alone. Dense texts hold more than 32,767
//     matches, so the answer there is error 6, given after the whole count.
// Wall-clock time, the best of several rounds taken in turns with the anchor.
#include <windows.h>
#include <oleauto.h>
#if defined(__SSE2__)
#include <immintrin.h>
#endif

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <string>

#include "sample_text.h"

#include "frame/owners.h"
#include "frame/runtime_error.h"
#include "frame/server.h"
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
// same vector width as the search itself (where the build has one). Where the
// processor has AVX2, Lirrow's search uses it, and so does this scan.
const void* find_byte_sse2(const void* data, unsigned char value, size_t size) {
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

#if defined(__SSE2__)
__attribute__((target("avx2"))) const void* find_byte_avx2(const void* data, unsigned char value, size_t size) {
  const auto* bytes = static_cast<const unsigned char*>(data);
  const __m256i wanted = _mm256_set1_epi8(static_cast<char>(value));
  size_t i = 0;
  for (; i + 128 <= size; i += 128) {
    __m256i a = _mm256_cmpeq_epi8(_mm256_loadu_si256(reinterpret_cast<const __m256i*>(bytes + i)), wanted);
    __m256i b = _mm256_cmpeq_epi8(_mm256_loadu_si256(reinterpret_cast<const __m256i*>(bytes + i + 32)), wanted);
    __m256i c = _mm256_cmpeq_epi8(_mm256_loadu_si256(reinterpret_cast<const __m256i*>(bytes + i + 64)), wanted);
    __m256i d = _mm256_cmpeq_epi8(_mm256_loadu_si256(reinterpret_cast<const __m256i*>(bytes + i + 96)), wanted);
    if (_mm256_movemask_epi8(_mm256_or_si256(_mm256_or_si256(a, b), _mm256_or_si256(c, d)))) break;
  }
  return find_byte_sse2(bytes + i, value, size - i);
}
#endif

using FindByte = const void* (*)(const void* data, unsigned char value, size_t size);

// Chosen once, before any timing.
FindByte widest_find_byte() {
#if defined(__SSE2__)
  __builtin_cpu_init();
  if (__builtin_cpu_supports("avx2")) return find_byte_avx2;
#endif
  return find_byte_sse2;
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
  const FindByte find_byte = widest_find_byte();
  std::printf("%-44s %9s %9s %7s %9s %9s %7s\n", "through the frame / anchor", "Find&Rep", "scan+cpy", "ratio", "Count",
              "scan", "ratio");
  for (size_t mb : {10, 100}) {
    for (auto [name, every] : {std::pair{"sparse (1 per 32,768 units)", size_t(32768)},
                               std::pair{"dense (1 per 16 units)", size_t(16)}}) {
      Bstr text(sample_text<std::wstring>(mb << 20, every)), what(L"XYZ"), with(L"--");
      BSTR text_raw = text.get(), what_raw = what.get(), with_raw = with.get();
      const size_t bytes = text.view().size() * 2;
      auto scan = [&] { g_sink = reinterpret_cast<size_t>(find_byte(text_raw, 0x7F, bytes)); };
      double replacing = 1e9, scan_and_copy = 1e9, counting = 1e9, scan_only = 1e9;
      HRESULT count_answer = S_OK;
      const int rounds = mb <= 10 ? 15 : 5;
      for (int round = 0; round < rounds; ++round) {
        scan_and_copy = std::min(scan_and_copy, seconds_of([&] {
                                   scan();
                                   Bstr copy = Bstr::of_length(text.view().size());
                                   std::memcpy(copy.get(), text_raw, bytes);
                                   g_sink = copy.get()[bytes / 4];
                                 }));
        replacing = std::min(replacing, seconds_of([&] {
                               BSTR result = nullptr;
                               if (lib->FindAndReplace(&text_raw, &what_raw, &with_raw, &result) != S_OK)
                                 std::printf("call failed\n");
                               Bstr owned = Bstr::adopt(result);
                               g_sink = owned.view().size();
                             }));
      }
      // A loop of its own, so that each of the two finds the text as the
      // other left it, not as FindAndReplace's result pushed it out of cache.
      for (int round = 0; round < rounds; ++round) {
        scan_only = std::min(scan_only, seconds_of(scan));
        counting = std::min(counting, seconds_of([&] {
                              short count = 0;
                              count_answer = lib->StringCount(&text_raw, &what_raw, &count);
                              g_sink = static_cast<size_t>(count);
                            }));
      }
      char label[64], answer[48] = "";
      std::snprintf(label, sizeof label, "%zu MB, %s", mb, name);
      if (count_answer == frame::error_status(frame::kOverflow))
        std::snprintf(answer, sizeof answer, " (error 6)");
      else if (count_answer != S_OK)
        std::snprintf(answer, sizeof answer, " (StringCount failed: 0x%08lX)",
                      static_cast<unsigned long>(count_answer));
      std::printf("%-44s %9.2f %9.2f %7.2f %9.2f %9.2f %7.2f%s\n", label, replacing * 1e3, scan_and_copy * 1e3,
                  replacing / scan_and_copy, counting * 1e3, scan_only * 1e3, counting / scan_only, answer);
    }
  }
  std::printf("(times in ms)\n");
  lib.reset();
  factory.reset();
  CoUninitialize();
}
