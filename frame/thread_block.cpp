#include "thread_block.h"

#include <windows.h>

#include <cxxabi.h>

// The image's thread-local block as the platform's loader knows it.
extern "C" ULONG _tls_index;
extern "C" char _tls_start;

namespace __gnu_cxx {
void __freeres() noexcept;
}

// The exceptions in flight on a thread, laid out as the C++ runtime reads them.
struct __cxxabiv1::__cxa_eh_globals {
  void* caughtExceptions;
  unsigned int uncaughtExceptions;
};

namespace frame {

namespace {
FRAME_PER_THREAD __cxxabiv1::__cxa_eh_globals g_exceptions{};
}  // namespace

char* thread_block() noexcept {
  // The thread environment block's ThreadLocalStoragePointer lists this
  // thread's blocks, one for each image that has one.
  char** blocks;
#if defined(__x86_64__)
  asm("movq %%gs:0x58, %0" : "=r"(blocks));
#else
  asm("movl %%fs:0x2c, %0" : "=r"(blocks));
#endif
  return blocks[_tls_index];
}

const char* thread_block_image() noexcept { return &_tls_start; }

void release_runtime() noexcept { __gnu_cxx::__freeres(); }

}  // namespace frame

// The C++ runtime asks these for the current thread's exceptions on every
// throw and catch; defined here, its own emulated-storage copies are not
// linked, so a throw does not reach the threading library.
extern "C" __cxxabiv1::__cxa_eh_globals* __cxxabiv1::__cxa_get_globals_fast() noexcept {
  return &frame::per_thread(frame::g_exceptions);
}
extern "C" __cxxabiv1::__cxa_eh_globals* __cxxabiv1::__cxa_get_globals() noexcept {
  return &frame::per_thread(frame::g_exceptions);
}
