#include "text_search.h"

#include <algorithm>
#include <cstring>
#include <limits>
#include <new>

#include "frame/numeric.h"

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace lirrow {

namespace {

// Index of the first `unit` in text[from, size), or size when there is none.
// Eight code units at a time: a sparse search runs near memory speed.
size_t find_unit(const char16_t* text, size_t from, size_t size, char16_t unit) {
  size_t i = from;
#if defined(__SSE2__)
  const __m128i wanted = _mm_set1_epi16(static_cast<short>(unit));
  for (; i + 16 <= size; i += 16) {
    __m128i a = _mm_loadu_si128(reinterpret_cast<const __m128i*>(text + i));
    __m128i b = _mm_loadu_si128(reinterpret_cast<const __m128i*>(text + i + 8));
    int mask_a = _mm_movemask_epi8(_mm_cmpeq_epi16(a, wanted));
    int mask_b = _mm_movemask_epi8(_mm_cmpeq_epi16(b, wanted));
    if (mask_a | mask_b) {
      if (mask_a) return i + static_cast<size_t>(__builtin_ctz(static_cast<unsigned>(mask_a))) / 2;
      return i + 8 + static_cast<size_t>(__builtin_ctz(static_cast<unsigned>(mask_b))) / 2;
    }
  }
#endif
  for (; i < size; ++i)
    if (text[i] == unit) return i;
  return size;
}

// Calls on_match(position) for each occurrence, left to right.
template <class OnMatch>
void scan(std::u16string_view text, std::u16string_view what, OnMatch&& on_match) {
  if (text.empty() || what.empty() || what.size() > text.size()) return;
  const char16_t* data = text.data();
  const size_t last_start = text.size() - what.size();
  const char16_t first = what.front();
  const size_t rest_bytes = (what.size() - 1) * sizeof(char16_t);
  size_t position = 0;
  while (position <= last_start) {
    position = find_unit(data, position, last_start + 1, first);
    if (position > last_start) return;
    if (std::memcmp(data + position + 1, what.data() + 1, rest_bytes) == 0) {
      on_match(position);
      position += what.size();
    } else {
      ++position;
    }
  }
}

}  // namespace

std::vector<size_t> find_occurrences(std::u16string_view text, std::u16string_view what) {
  std::vector<size_t> positions;
  scan(text, what, [&](size_t position) { positions.push_back(position); });
  return positions;
}

std::int64_t count_occurrences(std::u16string_view text, std::u16string_view what) {
  std::int64_t count = 0;
  scan(text, what, [&](size_t) { ++count; });
  return count;
}

size_t replaced_length(size_t text_length, size_t occurrences, size_t what_length, size_t with_length) {
  // text - k*what + k*with, refusing sizes that do not fit in memory at all.
  size_t kept = text_length - occurrences * what_length;
  if (with_length != 0 && occurrences > (std::numeric_limits<size_t>::max() / 4 - kept) / with_length)
    throw std::bad_alloc();
  return kept + occurrences * with_length;
}

void write_replaced(std::u16string_view text, const std::vector<size_t>& occurrences, size_t what_length,
                    std::u16string_view with, char16_t* out) {
  size_t piece_start = 0;
  for (size_t position : occurrences) {
    out = std::copy(text.data() + piece_start, text.data() + position, out);
    out = std::copy(with.begin(), with.end(), out);
    piece_start = position + what_length;
  }
  std::copy(text.data() + piece_start, text.data() + text.size(), out);
}

size_t replace_in_one_pass(std::u16string_view text, std::u16string_view what, std::u16string_view with, char16_t* out) {
  char16_t* const start = out;
  size_t piece_start = 0;
  scan(text, what, [&](size_t position) {
    out = std::copy(text.data() + piece_start, text.data() + position, out);
    out = std::copy(with.begin(), with.end(), out);
    piece_start = position + what.size();
  });
  out = std::copy(text.data() + piece_start, text.data() + text.size(), out);
  return static_cast<size_t>(out - start);
}

std::u16string find_and_replace(std::u16string_view text, std::u16string_view what, std::u16string_view with) {
  if (with.size() <= what.size()) {
    std::u16string result(text.size(), u'\0');
    result.resize(replace_in_one_pass(text, what, with, result.data()));
    return result;
  }
  std::vector<size_t> occurrences = find_occurrences(text, what);
  std::u16string result(replaced_length(text.size(), occurrences.size(), what.size(), with.size()), u'\0');
  write_replaced(text, occurrences, what.size(), with, result.data());
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
