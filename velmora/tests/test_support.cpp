#include "test_support.h"

#include <algorithm>
#include <chrono>
#include <cstdio>

namespace velmora_test {

HRESULT can_unload_now() {
  HMODULE module = GetModuleHandleW((std::wstring(SUITE_DIST_DIR) + L"/Velmora.dll").c_str());
  auto entry = reinterpret_cast<HRESULT(STDAPICALLTYPE*)()>(reinterpret_cast<void*>(GetProcAddress(module, "DllCanUnloadNow")));
  return entry ? entry() : E_FAIL;
}

namespace {

LRESULT CALLBACK test_window_procedure(HWND window, UINT message, WPARAM w, LPARAM l) {
  return DefWindowProcW(window, message, w, l);
}

const wchar_t* test_window_class() {
  static const wchar_t* name = [] {
    WNDCLASSW window_class{};
    window_class.lpfnWndProc = test_window_procedure;
    window_class.hInstance = GetModuleHandleW(nullptr);
    window_class.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    window_class.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1);
    window_class.lpszClassName = L"VelmoraTestWindow";
    RegisterClassW(&window_class);
    return L"VelmoraTestWindow";
  }();
  return name;
}

}  // namespace

TestWindow::TestWindow(int width, int height, int x, int y, DWORD style, HMENU menu, DWORD ex_style, HWND parent) {
  RECT frame{0, 0, width, height};
  AdjustWindowRectEx(&frame, style, menu != nullptr, ex_style);
  window_ = CreateWindowExW(ex_style, test_window_class(), L"Velmora test", style, x, y, frame.right - frame.left,
                            frame.bottom - frame.top, parent, menu, GetModuleHandleW(nullptr), nullptr);
  pump_messages();
}

TestWindow::~TestWindow() { destroy(); }

void TestWindow::destroy() {
  if (window_) DestroyWindow(window_);
  window_ = nullptr;
  pump_messages();
}

void pump_messages() {
  MSG message;
  while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
    TranslateMessage(&message);
    DispatchMessageW(&message);
  }
}

