// The rules of the folder-size walk that need no file system: the units, the
// 64-bit size from the listing's two halves, the path limit of the 8-bit entry
// points, and what the walk does with each entry of a listing.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace corvane {

enum class SizeUnit { Bytes = 1, KBytes = 2, MBytes = 3, Gbytes = 4 };

// Whether a mode names one of the four units (anything else gives "").
bool is_size_unit(long mode);

// The byte total in the unit: one, two or three divisions by 1024.
double in_unit(double bytes, SizeUnit unit);

// A listing's size of one file: high half weighted by 2^32.
double size_from_halves(uint32_t high, uint32_t low);

// The text with "\" appended unless its last character already is one.
std::u16string add_backslash(std::u16string_view text);

// The 8-bit entry points take at most 259 characters of path (260 with the
// NUL), whatever number of bytes the code page spells them in; longer paths
// cannot be read or listed.
inline constexpr size_t kLongestPath = 259;
inline bool within_path_limit(size_t characters) { return characters <= kLongestPath; }

enum class EntryKind {
  Skip,       // "." and ".."
  File,       // counts with its listed size
  Directory,  // walked
  Link,       // a link to a directory: not followed, counts 0
};

// Whether an entry is a directory that is also a reparse point: only then
// does the walk need the entry's reparse tag.
bool is_reparse_directory(uint32_t attributes);

// What the walk does with one listing entry. Links to directories (symbolic
// links, junctions, mount points: name-surrogate reparse points, and a reparse
// point without a tag, as some file systems report a symbolic link) are not
// followed. `reparse_tag` must be read from the entry itself: the listing's
// copy of the tag is undefined on some platforms (a 32-bit listing has been
// seen to hand back whatever its buffer held), and a stray value without the
// name-surrogate bit would make a link look like a plain directory.
EntryKind classify_entry(uint32_t attributes, uint32_t reparse_tag, std::u16string_view name);

// One entry of a directory listing, as the walk reads it.
struct ListedEntry {
  uint32_t attributes = 0;
  uint32_t size_high = 0;
  uint32_t size_low = 0;
  std::u16string_view name;  // exactly as the file system holds it
};

// What tells one directory from every other: the volume's serial number and
// the file index, and the creation time for platforms that report one serial
// for several file systems, each numbering its files on its own.
struct DirectoryIdentity {
  uint32_t volume = 0;
  uint64_t index = 0;
  uint64_t created = 0;
};

// Whether two identities name one directory. Where each file system has a
// serial of its own the serial and the index say it alone: the times of a
// live folder may change between two visits (its last-write time with every
// entry added), and a folder must not count twice for that. Where serials
// are shared, the creation time tells apart the file systems that the serial
// does not.
bool same_directory(const DirectoryIdentity& a, const DirectoryIdentity& b, bool serials_shared);

// The depth-first byte total of the directory tree at `path`, taking every
// size from the listings. `Place` gives the walk its platform:
//   void list(const Path&, enter, visit)  opens the directory; calls
//        enter(index, identity) with its file index (0: unknown) and a
//        callable that reads its full DirectoryIdentity from the open
//        directory (std::optional, nullopt: unreadable); when enter answers
//        true, calls visit(const ListedEntry&) for each entry. Nothing is
//        called for a directory that cannot be listed.
//   std::optional<DirectoryIdentity> identity(const Path&)
//   uint32_t reparse_tag(const Path& entry)               (0: unreadable)
//   Path child(const Path&, std::u16string_view name)
//   void after_entry()                                    (pending messages)
//   bool serials_shared()    whether one serial may cover several file systems
// Reported links are not followed. Every other directory is walked once,
// however it is reached: a directory whose identity was met before in this
// walk (an ancestor or a sibling reached again through a bind mount, a link
// the listing does not report, a second name) adds nothing. The file index
// comes with the listing; the full identity, which may cost a round trip to
// the system, is read only when two directories share an index. A directory
// whose index is unknown is walked; the path limit then ends any cycle
// through it. The directories seen live in the locals of the walk.
template <class Place, class Path>
double walk_tree(Place& place, const Path& path);

namespace detail {

template <class Path>
struct Seen {
  Path path;
  std::optional<DirectoryIdentity> identity;  // read when an index repeats
};

template <class Path>
using SeenDirectories = std::unordered_map<uint64_t, std::vector<Seen<Path>>>;

// Whether the directory at `path` is one met before; notes it if not.
template <class Place, class Path, class ReadIdentity>
bool met_before(Place& place, SeenDirectories<Path>& seen, const Path& path, uint64_t index, ReadIdentity&& read) {
  if (index == 0) return false;
  std::vector<Seen<Path>>& same_index = seen[index];
  std::optional<DirectoryIdentity> identity;
  if (!same_index.empty()) {
    identity = read();
    for (Seen<Path>& earlier : same_index) {
      if (!earlier.identity) earlier.identity = place.identity(earlier.path);
      if (identity && earlier.identity && same_directory(*identity, *earlier.identity, place.serials_shared()))
        return true;
    }
  }
  same_index.push_back(Seen<Path>{path, identity});
  return false;
}

template <class Place, class Path>
double walk_directory(Place& place, const Path& path, SeenDirectories<Path>& seen) {
  double total = 0;
  auto enter = [&](uint64_t index, auto&& read_identity) { return !met_before(place, seen, path, index, read_identity); };
  place.list(path, enter, [&](const ListedEntry& entry) {
    uint32_t tag = is_reparse_directory(entry.attributes) ? place.reparse_tag(place.child(path, entry.name)) : 0;
    switch (classify_entry(entry.attributes, tag, entry.name)) {
      case EntryKind::File:
        total += size_from_halves(entry.size_high, entry.size_low);
        break;
      case EntryKind::Directory:
        total += walk_directory(place, place.child(path, entry.name), seen);
        break;
      case EntryKind::Skip:
      case EntryKind::Link:
        break;
    }
    place.after_entry();
  });
  return total;
}

}  // namespace detail

template <class Place, class Path>
double walk_tree(Place& place, const Path& path) {
  detail::SeenDirectories<Path> seen;
  return detail::walk_directory(place, path, seen);
}

}  // namespace corvane
