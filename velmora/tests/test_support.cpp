#include "test_support.h"

#include <algorithm>
#include <chrono>

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

TestWindow::TestWindow(int width, int height, int x, int y, DWORD style, HMENU menu, DWORD ex_style) {
  RECT frame{0, 0, width, height};
  AdjustWindowRectEx(&frame, style, menu != nullptr, ex_style);
  window_ = CreateWindowExW(ex_style, test_window_class(), L"Velmora test", style, x, y, frame.right - frame.left,
                            frame.bottom - frame.top, nullptr, menu, GetModuleHandleW(nullptr), nullptr);
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
        [](HWND window, LPARAM context) -> BOOL {
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

}  // namespace velmora_test
