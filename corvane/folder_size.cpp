// FolderOrFileSize: a depth-first walk over the directory listings (no file is
// opened), summed in double precision and written in the unit asked for.
#include <cstring>
#include <optional>
#include <string>
#include <vector>

#include "corvane_object.h"
#include "folder_walk.h"
#include "frame/ansi_text.h"
#include "number_text.h"
#include "regional_settings.h"

namespace corvane {

namespace {

// Keeps the host's windows live during a long walk. Looking at the queue costs
// a round trip to the window system, so the pending messages are processed at
// the first entry and then once every few milliseconds, not at every entry.
class MessagePump {
 public:
  void after_entry() {
    ULONGLONG now = GetTickCount64();
    if (now < next_) return;
    MSG message;
    while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
      if (message.message == WM_QUIT) {
        // The host's own loop must still see its quit request.
        PostQuitMessage(static_cast<int>(message.wParam));
        break;
      }
      TranslateMessage(&message);
      DispatchMessageW(&message);
    }
    next_ = GetTickCount64() + kIntervalMs;
  }

 private:
  static constexpr ULONGLONG kIntervalMs = 10;
  ULONGLONG next_ = 0;
};

// The platform's path limit counts characters, which a double-byte or UTF-8
// code page spells in more bytes.
size_t characters_of(const frame::AnsiText& ansi) { return ansi.wide_until_nul().size(); }

std::wstring with_backslash(std::wstring_view text) { return std::wstring(frame::wide(add_backslash(frame::u16(text)))); }

// A path of the walk opened for its metadata only (no data is read): the
// directory itself, or with `flags` the link itself rather than its target.
frame::Handle open_for_metadata(const std::wstring& path, DWORD flags = 0) {
  frame::AnsiText ansi(path);
  if (!within_path_limit(characters_of(ansi))) return frame::Handle();
  return frame::Handle(CreateFileA(ansi.c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                   OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS | flags, nullptr));
}

// The walk on this platform: the 8-bit listing functions, a directory's real
// place from the handle of the directory opened by its path, and the message
// pump. (A volume serial number and file index per directory would cost
// more than the listings themselves.)
class FolderPlace {
 public:
  std::optional<std::wstring> locate(const std::wstring& path) {
    // The same text the listing uses: "Z:" alone would name the current
    // directory of the drive, its listing pattern "Z:\*.*" the root.
    frame::Handle directory = open_for_metadata(with_backslash(path));
    if (!directory) return std::nullopt;
    constexpr DWORD flags = VOLUME_NAME_DOS | FILE_NAME_NORMALIZED;
    std::vector<wchar_t> place(MAX_PATH + 1);
    DWORD length = GetFinalPathNameByHandleW(directory.get(), place.data(), static_cast<DWORD>(place.size()), flags);
    if (length >= place.size()) {
      place.resize(length + 1);
      length = GetFinalPathNameByHandleW(directory.get(), place.data(), static_cast<DWORD>(place.size()), flags);
    }
    if (length == 0 || length >= place.size()) return std::nullopt;
    return std::wstring(place.data(), length);
  }

  bool same_place(const std::wstring& a, const std::wstring& b) {
    return CompareStringOrdinal(a.data(), static_cast<int>(a.size()), b.data(), static_cast<int>(b.size()), TRUE) ==
           CSTR_EQUAL;
  }

  template <class Visit>
  bool list(const std::wstring& path, Visit&& visit) {
    frame::AnsiText pattern(with_backslash(path) + L"*.*");
    if (!within_path_limit(characters_of(pattern))) return false;
    WIN32_FIND_DATAA entry;
    frame::FindHandle listing(FindFirstFileA(pattern.c_str(), &entry));
    if (!listing) return false;
    do {
      size_t name_bytes = strnlen(entry.cFileName, std::size(entry.cFileName));
      // A name of up to 255 characters may need more than the record's 260
      // bytes in a double-byte or UTF-8 code page: the platform cut it, and
      // the cut name would name another entry (or none). A file still counts
      // by its listed size; a directory is not walked, like one whose name
      // the code page lacks.
      bool cut = name_bytes == std::size(entry.cFileName);
      if (cut && (entry.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)) continue;
      visit(ListedEntry{entry.dwFileAttributes, entry.nFileSizeHigh, entry.nFileSizeLow,
                        std::string_view(entry.cFileName, name_bytes)});
    } while (FindNextFileA(listing.get(), &entry));
    return true;
  }

  uint32_t reparse_tag(const std::wstring& path) {
    frame::Handle link = open_for_metadata(path, FILE_FLAG_OPEN_REPARSE_POINT);
    FILE_ATTRIBUTE_TAG_INFO info;
    if (!link || !GetFileInformationByHandleEx(link.get(), FileAttributeTagInfo, &info, sizeof info)) return 0;
    return info.ReparseTag;
  }

  std::wstring child(const std::wstring& path, std::string_view name) {
    return with_backslash(path) + frame::AnsiText::decode(name);
  }

  void after_entry() { pump_.after_entry(); }

 private:
  MessagePump pump_;
};

// The byte total of a file or a directory tree; 0 for a path that is missing,
// malformed or too long, and for one that the code page cannot hold (its "?"
// would make the listing a pattern that finds other files).
double path_size(const std::wstring& path) {
  std::optional<frame::AnsiText> ansi = frame::exact_ansi(path);
  if (!ansi || !within_path_limit(characters_of(*ansi))) return 0;
  WIN32_FILE_ATTRIBUTE_DATA data;
  if (!GetFileAttributesExA(ansi->c_str(), GetFileExInfoStandard, &data)) return 0;
  if (!(data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)) return size_from_halves(data.nFileSizeHigh, data.nFileSizeLow);
  FolderPlace place;
  return walk_tree(place, path);
}

}  // namespace

STDMETHODIMP CorvaneObject::FolderOrFileSize(BSTR* Path, SizeMode* Mode, BSTR* result) {
  return run(result, [&] {
    std::wstring text;
    long mode = Mode ? static_cast<long>(*Mode) : 0;
    if (!is_size_unit(mode)) return text;
    // The platform reads a path up to its first NUL; the walk builds every
    // deeper path from that same text, so a NUL inside cannot make a listing
    // find its own directory again and again.
    std::wstring_view path = frame::text_of(Path);
    double bytes = path_size(std::wstring(path.substr(0, path.find(L'\0'))));
    double value = in_unit(bytes, static_cast<SizeUnit>(mode));
    text = frame::wide(number_text(value, frame::u16(decimal_separator())));
    return text;
  });
}

}  // namespace corvane
