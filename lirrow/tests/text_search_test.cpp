#include "lirrow/text_search.h"

#include <gtest/gtest.h>

#include "frame/runtime_error.h"

using namespace std::literals;

namespace {

using lirrow::find_and_replace;
using lirrow::string_count;

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
  // Occurrences placed at every offset around the 16-unit blocks of the scan.
  for (size_t length = 1; length < 70; ++length) {
    for (size_t at = 0; at + 2 <= length; ++at) {
      std::u16string text(length, u'.');
      text[at] = u'a';
      text[at + 1] = u'b';
      ASSERT_EQ(string_count(text, u"ab"), 1) << length << " " << at;
      std::u16string expected = text;
      expected.replace(at, 2, u"Z");
      ASSERT_EQ(find_and_replace(text, u"ab", u"Z"), expected);
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
