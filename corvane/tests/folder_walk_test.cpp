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
  for (const Case& c : cases) {
    std::u16string name(c.name, c.name + std::char_traits<char>::length(c.name));
    EXPECT_EQ(classify_entry(c.attributes, c.tag, name), c.kind) << c.name;
  }
}

// A file system in memory whose listings report links however a test says:
// as links, or as plain directories the way a bind mount or a link the
// platform cannot see looks. Folders are known by their real paths; each has
// a volume and a file index, which the test may make collide across volumes.
struct MemoryTree {
  struct Entry {
    std::u16string name;
    uint32_t attributes;   // as the listing reports it
    double size = 0;       // files
    std::u16string target; // links: the real path of the folder it leads to
    uint32_t tag = 0;      // as read from the link itself
  };
  struct Folder {
    std::vector<Entry> entries;
    bool indexed = true;   // false: the platform gives no file index
    uint32_t volume = 1;
    uint64_t index = 0;    // 0: numbered in order of the map
  };
  std::map<std::u16string, Folder> folders;
  int pumped = 0;
  int identities_read = 0;

  explicit MemoryTree(std::map<std::u16string, Folder> tree) : folders(std::move(tree)) {
    uint64_t next = 100;
    for (auto& [path, folder] : folders)
      if (folder.index == 0) folder.index = next++;
  }

  const Entry* entry(const std::u16string& real_folder, std::u16string_view name) {
    if (!folders.count(real_folder)) return nullptr;
    for (const Entry& e : folders[real_folder].entries)
      if (e.name == name) return &e;
    return nullptr;
  }
  // The real path of a path: every link on it resolved.
  std::u16string resolve(const std::u16string& path) {
    std::u16string real = u"C:";
    for (size_t at = 3, end = 0; at <= path.size(); at = end + 1) {
      end = std::min(path.find(u'\\', at), path.size());
      const std::u16string name = path.substr(at, end - at);
      const Entry* e = entry(real, name);
      real = e && !e->target.empty() ? e->target : real + u"\\" + name;
    }
    return real;
  }
  DirectoryIdentity identity_of(const Folder& folder) {
    ++identities_read;
    return DirectoryIdentity{folder.volume, folder.index, 7};
  }

  template <class Enter, class Visit>
  void list(const std::u16string& path, Enter&& enter, Visit&& visit) {
    if (!within_path_limit(path.size() + 4)) return;
    Folder& folder = folders.at(resolve(path));
    if (!enter(folder.indexed ? folder.index : 0, [&] {
          return folder.indexed ? std::optional(identity_of(folder)) : std::nullopt;
        }))
      return;
    for (const std::u16string_view dot : {u".", u".."}) visit(ListedEntry{0x10, 0, 0, dot});
    for (const Entry& e : folder.entries) {
      const auto size = static_cast<uint64_t>(e.size);
      visit(ListedEntry{e.attributes, static_cast<uint32_t>(size >> 32), static_cast<uint32_t>(size), e.name});
    }
  }
  std::optional<DirectoryIdentity> identity(const std::u16string& path) {
    Folder& folder = folders.at(resolve(path));
    return folder.indexed ? std::optional(identity_of(folder)) : std::nullopt;
  }
  uint32_t reparse_tag(const std::u16string& path) {
    const size_t cut = path.rfind(u'\\');
    return entry(resolve(path.substr(0, cut)), path.substr(cut + 1))->tag;
  }
  std::u16string child(const std::u16string& path, std::u16string_view name) { return path + u"\\" + std::u16string(name); }
  void after_entry() { ++pumped; }
  bool serials_shared() { return false; }

  double walk(const std::u16string& path) { return walk_tree(*this, path); }
};

MemoryTree::Entry file(const char16_t* name, double size) { return {name, 0x20, size, u"", 0}; }
MemoryTree::Entry folder(const char16_t* name) { return {name, 0x10, 0, u"", 0}; }
// A link to a folder, listed as a plain directory unless attributes say otherwise.
MemoryTree::Entry link(const char16_t* name, const char16_t* target, uint32_t attributes = 0x10, uint32_t tag = 0) {
  return {name, attributes, 0, target, tag};
}

