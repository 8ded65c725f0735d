// The rules of the folder-size walk that need no file system: the units, the
// 64-bit size from the listing's two halves, the path limit of the 8-bit entry
// points, and what the walk does with each entry of a listing.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

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
EntryKind classify_entry(uint32_t attributes, uint32_t reparse_tag, std::string_view name);

// One entry of a directory listing, as the walk reads it.
struct ListedEntry {
  uint32_t attributes = 0;
  uint32_t size_high = 0;
  uint32_t size_low = 0;
  std::string_view name;  // up to the first NUL
};

// The depth-first byte total of the directory tree at `path`, taking every
// size from the listings. `Place` gives the walk its platform:
//   std::optional<Path> locate(const Path&)               where a directory
//                       really is: its path with every link resolved
//                       (nullopt: unknown)
//   bool same_place(const Path&, const Path&)
//   bool list(const Path&, callback(const ListedEntry&))  (false: unlistable)
//   uint32_t reparse_tag(const Path& entry)               (0: unreadable)
//   Path child(const Path&, std::string_view name)
//   void after_entry()                                    (pending messages)
// Links are not followed; and since a listing may fail to report one, a
// subdirectory is entered only where it really is: one that does not lie at
// its parent's real place plus its own name was reached through a link,
// junction or mount point and adds nothing (its tree counts where it really
// lies inside the walk, or not at all). So the walk never enters a directory
// it is already inside and counts no tree twice. A directory that cannot be
// located is walked; the path limit then ends any cycle through it. All
// state lives in the locals of each level.
template <class Place, class Path>
double walk_tree(Place& place, const Path& path);

namespace detail {

template <class Place, class Path>
double walk_directory(Place& place, const Path& path, const std::optional<Path>& where) {
  double total = 0;
  place.list(path, [&](const ListedEntry& entry) {
    uint32_t tag = is_reparse_directory(entry.attributes) ? place.reparse_tag(place.child(path, entry.name)) : 0;
    switch (classify_entry(entry.attributes, tag, entry.name)) {
      case EntryKind::File:
        total += size_from_halves(entry.size_high, entry.size_low);
        break;
      case EntryKind::Directory: {
        Path below = place.child(path, entry.name);
        std::optional<Path> below_where = place.locate(below);
        // Not where its parent's place and its own name put it: reached
        // through a link that the listing did not report as one.
        if (where && below_where && !place.same_place(*below_where, place.child(*where, entry.name))) break;
        total += walk_directory(place, below, below_where);
        break;
      }
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
  return detail::walk_directory(place, path, place.locate(path));
}

}  // namespace corvane
