// Answers the modal dialogs that a call under test shows: a thread of its own
// waits for a dialog box of this process, notes its texts and acts on it (a
// button, a message), so the call can return.
#pragma once

#include <windows.h>

#include <atomic>
#include <chrono>
#include <functional>
#include <string>
#include <thread>

namespace corvane_test {

class DialogWatcher {
 public:
  using Action = std::function<void(HWND dialog)>;

  explicit DialogWatcher(Action act, std::chrono::milliseconds patience = std::chrono::seconds(30))
      : act_(std::move(act)), patience_(patience), thread_([this] { watch(); }) {}
  DialogWatcher(const DialogWatcher&) = delete;
  DialogWatcher& operator=(const DialogWatcher&) = delete;
  ~DialogWatcher() { stop(); }

  // Ends the watch (after the call under test has returned).
  void stop() {
    stopping_ = true;
    if (thread_.joinable()) thread_.join();
  }
  bool seen() const { return seen_; }
  // The caption and the texts of all the dialog's controls, one per line.
  const std::wstring& texts() const { return texts_; }

  // Presses a button of the dialog.
  static void press(HWND dialog, int id) {
    PostMessageW(dialog, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), reinterpret_cast<LPARAM>(GetDlgItem(dialog, id)));
  }
  // Presses Yes where the dialog has it, else OK.
  static void agree(HWND dialog) { press(dialog, GetDlgItem(dialog, IDYES) ? IDYES : IDOK); }
  static void refuse(HWND dialog) { press(dialog, GetDlgItem(dialog, IDNO) ? IDNO : IDCANCEL); }

 private:
  struct Search {
    DWORD process;
    HWND found;
  };
  static BOOL CALLBACK consider(HWND window, LPARAM data) {
    auto* search = reinterpret_cast<Search*>(data);
    DWORD process = 0;
    GetWindowThreadProcessId(window, &process);
    wchar_t name[32] = {};
    GetClassNameW(window, name, 32);
    if (process == search->process && IsWindowVisible(window) && std::wstring(name) == L"#32770") {
      search->found = window;
      return FALSE;
    }
    return TRUE;
  }
  static HWND find_dialog() {
    Search search{GetCurrentProcessId(), nullptr};
    EnumWindows(consider, reinterpret_cast<LPARAM>(&search));
    return search.found;
  }
  static BOOL CALLBACK collect_text(HWND child, LPARAM data) {
    *reinterpret_cast<std::wstring*>(data) += text_of(child) + L"\n";
    return TRUE;
  }

  static std::wstring text_of(HWND window) {
    wchar_t text[512] = {};
    GetWindowTextW(window, text, 512);
    return text;
  }

  void watch() {
    auto deadline = std::chrono::steady_clock::now() + patience_;
    while (!stopping_ && std::chrono::steady_clock::now() < deadline) {
      if (HWND dialog = find_dialog()) {
        // Let the dialog finish its own setup first.
        std::this_thread::sleep_for(std::chrono::milliseconds(300));
        texts_ = text_of(dialog) + L"\n";
        EnumChildWindows(dialog, collect_text, reinterpret_cast<LPARAM>(&texts_));
        seen_ = true;
        act_(dialog);
        return;
      }
      std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
  }

  Action act_;
  std::chrono::milliseconds patience_;
  std::atomic<bool> stopping_{false};
  std::atomic<bool> seen_{false};
  std::wstring texts_;
  std::thread thread_;
};

}  // namespace corvane_test
