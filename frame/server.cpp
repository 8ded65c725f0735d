// The four exports, the class objects and self-registration.
#include "server.h"

#include <atomic>
#include <iterator>
#include <string>

#include "dispatch.h"
#include "owners.h"
#include "registration.h"
#include "thread_block.h"

extern "C" IMAGE_DOS_HEADER __ImageBase;

namespace frame {

namespace {

std::atomic<long> g_module_count{0};
std::atomic<long> g_locks{0};  // LockServer(TRUE) calls not yet undone

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

// With nothing alive the host may free the library after this answer: the
// cached type information goes now, on the host's thread, for it must not be
// released under the loader lock in DllMain. A later instance loads it again.
HRESULT STDAPICALLTYPE DllCanUnloadNow() {
  if (module_count() != 0) return S_FALSE;
  release_dispatch_tables();
  return S_OK;
}

HRESULT STDAPICALLTYPE DllRegisterServer() { return register_library(Scope::machine); }

HRESULT STDAPICALLTYPE DllUnregisterServer() { return unregister_library(Scope::machine); }

// regsvr32 /n /i:user registers for the user only, /u /n /i:user removes that.
HRESULT STDAPICALLTYPE DllInstall(BOOL install, LPCWSTR command_line) {
  if (!command_line || CompareStringOrdinal(command_line, -1, L"user", -1, TRUE) != CSTR_EQUAL) return E_INVALIDARG;
  return install ? register_library(Scope::user) : unregister_library(Scope::user);
}

BOOL WINAPI DllMain(HINSTANCE module, DWORD reason, LPVOID reserved) {
#ifndef _WIN64
  // The 32-bit runtime registers the library's unwind tables with the
  // threading library at every load, which keeps a thread record (two
  // handles), a few hundred bytes and a thread-local slot that no unload gives
  // back; after about a thousand loads the host runs out of slots and aborts.
  // The x86 library therefore stays in the process once loaded: a host that
  // frees it and loads it again gets the same copy, and cycles cost nothing.
  if (reason == DLL_PROCESS_ATTACH) {
    HMODULE pinned = nullptr;
    GetModuleHandleExW(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_PIN,
                       reinterpret_cast<LPCWSTR>(module), &pinned);
  }
#else
  (void)module;
#endif
  // On FreeLibrary (not at process exit, when reserved is set and the
  // process is ending) hand back the runtime's exception reserve: a host that
  // loads and frees the library again and again must not pay for each load.
  // That is memory of our own runtime only; nothing of another module (the
  // type information, released in DllCanUnloadNow) is released under the
  // loader lock.
  if (reason == DLL_PROCESS_DETACH && reserved == nullptr) release_runtime();
  return TRUE;
}

}  // extern "C"
