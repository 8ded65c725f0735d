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

// A file system in memory whose listings report links however a test says:
// as links, or as plain directories the way a listing may misreport them.
// Folders are known by their real paths.
struct MemoryTree {
  struct Entry {
    std::string name;
    uint32_t attributes;  // as the listing reports it
    double size = 0;      // files
    std::string target;   // links: the real path of the folder it leads to
    uint32_t tag = 0;     // as read from the link itself
  };
  struct Folder {
    std::vector<Entry> entries;
    bool locatable = true;
  };
  std::map<std::string, Folder> folders;
  int pumped = 0;

  const Entry* entry(const std::string& real_folder, std::string_view name) {
    if (!folders.count(real_folder)) return nullptr;
    for (const Entry& e : folders[real_folder].entries)
      if (e.name == name) return &e;
    return nullptr;
  }
  // The real path of a path: every link on it resolved.
  std::string resolve(const std::string& path) {
    std::string real = "C:";
    for (size_t at = 3, end = 0; at <= path.size(); at = end + 1) {
      end = std::min(path.find('\\', at), path.size());
      const std::string name = path.substr(at, end - at);
      const Entry* e = entry(real, name);
      real = e && !e->target.empty() ? e->target : real + "\\" + name;
    }
    return real;
  }

  std::optional<std::string> locate(const std::string& path) {
    const std::string real = resolve(path);
    if (!folders.at(real).locatable) return std::nullopt;
    return real;
  }
  bool same_place(const std::string& a, const std::string& b) { return a == b; }
  template <class Visit>
  bool list(const std::string& path, Visit&& visit) {
    if (!within_path_limit(path.size() + 4)) return false;
    for (const std::string_view dot : {".", ".."}) visit(ListedEntry{0x10, 0, 0, dot});
    for (const Entry& e : folders.at(resolve(path)).entries) {
      const auto size = static_cast<uint64_t>(e.size);
      visit(ListedEntry{e.attributes, static_cast<uint32_t>(size >> 32), static_cast<uint32_t>(size), e.name});
    }
    return true;
  }
  uint32_t reparse_tag(const std::string& path) {
    const size_t cut = path.rfind('\\');
    return entry(resolve(path.substr(0, cut)), path.substr(cut + 1))->tag;
  }
  std::string child(const std::string& path, std::string_view name) { return path + "\\" + std::string(name); }
  void after_entry() { ++pumped; }

  double walk(const std::string& path) { return walk_tree(*this, path); }
};

MemoryTree::Entry file(const char* name, double size) { return {name, 0x20, size, "", 0}; }
MemoryTree::Entry folder(const char* name) { return {name, 0x10, 0, "", 0}; }
// A link to a folder, listed as a plain directory unless attributes say otherwise.
MemoryTree::Entry link(const char* name, const char* target, uint32_t attributes = 0x10, uint32_t tag = 0) {
  return {name, attributes, 0, target, tag};
}

TEST(FolderWalk, NoTreeIsCountedTwiceWhateverTheListingSays) {
  const double five_gib = 5368709120.0, seven_gib = 7516192768.0;
  struct Case {
    const char* what;
    std::map<std::string, MemoryTree::Folder> folders;
    double total;
  };
  const Case cases[] = {
      {"a link back to an ancestor",
       {{"C:\\top", {{file("t", 1), folder("a")}}}, {"C:\\top\\a", {{file("f", 2), link("back", "C:\\top")}}}},
       3},
      {"links to a sibling tree before and after it",
       {{"C:\\top", {{link("early", "C:\\top\\sib"), folder("sib"), link("late", "C:\\top\\sib")}}},
        {"C:\\top\\sib", {{file("f", 10)}}}},
       10},
      {"a link to a tree outside the walk",
       {{"C:\\top", {{file("t", 1), link("out", "C:\\elsewhere")}}}, {"C:\\elsewhere", {{file("f", 10)}}}},
       1},
      {"a chain of links, the last back to the top",
       {{"C:\\top", {{folder("a"), folder("b"), link("l1", "C:\\top\\a")}}},
        {"C:\\top\\a", {{file("f", 2), link("to b", "C:\\top\\b")}}},
        {"C:\\top\\b", {{file("f", 4), link("to top", "C:\\top")}}}},
       6},
      {"links reported as links are not followed; other reparse points are",
       {{"C:\\top", {{link("sym", "C:\\top\\a", 0x410, 0xA000000C), link("junction", "C:\\top\\a", 0x410, 0xA0000003),
                       link("untagged", "C:\\top\\a", 0x410, 0), folder("a")}}},
        {"C:\\top\\a", {{file("f", 2)}}}},
       2},
      {"a reparse point that is no link is walked",
       {{"C:\\top", {{{"cloud", 0x410, 0, "", 0x9000001A}}}}, {"C:\\top\\cloud", {{file("f", 2)}}}},
       2},
      {"a folder that cannot be located does not hide the cycle below it",
       {{"C:\\top", {{file("t", 1), folder("a")}}},
        {"C:\\top\\a", {{folder("b")}, false}},
        {"C:\\top\\a\\b", {{file("f", 2), link("back", "C:\\top")}}}},
       3},
      {"sizes above 4 GiB, once each",
       {{"C:\\top", {{file("five", five_gib), folder("a")}}},
        {"C:\\top\\a", {{file("seven", seven_gib), file("odd", 4294967297.0), link("up", "C:\\top")}}}},
       five_gib + seven_gib + 4294967297.0},
  };
  for (const Case& c : cases) {
    MemoryTree tree{c.folders};
    EXPECT_EQ(tree.walk("C:\\top"), c.total) << c.what;
  }
}

TEST(FolderWalk, AWalkStartedThroughALinkCountsTheTreeItLeadsTo) {
  MemoryTree tree{{{"C:\\top", {{file("t", 1), folder("a"), link("me", "C:\\top")}}}, {"C:\\top\\a", {{file("f", 2)}}}}};
  EXPECT_EQ(tree.walk("C:\\top\\me"), 3);
  EXPECT_EQ(tree.walk("C:\\top\\me\\me\\a"), 2);
}

TEST(FolderWalk, PathLimitEndsACycleOfFoldersThatCannotBeLocated) {
  MemoryTree tree{{{"C:\\top", {{file("t", 1), folder("a")}, false}},
                   {"C:\\top\\a", {{file("f", 2), link("back", "C:\\top")}, false}}}};
  // "C:\\top" (6 characters) and "C:\\top\\a" (8) grow by "\\back\\a" (7) per
  // round; 36 rounds of 3 bytes fit before a pattern passes 259 characters.
  EXPECT_EQ(tree.walk("C:\\top"), 36 * 3);
}

TEST(FolderWalk, PendingMessagesAfterEveryEntry) {
  MemoryTree tree{{{"C:\\top", {{file("t", 1), folder("a"), link("back", "C:\\top")}}}, {"C:\\top\\a", {{file("f", 2)}}}}};
  EXPECT_EQ(tree.walk("C:\\top"), 3);
  EXPECT_EQ(tree.pumped, 5 + 3);  // both listings with "." and ".."; the refused "back" lists nothing
}

}  // namespace
