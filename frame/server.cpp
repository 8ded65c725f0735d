// The four exports, the class objects and self-registration.
#include "server.h"

#include <atomic>
#include <iterator>
#include <string>

#include "dispatch.h"
#include "owners.h"
#include "thread_block.h"

extern "C" IMAGE_DOS_HEADER __ImageBase;

namespace frame {

namespace {

std::atomic<long> g_module_count{0};
std::atomic<long> g_locks{0};  // LockServer(TRUE) calls not yet undone

std::wstring guid_text(const GUID& guid) {
  wchar_t text[40] = {};
  StringFromGUID2(guid, text, 40);
  return text;
}

// One class object per class, for all of them the same code; it lives as long
// as the DLL, so its own reference count does not matter.
class ClassFactory final : public IClassFactory {
 public:
  constexpr explicit ClassFactory(size_t index) : index_(index) {}

  STDMETHODIMP QueryInterface(REFIID riid, void** object) override {
    if (!object) return E_POINTER;
    *object = nullptr;
    if (absent(&riid)) return E_INVALIDARG;
    if (IsEqualIID(riid, IID_IUnknown) || IsEqualIID(riid, IID_IClassFactory)) {
      *object = static_cast<IClassFactory*>(this);
      AddRef();
      return S_OK;
    }
    return E_NOINTERFACE;
  }
  STDMETHODIMP_(ULONG) AddRef() override { return 2; }
  STDMETHODIMP_(ULONG) Release() override { return 1; }

  STDMETHODIMP CreateInstance(IUnknown* outer, REFIID riid, void** object) override {
    if (!object) return E_POINTER;
    *object = nullptr;
    if (absent(&riid)) return E_INVALIDARG;
    if (outer) return CLASS_E_NOAGGREGATION;
    return library_identity().classes[index_].create(riid, object);
  }
  // An unlock without a lock is refused: it would let the library unload
  // under a living instance.
  STDMETHODIMP LockServer(BOOL lock) override {
    if (lock) {
      ++g_locks;
      module_add_ref();
      return S_OK;
    }
    long held = g_locks.load();
    do {
      if (held <= 0) return E_UNEXPECTED;
    } while (!g_locks.compare_exchange_weak(held, held - 1));
    module_release();
    return S_OK;
  }

