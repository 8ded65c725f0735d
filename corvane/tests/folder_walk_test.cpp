#include "corvane/folder_walk.h"

#include <gtest/gtest.h>

namespace {

using namespace corvane;

TEST(FolderWalk, AddBackslashLooksAtTheLastCharacterOnly) {
  const std::pair<std::u16string, std::u16string> cases[] = {
      {u"", u"\\"},           {u"C:", u"C:\\"},     {u"C:\\", u"C:\\"},
      {u"a\\b", u"a\\b\\"},   {u"a/", u"a/\\"},     {u"\\\\", u"\\\\"},
      {u"dir\\\\", u"dir\\\\"}, {u"\\x", u"\\x\\"},
  };
  for (const auto& [text, expected] : cases) EXPECT_EQ(add_backslash(text), expected);
}

TEST(FolderWalk, SizeFromBothHalves) {
  EXPECT_EQ(size_from_halves(0, 1536), 1536.0);
  EXPECT_EQ(size_from_halves(1, 1073741824), 5368709120.0);
  EXPECT_EQ(size_from_halves(0, 0xFFFFFFFFu), 4294967295.0);
  EXPECT_EQ(size_from_halves(0xFFFFFFFFu, 0xFFFFFFFFu), 18446744073709551615.0);
}

TEST(FolderWalk, UnitsDivideBy1024PerStep) {
  EXPECT_EQ(in_unit(1536, SizeUnit::Bytes), 1536);
  EXPECT_EQ(in_unit(1536, SizeUnit::KBytes), 1.5);
  EXPECT_EQ(in_unit(3145728, SizeUnit::MBytes), 3);
  EXPECT_EQ(in_unit(5368709120.0, SizeUnit::Gbytes), 5);
  EXPECT_EQ(in_unit(1, SizeUnit::Gbytes), 1.0 / 1073741824);
  for (long mode : {1, 2, 3, 4}) EXPECT_TRUE(is_size_unit(mode));
  for (long mode : {0, 5, -1, 1000}) EXPECT_FALSE(is_size_unit(mode));
}

TEST(FolderWalk, PathLimitOfTheEightBitEntryPoints) {
  EXPECT_TRUE(within_path_limit(259));
  EXPECT_FALSE(within_path_limit(260));
}

TEST(FolderWalk, EntriesAndLinks) {
  struct Case {
    uint32_t attributes;
    uint32_t tag;
    const char* name;
    EntryKind kind;
  };
  const Case cases[] = {
      {0x10, 0, ".", EntryKind::Skip},
      {0x10, 0, "..", EntryKind::Skip},
      {0x10, 0, "...", EntryKind::Directory},
      {0x16, 0, "hidden system", EntryKind::Directory},
      {0x20, 0, ".", EntryKind::File},  // only directories named "." are skipped
      {0x06, 0, "hidden system file", EntryKind::File},
      {0x420, 0xA000000C, "file link", EntryKind::File},  // counts with its listed size
      {0x410, 0, "link without a tag", EntryKind::Link},
      {0x410, 0xA000000C, "symbolic link", EntryKind::Link},
      {0x410, 0xA0000003, "junction", EntryKind::Link},
      {0x410, 0x9000001A, "cloud placeholder", EntryKind::Directory},  // not a name surrogate
      {0x10, 0xA000000C, "tag without the attribute", EntryKind::Directory},
  };
  for (const Case& c : cases) EXPECT_EQ(classify_entry(c.attributes, c.tag, c.name), c.kind) << c.name;
}

}  // namespace
