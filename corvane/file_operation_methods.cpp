// CopyFiles, MoveFiles and DeleteFolderOrFile.

#include <optional>
#include <string>

#include "frame/arguments.h"

#include "corvane_object.h"  // windows.h, which the shell headers below need
#include "frame/ansi_text.h"
#include "frame/runtime_error.h"
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

bool exists(const AnsiText& path) { return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES; }

bool is_directory(const AnsiText& path) {
  DWORD attributes = GetFileAttributesA(path.c_str());
  return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
}

bool is_read_only(const AnsiText& path) {
  DWORD attributes = GetFileAttributesA(path.c_str());
  return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_READONLY);
}

// Whether two paths name one file: other letter case, a short form, a link.
bool same_file(const AnsiText& a, const AnsiText& b) {
  auto identity = [](const AnsiText& path, BY_HANDLE_FILE_INFORMATION& info) {
    frame::Handle file(CreateFileA(path.c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                   OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr));
    return file && GetFileInformationByHandle(file.get(), &info);
  };
  BY_HANDLE_FILE_INFORMATION first, second;
  if (!identity(a, first) || !identity(b, second)) return false;
  return first.dwVolumeSerialNumber == second.dwVolumeSerialNumber && first.nFileIndexHigh == second.nFileIndexHigh &&
         first.nFileIndexLow == second.nFileIndexLow;
}

// A complete copy of a file under a new temporary name in the folder of the
// destination, so that a rename on that volume can put it in place whole.
// Removed again unless kept: a copy that fails part-way (a full volume) or
// is not put in place leaves nothing behind.
class TemporaryCopy {
 public:
  TemporaryCopy(const AnsiText& source, std::wstring_view destination) {
    std::optional<AnsiText> folder = folder_of(destination);
    char name[MAX_PATH + 1] = {};
    // The platform makes the name unique by creating an empty file with it.
    if (!folder || !GetTempFileNameA(folder->c_str(), "cvn", 0, name)) return;
    path_ = name;
    // The copy takes the source's attributes, as a rename would keep them.
    DWORD attributes = GetFileAttributesA(source.c_str());
    complete_ = attributes != INVALID_FILE_ATTRIBUTES && CopyFileA(source.c_str(), path_.c_str(), FALSE) &&
                SetFileAttributesA(path_.c_str(), attributes);
  }
  ~TemporaryCopy() {
    if (path_.empty() || kept_) return;
    SetFileAttributesA(path_.c_str(), FILE_ATTRIBUTE_NORMAL);  // a copy of a read-only file
    DeleteFileA(path_.c_str());
  }
  TemporaryCopy(const TemporaryCopy&) = delete;
  TemporaryCopy& operator=(const TemporaryCopy&) = delete;

  bool complete() const { return complete_; }

  // Renames the copy to the destination; an existing destination is
  // replaced only when asked.
  bool put_in_place(const AnsiText& destination, bool replace) {
    if (!complete()) return false;
    kept_ = MoveFileExA(path_.c_str(), destination.c_str(), replace ? MOVEFILE_REPLACE_EXISTING : 0) != FALSE;
    return kept_;
  }

 private:
  // The folder of a path, in the 8-bit text: none when the code page cannot
  // hold it (the current directory may be outside what the caller wrote).
  static std::optional<AnsiText> folder_of(std::wstring_view path_text) {
    std::wstring path(path_text);
    std::wstring full(MAX_PATH, L'\0');
    wchar_t* name = nullptr;
    DWORD length = GetFullPathNameW(path.c_str(), static_cast<DWORD>(full.size()), full.data(), &name);
    if (length == 0 || length >= full.size() || !name) return std::nullopt;
    full.resize(static_cast<size_t>(name - full.data()));
    return frame::exact_ansi(full);
  }

  std::string path_;  // 8-bit, as the platform made it
  bool complete_ = false;
  bool kept_ = false;
};

