// FindAndReplace's and StringCount's cutting rule on 10 MB texts (sparse and
// dense matches) in GB/s of source text, beside a plain memchr scan of the
// same buffer, and the cost at 10 MB beside 100 MB to show the growth is
// linear (both sizes beyond the caches, so the ratio measures the algorithm).
#include <chrono>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "lirrow/text_search.h"

namespace {

using Clock = std::chrono::steady_clock;

template <class F>
double best_seconds(F&& f, int rounds = 7) {
  double best = 1e9;
  for (int i = 0; i < rounds; ++i) {
    auto start = Clock::now();
    f();
    best = std::min(best, std::chrono::duration<double>(Clock::now() - start).count());
  }
  return best;
}

std::u16string make_text(size_t bytes, size_t every) {
  std::u16string text(bytes / 2, u'a');
  for (size_t i = 0; i < text.size(); ++i) text[i] = static_cast<char16_t>(u'a' + i % 23);
  for (size_t i = every; i + 3 < text.size(); i += every) text.replace(i, 3, u"XYZ");
  return text;
}

volatile size_t g_sink;

}  // namespace

int main() {
  std::printf("%-34s %10s %10s %8s\n", "case (10 MB of UTF-16 text)", "ours GB/s", "memchr", "ratio");
  for (auto [name, every] : {std::pair{"sparse (one match per 64 KB)", size_t(32768)},
                             std::pair{"dense (one match per 16 units)", size_t(16)}}) {
    std::u16string text = make_text(10 << 20, every);
    const size_t bytes = text.size() * 2;
    // The anchor: memchr over the same bytes for a byte that never occurs.
    double anchor = best_seconds([&] { g_sink = reinterpret_cast<size_t>(std::memchr(text.data(), 0x7F, bytes)); });
    double count = best_seconds([&] { g_sink = static_cast<size_t>(lirrow::count_occurrences(text, u"XYZ")); });
    double replace = best_seconds([&] { g_sink = lirrow::find_and_replace(text, u"XYZ", u"--").size(); });
    std::printf("%-34s %10.2f %10.2f %8.2f  StringCount\n", name, bytes / count / 1e9, bytes / anchor / 1e9, count / anchor);
    std::printf("%-34s %10.2f %10.2f %8.2f  FindAndReplace\n", name, bytes / replace / 1e9, bytes / anchor / 1e9, replace / anchor);
  }
  std::u16string small = make_text(10 << 20, 16), large = make_text(100 << 20, 16);
  for (auto [name, what] : {std::pair{"StringCount", 0}, std::pair{"FindAndReplace", 1}}) {
    auto run = [&, what = what](const std::u16string& text) {
      return best_seconds([&] {
        g_sink = what ? lirrow::find_and_replace(text, u"XYZ", u"--").size()
                      : static_cast<size_t>(lirrow::count_occurrences(text, u"XYZ"));
      }, 3);
    };
    std::printf("growth: %s dense, 100 MB / 10 MB = %.2fx time for 10x text\n", name, run(large) / run(small));
  }
}
