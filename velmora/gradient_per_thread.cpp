#include "gradient_per_thread.h"

#include <map>
#include <mutex>

#include "frame/runtime_error.h"
#include "frame/server.h"
#include "gradient_object.h"

namespace velmora {

namespace {

std::mutex g_painters_mutex;
std::map<DWORD, _ClassForGradient*>& painters() {
  static auto* map = new std::map<DWORD, _ClassForGradient*>();  // outlives static destruction order
  return *map;
}

// The instance was discounted from the module count when it was made; the
// count is restored just before its last reference goes.
void release_painter(_ClassForGradient* painter) {
  frame::module_add_ref();
  painter->Release();
}

void release_thread_painter() {
  _ClassForGradient* painter = nullptr;
  {
    std::lock_guard<std::mutex> lock(g_painters_mutex);
    auto found = painters().find(GetCurrentThreadId());
    if (found == painters().end()) return;
    painter = found->second;
    painters().erase(found);
  }
  release_painter(painter);
}

void release_all_painters() {
  std::map<DWORD, _ClassForGradient*> all;
  {
    std::lock_guard<std::mutex> lock(g_painters_mutex);
    all.swap(painters());
  }
  for (auto& [thread, painter] : all) release_painter(painter);
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
    std::lock_guard<std::mutex> lock(g_painters_mutex);
    auto found = painters().find(thread);
    if (found != painters().end()) return found->second;
  }
  _ClassForGradient* painter = nullptr;
  if (FAILED(GradientObject::create(IID__ClassForGradient, reinterpret_cast<void**>(&painter))))
    frame::raise(frame::kOutOfMemory);
  frame::module_release();
  std::lock_guard<std::mutex> lock(g_painters_mutex);
  painters()[thread] = painter;
  return painter;
}

}  // namespace velmora

// The loader's thread and unload notifications reach us through the image's
// TLS callback list.
extern "C" __attribute__((section(".CRT$XLV"), used)) const PIMAGE_TLS_CALLBACK velmora_thread_exit_callback =
    velmora::on_thread_or_library_exit;
