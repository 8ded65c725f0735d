#include "corvane/folder_walk.h"

#include <gtest/gtest.h>

#include <map>
#include <vector>

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

// A tree in memory whose listings report links however a test says: as
// links, or as plain directories the way a listing may misreport them.
struct MemoryTree {
  struct Entry {
    std::string name;
    uint32_t attributes;  // as the listing reports it
    double size = 0;      // files
    std::string folder;   // directories and links: the folder it leads to
    uint32_t tag = 0;     // as read from the entry itself
  };
  struct Folder {
    std::optional<uint64_t> index;  // none: cannot be identified
    std::vector<Entry> entries;
  };
  struct Path {
    std::string text;
    std::string folder;
    uint32_t tag = 0;
  };
  std::map<std::string, Folder> folders;
  int pumped = 0;

  std::optional<DirectoryIdentity> identify(const Path& path) {
    auto index = folders.at(path.folder).index;
    if (!index) return std::nullopt;
    return DirectoryIdentity{7, *index};
  }
  template <class Visit>
  bool list(const Path& path, Visit&& visit) {
    if (!within_path_limit(path.text.size() + 4)) return false;
    for (const std::string_view dot : {".", ".."}) visit(ListedEntry{0x10, 0, 0, dot});
    for (const Entry& e : folders.at(path.folder).entries) {
      const auto size = static_cast<uint64_t>(e.size);
      visit(ListedEntry{e.attributes, static_cast<uint32_t>(size >> 32), static_cast<uint32_t>(size), e.name});
    }
    return true;
  }
  uint32_t reparse_tag(const Path& path) { return path.tag; }
  Path child(const Path& path, std::string_view name) {
    for (const Entry& e : folders.at(path.folder).entries)
      if (e.name == name) return {path.text + "\\" + e.name, e.folder, e.tag};
    return {};
  }
  void after_entry() { ++pumped; }

  double walk(const std::string& folder) { return walk_tree(*this, Path{"C:\\" + folder, folder}); }
};

MemoryTree::Entry file(const char* name, double size) { return {name, 0x20, size, "", 0}; }
MemoryTree::Entry folder(const char* name, const char* to, uint32_t attributes = 0x10, uint32_t tag = 0) {
  return {name, attributes, 0, to, tag};
}

TEST(FolderWalk, NoDirectoryIsEnteredTwiceWhateverTheListingSays) {
  const double five_gib = 5368709120.0, seven_gib = 7516192768.0;
  struct Case {
    const char* what;
    std::map<std::string, MemoryTree::Folder> folders;
    double total;
  };
  const Case cases[] = {
      {"link back to an ancestor, listed as a plain directory",
       {{"top", {1, {file("t", 1), folder("a", "a")}}}, {"a", {2, {file("f", 2), folder("back", "top")}}}},
       3},
      {"a link to a sibling before and after it, listed as plain directories",
       {{"top", {1, {folder("early", "sib"), folder("sib", "sib"), folder("late", "sib")}}},
        {"sib", {2, {file("f", 10)}}}},
       10},
      {"a chain of links listed as plain directories, back to the top",
       {{"top", {1, {folder("a", "a"), file("t", 1)}}},
        {"a", {2, {file("f", 2), folder("to b", "b")}}},
        {"b", {3, {file("f", 4), folder("to c", "c")}}},
        {"c", {4, {file("f", 8), folder("to top", "top"), folder("to a", "a")}}}},
       15},
      {"links reported as links are not followed; other reparse points are",
       {{"top", {1, {folder("sym", "a", 0x410, 0xA000000C), folder("junction", "a", 0x410, 0xA0000003),
                     folder("untagged", "a", 0x410, 0), folder("cloud", "a", 0x410, 0x9000001A)}}},
        {"a", {2, {file("f", 2)}}}},
       2},
      {"a folder that cannot be identified does not hide the cycle through it",
       {{"top", {1, {file("t", 1), folder("a", "a")}}}, {"a", {std::nullopt, {folder("back", "top")}}}},
       1},
      {"sizes above 4 GiB, once each",
       {{"top", {1, {file("five", five_gib), folder("a", "a")}}},
        {"a", {2, {file("seven", seven_gib), file("odd", 4294967297.0), folder("up", "top")}}}},
       five_gib + seven_gib + 4294967297.0},
  };
  for (const Case& c : cases) {
    MemoryTree tree{c.folders};
    EXPECT_EQ(tree.walk("top"), c.total) << c.what;
  }
}

TEST(FolderWalk, PathLimitEndsACycleOfFoldersThatCannotBeIdentified) {
  MemoryTree tree{{{"top", {std::nullopt, {file("t", 1), folder("a", "a")}}},
                   {"a", {std::nullopt, {file("f", 2), folder("back", "top")}}}}};
  // "C:\top" (6 characters) and "C:\top\a" (8) grow by "\back\a" (7) per
  // round; 36 rounds of 3 bytes fit before a pattern passes 259 characters.
  EXPECT_EQ(tree.walk("top"), 36 * 3);
}

TEST(FolderWalk, PendingMessagesAfterEveryEntry) {
  MemoryTree tree{{{"top", {1, {file("t", 1), folder("a", "a"), folder("back", "top")}}},
                   {"a", {2, {file("f", 2)}}}}};
  EXPECT_EQ(tree.walk("top"), 3);
  EXPECT_EQ(tree.pumped, 5 + 3);  // both listings with "." and ".."; the refused "back" lists nothing
}

}  // namespace
