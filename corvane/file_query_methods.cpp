// FolderOrFileExist, FolderOrFileTimeCreate, FileIdentify, DOSPath and
// GetDllDescription: read-only questions about a path.

#include <cstring>
#include <optional>
#include <vector>

#include "content_compare.h"
#include "corvane_object.h"  // windows.h, which the shell headers below need
#include "file_errors.h"
#include "frame/ansi_text.h"
#include "frame/runtime_error.h"
#include "version_lookup.h"

#include <shlwapi.h>

namespace corvane {

using frame::AnsiText;
using frame::text_of;

STDMETHODIMP CorvaneObject::FolderOrFileExist(BSTR* Path, VARIANT_BOOL* result) {
  return run(result, [&] {
    // A name that the code page cannot hold names nothing, and the variable
    // is not written: its "?" would make it a pattern for the caller's next call.
    std::optional<bool> found = frame::with_exact_ansi(Path, [](char* path) { return PathFileExistsA(path) != FALSE; });
    return found.value_or(false);
  });
}

namespace {

std::wstring date_text(const SYSTEMTIME& time) {
  wchar_t text[128];
  int length = GetDateFormatW(LOCALE_USER_DEFAULT, DATE_SHORTDATE, &time, nullptr, text, static_cast<int>(std::size(text)));
  return length > 0 ? std::wstring(text, static_cast<size_t>(length - 1)) : std::wstring();
}

std::wstring time_text(const SYSTEMTIME& time) {
  wchar_t text[128];
  int length = GetTimeFormatW(LOCALE_USER_DEFAULT, 0, &time, nullptr, text, static_cast<int>(std::size(text)));
  return length > 0 ? std::wstring(text, static_cast<size_t>(length - 1)) : std::wstring();
}

}  // namespace

STDMETHODIMP CorvaneObject::FolderOrFileTimeCreate(BSTR* Path, BSTR* result) {
  return run(result, [&] {
    // A name that the code page cannot hold names no file.
    std::optional<AnsiText> path = frame::exact_ansi(text_of(Path));
    WIN32_FILE_ATTRIBUTE_DATA data;
    if (!path || !GetFileAttributesExA(path->c_str(), GetFileExInfoStandard, &data)) frame::raise(frame::kFileNotFound);
    // Local time with the offset in force now, to whole seconds.
    FILETIME local;
    SYSTEMTIME time;
    if (!FileTimeToLocalFileTime(&data.ftLastWriteTime, &local) || !FileTimeToSystemTime(&local, &time))
      frame::raise(frame::kFileNotFound);
    time.wMilliseconds = 0;
    std::wstring text = date_text(time);
    if (time.wHour != 0 || time.wMinute != 0 || time.wSecond != 0) text += L" " + time_text(time);
    return text;
  });
}

namespace {

// One file opened for comparison: read-only, sharing read and write with other
// programs. A path that names no existing file gives no handle and nothing is
// created; a path that exists but cannot be opened raises the open's error.
// A name that the code page cannot hold names no file.
std::optional<frame::Handle> open_for_compare(std::wstring_view path_text) {
  std::optional<AnsiText> path = frame::exact_ansi(path_text);
  if (!path) return std::nullopt;
  frame::Handle file(CreateFileA(path->c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                 OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL | FILE_FLAG_SEQUENTIAL_SCAN, nullptr));
  if (file) return file;
  DWORD error = GetLastError();
  if (GetFileAttributesA(path->c_str()) == INVALID_FILE_ATTRIBUTES) return std::nullopt;
  frame::raise(runtime_error_for(error));
}

uint64_t length_of(const frame::Handle& file) {
  LARGE_INTEGER size;
  if (!GetFileSizeEx(file.get(), &size)) frame::raise(runtime_error_for(GetLastError()));
  return static_cast<uint64_t>(size.QuadPart);
}

BlockReader reader_of(const frame::Handle& file) {
  return [&file](unsigned char* buffer, size_t count) -> size_t {
    DWORD read = 0;
    if (!ReadFile(file.get(), buffer, static_cast<DWORD>(count), &read, nullptr)) frame::raise(runtime_error_for(GetLastError()));
    return read;
  };
}

}  // namespace

STDMETHODIMP CorvaneObject::FileIdentify(BSTR* FirstFilePath, BSTR* SecondFilePath, VARIANT_BOOL* result) {
  return run(result, [&] {
    // Both are opened (in this order) before anything is compared, so that
    // the second path's error is reported even when the first is missing.
    std::optional<frame::Handle> first = open_for_compare(text_of(FirstFilePath));
    std::optional<frame::Handle> second = open_for_compare(text_of(SecondFilePath));
    if (!first || !second) return false;  // a missing file is identical to nothing
    uint64_t length = length_of(*first);
    if (length != length_of(*second)) return false;
    return same_content(length, reader_of(*first), reader_of(*second));
  });
}

STDMETHODIMP CorvaneObject::DOSPath(BSTR* Path, BSTR* result) {
  return run(result, [&] {
    // A name that the code page cannot hold has no short form, and the
    // variable is not written (the platform may read each "?" as a pattern).
    std::optional<AnsiText> path = frame::exact_ansi(text_of(Path));
    if (!path) return std::wstring();
    AnsiText buffer = AnsiText::buffer(256, ' ');
    DWORD length = GetShortPathNameA(path->c_str(), buffer.data(), 256);
    if (length >= 256) {
      // The short form did not fit: the platform told the size it needs.
      buffer = AnsiText::buffer(length, ' ');
      DWORD again = GetShortPathNameA(path->c_str(), buffer.data(), length);
      length = again < length ? again : 0;
    }
    frame::assign(Path, path->wide());
    return buffer.wide(length);
  });
}

namespace {

// The string table to read values from: the first table that the
// translation list names and the data holds, else the US English one, else
// none (a module without a translation list has no description).
std::string string_table_of(const std::vector<char>& data) {
  void* list = nullptr;
  UINT bytes = 0;
  if (!VerQueryValueA(data.data(), kTranslationList, &list, &bytes) || !list) return {};
  for (size_t i = 0; i < translation_entries(bytes); ++i) {
    uint32_t entry;
    std::memcpy(&entry, static_cast<const char*>(list) + 4 * i, sizeof entry);
    std::string table = string_table_path(entry);
    void* found = nullptr;
    UINT found_bytes = 0;
    if (VerQueryValueA(data.data(), table.c_str(), &found, &found_bytes)) return table;
  }
  void* found = nullptr;
  UINT found_bytes = 0;
  if (VerQueryValueA(data.data(), kFallbackStringTable, &found, &found_bytes)) return kFallbackStringTable;
  return {};
}

}  // namespace

STDMETHODIMP CorvaneObject::GetDllDescription(BSTR* FilePath, BSTR* result) {
  return run(result, [&] {
    std::wstring none;
    // A name that the code page cannot hold names no module.
    std::optional<AnsiText> path = frame::exact_ansi(text_of(FilePath));
    if (!path) return none;
    // No module has a longer path; the platform's version reader is not safe
    // with one (it crashed on a 40,000-character path). The limit counts
    // characters: in a double-byte or UTF-8 code page the bytes are more.
    if (path->wide_until_nul().size() >= MAX_PATH) return none;
    DWORD handle = 0;
    DWORD size = GetFileVersionInfoSizeA(path->c_str(), &handle);
    if (size == 0) return none;
    std::vector<char> data(size);
    if (!GetFileVersionInfoA(path->c_str(), handle, size, data.data())) return none;
    std::string value_path = string_table_of(data) + kDescriptionValue;
    void* value = nullptr;
    UINT length = 0;
    if (!VerQueryValueA(data.data(), value_path.c_str(), &value, &length) || !value) return none;
    // At most length - 1 characters, then cut at the first NUL. The count is
    // in characters, which a double-byte or UTF-8 code page may spell in more
    // bytes: the text is decoded whole (it ends inside the data) and cut as
    // UTF-16, so no character is split.
    if (length == 0) return none;
    const char* bytes = static_cast<const char*>(value);
    const char* end = data.data() + data.size();
    size_t room = bytes >= data.data() && bytes < end ? static_cast<size_t>(end - bytes) : length - 1;
    std::wstring text = AnsiText::decode(std::string_view(bytes, strnlen(bytes, room)));
    return text.substr(0, length - 1);
  });
}

}  // namespace corvane
