// Recycling through the shell. Two ways, chosen by what the platform offers:
// the file operation object, whose progress sink is told before each delete
// whether the bin will take the item and refuses any permanent delete; and,
// where that object is missing or a stub (Wine 8), the shell's older file
// operation, whose question before a permanent delete is never shown and so
// answered No. Either way the answer is read from the file system afterwards.

#include "recycle.h"

#include <algorithm>
#include <optional>
#include <string>
#include <vector>

#include "corvane_object.h"  // windows.h, which the shell headers below need
#include "frame/ansi_text.h"
#include "frame/owners.h"
#include "recycle_verdict.h"
#include "wide_text.h"

#include <shellapi.h>
#include <shlobj.h>
#include <shobjidl.h>

namespace corvane {

namespace {

bool there(const std::wstring& path) { return GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES; }

// Told before and after each item of the operation. Lives on the stack for
// one operation, so its reference count is not kept.
class BinOnlySink final : public IFileOperationProgressSink {
 public:
  bool refused() const { return refused_; }
  bool deleted_for_good() const { return deleted_for_good_; }

  STDMETHODIMP QueryInterface(REFIID iid, void** object) override {
    if (!object) return E_POINTER;
    *object = nullptr;
    if (iid != IID_IUnknown && iid != IID_IFileOperationProgressSink) return E_NOINTERFACE;
    *object = static_cast<IFileOperationProgressSink*>(this);
    return S_OK;
  }
  STDMETHODIMP_(ULONG) AddRef() override { return 2; }
  STDMETHODIMP_(ULONG) Release() override { return 1; }

  // Without the recycle flag the item would be deleted for good (no bin on
  // the volume, a network or removable drive, an item too big for the bin):
  // a failure here cancels that delete and everything after it.
  STDMETHODIMP PreDeleteItem(DWORD flags, IShellItem*) override {
    if (flags & TSF_DELETE_RECYCLE_IF_POSSIBLE) return S_OK;
    refused_ = true;
    return HRESULT_FROM_WIN32(ERROR_CANCELLED);
  }
  STDMETHODIMP PostDeleteItem(DWORD, IShellItem*, HRESULT result, IShellItem* in_bin) override {
    if (SUCCEEDED(result) && !in_bin) deleted_for_good_ = true;
    return S_OK;
  }

  STDMETHODIMP StartOperations() override { return S_OK; }
  STDMETHODIMP FinishOperations(HRESULT) override { return S_OK; }
  STDMETHODIMP PreRenameItem(DWORD, IShellItem*, LPCWSTR) override { return S_OK; }
  STDMETHODIMP PostRenameItem(DWORD, IShellItem*, LPCWSTR, HRESULT, IShellItem*) override { return S_OK; }
  STDMETHODIMP PreMoveItem(DWORD, IShellItem*, IShellItem*, LPCWSTR) override { return S_OK; }
  STDMETHODIMP PostMoveItem(DWORD, IShellItem*, IShellItem*, LPCWSTR, HRESULT, IShellItem*) override { return S_OK; }
  STDMETHODIMP PreCopyItem(DWORD, IShellItem*, IShellItem*, LPCWSTR) override { return S_OK; }
  STDMETHODIMP PostCopyItem(DWORD, IShellItem*, IShellItem*, LPCWSTR, HRESULT, IShellItem*) override { return S_OK; }
  STDMETHODIMP PreNewItem(DWORD, IShellItem*, LPCWSTR) override { return S_OK; }
  STDMETHODIMP PostNewItem(DWORD, IShellItem*, LPCWSTR, LPCWSTR, DWORD, HRESULT, IShellItem*) override { return S_OK; }
  STDMETHODIMP UpdateProgress(UINT, UINT) override { return S_OK; }
  STDMETHODIMP ResetTimer() override { return S_OK; }
  STDMETHODIMP PauseTimer() override { return S_OK; }
  STDMETHODIMP ResumeTimer() override { return S_OK; }

