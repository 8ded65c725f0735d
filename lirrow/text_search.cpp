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

// Whether the units between the first and the last of `what` match at `at`
// (the first and the last are already known to).
inline bool middle_matches(const char16_t* at, std::u16string_view what) {
  const size_t size = what.size();
  if (size <= 2) return true;
  if (size <= 10) {
    for (size_t k = 1; k + 1 < size; ++k)
      if (at[k] != what[k]) return false;
    return true;
  }
  return std::memcmp(at + 1, what.data() + 1, (size - 2) * sizeof(char16_t)) == 0;
}

#if defined(__SSE2__)
inline __m128i load_units(const char16_t* p) { return _mm_loadu_si128(reinterpret_cast<const __m128i*>(p)); }

// Which of the 32 units from `p` hold `unit`, as four compares.
struct Block {
  __m128i part[4];
  Block(const char16_t* p, __m128i unit) {
    for (int k = 0; k < 4; ++k) part[k] = _mm_cmpeq_epi16(load_units(p + 8 * k), unit);
  }
  Block& operator&=(const Block& other) {
    for (int k = 0; k < 4; ++k) part[k] = _mm_and_si128(part[k], other.part[k]);
    return *this;
  }
  bool any() const {
    return _mm_movemask_epi8(_mm_or_si128(_mm_or_si128(part[0], part[1]), _mm_or_si128(part[2], part[3]))) != 0;
  }
  // One bit per unit (the words' all-ones saturate to bytes).
  unsigned mask() const {
    return static_cast<unsigned>(_mm_movemask_epi8(_mm_packs_epi16(part[0], part[1]))) |
           (static_cast<unsigned>(_mm_movemask_epi8(_mm_packs_epi16(part[2], part[3]))) << 16);
  }
};
#endif

// Calls on_match(position) for each occurrence, left to right.
//
// Thirty-two start positions at a time are tested on the search text's first
// unit, and only where one passes, on its last unit too, so a text without
// candidates is read at memory speed; a candidate passing both has its middle
// compared. The blocks follow one another at a fixed step whatever was found
// in them, so the next block's loads never wait for this one's answer; a
// candidate that starts inside the previous occurrence is skipped, so
// occurrences never overlap.
template <class OnMatch>
void scan(std::u16string_view text, std::u16string_view what, OnMatch&& on_match) {
  if (text.empty() || what.empty() || what.size() > text.size()) return;
  const char16_t* data = text.data();
  const size_t size = what.size();
  const size_t starts = text.size() - size + 1;  // positions where an occurrence can begin
  const char16_t first = what.front(), last = what.back();
  size_t i = 0;
  size_t resume = 0;  // where the next occurrence may begin
#if defined(__SSE2__)
  const __m128i wanted_first = _mm_set1_epi16(static_cast<short>(first));
  const __m128i wanted_last = _mm_set1_epi16(static_cast<short>(last));
  for (; i + 32 <= starts; i += 32) {
    // A long occurrence may reach past this block: start after it.
    if (resume > i) {
      i = resume;
      if (i + 32 > starts) break;
    }
    Block candidates(data + i, wanted_first);
    if (!candidates.any()) continue;
    candidates &= Block(data + i + size - 1, wanted_last);
    unsigned mask = candidates.mask();
    while (mask) {
      const size_t at = i + static_cast<size_t>(__builtin_ctz(mask));
      mask &= mask - 1;
      if (at >= resume && middle_matches(data + at, what)) {
        on_match(at);
        resume = at + size;
      }
    }
  }
#endif
  for (i = std::max(i, resume); i < starts;) {
    if (data[i] == first && data[i + size - 1] == last && middle_matches(data + i, what)) {
      on_match(i);
      i += size;
    } else {
      ++i;
    }
  }
}

// Copies `count` units and returns the end. Short runs (the replacement, the
// pieces between dense occurrences) are copied as two overlapping blocks of a
// fixed size, without a call; long ones by the library's copy.
inline char16_t* copy_units(char16_t* out, const char16_t* from, size_t count) {
  if (count >= 16) {
    std::memcpy(out, from, count * sizeof(char16_t));
  } else if (count >= 8) {
    std::memcpy(out, from, 16);
    std::memcpy(out + count - 8, from + count - 8, 16);
  } else if (count >= 4) {
    std::memcpy(out, from, 8);
    std::memcpy(out + count - 4, from + count - 4, 8);
  } else if (count >= 2) {
    std::memcpy(out, from, 4);
    std::memcpy(out + count - 2, from + count - 2, 4);
  } else if (count == 1) {
    *out = *from;
  }
  return out + count;
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
  // Refuses sizes that do not fit in memory at all.
  size_t kept = text_length - occurrences * what_length;
  if (with_length != 0 && occurrences > (std::numeric_limits<size_t>::max() / 4 - kept) / with_length)
    throw std::bad_alloc();
  return kept + occurrences * with_length;
}

size_t replaced_length(std::u16string_view text, std::u16string_view what, std::u16string_view with) {
  // A replacement of the same length leaves the length as it is: no count needed.
  if (with.size() == what.size()) return text.size();
  return replaced_length(text.size(), static_cast<size_t>(count_occurrences(text, what)), what.size(), with.size());
}

void write_replaced(std::u16string_view text, std::u16string_view what, std::u16string_view with, char16_t* out) {
  size_t piece_start = 0;
  scan(text, what, [&](size_t position) {
    out = copy_units(out, text.data() + piece_start, position - piece_start);
    out = copy_units(out, with.data(), with.size());
    piece_start = position + what.size();
  });
  copy_units(out, text.data() + piece_start, text.size() - piece_start);
}

Replacement::Replacement(std::u16string_view text, std::u16string_view what, std::u16string_view with)
    : text_(text), what_(what), with_(with) {
  // A replacement of the same length leaves the length as it is: the one
  // search is the writing one.
  if (with.size() == what.size()) {
    length_ = text.size();
    return;
  }
  scan(text, what, [&](size_t position) {
    if (found_ < kPlacesKept) places_[found_] = position;
    ++found_;
  });
  places_kept_ = found_ <= kPlacesKept;
  length_ = replaced_length(text.size(), found_, what.size(), with.size());
}

void Replacement::write(char16_t* out) const {
  if (!places_kept_) return write_replaced(text_, what_, with_, out);
  size_t piece_start = 0;
  for (size_t k = 0; k < found_; ++k) {
    out = copy_units(out, text_.data() + piece_start, places_[k] - piece_start);
    out = copy_units(out, with_.data(), with_.size());
    piece_start = places_[k] + what_.size();
  }
  copy_units(out, text_.data() + piece_start, text_.size() - piece_start);
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
