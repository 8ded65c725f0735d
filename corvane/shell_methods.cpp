// ChooseFolder, SetCurrentDir, FolderOrFileProperties, ClearGarbage,
// ShowGarbage and FileAssociation: the shell and the file-type registry.

#include <memory>
#include <optional>
#include <string>

#include "corvane_object.h"  // windows.h, which the shell headers below need
#include "frame/ansi_text.h"
#include "frame/arguments.h"
#include "frame/runtime_error.h"

#include <shellapi.h>
#include <shlobj.h>

namespace corvane {

using frame::AnsiText;
using frame::text_of;
using frame::window_of;

namespace {

struct TaskMemFree {
  void operator()(ITEMIDLIST* list) const { CoTaskMemFree(list); }
};
using ItemList = std::unique_ptr<ITEMIDLIST, TaskMemFree>;

#ifndef _WIN64
// The 32-bit records keep their packed layout and sizes.
static_assert(sizeof(SHELLEXECUTEINFOA) == 60);
static_assert(sizeof(SHFILEOPSTRUCTA) == 30);
#endif

}  // namespace

STDMETHODIMP CorvaneObject::ChooseFolder(LONG* hWnd, FolderType* WhereLook, BSTR* result) {
  return run(result, [&] {
    HWND owner = window_of(hWnd);
    LPITEMIDLIST root_list = nullptr;
    // A value that names no special folder leaves the root empty: the dialog
    // then starts at the desktop.
    if (FAILED(SHGetSpecialFolderLocation(owner, WhereLook ? static_cast<int>(*WhereLook) : 0, &root_list)))
      root_list = nullptr;
    ItemList root(root_list);

    BROWSEINFOA browse{};
    browse.hwndOwner = owner;
    browse.pidlRoot = root.get();
    browse.pszDisplayName = nullptr;
    browse.lpszTitle = "Select a Folder";
    browse.ulFlags = BIF_RETURNONLYFSDIRS;
    browse.lpfn = nullptr;
    browse.lParam = 0;
    browse.iImage = 0;
    ItemList chosen(SHBrowseForFolderA(&browse));
    if (!chosen) return std::wstring();  // cancelled

    // The wide form: a chosen folder whose name the code page cannot hold
    // comes back as it is, never as a "?" text that the caller's next call
    // would read as a pattern (deleting "C:\\Temp\\?????" recycles every
    // five-letter name there); and a path of MAX_PATH characters fits
    // whatever number of bytes the code page needs for it.
    std::wstring path(MAX_PATH, L'\0');
    SHGetPathFromIDListW(chosen.get(), path.data());
    return path.substr(0, path.find(L'\0'));
  });
}

STDMETHODIMP CorvaneObject::SetCurrentDir(BSTR* dirpath) {
  return run_void([&] {
    // A missing directory changes nothing; nor does a name that the code page
    // cannot hold, and the variable is not written.
    frame::with_exact_ansi(dirpath, [](char* path) { return SetCurrentDirectoryA(path); });
  });
}

STDMETHODIMP CorvaneObject::FolderOrFileProperties(BSTR* Path, LONG* hWnd) {
  return run_void([&] {
    // A name that the code page cannot hold names no file: no dialog.
    std::optional<AnsiText> path = frame::exact_ansi(text_of(Path));
    if (!path) return;
    SHELLEXECUTEINFOA execute{};
    execute.cbSize = sizeof execute;
    execute.fMask = SEE_MASK_INVOKEIDLIST | SEE_MASK_NOCLOSEPROCESS | SEE_MASK_FLAG_NO_UI;
    execute.hwnd = window_of(hWnd);
    execute.lpVerb = "properties";
    execute.lpFile = path->c_str();
    execute.lpParameters = "";
    execute.lpDirectory = "";
    execute.nShow = 0;
    ShellExecuteExA(&execute);  // the dialog lives on by itself; failures are silent
    frame::Handle process(execute.hProcess);
  });
}

STDMETHODIMP CorvaneObject::ClearGarbage(LONG* hWnd, VARIANT_BOOL* result) {
  return run(result, [&] {
    // All drives' bins; the shell asks the user first and shows no progress.
    SHEmptyRecycleBinA(window_of(hWnd), "", SHERB_NOPROGRESSUI);
    return true;
  });
}

STDMETHODIMP CorvaneObject::ShowGarbage(GarbShowMode* Mode, VARIANT_BOOL* result) {
  return run(result, [&] {
    long mode = Mode ? static_cast<long>(*Mode) : 0;
    if (mode >= SW_SHOWNORMAL && mode <= SW_SHOWMAXIMIZED) {
      // A new explorer window rooted at the recycle bin.
      ShellExecuteA(nullptr, "Open", "explorer.exe", "/root,::{645FF040-5081-101B-9F08-00AA002F954E}", nullptr,
                    static_cast<int>(mode));
    }
    return true;
  });
}

namespace {

// Opens or creates a key under the classes root and sets the default value
// of the key or of its sub-key; false when either step fails.
bool write_default(const std::string& key_name, const char* sub_key, const std::string& value) {
  frame::RegKey key;
  if (RegCreateKeyA(HKEY_CLASSES_ROOT, key_name.c_str(), key.put()) != ERROR_SUCCESS) return false;
  return RegSetValueA(key.get(), sub_key, REG_SZ, value.c_str(), static_cast<DWORD>(value.size())) == ERROR_SUCCESS;
}

}  // namespace

STDMETHODIMP CorvaneObject::FileAssociation(BSTR* Extention, BSTR* ProgrammName, BSTR* ProgrammPath,
                                            VARIANT_BOOL* result) {
  return run(result, [&] {
    std::optional<AnsiText> extension_text = frame::exact_ansi(text_of(Extention));
    std::optional<AnsiText> name_text = frame::exact_ansi(text_of(ProgrammName));
    std::optional<AnsiText> path_text = frame::exact_ansi(text_of(ProgrammPath));
    // A text that the code page cannot hold would write under a "?" name
    // that other texts share (and register a program that is not there).
    if (!extension_text || !name_text || !path_text) return false;
    std::string extension = extension_text->c_str();
    std::string name = name_text->c_str();
    std::string command = std::string(path_text->c_str()) + " %1";
    // An empty name would set the default value of the classes root itself.
    if (extension.empty() || name.empty()) return false;
    // Every write is made, in this order, whatever the earlier ones answered.
    bool program = write_default(name, "", name);
    bool extension_key = write_default("." + extension, "", name);
    bool open_command = write_default(name, "shell\\open\\command", command);
    // The shell caches associations (icons, the program that opens a double-
    // clicked file): after any change it is told to read them again.
    if (program || extension_key || open_command) SHChangeNotify(SHCNE_ASSOCCHANGED, SHCNF_IDLIST, nullptr, nullptr);
    return program && extension_key && open_command;
  });
}

}  // namespace corvane
