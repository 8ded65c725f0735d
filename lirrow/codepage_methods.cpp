// TextCode and ANSI2OEM: the code page guess (codepage.h) and the platform's
// ANSI-to-OEM conversion, both through the system ANSI code page.
#include <algorithm>

#include "codepage.h"
#include "frame/ansi_text.h"
#include "lirrow_object.h"

namespace lirrow {

STDMETHODIMP LirrowObject::TextCode(BSTR* SourceText, CodeText* result) {
  return run(result, [&] {
    // The markers follow the ANSI code page in force at each call.
    auto dos_marker = static_cast<char16_t>(frame::ansi_char(0xAE));
    auto win_marker = static_cast<char16_t>(frame::ansi_char(0xEE));
    return static_cast<CodeText>(text_code(frame::u16(frame::text_of(SourceText)), dos_marker, win_marker));
  });
}

STDMETHODIMP LirrowObject::ANSI2OEM(BSTR SourceText, BSTR* result) {
  return run(result, [&] {
    std::wstring_view text = frame::text_of(SourceText);
    frame::AnsiText source(text);
    // The result is the whole buffer: one byte per code unit of the text, so
    // it keeps the text's length in a single-byte code page, and never less
    // than the source's ANSI form plus its NUL, so that a double-byte code
    // page cannot overflow it.
    size_t length = std::max(text.size(), source.size());
    auto converted = frame::AnsiText::buffer(length + 1, '\0');
    // The platform converts up to the source's first NUL; the rest of the
    // buffer stays NUL. Its answer is not needed.
    CharToOemA(source.c_str(), converted.data());
    return converted.wide(length);
  });
}

}  // namespace lirrow
