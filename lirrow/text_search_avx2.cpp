// The search kernel for processors with AVX2. Only the kernel's own functions
// are compiled for AVX2: everything from the standard library is included
// before the target switch, so the copies of its inline functions made here,
// which the linker may keep for the whole library, still run on every
// processor.
#include <algorithm>
#include <cstdint>
#include <cstring>
#include <string_view>
#include <type_traits>
#include <vector>

#include "text_search_kernel.h"

#if defined(__clang__)
#pragma clang attribute push(__attribute__((target("avx2"))), apply_to = function)
#else
#pragma GCC push_options
#pragma GCC target("avx2")
#endif
#define LIRROW_KERNEL avx2
#define LIRROW_KERNEL_AVX2 1
#include "text_search_kernel.inc"

namespace lirrow {
const SearchKernel avx2_kernel = {"AVX2", avx2::count, avx2::find, avx2::first_places, avx2::write};
}  // namespace lirrow
#if defined(__clang__)
#pragma clang attribute pop
#else
#pragma GCC pop_options
#endif
