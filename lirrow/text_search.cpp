#include "text_search.h"

#include <algorithm>
#include <cstring>
#include <limits>
#include <new>

#include "frame/numeric.h"
#include "text_search_kernel.h"

#define LIRROW_KERNEL baseline
#include "text_search_kernel.inc"

namespace lirrow {

#if defined(__SSE2__)
constexpr const char* kBaselineName = "SSE2";
#else
constexpr const char* kBaselineName = "scalar";
#endif
const SearchKernel baseline_kernel = {kBaselineName, baseline::count, baseline::find, baseline::first_places,
                                      baseline::write};

const SearchKernel& search_kernel() {
#if defined(LIRROW_HAS_AVX2_KERNEL)
  // The compiler's runtime reads the processor's features, and whether the
  // system saves the 256-bit registers, once; asking again is a load. No
  // function-local static here: its guard would take a lock object that
  // outlives the DLL, left behind each time the DLL is unloaded.
  __builtin_cpu_init();
  if (__builtin_cpu_supports("avx2")) return avx2_kernel;
#endif
  return baseline_kernel;
}

std::vector<const SearchKernel*> runnable_search_kernels() {
  std::vector<const SearchKernel*> kernels = {&baseline_kernel};
  if (&search_kernel() != &baseline_kernel) kernels.push_back(&search_kernel());
  return kernels;
}

std::vector<size_t> find_occurrences(std::u16string_view text, std::u16string_view what) {
  std::vector<size_t> positions;
  search_kernel().find(text, what, positions);
  return positions;
}

std::int64_t count_occurrences(std::u16string_view text, std::u16string_view what) {
  return search_kernel().count(text, what);
}

size_t replaced_length(size_t text_length, size_t occurrences, size_t what_length, size_t with_length) {
  // Refuses sizes that do not fit in memory at all.
  size_t kept = text_length - occurrences * what_length;
  if (with_length != 0 && occurrences > (std::numeric_limits<size_t>::max() / 4 - kept) / with_length)
    throw std::bad_alloc();
  return kept + occurrences * with_length;
}

Replacement::Replacement(std::u16string_view text, std::u16string_view what, std::u16string_view with,
                         const SearchKernel& kernel)
    : kernel_(kernel), text_(text), what_(what), with_(with) {
  // A replacement of the same length leaves the length as it is: the one
  // search is the writing one.
  if (with.size() == what.size()) {
    length_ = text.size();
    return;
  }
  found_ = kernel.first_places(text, what, places_.data(), places_.size());
  places_kept_ = found_ <= places_.size();
  length_ = replaced_length(text.size(), found_, what.size(), with.size());
}

void Replacement::write(char16_t* out) const {
  kernel_.write(text_, what_, with_, places_kept_ ? places_.data() : nullptr, found_, out, length_);
}

std::u16string find_and_replace(std::u16string_view text, std::u16string_view what, std::u16string_view with) {
  Replacement replacement(text, what, with);
  std::u16string result(replacement.length(), u'\0');
  replacement.write(result.data());
  return result;
}

std::int64_t string_count(std::u16string_view text, std::u16string_view what) {
  if (text.empty()) return -1;
  return count_occurrences(text, what);
}

std::int16_t string_count_integer(std::u16string_view text, std::u16string_view what) {
  return frame::to_integer(static_cast<double>(string_count(text, what)));
}

}  // namespace lirrow
