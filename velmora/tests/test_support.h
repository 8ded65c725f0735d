// Helpers for Velmora's tests under Wine: the DLL loaded by path, a test
// window, a stand-in host object answering by name, and a watcher that
// answers message boxes from another thread.
#pragma once

#include <windows.h>
#include <oleauto.h>
#include <activscp.h>

#include <atomic>
#include <map>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "frame/owners.h"
#include "velmora_h.h"

namespace velmora_test {

// The server's class objects, from the DLL in dist/.
template <class Interface>
frame::ComPtr<Interface> create(REFCLSID clsid, REFIID iid) {
  static HMODULE module = LoadLibraryW((std::wstring(SUITE_DIST_DIR) + L"/Velmora.dll").c_str());
  auto get_class_object = reinterpret_cast<HRESULT(STDAPICALLTYPE*)(REFCLSID, REFIID, void**)>(
      reinterpret_cast<void*>(GetProcAddress(module, "DllGetClassObject")));
  frame::ComPtr<IClassFactory> factory;
  frame::ComPtr<Interface> object;
  if (get_class_object && SUCCEEDED(get_class_object(clsid, IID_IClassFactory, reinterpret_cast<void**>(factory.put()))))
    factory->CreateInstance(nullptr, iid, reinterpret_cast<void**>(object.put()));
  return object;
}

HRESULT can_unload_now();

// A window with a client area of the given size, shown at (x, y): top-level,
// or a child of `parent`.
class TestWindow {
 public:
  TestWindow(int width, int height, int x = 20, int y = 20, DWORD style = WS_POPUP | WS_VISIBLE, HMENU menu = nullptr,
             DWORD ex_style = 0, HWND parent = nullptr);
  TestWindow(const TestWindow&) = delete;
  TestWindow& operator=(const TestWindow&) = delete;
  ~TestWindow();
  HWND get() const { return window_; }
  long as_long() const { return static_cast<long>(reinterpret_cast<LONG_PTR>(window_)); }
  void destroy();

 private:
  HWND window_ = nullptr;
};

// Pending messages of this thread, processed until none are left.
void pump_messages();

// A memory device context with a 32-bit bitmap of the given size, the way a
// picture box that keeps its drawing hands out its hDC.
class Canvas {
 public:
  Canvas(int width, int height, COLORREF fill = RGB(1, 2, 3));
  Canvas(const Canvas&) = delete;
  Canvas& operator=(const Canvas&) = delete;
  ~Canvas();
  HDC dc() const { return dc_; }
  long as_long() const { return static_cast<long>(reinterpret_cast<LONG_PTR>(dc_)); }
  COLORREF pixel(int x, int y) const { return GetPixel(dc_, x, y); }

 private:
  HDC dc_ = nullptr;
  HBITMAP bitmap_ = nullptr;
  HGDIOBJ previous_ = nullptr;
};

// A host object that answers named properties and logs each access as
// "get Name" or "put Name=value".
class TestHost final : public IDispatch {
 public:
  TestHost() = default;
  void set(const std::wstring& name, long value) { values_[name] = value; }
  void remove(const std::wstring& name) { values_.erase(name); }
  long value(const std::wstring& name) const { return values_.at(name); }
  const std::vector<std::wstring>& log() const { return log_; }
  void clear_log() { log_.clear(); }

  STDMETHODIMP QueryInterface(REFIID riid, void** object) override;
  STDMETHODIMP_(ULONG) AddRef() override { return ++references_; }
  STDMETHODIMP_(ULONG) Release() override { return --references_; }  // lives on the test's stack
  STDMETHODIMP GetTypeInfoCount(UINT* count) override { *count = 0; return S_OK; }
  STDMETHODIMP GetTypeInfo(UINT, LCID, ITypeInfo**) override { return E_NOTIMPL; }
  STDMETHODIMP GetIDsOfNames(REFIID, LPOLESTR* names, UINT count, LCID, DISPID* ids) override;
  STDMETHODIMP Invoke(DISPID id, REFIID, LCID, WORD flags, DISPPARAMS* params, VARIANT* result, EXCEPINFO*,
                      UINT*) override;

 private:
  std::map<std::wstring, long> values_;
  std::vector<std::wstring> names_;  // DISPID - 1 indexes this
  std::vector<std::wstring> log_;
  ULONG references_ = 1;
};

// Answers every message box of this process from its own thread: records
// title and text, then presses the button given.
class BoxWatcher {
 public:
  explicit BoxWatcher(int answer = IDOK);
  BoxWatcher(const BoxWatcher&) = delete;
  BoxWatcher& operator=(const BoxWatcher&) = delete;
  ~BoxWatcher();

  struct Box {
    std::wstring title;
    std::wstring text;
    HWND owner = nullptr;
  };
  std::vector<Box> boxes();
  void set_answer(int answer) { answer_ = answer; }

 private:
  void watch();
  std::atomic<bool> stop_{false};
  std::atomic<int> answer_;
  std::mutex mutex_;
  std::vector<Box> boxes_;
  std::vector<HWND> answered_;
  std::thread thread_;
};

// Room left in this process's GDI handle table: the platform's own count
// (GetGuiResources) is not kept by every implementation.
size_t free_gdi_handles();

// Records the input events that low-level keyboard and mouse hooks see, on a
// thread of its own with a message loop.
class InputRecorder {
 public:
  struct Event {
    bool keyboard;
    WPARAM message;   // WM_KEYDOWN, WM_RBUTTONUP, ...
    DWORD code;       // virtual key for the keyboard
    bool injected;
  };
  InputRecorder();
  InputRecorder(const InputRecorder&) = delete;
  InputRecorder& operator=(const InputRecorder&) = delete;
  ~InputRecorder();
  // Waits until the hook thread has seen what was queued so far.
  std::vector<Event> events(DWORD settle_ms = 300);

 private:
  void run();
  std::mutex mutex_;
  std::vector<Event> events_;
  DWORD thread_id_ = 0;
  HANDLE ready_;
  std::thread thread_;
};

// A VBScript engine inside the test process, so a script class instance can
// be handed to our methods next to real windows and device contexts.
class ScriptEngine {
 public:
  ScriptEngine();
  ScriptEngine(const ScriptEngine&) = delete;
  ScriptEngine& operator=(const ScriptEngine&) = delete;
  ~ScriptEngine();
  bool ready() const { return parse_ != nullptr; }
  HRESULT run(const std::wstring& code);
  // The value of an expression; Empty when it fails.
  frame::Variant eval(const std::wstring& expression);

 private:
  IActiveScript* script_ = nullptr;
  IActiveScriptParse* parse_ = nullptr;
  IActiveScriptSite* site_ = nullptr;
};

}  // namespace velmora_test
