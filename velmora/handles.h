// Window handles and device contexts arrive as Longs: on the 64-bit build they
// are sign-extended back to pointer width, as the platform hands them out.
#pragma once

#include <windows.h>

namespace velmora {

inline HWND window_handle(long value) { return reinterpret_cast<HWND>(static_cast<LONG_PTR>(value)); }
inline HDC device_context(long value) { return reinterpret_cast<HDC>(static_cast<LONG_PTR>(value)); }

}  // namespace velmora
