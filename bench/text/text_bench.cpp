// FindAndReplace's and StringCount's cutting rule on UTF-16 texts of 10 MB and
// 100 MB (and 1 GB with --1gb), sparse and dense matches, run by the search
// kernel this processor runs best (or the one named by --kernel NAME), each
// beside an anchor doing the least any such method must do with the same bytes:
//   StringCount                  beside memchr over the text (a byte that never occurs);
//   FindAndReplace into a buffer beside memchr + memcpy of the text into a buffer
//                                reused from round to round;
//   FindAndReplace, new result   beside memchr + memcpy into memory newly taken
//                                from the same allocator in each round.
// Times are the thread's CPU time (the kernel's work on page faults included,
// time spent waiting for a core on a busy machine left out); ours and the
// anchor take turns, and each figure is the best of several rounds, with the
// ratio of the medians beside it.
// The growth lines divide our growth from one size to the next by the anchor's
// growth over the same sizes: near 1 means we grow as the anchor does, whatever
// the memory system does at those sizes; a quadratic fault would show as ~10.
#include <algorithm>
#include <ctime>
#include <cstdio>
#include <cstring>
#include <memory>
#include <string>

#include "sample_text.h"
#include <utility>
#include <vector>

#include "lirrow/text_search.h"
#include "lirrow/text_search_kernel.h"

namespace {

double cpu_seconds() {
  timespec now{};
  clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
  return static_cast<double>(now.tv_sec) + static_cast<double>(now.tv_nsec) * 1e-9;
}

double seconds_of(auto&& f) {
  const double start = cpu_seconds();
  f();
  return cpu_seconds() - start;
}

struct Row {
  double ours, anchor;          // best
  double ours_median, anchor_median;
};

double median(std::vector<double> values) {
  std::sort(values.begin(), values.end());
  return values[values.size() / 2];
}

// Ours and the anchor measured in turns, so that a busy moment of the machine
// falls on both alike.
Row measure_pair(auto&& ours, auto&& anchor, int rounds) {
  std::vector<double> our_times, anchor_times;
  for (int i = 0; i < rounds; ++i) {
    anchor_times.push_back(seconds_of(anchor));
    our_times.push_back(seconds_of(ours));
  }
  return {*std::min_element(our_times.begin(), our_times.end()),
          *std::min_element(anchor_times.begin(), anchor_times.end()), median(our_times), median(anchor_times)};
}

volatile size_t g_sink;

struct Case {
  const char* name;
  size_t every;
};

constexpr Case kCases[] = {{"sparse, one match per 32,768 units", 32768}, {"dense, one match per 16 units", 16}};
constexpr const char* kMeasures[] = {"StringCount / memchr", "FindAndReplace into a buffer / memchr+memcpy",
                                     "FindAndReplace, new result / memchr+memcpy, new memory"};

// The three measures of one case at one size.
std::vector<Row> measure(const lirrow::SearchKernel& kernel, const std::u16string& text, int rounds) {
  const size_t bytes = text.size() * 2;
  const std::u16string_view what = u"XYZ", with = u"--";
  auto memchr_text = [&] { g_sink = reinterpret_cast<size_t>(std::memchr(text.data(), 0x7F, bytes)); };
  std::vector<Row> rows;

  rows.push_back(measure_pair([&] { g_sink = static_cast<size_t>(kernel.count(text, what)); },
                              memchr_text, rounds));

  auto reused = std::make_unique_for_overwrite<char16_t[]>(text.size());
  auto reused_anchor = std::make_unique_for_overwrite<char16_t[]>(text.size());
  rows.push_back(measure_pair(
      [&] {
        // The same work as below (the length, then the text), into a buffer already there.
        lirrow::Replacement replacement(text, what, with, kernel);
        g_sink = replacement.length();
        replacement.write(reused.get());
      },
      [&] {
        memchr_text();
        std::memcpy(reused_anchor.get(), text.data(), bytes);
      },
      rounds));
  reused.reset();
  reused_anchor.reset();

  rows.push_back(measure_pair(
      [&] {
        lirrow::Replacement replacement(text, what, with, kernel);
        const size_t length = replacement.length();
        auto result = std::make_unique_for_overwrite<char16_t[]>(length);
        replacement.write(result.get());
        g_sink = result[length / 2];
      },
      [&] {
        memchr_text();
        auto copy = std::make_unique_for_overwrite<char16_t[]>(text.size());
        std::memcpy(copy.get(), text.data(), bytes);
        g_sink = copy[text.size() / 2];
      },
      rounds));
  return rows;
}

}  // namespace

int main(int argc, char** argv) {
  std::vector<size_t> megabytes = {10, 100};
  if (FILE* load = std::fopen("/proc/loadavg", "r")) {
    char line[128] = {};
    if (std::fgets(line, sizeof line, load)) std::printf("load average at the start: %s", line);
    std::fclose(load);
  }
  // The kernel the processor runs best, or the one named by --kernel NAME.
  const lirrow::SearchKernel* kernel = &lirrow::search_kernel();
  for (int a = 1; a < argc; ++a) {
    if (std::strcmp(argv[a], "--1gb") == 0) megabytes.push_back(1000);
    if (std::strcmp(argv[a], "--kernel") == 0 && a + 1 < argc) {
      for (const lirrow::SearchKernel* runnable : lirrow::runnable_search_kernels())
        if (std::strcmp(runnable->name, argv[a + 1]) == 0) kernel = runnable;
    }
  }
  std::printf("search kernel: %s\n", kernel->name);
  // results[size][case][measure]
  std::vector<std::vector<std::vector<Row>>> results;
  for (size_t mb : megabytes) {
    const int rounds = mb <= 10 ? 31 : mb <= 100 ? 7 : 2;
    auto& at_size = results.emplace_back();
    for (const Case& c : kCases) {
      std::u16string text = sample_text<std::u16string>(mb << 20, c.every);
      at_size.push_back(measure(*kernel, text, rounds));
      std::printf("%zu MB, %s (best of %d)\n", mb, c.name, rounds);
      std::printf("  %-56s %9s %9s %7s %7s\n", "ours / anchor", "ours ms", "anchor", "ratio", "median");
      for (size_t m = 0; m < std::size(kMeasures); ++m) {
        const Row& row = at_size.back()[m];
        std::printf("  %-56s %9.2f %9.2f %7.2f %7.2f\n", kMeasures[m], row.ours * 1e3, row.anchor * 1e3,
                    row.ours / row.anchor, row.ours_median / row.anchor_median);
      }
    }
  }
  std::printf("growth (our time's growth / the anchor's over the same sizes)\n");
  for (size_t s = 1; s < megabytes.size(); ++s) {
    for (size_t c = 0; c < std::size(kCases); ++c) {
      for (size_t m = 0; m < std::size(kMeasures); ++m) {
        const Row& small = results[s - 1][c][m];
        const Row& large = results[s][c][m];
        const double ours = large.ours / small.ours, anchor = large.anchor / small.anchor;
        std::printf("  %zu MB -> %zu MB, %-6s %-56s %6.2f (ours %.1fx, anchor %.1fx)\n", megabytes[s - 1], megabytes[s],
                    c == 0 ? "sparse" : "dense", kMeasures[m], ours / anchor, ours, anchor);
      }
    }
  }
}
