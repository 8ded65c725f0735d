#include "folder_walk.h"

namespace corvane {

namespace {
constexpr uint32_t kDirectoryAttribute = 0x10;
constexpr uint32_t kReparsePointAttribute = 0x400;
constexpr uint32_t kNameSurrogateTagBit = 0x20000000;
}  // namespace

bool is_size_unit(long mode) { return mode >= 1 && mode <= 4; }

double in_unit(double bytes, SizeUnit unit) {
  for (int i = 1; i < static_cast<int>(unit); ++i) bytes /= 1024;
  return bytes;
}

double size_from_halves(uint32_t high, uint32_t low) { return high * 4294967296.0 + low; }

std::u16string add_backslash(std::u16string_view text) {
  std::u16string result(text);
  if (result.empty() || result.back() != u'\\') result += u'\\';
  return result;
}

bool is_reparse_directory(uint32_t attributes) {
  constexpr uint32_t both = kDirectoryAttribute | kReparsePointAttribute;
  return (attributes & both) == both;
}

bool same_directory(const DirectoryIdentity& a, const DirectoryIdentity& b, bool serials_shared) {
  if (a.volume != b.volume || a.index != b.index) return false;
  return !serials_shared || a.created == b.created;
}

EntryKind classify_entry(uint32_t attributes, uint32_t reparse_tag, std::u16string_view name) {
  if (!(attributes & kDirectoryAttribute)) return EntryKind::File;
  if (name == u"." || name == u"..") return EntryKind::Skip;
  if ((attributes & kReparsePointAttribute) && (reparse_tag == 0 || (reparse_tag & kNameSurrogateTagBit)))
    return EntryKind::Link;
  return EntryKind::Directory;
}

}  // namespace corvane
