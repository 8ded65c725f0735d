#include "gradient_per_thread.h"

#include <map>

#include "frame/owners.h"
#include "frame/runtime_error.h"
#include "frame/server.h"
#include "gradient_object.h"

namespace velmora {

namespace {

// Each thread's painter; made with the first painter and freed with the
// last, so an unloaded library leaves nothing behind.
SRWLOCK g_painters_lock = SRWLOCK_INIT;
std::map<DWORD, _ClassForGradient*>* g_painters = nullptr;

// The instance was discounted from the module count when it was made; the
// count is restored just before its last reference goes.
void release_painter(_ClassForGradient* painter) {
  frame::module_add_ref();
  painter->Release();
}

void release_thread_painter() {
  _ClassForGradient* painter = nullptr;
  {
    frame::ExclusiveLock lock(g_painters_lock);
    if (!g_painters) return;
    auto found = g_painters->find(GetCurrentThreadId());
    if (found == g_painters->end()) return;
    painter = found->second;
    g_painters->erase(found);
  }
  release_painter(painter);
}

void release_all_painters() {
  std::map<DWORD, _ClassForGradient*>* all = nullptr;
  {
    frame::ExclusiveLock lock(g_painters_lock);
    std::swap(all, g_painters);
  }
  if (!all) return;
  for (auto& [thread, painter] : *all) release_painter(painter);
  delete all;
}

// Called by the loader for every thread that ends while the library is
// loaded, and once when the library is unloaded. At process exit (reserved
// set) other threads are gone, possibly holding the lock: nothing is touched.
void NTAPI on_thread_or_library_exit(PVOID, DWORD reason, PVOID reserved) {
  if (reason == DLL_THREAD_DETACH) release_thread_painter();
  if (reason == DLL_PROCESS_DETACH && !reserved) release_all_painters();
}

}  // namespace

_ClassForGradient* thread_gradient_painter() {
  const DWORD thread = GetCurrentThreadId();
  {
    frame::ExclusiveLock lock(g_painters_lock);
    if (g_painters) {
      auto found = g_painters->find(thread);
      if (found != g_painters->end()) return found->second;
    }
  }
  _ClassForGradient* painter = nullptr;
  if (FAILED(GradientObject::create(IID__ClassForGradient, reinterpret_cast<void**>(&painter))))
    frame::raise(frame::kOutOfMemory);
  frame::module_release();
  frame::ExclusiveLock lock(g_painters_lock);
  if (!g_painters) g_painters = new std::map<DWORD, _ClassForGradient*>();
  (*g_painters)[thread] = painter;
  return painter;
}

}  // namespace velmora

// The loader's thread and unload notifications reach us through the image's
// TLS callback list.
extern "C" __attribute__((section(".CRT$XLV"), used)) const PIMAGE_TLS_CALLBACK velmora_thread_exit_callback =
    velmora::on_thread_or_library_exit;
