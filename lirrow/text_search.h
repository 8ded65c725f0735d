// The one rule for cutting a text at the occurrences of a search text, shared
// by FindAndReplace and StringCount so they always agree. Code units are
// compared one by one: no case folding, no locale rules. Occurrences never
// overlap and the leftmost one wins; text brought in by a replacement is never
// searched again.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace lirrow {

// Start positions of the occurrences of `what` in `text`, left to right.
// Empty when either text is empty.
std::vector<size_t> find_occurrences(std::u16string_view text, std::u16string_view what);

// Number of occurrences, counted with the same rule.
std::int64_t count_occurrences(std::u16string_view text, std::u16string_view what);

// The pieces between occurrences joined with `with`: the replaced text.
// `out` must hold replaced_length(...) code units.
size_t replaced_length(size_t text_length, size_t occurrences, size_t what_length, size_t with_length);
void write_replaced(std::u16string_view text, const std::vector<size_t>& occurrences, size_t what_length,
                    std::u16string_view with, char16_t* out);

// One pass with no position list, for a replacement not longer than the
// search text: the result then fits in text.size() code units. Writes it to
// `out` and returns its length.
size_t replace_in_one_pass(std::u16string_view text, std::u16string_view what, std::u16string_view with, char16_t* out);

// Convenience for tests and callers that want a std::u16string.
std::u16string find_and_replace(std::u16string_view text, std::u16string_view what, std::u16string_view with);

// StringCount's answer before its conversion to Integer: the number of pieces
// minus one (-1 for an empty text, 0 for an empty search text).
std::int64_t string_count(std::u16string_view text, std::u16string_view what);

// StringCount's result: string_count as a 16-bit Integer, error 6 above 32,767.
std::int16_t string_count_integer(std::u16string_view text, std::u16string_view what);

}  // namespace lirrow
