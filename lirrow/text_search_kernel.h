// The search and the writing behind text_search.h, built once for the vectors
// every x86 processor has (SSE2) and once for 256-bit ones (AVX2); the wider
// one is used where the processor and the system offer it. Both follow the
// one cutting rule, and the tests run each of them.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string_view>
#include <vector>

namespace lirrow {

struct SearchKernel {
  const char* name;
  std::int64_t (*count)(std::u16string_view text, std::u16string_view what);
  void (*find)(std::u16string_view text, std::u16string_view what, std::vector<size_t>& positions);
  // Stores the places of the first `capacity` occurrences and answers how
  // many there are in all (the rest counted, not stored).
  size_t (*first_places)(std::u16string_view text, std::u16string_view what, size_t* places, size_t capacity);
  // Writes the replaced text into the `length` units at `out`: at `places`
  // (all `found` of them), or where `places` is null, searching again.
  void (*write)(std::u16string_view text, std::u16string_view what, std::u16string_view with, const size_t* places,
                size_t found, char16_t* out, size_t length);
};

extern const SearchKernel baseline_kernel;
#if defined(LIRROW_HAS_AVX2_KERNEL)
extern const SearchKernel avx2_kernel;
#endif

// The kernel this processor runs best, chosen once.
const SearchKernel& search_kernel();

// Every kernel this processor can run, for the tests.
std::vector<const SearchKernel*> runnable_search_kernels();

}  // namespace lirrow
