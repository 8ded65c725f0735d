// CopyFiles, MoveFiles and DeleteFolderOrFile.

#include <cwchar>
#include <optional>
#include <string>
#include <vector>

#include "frame/arguments.h"

#include "corvane_object.h"  // windows.h, which the shell headers below need
#include "file_attributes.h"
#include "frame/ansi_text.h"
#include "frame/runtime_error.h"
#include "wide_text.h"
#include "recycle.h"

#include <shellapi.h>

namespace corvane {

using frame::AnsiText;
using frame::text_of;

namespace {

// A failure status of a call on this instance's own interface, raised as the
// calling method's error.
void raise_failure(HRESULT status) {
  if (SUCCEEDED(status)) return;
  if (HRESULT_FACILITY(status) == FACILITY_CONTROL) frame::raise(HRESULT_CODE(status));
  throw frame::HostError{status, L"", L""};
}

// The path helpers below take the caller's text as it came back from its
// 8-bit form, which is exactly what the caller wrote (the methods refuse any
// other), and use the wide entry points, whose limits count characters.
DWORD attributes_of(const std::wstring& path) { return GetFileAttributesW(path.c_str()); }

bool exists(const std::wstring& path) { return attributes_of(path) != INVALID_FILE_ATTRIBUTES; }
bool exists(const AnsiText& path) { return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES; }

bool is_directory(const std::wstring& path) {
  DWORD attributes = attributes_of(path);
  return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
}

bool is_read_only(const std::wstring& path) {
  DWORD attributes = attributes_of(path);
  return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_READONLY);
}

// Whether two paths name one file: other letter case, a short form, a link.
bool same_file(const std::wstring& a, const std::wstring& b) {
  auto identity = [](const std::wstring& path, BY_HANDLE_FILE_INFORMATION& info) {
    frame::Handle file(CreateFileW(path.c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                   OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr));
    return file && GetFileInformationByHandle(file.get(), &info);
  };
  BY_HANDLE_FILE_INFORMATION first, second;
  if (!identity(a, first) || !identity(b, second)) return false;
  return first.dwVolumeSerialNumber == second.dwVolumeSerialNumber && first.nFileIndexHigh == second.nFileIndexHigh &&
         first.nFileIndexLow == second.nFileIndexLow;
}

// A path in the form that the wide entry points take at any length: absolute,
// behind "\\?\" (a temporary name beside a destination of 250 characters
// passes MAX_PATH). Empty when the path cannot be made absolute.
std::wstring long_form(const std::wstring& path) {
  std::wstring full = absolute_path(path);
  if (full.empty()) return {};
  if (full.rfind(LR"(\\?\)", 0) == 0 || full.rfind(LR"(\\.\)", 0) == 0) return full;
  if (full.rfind(LR"(\\)", 0) == 0) return LR"(\\?\UNC\)" + full.substr(2);
  return LR"(\\?\)" + full;
}

// The last component of a path.
std::wstring_view last_name(std::wstring_view path) {
  size_t cut = path.find_last_of(L"\\/");
  return cut == std::wstring_view::npos ? path : path.substr(cut + 1);
}

// Whether an open file is the file that `path` names itself rather than one
// that a link of that name leads to. Windows opens a link itself when asked
// (FILE_FLAG_OPEN_REPARSE_POINT) and reports it as a reparse point; Wine
// opens what a symbolic link leads to, reports a plain file, and deleting it
// removes the target. There the open file's final path ends in the target's
// name. (A link named like its target is not told apart that way.)
bool opened_by_own_name(HANDLE file, const std::wstring& path) {
  std::wstring opened =
      grown_text([&](wchar_t* buffer, DWORD size) { return GetFinalPathNameByHandleW(file, buffer, size, 0); });
  // The name as the platform opens it: trailing dots and spaces dropped,
  // short forms made long.
  std::wstring full = long_form(path);
  std::wstring named =
      grown_text([&](wchar_t* buffer, DWORD size) { return GetLongPathNameW(full.c_str(), buffer, size); });
  if (opened.empty() || named.empty()) return true;  // nothing to compare: the reparse attribute decides
  std::wstring_view a = last_name(opened), b = last_name(named);
  return CompareStringOrdinal(a.data(), static_cast<int>(a.size()), b.data(), static_cast<int>(b.size()), TRUE) ==
         CSTR_EQUAL;
}

// Whether `path` is a link that the platform would follow: its name opens
// another file. A rename of such a name moves what the link leads to and
// leaves the link broken (Wine); where the platform opens the link itself
// (Windows) this is false and the rename moves the link.
bool leads_elsewhere(const std::wstring& path) {
  frame::Handle file(CreateFileW(path.c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                 OPEN_EXISTING, FILE_FLAG_OPEN_REPARSE_POINT | FILE_FLAG_BACKUP_SEMANTICS, nullptr));
  return file && !opened_by_own_name(file.get(), path);
}

// A file written under a new temporary name in the folder of the
// destination, so that a rename on that volume puts it in place whole. The
// name is made here with CREATE_NEW, so no existing file is ever opened or
// replaced under it. Unless put in place, the file is removed when this goes:
// through its own handle while that is open, else by name, retried for a
// moment while another program (a virus scanner) holds the fresh file.
class TemporaryFile {
 public:
  explicit TemporaryFile(const std::wstring& destination) : destination_(long_form(destination)) {
    size_t cut = destination_.rfind(L'\\');
    if (cut == std::wstring::npos) return;
    std::wstring folder = destination_.substr(0, cut + 1);
    // Names are tried from a point that differs between processes and calls.
    DWORD seed = GetTickCount() ^ (GetCurrentProcessId() << 16);
    for (DWORD attempt = 0; attempt < kNamesTried; ++attempt) {
      wchar_t name[16];
      swprintf(name, 16, L"cvn%08lx.tmp", static_cast<unsigned long>(seed + attempt * 7919));
      std::wstring path = folder + name;
      file_.reset(CreateFileW(path.c_str(), GENERIC_WRITE | DELETE, 0, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL,
                              nullptr));
      if (file_) {
        path_ = path;
        return;
      }
      DWORD error = GetLastError();
      if (error != ERROR_FILE_EXISTS && error != ERROR_ALREADY_EXISTS) return;
    }
  }
  ~TemporaryFile() {
    if (path_.empty() || kept_) return;
    if (file_) {
      // A read-only file cannot be marked for deletion.
      FILE_BASIC_INFO writable{};
      writable.FileAttributes = FILE_ATTRIBUTE_NORMAL;
      FILE_DISPOSITION_INFO disposition{TRUE};
      if (SetFileInformationByHandle(file_.get(), FileBasicInfo, &writable, sizeof writable) &&
          SetFileInformationByHandle(file_.get(), FileDispositionInfo, &disposition, sizeof disposition)) {
        file_.reset();
        if (!exists(path_)) return;
      }
      file_.reset();
    }
    for (int attempt = 0; attempt < kDeleteAttempts; ++attempt) {
      SetFileAttributesW(path_.c_str(), FILE_ATTRIBUTE_NORMAL);
      if (DeleteFileW(path_.c_str()) || GetLastError() == ERROR_FILE_NOT_FOUND) return;
      Sleep(kDeletePauseMs);
    }
  }
  TemporaryFile(const TemporaryFile&) = delete;
  TemporaryFile& operator=(const TemporaryFile&) = delete;

