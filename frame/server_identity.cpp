#include "server_identity.h"

#include <array>

namespace frame {

namespace {

char16_t fold(char16_t c) { return c >= u'a' && c <= u'z' ? static_cast<char16_t>(c - u'a' + u'A') : c; }

// Whether `text` starts with `prefix`, ASCII letters in any case (the
// folders compared here are spelled in ASCII).
bool starts_with(std::u16string_view text, std::u16string_view prefix) {
  if (text.size() < prefix.size()) return false;
  for (size_t i = 0; i < prefix.size(); ++i)
    if (fold(text[i]) != fold(prefix[i])) return false;
  return true;
}

// System32's subfolders that the file-system redirection leaves alone.
constexpr std::array<std::u16string_view, 6> kNotRedirected = {
    u"\\catroot\\", u"\\catroot2\\", u"\\drivers\\etc\\", u"\\driverstore\\", u"\\logfiles\\", u"\\spool\\"};

}  // namespace

std::u16string other_bitness_reading(std::u16string_view path, std::u16string_view windows_folder, bool self_is_64bit) {
  if (starts_with(path, u"\\\\?\\")) path.remove_prefix(4);
  if (windows_folder.empty()) return {};
  const std::u16string system32 = std::u16string(windows_folder) + u"\\System32";
  if (!starts_with(path, system32)) return {};
  std::u16string_view rest = path.substr(system32.size());
  if (rest.empty() || rest.front() != u'\\') return {};
  for (std::u16string_view exempt : kNotRedirected)
    if (starts_with(rest, exempt)) return {};
  return std::u16string(windows_folder) + (self_is_64bit ? u"\\SysWOW64" : u"\\Sysnative") + std::u16string(rest);
}

KeyOwner class_key_owner(const ServerFacts& facts) {
  if (facts.shared_view && facts.read_differently && !facts.other_reading_names_me && facts.names_other_bitness)
    return KeyOwner::other_bitness;
  if (facts.names_me) return KeyOwner::mine;
  if (facts.names_other_bitness) return KeyOwner::other_bitness;
  return KeyOwner::someone_else;
}

}  // namespace frame
