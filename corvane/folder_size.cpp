// FolderOrFileSize: a depth-first walk over the directory listings (no file is
// opened), summed in double precision and written in the unit asked for.
#include <cstring>
#include <string>

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

std::wstring with_backslash(std::wstring_view text) { return std::wstring(frame::wide(add_backslash(frame::u16(text)))); }

// The sum over one directory's listing; subdirectories are summed completely
// before the next entry is read. A listing that cannot be opened counts 0.
double directory_size(const std::wstring& path, MessagePump& pump) {
  std::wstring base = with_backslash(path);
  frame::AnsiText pattern(base + L"*.*");
  if (!within_path_limit(std::strlen(pattern.c_str()))) return 0;
  WIN32_FIND_DATAA entry;
  frame::FindHandle listing(FindFirstFileA(pattern.c_str(), &entry));
  if (!listing) return 0;
  double total = 0;
  do {
    std::string_view name(entry.cFileName, strnlen(entry.cFileName, std::size(entry.cFileName)));
    switch (classify_entry(entry.dwFileAttributes, entry.dwReserved0, name)) {
      case EntryKind::File:
        total += size_from_halves(entry.nFileSizeHigh, entry.nFileSizeLow);
        break;
      case EntryKind::Directory:
        // The listing already said it is a directory: no need to ask again.
        total += directory_size(base + frame::AnsiText::decode(name), pump);
        break;
      case EntryKind::Skip:
      case EntryKind::Link:
        break;
    }
    pump.after_entry();
  } while (FindNextFileA(listing.get(), &entry));
  return total;
}

// The byte total of a file or a directory tree; 0 for a path that is missing,
// malformed or too long.
double path_size(const std::wstring& path, MessagePump& pump) {
  frame::AnsiText ansi(path);
  if (!within_path_limit(std::strlen(ansi.c_str()))) return 0;
  WIN32_FILE_ATTRIBUTE_DATA data;
  if (!GetFileAttributesExA(ansi.c_str(), GetFileExInfoStandard, &data)) return 0;
  if (!(data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)) return size_from_halves(data.nFileSizeHigh, data.nFileSizeLow);
  return directory_size(path, pump);
}

}  // namespace

STDMETHODIMP CorvaneObject::FolderOrFileSize(BSTR* Path, SizeMode* Mode, BSTR* result) {
  return run(result, [&] {
    std::wstring text;
    long mode = Mode ? static_cast<long>(*Mode) : 0;
    if (!is_size_unit(mode)) return text;
    MessagePump pump;
    // The platform reads a path up to its first NUL; the walk builds every
    // deeper path from that same text, so a NUL inside cannot make a listing
    // find its own directory again and again.
    std::wstring_view path = frame::text_of(Path);
    double bytes = path_size(std::wstring(path.substr(0, path.find(L'\0'))), pump);
    double value = in_unit(bytes, static_cast<SizeUnit>(mode));
    text = frame::wide(number_text(value, frame::u16(decimal_separator())));
    return text;
  });
}

}  // namespace corvane