  // Every byte that `source` reads from where it stands to its end, then the
  // source's attributes and last-write time, as a rename would keep them.
  bool fill_from(HANDLE source, const FILE_BASIC_INFO& original) {
    if (!file_) return false;
    std::vector<char> buffer(kChunkBytes);
    for (;;) {
      DWORD got = 0, written = 0;
      if (!ReadFile(source, buffer.data(), static_cast<DWORD>(buffer.size()), &got, nullptr)) return false;
      if (got == 0) break;
      if (!WriteFile(file_.get(), buffer.data(), got, &written, nullptr) || written != got) return false;
    }
    FILE_BASIC_INFO basic{};  // times of 0 are left as they are
    basic.LastWriteTime = original.LastWriteTime;
    basic.FileAttributes = attributes_to_set(original.FileAttributes);
    filled_ = SetFileInformationByHandle(file_.get(), FileBasicInfo, &basic, sizeof basic) != FALSE;
    return filled_;
  }

  // Renames the whole file to the destination; an existing destination is
  // replaced only when asked.
  bool put_in_place(bool replace) {
    if (!filled_) return false;
    file_.reset();  // the rename opens the file by its name
    kept_ = MoveFileExW(path_.c_str(), destination_.c_str(), replace ? MOVEFILE_REPLACE_EXISTING : 0) != FALSE;
    return kept_;
  }

 private:
  static constexpr DWORD kNamesTried = 100;
  static constexpr int kDeleteAttempts = 10;
  static constexpr DWORD kDeletePauseMs = 100;
  static constexpr size_t kChunkBytes = 1 << 20;

