// libFuzzer target for the cutting rule of FindAndReplace and StringCount.
// The input is split into three texts (source, search, replacement) at the
// first two 0xFFFF code units; each result is checked against a plain
// left-to-right scan and against the rule's own promises.
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "frame/runtime_error.h"
#include "require.h"
#include "lirrow/text_search.h"
#include "lirrow/text_search_kernel.h"

namespace {


// The rule written the obvious way: at each position, an occurrence if the
// search text starts here, then jump past it.
std::u16string plain_replace(std::u16string_view text, std::u16string_view what, std::u16string_view with, size_t& count) {
  count = 0;
  if (text.empty() || what.empty()) return std::u16string(text);
  std::u16string out;
  size_t i = 0;
  while (i < text.size()) {
    if (text.substr(i, what.size()) == what) {
      out += with;
      i += what.size();
      ++count;
    } else {
      out += text[i++];
    }
  }
  return out;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  std::u16string units(size / 2, u'\0');
  if (!units.empty()) std::memcpy(units.data(), data, units.size() * 2);
  std::u16string_view all(units);
  const size_t first = all.find(u'\xFFFF');
  const size_t second = first == all.npos ? all.npos : all.find(u'\xFFFF', first + 1);
  const std::u16string_view text = all.substr(0, first);
  const std::u16string_view what = first == all.npos ? std::u16string_view() : all.substr(first + 1, second - first - 1);
  const std::u16string_view with = second == all.npos ? std::u16string_view() : all.substr(second + 1);

  const auto positions = lirrow::find_occurrences(text, what);
  for (size_t i = 0; i < positions.size(); ++i) {
    require(text.substr(positions[i], what.size()) == what);
    if (i > 0) require(positions[i] >= positions[i - 1] + what.size());  // left to right, no overlaps
  }
  require(lirrow::count_occurrences(text, what) == static_cast<int64_t>(positions.size()));

  size_t plain_count = 0;
  const std::u16string expected = plain_replace(text, what, with, plain_count);
  require(positions.size() == plain_count);
  const std::u16string replaced = lirrow::find_and_replace(text, what, with);
  require(replaced == expected);
  require(replaced.size() == lirrow::replaced_length(text.size(), positions.size(), what.size(), with.size()));
  require(lirrow::find_and_replace(text, what, what) == std::u16string(text));
  // Every kernel the processor runs, not only the one chosen for it.
  for (const lirrow::SearchKernel* kernel : lirrow::runnable_search_kernels()) {
    require(kernel->count(text, what) == static_cast<int64_t>(plain_count));
    lirrow::Replacement replacement(text, what, with, *kernel);
    std::u16string out(replacement.length(), u'\xFFFF');
    replacement.write(out.data());
    require(out == expected);
  }

  const int64_t count = lirrow::string_count(text, what);
  require(count == (text.empty() ? -1 : what.empty() ? 0 : static_cast<int64_t>(plain_count)));
  try {
    require(lirrow::string_count_integer(text, what) == count);
    require(count <= 32767);
  } catch (const frame::RuntimeError& error) {
    require(error.number == 6 && count > 32767);
  }
  return 0;
}
