#include "lirrow/text_search.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <random>

#include "frame/runtime_error.h"
#include "lirrow/text_search_kernel.h"

using namespace std::literals;

namespace {

using lirrow::find_and_replace;
using lirrow::SearchKernel;
using lirrow::string_count;

// The public functions run the kernel this processor runs best; this runs a
// given one. The result is written twice, from the places the first pass
// kept and by searching again, each time into memory of exactly its length
// filled beforehand: every unit must be written, and none past the end. The
// text is read from memory of exactly its length too.
std::u16string replace_by(const SearchKernel& kernel, std::u16string_view any_text, std::u16string_view what,
                          std::u16string_view with) {
  auto exact_text = std::make_unique<char16_t[]>(any_text.size());
  std::copy(any_text.begin(), any_text.end(), exact_text.get());
  const std::u16string_view text(exact_text.get(), any_text.size());
  lirrow::Replacement replacement(text, what, with, kernel);
  const size_t length = replacement.length();
  auto written_by = [&](auto&& write) {
    auto out = std::make_unique<char16_t[]>(length);
    std::fill_n(out.get(), length, u'\xFFFF');
    write(out.get());
    return std::u16string(out.get(), length);
  };
  const std::u16string kept = written_by([&](char16_t* out) { replacement.write(out); });
  const std::u16string searched =
      written_by([&](char16_t* out) { kernel.write(text, what, with, nullptr, 0, out, length); });
  EXPECT_EQ(kept, searched) << kernel.name;
  return kept;
}

TEST(CuttingRule, LeftmostFirstNoOverlap) {
  EXPECT_EQ(find_and_replace(u"aaa", u"aa", u"b"), u"ba");
  EXPECT_EQ(string_count(u"aaa", u"aa"), 1);
  EXPECT_EQ(string_count(u"aaaa", u"aa"), 2);
  EXPECT_EQ(find_and_replace(u"abcabc", u"b", u"x"), u"axcaxc");
}

TEST(CuttingRule, EmptyPiecesAtStartBetweenAndEnd) {
  EXPECT_EQ(string_count(u"abab", u"ab"), 2);
  EXPECT_EQ(find_and_replace(u"abab", u"ab", u""), u"");
  EXPECT_EQ(find_and_replace(u"xx", u"x", u"y"), u"yy");
  EXPECT_EQ(string_count(u"xx", u"x"), 2);
  EXPECT_EQ(find_and_replace(u"-x-", u"x", u"[]"), u"-[]-");
}

TEST(CuttingRule, CaseAndCodeUnitsMatter) {
  EXPECT_EQ(find_and_replace(u"Abc abc", u"abc", u"x"), u"Abc x");
  EXPECT_EQ(string_count(u"Abc abc", u"ABC"), 0);
  // A surrogate pair is two code units; half of one matches on its own.
  EXPECT_EQ(string_count(u"\xD83D\xDE00\xD83D", u"\xD83D"), 2);
  EXPECT_EQ(string_count(u"a\0b\0"sv, u"\0"sv), 2);
}

TEST(CuttingRule, EmptyTexts) {
  EXPECT_EQ(find_and_replace(u"abc", u"", u"x"), u"abc");
  EXPECT_EQ(string_count(u"abc", u""), 0);
  EXPECT_EQ(find_and_replace(u"", u"a", u"x"), u"");
  EXPECT_EQ(string_count(u"", u"a"), -1);
  EXPECT_EQ(string_count(u"", u""), -1);
  EXPECT_EQ(string_count(u"ab", u"abc"), 0);
}

TEST(CuttingRule, InsertedTextIsNotSearchedAgain) {
  EXPECT_EQ(find_and_replace(u"a", u"a", u"aa"), u"aa");
  EXPECT_EQ(find_and_replace(u"aXa", u"a", u"aXa"), u"aXaXaXa");
}

TEST(CuttingRule, MatchesAcrossTheVectorBlockEdges) {
  // Occurrences placed at every offset around the 32-unit blocks of the scan.
  for (const SearchKernel* kernel : lirrow::runnable_search_kernels()) {
    SCOPED_TRACE(kernel->name);
    for (size_t length = 1; length < 70; ++length) {
      for (size_t at = 0; at + 2 <= length; ++at) {
        std::u16string text(length, u'.');
        text[at] = u'a';
        text[at + 1] = u'b';
        ASSERT_EQ(kernel->count(text, u"ab"), 1) << length << " " << at;
        std::u16string expected = text;
        expected.replace(at, 2, u"Z");
        ASSERT_EQ(replace_by(*kernel, text, u"ab", u"Z"), expected);
      }
    }
  }
}

// The rule written the obvious way, one position at a time; `count` receives
// the number of occurrences.
std::u16string plain_replace(std::u16string_view text, std::u16string_view what, std::u16string_view with,
                             std::int64_t& count) {
  count = text.empty() ? -1 : 0;
  if (what.empty()) return std::u16string(text);
  std::u16string out;
  for (size_t i = 0; i < text.size();) {
    if (text.substr(i, what.size()) == what) out += with, i += what.size(), ++count;
    else out += text[i++];
  }
  return out;
}

TEST(CuttingRule, AgreesWithAPlainScanOverManyBlocks) {
  // Texts of up to six 32-unit blocks made of occurrences, parts of them and
  // single units; search texts that overlap themselves, and long ones that
  // reach past a whole block.
  // Replacements that are empty, short and longer than the fixed copies.
  std::mt19937 random(26);
  const std::u16string withs[] = {u"", u"<>", u"-", u"<<<<<<<<<<<<<<<>", u"<<<<<<<<<<<<<<<<<<<<>"};
  for (const SearchKernel* kernel : lirrow::runnable_search_kernels()) {
    SCOPED_TRACE(kernel->name);
    for (std::u16string what : {u"a"s, u"ab"s, u"aa"s, u"aba"s, u"abc"s, u"abcab"s, u"abcdefgh"s, u"abcdefghi"s,
                                u"abcdefghijklm"s, std::u16string(40, u'a') + u"b", std::u16string(70, u'a')}) {
      const std::u16string parts[] = {what, what.substr(0, what.size() / 2), what.substr(1), u"a", u"b", u"c"};
      for (int round = 0; round < 300; ++round) {
        std::u16string text;
        for (size_t length = random() % 190; text.size() < length;) text += parts[random() % std::size(parts)];
        const std::u16string& with = withs[round % std::size(withs)];
        std::int64_t count = 0;
        const std::u16string expected = plain_replace(text, what, with, count);
        ASSERT_EQ(replace_by(*kernel, text, what, with), expected) << round;
        ASSERT_EQ(kernel->count(text, what), std::max<std::int64_t>(count, 0)) << round;
      }
    }
  }
}

TEST(CuttingRule, FewOccurrencesByPlaceManyBySearchingAgain) {
  // Around the number of places a replacement keeps from its first pass.
  for (size_t occurrences : {0u, 1u, 1023u, 1024u, 1025u, 3000u}) {
    std::u16string text;
    for (size_t k = 0; k < occurrences; ++k) text += u"..ab";
    text += u".a";
    std::int64_t count = 0;
    const std::u16string expected = plain_replace(text, u"ab", u"<=>", count);
    ASSERT_EQ(count, static_cast<std::int64_t>(occurrences));
    for (const SearchKernel* kernel : lirrow::runnable_search_kernels())
      ASSERT_EQ(replace_by(*kernel, text, u"ab", u"<=>"), expected) << occurrences << " " << kernel->name;
  }
}

TEST(CuttingRule, CountsBeyondWhatAVectorLaneHolds) {
  // Every unit an occurrence, in texts far longer than a 16-bit lane counts.
  for (size_t length : {(size_t{1} << 19) + 5, size_t{3} << 20}) {
    const std::u16string text(length, u'x');
    for (const SearchKernel* kernel : lirrow::runnable_search_kernels()) {
      EXPECT_EQ(kernel->count(text, u"x"), static_cast<std::int64_t>(length)) << kernel->name;
      EXPECT_EQ(kernel->count(text, u"xx"), static_cast<std::int64_t>(length / 2)) << kernel->name;
    }
  }
}

TEST(StringCountInteger, SixteenBitLimit) {
  std::u16string text(32767, u'x');
  EXPECT_EQ(lirrow::string_count_integer(text, u"x"), 32767);
  text.push_back(u'x');
  try {
    lirrow::string_count_integer(text, u"x");
    FAIL() << "32,768 occurrences must overflow";
  } catch (const frame::RuntimeError& error) {
    EXPECT_EQ(error.number, 6);
  }
}

}  // namespace