Canvas::Canvas(int width, int height, COLORREF fill) {
  HDC screen = GetDC(nullptr);
  dc_ = CreateCompatibleDC(screen);
  BITMAPINFO info{};
  info.bmiHeader.biSize = sizeof info.bmiHeader;
  info.bmiHeader.biWidth = width;
  info.bmiHeader.biHeight = -height;
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 32;
  void* bits = nullptr;
  bitmap_ = CreateDIBSection(screen, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
  ReleaseDC(nullptr, screen);
  previous_ = SelectObject(dc_, bitmap_);
  RECT all{0, 0, width, height};
  HBRUSH brush = CreateSolidBrush(fill);
  FillRect(dc_, &all, brush);
  DeleteObject(brush);
}

Canvas::~Canvas() {
  SelectObject(dc_, previous_);
  DeleteObject(bitmap_);
  DeleteDC(dc_);
}

STDMETHODIMP TestHost::QueryInterface(REFIID riid, void** object) {
  if (IsEqualIID(riid, IID_IUnknown) || IsEqualIID(riid, IID_IDispatch)) {
    *object = static_cast<IDispatch*>(this);
    AddRef();
    return S_OK;
  }
  *object = nullptr;
  return E_NOINTERFACE;
}

STDMETHODIMP TestHost::GetIDsOfNames(REFIID, LPOLESTR* names, UINT count, LCID, DISPID* ids) {
  if (count != 1) return E_INVALIDARG;
  for (const auto& [name, value] : values_) {
    if (_wcsicmp(name.c_str(), names[0]) != 0) continue;
    auto found = std::find(names_.begin(), names_.end(), name);
    if (found == names_.end()) found = names_.insert(names_.end(), name);
    ids[0] = static_cast<DISPID>(found - names_.begin()) + 1;
    return S_OK;
  }
  ids[0] = DISPID_UNKNOWN;
  return DISP_E_UNKNOWNNAME;
}

STDMETHODIMP TestHost::Invoke(DISPID id, REFIID, LCID, WORD flags, DISPPARAMS* params, VARIANT* result, EXCEPINFO*,
                              UINT*) {
  if (id < 1 || static_cast<size_t>(id) > names_.size()) return DISP_E_MEMBERNOTFOUND;
  const std::wstring& name = names_[id - 1];
  if (!values_.count(name)) return DISP_E_MEMBERNOTFOUND;
  if (flags & DISPATCH_PROPERTYPUT) {
    if (!params || params->cArgs != 1) return DISP_E_BADPARAMCOUNT;
    frame::Variant value;
    if (FAILED(VariantChangeType(value.get(), &params->rgvarg[0], 0, VT_I4))) return DISP_E_TYPEMISMATCH;
    values_[name] = V_I4(value.get());
    log_.push_back(L"put " + name + L"=" + std::to_wstring(V_I4(value.get())));
    return S_OK;
  }
  log_.push_back(L"get " + name);
  if (result) {
    VariantInit(result);
    V_VT(result) = VT_I4;
    V_I4(result) = values_[name];
  }
  return S_OK;
}

BoxWatcher::BoxWatcher(int answer) : answer_(answer), thread_([this] { watch(); }) {}

BoxWatcher::~BoxWatcher() {
  stop_ = true;
  thread_.join();
}

std::vector<BoxWatcher::Box> BoxWatcher::boxes() {
  std::lock_guard<std::mutex> lock(mutex_);
  return boxes_;
}

void BoxWatcher::watch() {
  while (!stop_) {
    struct Search {
      DWORD process;
      std::vector<HWND> found;
    } search{GetCurrentProcessId(), {}};
    EnumWindows(
        [](HWND window, LPARAM context) CALLBACK -> BOOL {
          auto* search = reinterpret_cast<Search*>(context);
          DWORD process = 0;
          GetWindowThreadProcessId(window, &process);
          wchar_t class_name[16] = {};
          GetClassNameW(window, class_name, 16);
          if (process == search->process && IsWindowVisible(window) && wcscmp(class_name, L"#32770") == 0)
            search->found.push_back(window);
          return TRUE;
        },
        reinterpret_cast<LPARAM>(&search));
    for (HWND box : search.found) {
      std::lock_guard<std::mutex> lock(mutex_);
      if (std::find(answered_.begin(), answered_.end(), box) != answered_.end()) continue;
      Box seen;
      wchar_t text[512] = {};
      GetWindowTextW(box, text, 512);
      seen.title = text;
      text[0] = 0;
      GetDlgItemTextW(box, 0xFFFF, text, 512);
      seen.text = text;
      seen.owner = GetWindow(box, GW_OWNER);
      boxes_.push_back(seen);
      answered_.push_back(box);
      const int answer = answer_;
      PostMessageW(box, WM_COMMAND, MAKEWPARAM(answer, BN_CLICKED), reinterpret_cast<LPARAM>(GetDlgItem(box, answer)));
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
  }
}

size_t free_gdi_handles() {
  std::vector<HPEN> pens;
  while (pens.size() < 200000) {
    HPEN pen = CreatePen(PS_SOLID, 1, RGB(1, 2, 3));
    if (!pen) break;
    pens.push_back(pen);
  }
  for (HPEN pen : pens) DeleteObject(pen);
  return pens.size();
}

namespace {
InputRecorder* g_recorder = nullptr;
}

InputRecorder::InputRecorder() : ready_(CreateEventW(nullptr, TRUE, FALSE, nullptr)) {
  g_recorder = this;
  thread_ = std::thread([this] { run(); });
  WaitForSingleObject(ready_, 5000);
}

InputRecorder::~InputRecorder() {
  PostThreadMessageW(thread_id_, WM_QUIT, 0, 0);
  thread_.join();
  CloseHandle(ready_);
  g_recorder = nullptr;
}

std::vector<InputRecorder::Event> InputRecorder::events(DWORD settle_ms) {
  Sleep(settle_ms);
  std::lock_guard<std::mutex> lock(mutex_);
  return events_;
}

void InputRecorder::run() {
  thread_id_ = GetCurrentThreadId();
  auto keyboard = [](int code, WPARAM message, LPARAM data) CALLBACK -> LRESULT {
    if (code == HC_ACTION && g_recorder) {
      auto* info = reinterpret_cast<KBDLLHOOKSTRUCT*>(data);
      std::lock_guard<std::mutex> lock(g_recorder->mutex_);
      g_recorder->events_.push_back({true, message, info->vkCode, (info->flags & LLKHF_INJECTED) != 0});
    }
    return code == HC_ACTION ? 1 : CallNextHookEx(nullptr, code, message, data);  // swallowed: nothing acts on it
  };
  auto mouse = [](int code, WPARAM message, LPARAM data) CALLBACK -> LRESULT {
    if (code == HC_ACTION && g_recorder && message != WM_MOUSEMOVE) {
      auto* info = reinterpret_cast<MSLLHOOKSTRUCT*>(data);
      std::lock_guard<std::mutex> lock(g_recorder->mutex_);
      g_recorder->events_.push_back({false, message, 0, (info->flags & LLMHF_INJECTED) != 0});
    }
    return CallNextHookEx(nullptr, code, message, data);
  };
  HHOOK keyboard_hook = SetWindowsHookExW(WH_KEYBOARD_LL, keyboard, GetModuleHandleW(nullptr), 0);
  HHOOK mouse_hook = SetWindowsHookExW(WH_MOUSE_LL, mouse, GetModuleHandleW(nullptr), 0);
  MSG message;
  PeekMessageW(&message, nullptr, 0, 0, PM_NOREMOVE);  // the thread's queue exists before anyone posts
  SetEvent(ready_);
  while (GetMessageW(&message, nullptr, 0, 0) > 0) DispatchMessageW(&message);
  UnhookWindowsHookEx(keyboard_hook);
  UnhookWindowsHookEx(mouse_hook);
}

namespace {

class ScriptSite final : public IActiveScriptSite {
 public:
  STDMETHODIMP QueryInterface(REFIID riid, void** object) override {
    if (IsEqualIID(riid, IID_IUnknown) || IsEqualIID(riid, __uuidof(IActiveScriptSite))) {
      *object = static_cast<IActiveScriptSite*>(this);
      AddRef();
      return S_OK;
    }
    *object = nullptr;
    return E_NOINTERFACE;
  }
  STDMETHODIMP_(ULONG) AddRef() override { return ++references_; }
  STDMETHODIMP_(ULONG) Release() override {
    ULONG left = --references_;
    if (left == 0) delete this;
    return left;
  }
  STDMETHODIMP GetLCID(LCID* lcid) override { *lcid = LOCALE_USER_DEFAULT; return S_OK; }
  STDMETHODIMP GetItemInfo(LPCOLESTR, DWORD, IUnknown**, ITypeInfo**) override { return TYPE_E_ELEMENTNOTFOUND; }
  STDMETHODIMP GetDocVersionString(BSTR*) override { return E_NOTIMPL; }
  STDMETHODIMP OnScriptTerminate(const VARIANT*, const EXCEPINFO*) override { return S_OK; }
  STDMETHODIMP OnStateChange(SCRIPTSTATE) override { return S_OK; }
  STDMETHODIMP OnScriptError(IActiveScriptError* error) override {
    // Shown in the test's output: the script text is part of the test.
    EXCEPINFO exception{};
    DWORD context = 0;
    ULONG line = 0;
    LONG column = 0;
    error->GetExceptionInfo(&exception);
    error->GetSourcePosition(&context, &line, &column);
    std::fwprintf(stderr, L"script error at line %lu: %ls\n", line + 1,
                  exception.bstrDescription ? exception.bstrDescription : L"?");
    SysFreeString(exception.bstrSource);
    SysFreeString(exception.bstrDescription);
    SysFreeString(exception.bstrHelpFile);
    return S_OK;
  }
  STDMETHODIMP OnEnterScript() override { return S_OK; }
  STDMETHODIMP OnLeaveScript() override { return S_OK; }

 private:
  ULONG references_ = 1;
};

}  // namespace

ScriptEngine::ScriptEngine() {
  CLSID vbscript{};
  if (FAILED(CLSIDFromProgID(L"VBScript", &vbscript))) return;
  if (FAILED(CoCreateInstance(vbscript, nullptr, CLSCTX_INPROC_SERVER, __uuidof(IActiveScript),
                              reinterpret_cast<void**>(&script_))))
    return;
  site_ = new ScriptSite();
  IActiveScriptParse* parse = nullptr;
  if (FAILED(script_->QueryInterface(__uuidof(IActiveScriptParse), reinterpret_cast<void**>(&parse)))) return;
  if (FAILED(script_->SetScriptSite(site_)) || FAILED(parse->InitNew()) ||
      FAILED(script_->SetScriptState(SCRIPTSTATE_STARTED))) {
    parse->Release();
    return;
  }
  parse_ = parse;
}

ScriptEngine::~ScriptEngine() {
  if (parse_) parse_->Release();
  if (script_) {
    script_->Close();
    script_->Release();
  }
  if (site_) site_->Release();
}

HRESULT ScriptEngine::run(const std::wstring& code) {
  if (!parse_) return E_FAIL;
  EXCEPINFO exception{};
  HRESULT status = parse_->ParseScriptText(code.c_str(), nullptr, nullptr, nullptr, 0, 0, 0, nullptr, &exception);
  SysFreeString(exception.bstrSource);
  SysFreeString(exception.bstrDescription);
  SysFreeString(exception.bstrHelpFile);
  return status;
}

frame::Variant ScriptEngine::eval(const std::wstring& expression) {
  frame::Variant value;
  if (!parse_) return value;
  EXCEPINFO exception{};
  parse_->ParseScriptText(expression.c_str(), nullptr, nullptr, nullptr, 0, 0, SCRIPTTEXT_ISEXPRESSION, value.get(),
                          &exception);
  SysFreeString(exception.bstrSource);
  SysFreeString(exception.bstrDescription);
  SysFreeString(exception.bstrHelpFile);
  return value;
}

}  // namespace velmora_test
