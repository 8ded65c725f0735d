// The host's run-time error for a failed file operation, from the platform's
// error code: one table for every method that reports an open's failure.
#pragma once

#include <cstdint>

namespace corvane {

int runtime_error_for(uint32_t platform_error);

}  // namespace corvane
