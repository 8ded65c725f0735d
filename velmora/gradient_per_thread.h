// The one ClassForGradient instance per thread that Velmora.Gradient drives.
// It does not count as a living instance for DllCanUnloadNow, and it is
// released when its thread ends or the library is unloaded.
#pragma once

#include "velmora_h.h"

namespace velmora {

// This thread's instance, created on first use (borrowed: do not release).
_ClassForGradient* thread_gradient_painter();

}  // namespace velmora