 private:
  size_t index_;
};

// A library has at most this many classes.
ClassFactory g_factories[] = {ClassFactory(0), ClassFactory(1), ClassFactory(2), ClassFactory(3)};

LSTATUS set_value(HKEY root, const std::wstring& path, const wchar_t* name, const std::wstring& value) {
  RegKey key;
  LSTATUS status = RegCreateKeyExW(root, path.c_str(), 0, nullptr, 0, KEY_WRITE, nullptr, key.put(), nullptr);
  if (status != ERROR_SUCCESS) return status;
  return RegSetValueExW(key.get(), name, 0, REG_SZ, reinterpret_cast<const BYTE*>(value.c_str()),
                        static_cast<DWORD>((value.size() + 1) * sizeof(wchar_t)));
}

SYSKIND this_syskind() { return sizeof(void*) == 8 ? SYS_WIN64 : SYS_WIN32; }

HRESULT register_server() {
  const LibraryIdentity& library = library_identity();
  const std::wstring path = module_path();
  const std::wstring libid = guid_text(*library.libid);
  const std::wstring version = std::to_wstring(library.major_version) + L"." + std::to_wstring(library.minor_version);
  for (size_t i = 0; i < library.class_count; ++i) {
    const ClassEntry& entry = library.classes[i];
    const std::wstring clsid_key = L"CLSID\\" + guid_text(*entry.clsid);
    const std::wstring prog_id = entry.prog_id;
    const std::pair<std::wstring, std::pair<const wchar_t*, std::wstring>> values[] = {
        {clsid_key, {nullptr, prog_id}},
        {clsid_key + L"\\InprocServer32", {nullptr, path}},
        {clsid_key + L"\\InprocServer32", {L"ThreadingModel", L"Apartment"}},
        {clsid_key + L"\\ProgID", {nullptr, prog_id}},
        {clsid_key + L"\\TypeLib", {nullptr, libid}},
        {clsid_key + L"\\VERSION", {nullptr, version}},
        {prog_id, {nullptr, prog_id}},
        {prog_id + L"\\Clsid", {nullptr, guid_text(*entry.clsid)}},
    };
    for (const auto& [key, value] : values) {
      LSTATUS status = set_value(HKEY_CLASSES_ROOT, key, value.first, value.second);
      if (status != ERROR_SUCCESS) return HRESULT_FROM_WIN32(status);
    }
  }
  // The type library, and with it each dual interface with the standard
  // automation marshaller as its proxy.
  ComPtr<ITypeLib> type_library;
  HRESULT status = LoadTypeLibEx(path.c_str(), REGKIND_NONE, type_library.put());
  if (FAILED(status)) return status;
  std::wstring path_copy = path;
  return RegisterTypeLib(type_library.get(), path_copy.data(), nullptr);
}

HRESULT unregister_server() {
  const LibraryIdentity& library = library_identity();
  // Missing keys are fine: unregistering twice does no harm.
  UnRegisterTypeLib(*library.libid, library.major_version, library.minor_version, 0, this_syskind());
  for (size_t i = 0; i < library.class_count; ++i) {
    const ClassEntry& entry = library.classes[i];
    RegDeleteTreeW(HKEY_CLASSES_ROOT, (L"CLSID\\" + guid_text(*entry.clsid)).c_str());
    RegDeleteKeyW(HKEY_CLASSES_ROOT, (L"CLSID\\" + guid_text(*entry.clsid)).c_str());
    RegDeleteTreeW(HKEY_CLASSES_ROOT, entry.prog_id);
    RegDeleteKeyW(HKEY_CLASSES_ROOT, entry.prog_id);
    RegDeleteTreeW(HKEY_CLASSES_ROOT, (L"Interface\\" + guid_text(*entry.iid)).c_str());
    RegDeleteKeyW(HKEY_CLASSES_ROOT, (L"Interface\\" + guid_text(*entry.iid)).c_str());
  }
  RegDeleteTreeW(HKEY_CLASSES_ROOT, (L"TypeLib\\" + guid_text(*library.libid)).c_str());
  RegDeleteKeyW(HKEY_CLASSES_ROOT, (L"TypeLib\\" + guid_text(*library.libid)).c_str());
  return S_OK;
}

}  // namespace

void module_add_ref() { ++g_module_count; }
void module_release() { --g_module_count; }
long module_count() { return g_module_count.load(); }

std::wstring module_path() {
  std::wstring path(MAX_PATH, L'\0');
  for (;;) {
    DWORD length = GetModuleFileNameW(reinterpret_cast<HMODULE>(&__ImageBase), path.data(), static_cast<DWORD>(path.size()));
    if (length < path.size()) {
      path.resize(length);
      return path;
    }
    path.resize(path.size() * 2);
  }
}

const ClassEntry& class_for_interface(REFIID iid) {
  const LibraryIdentity& library = library_identity();
  for (size_t i = 0; i < library.class_count; ++i)
    if (IsEqualIID(*library.classes[i].iid, iid)) return library.classes[i];
  return library.classes[0];
}

}  // namespace frame

using namespace frame;

extern "C" {

HRESULT STDAPICALLTYPE DllGetClassObject(REFCLSID clsid, REFIID riid, void** object) {
  if (!object) return E_POINTER;
  *object = nullptr;
  if (absent(&clsid) || absent(&riid)) return E_INVALIDARG;
  const LibraryIdentity& library = library_identity();
  for (size_t i = 0; i < library.class_count && i < std::size(g_factories); ++i)
    if (IsEqualCLSID(clsid, *library.classes[i].clsid)) return g_factories[i].QueryInterface(riid, object);
  return CLASS_E_CLASSNOTAVAILABLE;
}

HRESULT STDAPICALLTYPE DllCanUnloadNow() { return module_count() == 0 ? S_OK : S_FALSE; }

HRESULT STDAPICALLTYPE DllRegisterServer() { return register_server(); }

HRESULT STDAPICALLTYPE DllUnregisterServer() { return unregister_server(); }

BOOL WINAPI DllMain(HINSTANCE, DWORD reason, LPVOID reserved) {
  // On FreeLibrary (not at process exit) hand back the cached type
  // information and the runtime's exception reserve: a host that loads and
  // frees the library again and again must not pay for each load.
  if (reason == DLL_PROCESS_DETACH && reserved == nullptr) {
    release_dispatch_tables();
    release_runtime();
  }
  return TRUE;
}

}  // extern "C"