  std::wstring destination_;  // long form
  std::wstring path_;         // long form, once made
  frame::Handle file_;
  bool filled_ = false;
  bool kept_ = false;
};

// The source of a move to another volume, opened before anything is copied
// and held to the end. It shares only reading: the open fails while another
// program holds the file for writing (or without sharing deletion), and no
// program can start writing while the move runs, so the copy read through
// this handle is the whole file. A link is opened as itself, never as its
// target. The source is marked for deletion through the same handle and goes
// when it closes; until `commit` the mark is taken back and a read-only
// attribute put back.
class MovingSource {
 public:
  explicit MovingSource(const std::wstring& path)
      : file_(CreateFileW(path.c_str(), GENERIC_READ | DELETE | FILE_WRITE_ATTRIBUTES, FILE_SHARE_READ, nullptr,
                          OPEN_EXISTING, FILE_FLAG_OPEN_REPARSE_POINT | FILE_FLAG_SEQUENTIAL_SCAN, nullptr)) {
    if (file_ && !GetFileInformationByHandleEx(file_.get(), FileBasicInfo, &original_, sizeof original_)) file_.reset();
    own_name_ = file_ && opened_by_own_name(file_.get(), path);
  }
  ~MovingSource() {
    if (committed_ || !file_) return;
    if (marked_) set_disposition(false);
    if (attributes_changed_) set_attributes(attributes_to_set(original_.FileAttributes));
  }
  MovingSource(const MovingSource&) = delete;
  MovingSource& operator=(const MovingSource&) = delete;

  // A file of data: no directory, and no link or other reparse point, whose
  // removal could reach what it leads to.
  bool plain_file() const {
    return own_name_ && !(original_.FileAttributes & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_REPARSE_POINT));
  }
  HANDLE handle() const { return file_.get(); }
  const FILE_BASIC_INFO& basic() const { return original_; }

  // Marks the file for deletion; a read-only file is made writable first,
  // since the mark is refused otherwise.
  bool mark() {
    if (original_.FileAttributes & FILE_ATTRIBUTE_READONLY) {
      if (!set_attributes(attributes_without_read_only(original_.FileAttributes))) return false;
      attributes_changed_ = true;
    }
    marked_ = set_disposition(true);
    return marked_;
  }
  void commit() { committed_ = true; }  // the file goes when the handle closes

 private:
  bool set_attributes(DWORD attributes) {
    FILE_BASIC_INFO basic{};  // times of 0 are left as they are
    basic.FileAttributes = attributes;
    return SetFileInformationByHandle(file_.get(), FileBasicInfo, &basic, sizeof basic) != FALSE;
  }
  bool set_disposition(bool remove) {
    FILE_DISPOSITION_INFO disposition{static_cast<BOOLEAN>(remove)};
    return SetFileInformationByHandle(file_.get(), FileDispositionInfo, &disposition, sizeof disposition) != FALSE;
  }

  frame::Handle file_;
  FILE_BASIC_INFO original_{};
  bool own_name_ = false;
  bool attributes_changed_ = false;
  bool marked_ = false;
  bool committed_ = false;
};

// A file moved to another volume: the source opened and held, an existing
// destination that is not to be replaced refused before a byte is written,
// the bytes copied through the held handle beside the destination, the
// source marked, the copy renamed into place, and only then the source
// removed. Any step that fails leaves the source, the destination and the
// folder as they were. (Should the process end between the mark and the
// rename, the source goes with its handle, and its whole copy stays under
// the temporary name.)
bool move_across_volumes(const std::wstring& source_path, const std::wstring& destination, bool replace) {
  // A link or a folder by its name first, then by what was opened.
  DWORD named = attributes_of(source_path);
  if (named == INVALID_FILE_ATTRIBUTES || (named & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_REPARSE_POINT)))
    return false;
  MovingSource source(source_path);
  if (!source.plain_file()) return false;
  if (!replace && exists(destination)) return false;
  TemporaryFile copy(destination);
  if (!copy.fill_from(source.handle(), source.basic())) return false;
  if (!source.mark() || !copy.put_in_place(replace)) return false;
  source.commit();
  return true;
}

