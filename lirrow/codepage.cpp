#include "codepage.h"

#include "frame/numeric.h"

namespace lirrow {

TextCodePage text_code(std::u16string_view text, char16_t dos_marker, char16_t win_marker) {
  // The length, both counters and the position are 16-bit. The position is
  // advanced once more after the last code unit, so 32,767 code units already
  // overflow it; neither counter can get that far in a shorter text.
  if (text.size() >= 32767) frame::raise(frame::kOverflow);
  std::int16_t dos_count = 0;
  std::int16_t win_count = 0;
  for (char16_t unit : text) {
    if (unit == dos_marker) dos_count = frame::increment_integer(dos_count);
    if (unit == win_marker) win_count = frame::increment_integer(win_count);
  }
  return dos_count > win_count ? TextCodePage::Dos : TextCodePage::Win;
}

}  // namespace lirrow
