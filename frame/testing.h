// Helpers for the native unit tests of pure logic.
#pragma once

#include "runtime_error.h"

namespace frame::testing {

// The run-time error number a call raises, or 0 when it completes.
inline int error_of(auto&& body) {
  try {
    body();
  } catch (const RuntimeError& error) {
    return error.number;
  }
  return 0;
}

}  // namespace frame::testing
