// CopyFiles, MoveFiles and DeleteFolderOrFile.

#include <optional>
#include <string>

#include "frame/arguments.h"

#include "corvane_object.h"  // windows.h, which the shell headers below need
#include "frame/ansi_text.h"
#include "frame/runtime_error.h"

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

}  // namespace

STDMETHODIMP CorvaneObject::CopyFiles(BSTR* SourcePath, BSTR* DestanationPath, VARIANT_BOOL* ReWrite,
                                      VARIANT_BOOL* result) {
  return run(result, [&] {
    // A name that the code page cannot hold copies nothing, and neither
    // variable is written.
    std::optional<AnsiText> source = frame::exact_ansi(text_of(SourcePath));
    std::optional<AnsiText> destination = frame::exact_ansi(text_of(DestanationPath));
    if (!source || !destination) return false;
    // ReWrite is handed on as the fail-if-exists flag: true keeps an
    // existing destination and the copy fails.
    BOOL fail_if_exists = frame::value_of(ReWrite);
    bool copied = CopyFileA(source->c_str(), destination->c_str(), fail_if_exists) != FALSE;
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
      replace = found != VARIANT_FALSE;
    }
    bool moved;
    if (replace && !is_directory(*destination)) {
      // The existing destination file goes only as part of a move that
      // succeeds, and never when it is the source itself.
      moved = !same_file(*source, *destination) &&
              MoveFileExA(source->c_str(), destination->c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_COPY_ALLOWED);
    } else {
      // A destination directory stays, and the move onto it fails.
      moved = MoveFileA(source->c_str(), destination->c_str()) != FALSE;
    }
    frame::assign(SourcePath, source->wide());
    frame::assign(DestanationPath, destination->wide());
    return moved;
  });
}

namespace {

// A file or a whole directory to the recycle bin, the user asked first or not.
// The shell recycles only absolute paths (a relative one it deletes for good)
// and reads a list of paths, so the path is made absolute and cut at its
// first NUL. The shell reads the path as a pattern: when the code page cannot
// hold the absolute path (the caller's text or the current directory), its
// "?" would send other files to the bin, so nothing is recycled (false).
bool recycle(std::wstring_view path_text, bool confirm) {
  std::wstring path(path_text.substr(0, path_text.find(L'\0')));
  std::wstring absolute(MAX_PATH, L'\0');
  DWORD length = GetFullPathNameW(path.c_str(), static_cast<DWORD>(absolute.size()), absolute.data(), nullptr);
  if (length >= absolute.size()) {
    absolute.assign(length, L'\0');
    length = GetFullPathNameW(path.c_str(), static_cast<DWORD>(absolute.size()), absolute.data(), nullptr);
  }
  absolute.resize(length < absolute.size() ? length : 0);
  std::optional<AnsiText> ansi = frame::exact_ansi(absolute);
  if (!ansi) return false;
  std::string list(ansi->c_str());
  list.append(2, '\0');  // the end of the one-entry list

  SHFILEOPSTRUCTA operation{};
  operation.hwnd = nullptr;
  operation.wFunc = FO_DELETE;
  operation.pFrom = list.c_str();
  operation.pTo = nullptr;
  operation.fFlags = static_cast<FILEOP_FLAGS>(confirm ? FOF_ALLOWUNDO : FOF_ALLOWUNDO | FOF_NOCONFIRMATION);
  SHFileOperationA(&operation);
  return true;
}

}  // namespace

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
