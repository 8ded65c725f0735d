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
// code page spells in more bytes; it bounds the walk, whichever entry points
// it uses.
size_t characters_of(const frame::AnsiText& ansi) { return ansi.wide_until_nul().size(); }

std::wstring with_backslash(std::wstring_view text) { return std::wstring(frame::wide(add_backslash(frame::u16(text)))); }

// A path of the walk opened without reading or writing data: a directory to
// list, or with `flags` a link itself rather than its target.
frame::Handle open_directory(const std::wstring& path, DWORD access, DWORD flags = 0) {
  return frame::Handle(CreateFileW(path.c_str(), access, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                   nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS | flags, nullptr));
}

std::optional<DirectoryIdentity> identity_of(HANDLE directory) {
  BY_HANDLE_FILE_INFORMATION info;
  if (!GetFileInformationByHandle(directory, &info)) return std::nullopt;
  auto whole = [](DWORD high, DWORD low) { return (uint64_t{high} << 32) | low; };
  return DirectoryIdentity{info.dwVolumeSerialNumber, whole(info.nFileIndexHigh, info.nFileIndexLow),
                           whole(info.ftCreationTime.dwHighDateTime, info.ftCreationTime.dwLowDateTime)};
}

// Wine reports the serial of a drive for every file system mounted below it;
// Windows gives each volume its own.
bool platform_shares_serials() {
  HMODULE ntdll = GetModuleHandleW(L"ntdll.dll");
  return ntdll && GetProcAddress(ntdll, "wine_get_version");
}

// The walk on this platform: each directory opened once and listed through
// that handle with the wide-character entry point, so that every name comes
// exactly as the file system holds it (the 8-bit listing gives a best-fit
// look-alike of a name the code page cannot hold, which may be a neighbour's
// name). The file index of a directory is that of its "." entry, which comes
// with the listing at no cost; the volume serial number takes a round trip
// to the mount manager under some platforms, so it is read only when two
// directories share an index. A file system or redirector that refuses the
// listing with file indexes is listed plainly, and the index read from the
// open directory.
class FolderPlace {
 public:
  template <class Enter, class Visit>
  void list(const std::wstring& path, Enter&& enter, Visit&& visit) {
    // The same text as the 8-bit listing's pattern: "Z:" alone would name
    // the current directory of the drive, "Z:\" the root.
    std::wstring folder = with_backslash(path);
    if (!within_path_limit(folder.size() + 3)) return;  // "*.*"
    frame::Handle directory = open_directory(folder, FILE_LIST_DIRECTORY | SYNCHRONIZE);
    if (!directory) return;
    // Each level has its own batch: the recursion lists while this one is read.
    std::vector<char> batch(kBatchBytes);
    if (read(directory.get(), FileIdBothDirectoryRestartInfo, batch)) {
      list_batches<FILE_ID_BOTH_DIR_INFO>(directory.get(), FileIdBothDirectoryInfo, batch, enter, visit);
    } else if (GetLastError() != ERROR_NO_MORE_FILES && read(directory.get(), FileFullDirectoryRestartInfo, batch)) {
      list_batches<FILE_FULL_DIR_INFO>(directory.get(), FileFullDirectoryInfo, batch, enter, visit);
    }
  }

  std::optional<DirectoryIdentity> identity(const std::wstring& path) {
    frame::Handle directory = open_directory(with_backslash(path), 0);
    return directory ? identity_of(directory.get()) : std::nullopt;
  }

  uint32_t reparse_tag(const std::wstring& path) {
    if (!within_path_limit(path.size())) return 0;
    frame::Handle link = open_directory(path, 0, FILE_FLAG_OPEN_REPARSE_POINT);
    FILE_ATTRIBUTE_TAG_INFO info;
    if (!link || !GetFileInformationByHandleEx(link.get(), FileAttributeTagInfo, &info, sizeof info)) return 0;
    return info.ReparseTag;
  }

  std::wstring child(const std::wstring& path, std::u16string_view name) {
    return with_backslash(path) + std::wstring(frame::wide(name));
  }

  void after_entry() { pump_.after_entry(); }
  bool serials_shared() const { return serials_shared_; }

 private:
  static bool read(HANDLE directory, FILE_INFO_BY_HANDLE_CLASS kind, std::vector<char>& batch) {
    return GetFileInformationByHandleEx(directory, kind, batch.data(), static_cast<DWORD>(batch.size())) != FALSE;
  }

  // The first batch is read already; `next` reads the following ones.
  template <class Record, class Enter, class Visit>
  static void list_batches(HANDLE directory, FILE_INFO_BY_HANDLE_CLASS next, std::vector<char>& batch, Enter& enter,
                           Visit& visit) {
    // A volume's root has no "." entry, and the plain listing no index.
    uint64_t index = index_of_dot(*reinterpret_cast<const Record*>(batch.data()));
    if (index == 0) {
      std::optional<DirectoryIdentity> own = identity_of(directory);
      index = own ? own->index : 0;
    }
    if (!enter(index, [&] { return identity_of(directory); })) return;
    do {
      for (size_t at = 0;;) {
        auto* entry = reinterpret_cast<const Record*>(batch.data() + at);
        auto size = static_cast<uint64_t>(entry->EndOfFile.QuadPart);
        visit(ListedEntry{entry->FileAttributes, static_cast<uint32_t>(size >> 32), static_cast<uint32_t>(size),
                          name_of(*entry)});
        if (entry->NextEntryOffset == 0) break;
        at += entry->NextEntryOffset;
      }
    } while (read(directory, next, batch));
  }

  template <class Record>
  static std::u16string_view name_of(const Record& entry) {
    return frame::u16(std::wstring_view(entry.FileName, entry.FileNameLength / sizeof(wchar_t)));
  }
  static uint64_t index_of_dot(const FILE_ID_BOTH_DIR_INFO& entry) {
    return name_of(entry) == u"." ? static_cast<uint64_t>(entry.FileId.QuadPart) : 0;
  }
  static uint64_t index_of_dot(const FILE_FULL_DIR_INFO&) { return 0; }

  static constexpr size_t kBatchBytes = 16 * 1024;
  MessagePump pump_;
  bool serials_shared_ = platform_shares_serials();
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
