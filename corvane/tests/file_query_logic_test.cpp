#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <utility>
#include <vector>

#include "corvane/content_compare.h"
#include "corvane/file_attributes.h"
#include "corvane/file_errors.h"
#include "corvane/recycle_verdict.h"
#include "corvane/version_lookup.h"

namespace {

using namespace corvane;

// A stream of zero bytes except at the positions a test changes to 0xA5; it
// counts its reads. It writes only the changed bytes (and clears them again
// on the next read), so gibibytes stream quickly.
struct Stream {
  explicit Stream(uint64_t length, std::vector<uint64_t> changed = {}) : length(length), changed(std::move(changed)) {}
  uint64_t length;
  std::vector<uint64_t> changed;
  uint64_t position = 0;
  uint64_t reads = 0;
  std::vector<unsigned char*> dirty;

  size_t read(unsigned char* buffer, size_t count) {
    ++reads;
    for (unsigned char* byte : dirty) *byte = 0;
    dirty.clear();
    size_t n = static_cast<size_t>(std::min<uint64_t>(count, length - position));
    for (uint64_t at : changed)
      if (at >= position && at < position + n) {
        buffer[at - position] = 0xA5;
        dirty.push_back(buffer + (at - position));
      }
    position += n;
    return n;
  }
  BlockReader reader() {
    return [this](unsigned char* buffer, size_t count) { return read(buffer, count); };
  }
};

TEST(ContentCompare, BlocksAndRemainders) {
  struct Case {
    uint64_t length;
    uint64_t changed_at;  // 0 = nothing changed; else the 1-based position changed
    bool same;
  };
  const Case cases[] = {
      {0, 0, true},           {1, 0, true},          {1, 1, false},
      {25000, 0, true},       {25000, 20001, false},  {25000, 25000, false},
      {10000, 10000, false},  {10001, 10001, false},  {30000, 1, false},
  };
  for (size_t block : {size_t{10000}, size_t{4096}, kCompareBlock}) {
    for (const Case& c : cases) {
      Stream a(c.length);
      Stream b(c.length, c.changed_at ? std::vector<uint64_t>{c.changed_at - 1} : std::vector<uint64_t>{});
      EXPECT_EQ(same_content(c.length, a.reader(), b.reader(), block), c.same)
          << "length " << c.length << " changed at " << c.changed_at << " block " << block;
    }
  }
}

TEST(ContentCompare, BeyondTwoGibibytes) {
  const uint64_t length = (5ULL << 30) + 12345;
  Stream a(length, {100, (2ULL << 30) + 1}), b(length, {100, (2ULL << 30) + 1});
  EXPECT_TRUE(same_content(length, a.reader(), b.reader()));
  EXPECT_EQ(a.position, length);

  // A difference past 4 GiB: positions are 64-bit all the way.
  Stream c(length), d(length, {(4ULL << 30) + 77});
  EXPECT_FALSE(same_content(length, c.reader(), d.reader()));
}

TEST(ContentCompare, AnEarlyDifferenceEndsTheReading) {
  const uint64_t length = 1ULL << 30;
  Stream a(length), b(length, {0});
  EXPECT_FALSE(same_content(length, a.reader(), b.reader()));
  EXPECT_EQ(a.reads, 1u);
  EXPECT_EQ(b.reads, 1u);
}

TEST(ContentCompare, AStreamThatEndsEarlyIsDifferent) {
  Stream a(30000), shorter(29999);
  EXPECT_FALSE(same_content(30000, a.reader(), shorter.reader(), 10000));
}

TEST(VersionLookup, StringTablePaths) {
  EXPECT_EQ(string_table_path(0x04B00409), "\\StringFileInfo\\040904B0");
  EXPECT_EQ(string_table_path(0x04E40409), "\\StringFileInfo\\040904E4");
  EXPECT_EQ(string_table_path(0x00000000), "\\StringFileInfo\\00000000");
  EXPECT_EQ(string_table_path(0x04E30419), "\\StringFileInfo\\041904E3");
  EXPECT_EQ(string_table_path(0xFFFF000A), "\\StringFileInfo\\000AFFFF");
  EXPECT_EQ(translation_entries(0), 0u);
  EXPECT_EQ(translation_entries(2), 0u);
  EXPECT_EQ(translation_entries(8), 2u);
  EXPECT_EQ(translation_entries(10), 2u);
}

TEST(FileErrors, TheHostsNumbers) {
  const std::pair<uint32_t, int> cases[] = {
      {2, 53}, {3, 76}, {5, 75}, {32, 70}, {33, 70}, {4, 67}, {123, 52}, {112, 61}, {21, 71}, {87, 75}, {0xFFFF, 75},
  };
  for (auto [platform, runtime] : cases) EXPECT_EQ(runtime_error_for(platform), runtime) << platform;
}

// The recycle verdict over what was seen before and after and what the shell
// reported: an item still in its place is never True, whatever was reported.
TEST(RecycleVerdict, TrueOnlyWhenTheItemLeftForTheBin) {
  using O = RecycleOutcome;
  struct Case { bool before, after, refused, for_good; O outcome; };
  const Case cases[] = {
      {false, false, false, false, O::absent},        {false, true, false, false, O::absent},
      {false, false, true, true, O::absent},          {true, false, false, false, O::recycled},
      {true, true, false, false, O::left_in_place},   {true, true, true, false, O::refused},
      {true, true, false, true, O::left_in_place},    {true, true, true, true, O::refused},
      {true, false, false, true, O::destroyed},       {true, false, true, true, O::destroyed},
      {true, false, true, false, O::recycled},
  };
  for (const Case& c : cases) {
    O outcome = recycle_outcome({c.before, c.after, c.refused, c.for_good});
    EXPECT_EQ(outcome, c.outcome) << c.before << c.after << c.refused << c.for_good;
    EXPECT_EQ(recycle_answer(outcome), c.outcome == O::absent || c.outcome == O::recycled);
  }
}

// A request of 0 would leave a read-only file read-only; Wine always adds the
// archive bit, so only this table reaches the empty remainder.
TEST(FileAttributes, NothingLeftMeansNormal) {
  // attributes, to set, without read-only (0x800 compressed and 0x400 reparse point are not settable)
  const uint32_t cases[][3] = {{0x1, 0x1, 0x80},     {0x21, 0x21, 0x20},       {0x80, 0x80, 0x80}, {0x0, 0x80, 0x80},
                               {0x7, 0x7, 0x6},      {0x2801, 0x2001, 0x2000}, {0x401, 0x1, 0x80}, {0x1100, 0x1100, 0x1100}};
  for (auto [attributes, to_set, without_read_only] : cases) {
    EXPECT_EQ(attributes_to_set(attributes), to_set) << attributes;
    EXPECT_EQ(attributes_without_read_only(attributes), without_read_only) << attributes;
  }
}

}  // namespace
