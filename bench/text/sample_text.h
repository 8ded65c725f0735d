// The text both text benchmarks search: letters a..w, with "XYZ" every
// `every` units, so the search text's first unit occurs only in its
// occurrences.
#pragma once

#include <cstddef>
#include <string>

template <class Text>
Text sample_text(size_t bytes, size_t every) {
  using Unit = typename Text::value_type;
  const Unit marks[] = {Unit('X'), Unit('Y'), Unit('Z')};
  Text text(bytes / 2, Unit('a'));
  for (size_t i = 0; i < text.size(); ++i) text[i] = static_cast<Unit>('a' + i % 23);
  for (size_t i = every; i + 3 < text.size(); i += every) text.replace(i, 3, marks, 3);
  return text;
}
