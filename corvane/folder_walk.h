// The rules of the folder-size walk that need no file system: the units, the
// 64-bit size from the listing's two halves, the path limit of the 8-bit entry
// points, and what the walk does with each entry of a listing.
#pragma once

#include <cstdint>
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

// The 8-bit entry points take at most 259 bytes of path (260 with the NUL);
// longer paths cannot be read or listed.
inline constexpr size_t kLongestPath = 259;
inline bool within_path_limit(size_t ansi_bytes) { return ansi_bytes <= kLongestPath; }

enum class EntryKind {
  Skip,       // "." and ".."
  File,       // counts with its listed size
  Directory,  // walked
  Link,       // a link to a directory: not followed, counts 0
};

// What the walk does with one listing entry. Links to directories (symbolic
// links, junctions, mount points: name-surrogate reparse points, and a reparse
// point without a tag, as some file systems report a symbolic link) are not
// followed, so no link can lead the walk back into the tree.
EntryKind classify_entry(uint32_t attributes, uint32_t reparse_tag, std::string_view name);

}  // namespace corvane
