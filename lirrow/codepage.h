// TextCode's guess whether Cyrillic text read through the ANSI code page was
// really in the DOS code page: it counts the characters that the bytes 0xAE
// and 0xEE (the letter o in the DOS and in the Windows code page) stand for,
// and calls the text DOS when the first outnumbers the second.
#pragma once

#include <cstdint>
#include <string_view>

namespace lirrow {

// The type library's CodeText values.
enum class TextCodePage : std::int32_t { Win = 1, Dos = 2 };

// `dos_marker` and `win_marker` are the ANSI readings of the bytes 0xAE and
// 0xEE. Counters and positions are 16-bit: a text of 32,767 code units or more
// is error 6.
TextCodePage text_code(std::u16string_view text, char16_t dos_marker, char16_t win_marker);

}  // namespace lirrow