TEST(FolderWalk, NoTreeIsCountedTwiceWhateverTheListingSays) {
  const double five_gib = 5368709120.0, seven_gib = 7516192768.0;
  struct Case {
    const char* what;
    std::map<std::u16string, MemoryTree::Folder> folders;
    double total;
  };
  const Case cases[] = {
      {"an ancestor mounted again below itself",
       {{u"C:\\top", {{file(u"t", 1), folder(u"a")}}}, {u"C:\\top\\a", {{file(u"f", 2), link(u"back", u"C:\\top")}}}},
       3},
      {"a sibling tree mounted before and after it",
       {{u"C:\\top", {{link(u"early", u"C:\\top\\sib"), folder(u"sib"), link(u"late", u"C:\\top\\sib")}}},
        {u"C:\\top\\sib", {{file(u"f", 10)}}}},
       10},
      {"a tree outside the walk mounted twice counts once",
       {{u"C:\\top", {{file(u"t", 1), link(u"out", u"C:\\elsewhere"), link(u"again", u"C:\\elsewhere")}}},
        {u"C:\\elsewhere", {{file(u"f", 10)}}}},
       11},
      {"a chain of hidden links, the last back to the top",
       {{u"C:\\top", {{folder(u"a"), folder(u"b"), link(u"l1", u"C:\\top\\a")}}},
        {u"C:\\top\\a", {{file(u"f", 2), link(u"to b", u"C:\\top\\b")}}},
        {u"C:\\top\\b", {{file(u"f", 4), link(u"to top", u"C:\\top")}}}},
       6},
      {"links reported as links are not followed; other reparse points are",
       {{u"C:\\top", {{link(u"sym", u"C:\\top\\a", 0x410, 0xA000000C), link(u"junction", u"C:\\top\\a", 0x410, 0xA0000003),
                       link(u"untagged", u"C:\\top\\a", 0x410, 0), folder(u"a")}}},
        {u"C:\\top\\a", {{file(u"f", 2)}}}},
       2},
      {"a reported link to a tree outside the walk is not followed",
       {{u"C:\\top", {{file(u"t", 1), link(u"out", u"C:\\elsewhere", 0x410, 0xA000000C)}}},
        {u"C:\\elsewhere", {{file(u"f", 10)}}}},
       1},
      {"a reparse point that is no link is walked",
       {{u"C:\\top", {{{u"cloud", 0x410, 0, u"", 0x9000001A}}}}, {u"C:\\top\\cloud", {{file(u"f", 2)}}}},
       2},
      {"a folder without an index does not hide the cycle below it",
       {{u"C:\\top", {{file(u"t", 1), folder(u"a")}}},
        {u"C:\\top\\a", {{folder(u"b")}, false}},
        {u"C:\\top\\a\\b", {{file(u"f", 2), link(u"back", u"C:\\top")}}}},
       3},
      {"the same index on two volumes names two folders",
       {{u"C:\\top", {{folder(u"a"), folder(u"b")}, true, 1, 1}},
        {u"C:\\top\\a", {{file(u"f", 2)}, true, 1, 5}},
        {u"C:\\top\\b", {{file(u"f", 4)}, true, 2, 5}}},
       6},
      {"sizes above 4 GiB, once each",
       {{u"C:\\top", {{file(u"five", five_gib), folder(u"a")}}},
        {u"C:\\top\\a", {{file(u"seven", seven_gib), file(u"odd", 4294967297.0), link(u"up", u"C:\\top")}}}},
       five_gib + seven_gib + 4294967297.0},
  };
  for (const Case& c : cases) {
    MemoryTree tree{c.folders};
    EXPECT_EQ(tree.walk(u"C:\\top"), c.total) << c.what;
  }
}

// Windows gives each volume its own serial; Wine reports one serial for the
// file systems under a drive, whose indexes may repeat.
TEST(FolderWalk, SameDirectoryBySerialAndIndex) {
  const DirectoryIdentity one{1, 5, 70};
  // other volume, other index, other creation time (a live folder, or another file system under one serial)
  const DirectoryIdentity others[] = {{2, 5, 70}, {1, 6, 70}, {1, 5, 71}};
  for (bool shared : {false, true}) {
    EXPECT_TRUE(same_directory(one, one, shared));
    EXPECT_FALSE(same_directory(one, others[0], shared) || same_directory(one, others[1], shared));
  }
  EXPECT_TRUE(same_directory(one, others[2], false));
  EXPECT_FALSE(same_directory(one, others[2], true));
}

TEST(FolderWalk, TheFullIdentityIsReadOnlyWhenAnIndexRepeats) {
  MemoryTree plain{{{u"C:\\top", {{folder(u"a"), folder(u"b")}}},
                    {u"C:\\top\\a", {{file(u"f", 2)}}},
                    {u"C:\\top\\b", {{file(u"f", 4)}}}}};
  EXPECT_EQ(plain.walk(u"C:\\top"), 6);
  EXPECT_EQ(plain.identities_read, 0);
  // The bind mount's folder and the first one it meets again: one read each.
  MemoryTree mounted{{{u"C:\\top", {{folder(u"a"), link(u"again", u"C:\\top\\a")}}},
                      {u"C:\\top\\a", {{file(u"f", 2)}}}}};
  EXPECT_EQ(mounted.walk(u"C:\\top"), 2);
  EXPECT_EQ(mounted.identities_read, 2);
}

TEST(FolderWalk, AWalkStartedThroughALinkCountsTheTreeItLeadsTo) {
  MemoryTree tree{{{u"C:\\top", {{file(u"t", 1), folder(u"a"), link(u"me", u"C:\\top")}}},
                   {u"C:\\top\\a", {{file(u"f", 2)}}}}};
  EXPECT_EQ(tree.walk(u"C:\\top\\me"), 3);
  EXPECT_EQ(tree.walk(u"C:\\top\\me\\me\\a"), 2);
}

TEST(FolderWalk, PathLimitEndsACycleOfFoldersWithoutAnIndex) {
  MemoryTree tree{{{u"C:\\top", {{file(u"t", 1), folder(u"a")}, false}},
                   {u"C:\\top\\a", {{file(u"f", 2), link(u"back", u"C:\\top")}, false}}}};
  // "C:\\top" (6 characters) and "C:\\top\\a" (8) grow by "\\back\\a" (7) per
  // round; 36 rounds of 3 bytes fit before a pattern passes 259 characters.
  EXPECT_EQ(tree.walk(u"C:\\top"), 36 * 3);
}

TEST(FolderWalk, PendingMessagesAfterEveryEntry) {
  MemoryTree tree{{{u"C:\\top", {{file(u"t", 1), folder(u"a"), link(u"back", u"C:\\top")}}},
                   {u"C:\\top\\a", {{file(u"f", 2)}}}}};
  EXPECT_EQ(tree.walk(u"C:\\top"), 3);
  EXPECT_EQ(tree.pumped, 5 + 3);  // both listings with "." and ".."; the folder met again lists nothing
}

}  // namespace