// A copy to a name that does not exist yet: the new name appears only with
// the whole copy behind it. The source shares reading and deletion, as the
// platform's copy opens it: a file held for writing is not copied.
bool copy_to_new_name(const std::wstring& source_path, const std::wstring& destination) {
  frame::Handle source(CreateFileW(source_path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_DELETE, nullptr,
                                   OPEN_EXISTING, FILE_FLAG_SEQUENTIAL_SCAN, nullptr));
  FILE_BASIC_INFO basic;
  if (!source || !GetFileInformationByHandleEx(source.get(), FileBasicInfo, &basic, sizeof basic) ||
      (basic.FileAttributes & FILE_ATTRIBUTE_DIRECTORY))
    return false;
  TemporaryFile copy(destination);
  return copy.fill_from(source.get(), basic) && copy.put_in_place(false);
}

}  // namespace

STDMETHODIMP CorvaneObject::CopyFiles(BSTR* SourcePath, BSTR* DestanationPath, VARIANT_BOOL* ReWrite,
                                      VARIANT_BOOL* result) {
  return run(result, [&] {
    // A name that the code page cannot hold copies nothing, and neither
    // variable is written.
    std::optional<AnsiText> source = frame::exact_ansi(text_of(SourcePath));
    std::optional<AnsiText> destination = frame::exact_ansi(text_of(DestanationPath));
    if (!source || !destination) return false;
    std::wstring from = source->wide(), to = destination->wide();
    bool copied;
    if (exists(to)) {
      // ReWrite is handed on as the fail-if-exists flag: true keeps an
      // existing destination and the copy fails; false overwrites it in
      // place, as the platform's copy does.
      BOOL fail_if_exists = frame::value_of(ReWrite);
      copied = CopyFileW(from.c_str(), to.c_str(), fail_if_exists) != FALSE;
    } else {
      copied = copy_to_new_name(from, to);
    }
    frame::assign(SourcePath, from);
    frame::assign(DestanationPath, to);
    return copied;
  });
}

STDMETHODIMP CorvaneObject::MoveFiles(BSTR* SourcePath, BSTR* DestanationPath, VARIANT_BOOL* ReWrite,
                                      VARIANT_BOOL* result) {
  return run(result, [&] {
    // A name that the code page cannot hold moves nothing and replaces
    // nothing, and neither variable is written.
    std::optional<AnsiText> source = frame::exact_ansi(text_of(SourcePath));
    std::optional<AnsiText> destination = frame::exact_ansi(text_of(DestanationPath));
    if (!source || !destination) return false;
    std::wstring from = source->wide(), to = destination->wide();
    bool replace = false;
    if (ReWrite && *ReWrite == VARIANT_TRUE) {
      _Corvane* self = this;
      VARIANT_BOOL found = VARIANT_FALSE;
      raise_failure(self->FolderOrFileExist(DestanationPath, &found));
      // A destination directory stays, and the move onto it fails.
      replace = found != VARIANT_FALSE && !is_directory(to);
    }
    bool moved = false;
    // The existing destination file goes only with a whole file taking its
    // place; never when it is the source itself, nor when it is read-only
    // (a process that may write read-only files must not replace them).
    // A link is moved as itself or not at all.
    if ((!replace || (!same_file(from, to) && !is_read_only(to))) && !leads_elsewhere(from)) {
      // Within one volume a rename, which replaces at once or not at all,
      // and moves a link itself, not what it leads to.
      moved = MoveFileExW(from.c_str(), to.c_str(), replace ? MOVEFILE_REPLACE_EXISTING : 0) != FALSE;
      if (!moved && GetLastError() == ERROR_NOT_SAME_DEVICE) moved = move_across_volumes(from, to, replace);
    }
    frame::assign(SourcePath, from);
    frame::assign(DestanationPath, to);
    return moved;
  });
}

STDMETHODIMP CorvaneObject::DeleteFolderOrFile(BSTR* Path, VARIANT_BOOL* RecycleBin, VARIANT_BOOL* WithConfirm,
                                               VARIANT_BOOL* result) {
  return run(result, [&] {
    try {
      if (RecycleBin && *RecycleBin) return recycle(text_of(Path), WithConfirm && *WithConfirm);
      // A name that the code page cannot hold deletes nothing (false), and
      // the variable is not written.
      std::optional<AnsiText> path = frame::exact_ansi(text_of(Path));
      if (!path) return false;
      bool existed = exists(*path);
      DeleteFileA(path->c_str());
      frame::assign(Path, path->wide());
      // A path that is still there (a locked file, a directory) was not deleted.
      return !(existed && exists(*path));
    } catch (const frame::RuntimeError&) {
      return false;
    } catch (const std::bad_alloc&) {
      return false;
    }
  });
}

}  // namespace corvane
