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
    // The exact length first, then the result written once into a string of
    // that length: no second copy, no longer buffer cut down afterwards.
    Replacement replacement(text, what, with);
    auto joined = frame::Bstr::of_length(replacement.length());
    replacement.write(reinterpret_cast<char16_t*>(joined.get()));
    return joined;
  });
}

STDMETHODIMP LirrowObject::StringCount(BSTR* SourceText, BSTR* FindExpression, short* result) {
  return run(result, [&] { return string_count_integer(u16(text_of(SourceText)), u16(text_of(FindExpression))); });
}

}  // namespace lirrow
