#include "lirrow/codepage.h"

#include <gtest/gtest.h>

#include "frame/testing.h"

#include <string>

#include "frame/runtime_error.h"

namespace {

using lirrow::TextCodePage;

// The markers as code page 1251 reads the bytes 0xAE and 0xEE.
constexpr char16_t kRegistered = u'\u00AE';
constexpr char16_t kCyrillicO = u'\u043E';

TextCodePage code_1251(std::u16string_view text) { return lirrow::text_code(text, kRegistered, kCyrillicO); }

using frame::testing::error_of;

TEST(TextCode, MajorityOfMarkers) {
  struct Case {
    std::u16string text;
    TextCodePage expected;
  };
  const Case cases[] = {
      {u"", TextCodePage::Win},
      {u"Hello", TextCodePage::Win},
      {u"\u043E\u043E\u043E", TextCodePage::Win},
      {u"\u00AE\u00AE\u00AE", TextCodePage::Dos},
      {u"\u00AE", TextCodePage::Dos},
      {u"\u00AE\u043E", TextCodePage::Win},
      {u"\u00AE\u043E\u00AE", TextCodePage::Dos},
      {u"\u041E\u00EE", TextCodePage::Win},  // capital О and 1252's î are not markers
      {std::u16string(u"\0\u00AE", 2), TextCodePage::Dos},
  };
  for (const Case& c : cases) EXPECT_EQ(code_1251(c.text), c.expected) << c.text.size();
}

TEST(TextCode, MarkersOfAnotherCodePage) {
  // Code page 1252 reads 0xAE as the registered sign and 0xEE as î.
  EXPECT_EQ(lirrow::text_code(u"\u00EE\u00AE\u00AE", kRegistered, u'\u00EE'), TextCodePage::Dos);
  EXPECT_EQ(lirrow::text_code(u"\u043E\u00AE", kRegistered, u'\u00EE'), TextCodePage::Dos);
}

TEST(TextCode, SixteenBitLengthLimit) {
  EXPECT_EQ(code_1251(std::u16string(32766, kRegistered)), TextCodePage::Dos);
  EXPECT_EQ(code_1251(std::u16string(32766, u'x')), TextCodePage::Win);
  EXPECT_EQ(error_of([] { code_1251(std::u16string(32767, u'x')); }), frame::kOverflow);
  EXPECT_EQ(error_of([] { code_1251(std::u16string(40000, kCyrillicO)); }), frame::kOverflow);
}

}  // namespace
