// FindAndReplace and StringCount: thin layers over the cutting rule.
#include "lirrow_object.h"
#include "text_search.h"

namespace lirrow {

using frame::text_of;
using frame::u16;

STDMETHODIMP LirrowObject::FindAndReplace(BSTR* SourceText, BSTR* ReplaceThis, BSTR* WithThis, BSTR* result) {
  return run(result, [&] {
    std::u16string_view text = u16(text_of(SourceText));
    std::u16string_view what = u16(text_of(ReplaceThis));
    std::u16string_view with = u16(text_of(WithThis));
    if (with.size() <= what.size()) {
      // The result is no longer than the source: one pass straight into a
      // buffer of the source's length, then the exact string.
      auto buffer = frame::Bstr::of_length(text.size());
      size_t length = replace_in_one_pass(text, what, with, reinterpret_cast<char16_t*>(buffer.get()));
      if (length == text.size()) return buffer;
      return frame::Bstr(std::wstring_view(buffer.get(), length));
    }
    std::vector<size_t> occurrences = find_occurrences(text, what);
    // Assembled once, straight into the result string.
    auto joined = frame::Bstr::of_length(replaced_length(text.size(), occurrences.size(), what.size(), with.size()));
    write_replaced(text, occurrences, what.size(), with, reinterpret_cast<char16_t*>(joined.get()));
    return joined;
  });
}

STDMETHODIMP LirrowObject::StringCount(BSTR* SourceText, BSTR* FindExpression, short* result) {
  return run(result, [&] { return string_count_integer(u16(text_of(SourceText)), u16(text_of(FindExpression))); });
}

}  // namespace lirrow
