// Values kept once per thread in the library image's own thread-local block.
// The loader gives every thread its copy of the block (values zero-filled)
// when the library is loaded or the thread starts, and frees every copy when
// the library is unloaded. The compiler's thread_local goes through emulated
// storage instead, whose per-thread records, keys, locks and handles belong
// to the threading library and outlive an unloaded library.
#pragma once

#include <type_traits>

// Marks a namespace-scope variable as the image of a per-thread value; read
// and write it only through frame::per_thread.
#define FRAME_PER_THREAD __attribute__((section(".tls$BBB")))

namespace frame {

// This thread's copy of the block.
char* thread_block() noexcept;

// Where the image of the block starts.
const char* thread_block_image() noexcept;

// This thread's copy of a value declared FRAME_PER_THREAD. The block is
// copied byte by byte: no constructor or destructor runs.
template <class T>
T& per_thread(T& image) noexcept {
  static_assert(std::is_trivially_copyable_v<T> && std::is_trivially_destructible_v<T>);
  return *reinterpret_cast<T*>(thread_block() + (reinterpret_cast<const char*>(&image) - thread_block_image()));
}

// Hands back what the C++ runtime set up when the library was loaded (its
// reserve for exceptions thrown when memory is exhausted).
void release_runtime() noexcept;

}  // namespace frame