// A source file on its way out: opened for deletion, which fails while
// another program holds it without sharing deletion, and marked so that it
// goes when this handle closes. Until `commit` the mark can be taken back and
// the file's attributes are put back as they were.
class SourceRemoval {
 public:
  explicit SourceRemoval(const AnsiText& source)
      : file_(CreateFileA(source.c_str(), DELETE | FILE_READ_ATTRIBUTES | FILE_WRITE_ATTRIBUTES,
                          FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING, 0, nullptr)) {
    if (!file_ || !GetFileInformationByHandleEx(file_.get(), FileBasicInfo, &original_, sizeof original_)) return;
    // A read-only file cannot be marked for deletion.
    if (original_.FileAttributes & FILE_ATTRIBUTE_READONLY) {
      FILE_BASIC_INFO writable = original_;
      writable.FileAttributes &= ~static_cast<DWORD>(FILE_ATTRIBUTE_READONLY);
      if (!SetFileInformationByHandle(file_.get(), FileBasicInfo, &writable, sizeof writable)) return;
      attributes_changed_ = true;
    }
    marked_ = mark(true);
  }
  ~SourceRemoval() {
    if (committed_) return;
    if (marked_) mark(false);
    if (attributes_changed_) SetFileInformationByHandle(file_.get(), FileBasicInfo, &original_, sizeof original_);
  }
  SourceRemoval(const SourceRemoval&) = delete;
  SourceRemoval& operator=(const SourceRemoval&) = delete;

  bool ready() const { return marked_; }
  void commit() { committed_ = true; }  // the file goes when the handle closes

 private:
  bool mark(bool remove) {
    FILE_DISPOSITION_INFO disposition{static_cast<BOOLEAN>(remove)};
    return SetFileInformationByHandle(file_.get(), FileDispositionInfo, &disposition, sizeof disposition) != FALSE;
  }

  frame::Handle file_;
  FILE_BASIC_INFO original_{};
  bool attributes_changed_ = false;
  bool marked_ = false;
  bool committed_ = false;
};

// A file moved to another volume: copied whole beside the destination, the
// source made ready to go, the copy renamed into place, and only then the
// source removed. Any step that fails leaves the source, the destination
// and the folder as they were. (Should the process end between the mark and
// the rename, the source goes with its handle, and its whole copy stays
// under the temporary name.)
bool move_across_volumes(const AnsiText& source, const AnsiText& destination, bool replace) {
  DWORD attributes = GetFileAttributesA(source.c_str());
  if (attributes == INVALID_FILE_ATTRIBUTES || (attributes & FILE_ATTRIBUTE_DIRECTORY)) return false;
  TemporaryCopy copy(source, destination.wide());
  if (!copy.complete()) return false;
  SourceRemoval removal(source);
  if (!removal.ready() || !copy.put_in_place(destination, replace)) return false;
  removal.commit();
  return true;
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
    bool copied;
    if (exists(*destination)) {
      // ReWrite is handed on as the fail-if-exists flag: true keeps an
      // existing destination and the copy fails; false overwrites it in
      // place, as the platform's copy does.
      BOOL fail_if_exists = frame::value_of(ReWrite);
      copied = CopyFileA(source->c_str(), destination->c_str(), fail_if_exists) != FALSE;
    } else {
      // A new name appears only with the whole copy behind it.
      TemporaryCopy copy(*source, destination->wide());
      copied = copy.put_in_place(*destination, false);
    }
    frame::assign(SourcePath, source->wide());
    frame::assign(DestanationPath, destination->wide());
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
    bool replace = false;
    if (ReWrite && *ReWrite == VARIANT_TRUE) {
      _Corvane* self = this;
      VARIANT_BOOL found = VARIANT_FALSE;
      raise_failure(self->FolderOrFileExist(DestanationPath, &found));
      // A destination directory stays, and the move onto it fails.
      replace = found != VARIANT_FALSE && !is_directory(*destination);
    }
    bool moved = false;
    // The existing destination file goes only with a whole file taking its
    // place; never when it is the source itself, nor when it is read-only
    // (a process that may write read-only files must not replace them).
    if (!replace || (!same_file(*source, *destination) && !is_read_only(*destination))) {
      // Within one volume a rename, which replaces at once or not at all.
      moved = MoveFileExA(source->c_str(), destination->c_str(), replace ? MOVEFILE_REPLACE_EXISTING : 0) != FALSE;
      if (!moved && GetLastError() == ERROR_NOT_SAME_DEVICE)
        moved = move_across_volumes(*source, *destination, replace);
    }
    frame::assign(SourcePath, source->wide());
    frame::assign(DestanationPath, destination->wide());
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
