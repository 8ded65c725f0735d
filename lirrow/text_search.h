// The one rule for cutting a text at the occurrences of a search text, shared
// by FindAndReplace and StringCount so they always agree. Code units are
// compared one by one: no case folding, no locale rules. Occurrences never
// overlap and the leftmost one wins; text brought in by a replacement is never
// searched again.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace lirrow {

// The search kernel this processor runs best (text_search_kernel.h).
struct SearchKernel;
const SearchKernel& search_kernel();

// Start positions of the occurrences of `what` in `text`, left to right.
// Empty when either text is empty.
std::vector<size_t> find_occurrences(std::u16string_view text, std::u16string_view what);

// Number of occurrences, counted with the same rule.
std::int64_t count_occurrences(std::u16string_view text, std::u16string_view what);

// text - k*what + k*with, or std::bad_alloc for a length no memory can hold.
size_t replaced_length(size_t text_length, size_t occurrences, size_t what_length, size_t with_length);

// A replacement worked out before it is written, so that the result is
// allocated once at its exact length and written once: its length and, where
// the text holds few occurrences, their places, so that writing copies the
// pieces without searching the text again. Many occurrences are counted, not
// stored, and searched for again while writing: a list of them would be
// fresh memory, whose first touch costs more than a second scan of the text.
class Replacement {
 public:
  Replacement(std::u16string_view text, std::u16string_view what, std::u16string_view with,
              const SearchKernel& kernel = search_kernel());
  size_t length() const { return length_; }
  // Writes the result to `out`, which holds length() code units; every one
  // of them is written.
  void write(char16_t* out) const;

 private:
  static constexpr size_t kPlacesKept = 1024;  // 8 KB on the caller's stack
  const SearchKernel& kernel_;
  std::u16string_view text_, what_, with_;
  size_t length_ = 0;
  size_t found_ = 0;         // occurrences seen by the first pass
  bool places_kept_ = false;  // all of them are in places_
  std::array<size_t, kPlacesKept> places_;
};

// Convenience for tests and callers that want a std::u16string.
std::u16string find_and_replace(std::u16string_view text, std::u16string_view what, std::u16string_view with);

// StringCount's answer before its conversion to Integer: the number of pieces
// minus one (-1 for an empty text, 0 for an empty search text).
std::int64_t string_count(std::u16string_view text, std::u16string_view what);

// StringCount's result: string_count as a 16-bit Integer, error 6 above 32,767.
std::int16_t string_count_integer(std::u16string_view text, std::u16string_view what);

}  // namespace lirrow