 private:
  bool refused_ = false;
  bool deleted_for_good_ = false;
};

// What one way of recycling reports beside the file system.
struct Report {
  bool refused = false;
  bool deleted_for_good = false;
};

// Through the file operation object; nothing (and nothing done) where the
// platform does not offer it: no such object, or a stub of it that answers
// "not implemented" (Wine 8). Any other failure sends nothing.
std::optional<Report> through_file_operation(const std::vector<std::wstring>& items, bool confirm) {
  BinOnlySink sink;  // outlives the operation, which holds it until released
  frame::ComPtr<IFileOperation> operation;
  if (FAILED(CoCreateInstance(CLSID_FileOperation, nullptr, CLSCTX_INPROC_SERVER, IID_IFileOperation,
                              reinterpret_cast<void**>(operation.put()))))
    return std::nullopt;
  // Without the caller's question no dialog at all: no confirmation, no
  // error box (an "in use" box would hang an unattended script), no progress.
  DWORD flags = FOF_ALLOWUNDO | FOFX_RECYCLEONDELETE;
  if (!confirm) flags |= FOF_NOCONFIRMATION | FOF_NOERRORUI | FOF_SILENT;
  DWORD cookie = 0;
  HRESULT status = operation->SetOperationFlags(flags);
  if (SUCCEEDED(status)) status = operation->Advise(&sink, &cookie);
  if (status == E_NOTIMPL) return std::nullopt;
  if (FAILED(status)) return Report{};
  for (const std::wstring& path : items) {
    frame::ComPtr<IShellItem> item;
    status = SHCreateItemFromParsingName(path.c_str(), nullptr, IID_IShellItem, reinterpret_cast<void**>(item.put()));
    if (SUCCEEDED(status)) status = operation->DeleteItem(item.get(), nullptr);
    if (FAILED(status)) break;
  }
  if (SUCCEEDED(status)) status = operation->PerformOperations();
  operation->Unadvise(cookie);
  if (status == E_NOTIMPL) return std::nullopt;
  return Report{sink.refused(), sink.deleted_for_good()};
}

// Keeps the shell's dialog boxes off the screen for one operation on this
// thread: the first `allowed` of them appear (the question the caller wants
// the user to answer), every further one is never created, which the shell
// reads as No. Only the outermost guard of a thread hooks: a call made from
// inside an allowed dialog's message loop shares the hook.
class DialogGuard {
 public:
  explicit DialogGuard(int allowed) : allowed_(allowed), outer_(current_) {
    if (!outer_) hook_ = SetWindowsHookExW(WH_CBT, &DialogGuard::on_window, nullptr, GetCurrentThreadId());
    current_ = this;
  }
  ~DialogGuard() {
    current_ = outer_;
    if (hook_) UnhookWindowsHookEx(hook_);
  }
  DialogGuard(const DialogGuard&) = delete;
  DialogGuard& operator=(const DialogGuard&) = delete;

  bool ready() const { return hook_ || (outer_ && outer_->ready()); }
  bool refused_any() const { return refused_; }

 private:
  static bool is_dialog_box(const CREATESTRUCTW& window) {
    if (window.style & WS_CHILD) return false;  // a page inside a dialog that was let through
    const wchar_t* name = window.lpszClass;
    if (IS_INTRESOURCE(name)) return LOWORD(reinterpret_cast<ULONG_PTR>(name)) == 0x8002;  // WC_DIALOG
    return name && std::wstring_view(name) == L"#32770";
  }
  static LRESULT CALLBACK on_window(int code, WPARAM window, LPARAM data) {
    if (code == HCBT_CREATEWND && current_ && is_dialog_box(*reinterpret_cast<CBT_CREATEWNDW*>(data)->lpcs)) {
      if (current_->allowed_ == 0) {
        current_->refused_ = true;
        return 1;  // the window is not created
      }
      --current_->allowed_;
    }
    return CallNextHookEx(nullptr, code, window, data);
  }

