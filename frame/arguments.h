// Reading the caller's arguments: by-reference parameters that a vtable caller
// may leave null, and window handles and device contexts that travel as Longs.
#pragma once

#include <windows.h>

namespace frame {

// A by-reference parameter's value; a null pointer reads as the empty value.
template <class T>
T value_of(const T* variable) {
  return variable ? *variable : T{};
}

// A handle that arrived as a Long, sign-extended back to pointer width as the
// platform hands handles out (HWND_TOPMOST is -1).
template <class Handle>
Handle handle_of(long value) {
  return reinterpret_cast<Handle>(static_cast<LONG_PTR>(value));
}
inline HWND window_of(long value) { return handle_of<HWND>(value); }
inline HWND window_of(const LONG* variable) { return window_of(value_of(variable)); }

// A handle handed back to the caller as a Long.
inline long long_of(const void* handle) { return static_cast<long>(reinterpret_cast<LONG_PTR>(handle)); }

}  // namespace frame