  static thread_local DialogGuard* current_;
  int allowed_;
  bool refused_ = false;
  DialogGuard* outer_;
  HHOOK hook_ = nullptr;
};

thread_local DialogGuard* DialogGuard::current_ = nullptr;

// Through the shell's older file operation. What the bin cannot take, this
// shell deletes for good without a word unless asked to warn first; the
// warning is a question that the guard answers No.
Report through_shell_operation(const std::vector<std::wstring>& items, bool confirm) {
  std::wstring list;  // each path ended by a NUL, the list by a second one
  for (const std::wstring& path : items) list.append(path).push_back(L'\0');
  list.push_back(L'\0');
  SHFILEOPSTRUCTW operation{};
  operation.hwnd = nullptr;
  operation.wFunc = FO_DELETE;
  operation.pFrom = list.c_str();
  operation.pTo = nullptr;
  FILEOP_FLAGS flags = FOF_ALLOWUNDO | FOF_WANTNUKEWARNING;
  if (!confirm) flags |= FOF_NOCONFIRMATION | FOF_NOERRORUI | FOF_SILENT;
  operation.fFlags = flags;
  DialogGuard guard(confirm ? 1 : 0);
  // Unguarded, the shell could ask, or delete for good: nothing is done.
  if (!guard.ready()) return Report{true, false};
  SHFileOperationW(&operation);
  return Report{guard.refused_any(), false};
}

// The items that an absolute path names: the item itself, or for a pattern
// each match in its folder (as the shell would expand it), by its exact name.
std::vector<std::wstring> items_named(const std::wstring& path) {
  std::vector<std::wstring> items;
  if (path.find_first_of(L"*?") == std::wstring::npos) {
    if (there(path)) items.push_back(path);
    return items;
  }
  std::wstring folder = path.substr(0, path.rfind(L'\\') + 1);
  WIN32_FIND_DATAW found;
  frame::FindHandle search(FindFirstFileW(path.c_str(), &found));
  if (!search) return items;
  do {
    std::wstring_view name = found.cFileName;
    if (name != L"." && name != L"..") items.push_back(folder + found.cFileName);
  } while (FindNextFileW(search.get(), &found));
  return items;
}

// A file that another program holds without sharing its deletion cannot
// leave its place (Wine would still move it).
bool held(const std::wstring& path) {
  DWORD attributes = GetFileAttributesW(path.c_str());
  if (attributes == INVALID_FILE_ATTRIBUTES || (attributes & FILE_ATTRIBUTE_DIRECTORY)) return false;
  frame::Handle file(CreateFileW(path.c_str(), DELETE, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                 OPEN_EXISTING, 0, nullptr));
  return !file;
}

}  // namespace

// The shell recycles only absolute paths (a relative one it deletes for good)
// and reads a list of paths, so the path is made absolute and cut at its first
// NUL. A path that the code page cannot hold (the caller's text or the current
// directory) is refused, as for every 8-bit call of this library. The
// caller's wildcards stay patterns: every match is an item.
bool recycle(std::wstring_view path_text, bool confirm) {
  std::wstring path(path_text.substr(0, path_text.find(L'\0')));
  std::wstring absolute = absolute_path(path);  // empty: names nothing
  if (!frame::exact_ansi(absolute)) return false;

  std::vector<std::wstring> items = items_named(absolute);
  auto any_there = [&] { return std::any_of(items.begin(), items.end(), there); };
  RecycleFacts facts;
  facts.there_before = any_there();
  if (!facts.there_before) return recycle_answer(recycle_outcome(facts));
  if (std::any_of(items.begin(), items.end(), held)) return false;

  std::optional<Report> report = through_file_operation(items, confirm);
  if (!report) report = through_shell_operation(items, confirm);
  facts.there_after = any_there();
  facts.permanent_delete_refused = report->refused;
  facts.deleted_for_good = report->deleted_for_good;
  return recycle_answer(recycle_outcome(facts));
}

}  // namespace corvane
