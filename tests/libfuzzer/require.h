// The libFuzzer targets' check: a broken promise stops the run with the
// condition that failed and its line.
#pragma once

#include <cstdio>
#include <cstdlib>

#define require(condition)                                               \
  do {                                                                   \
    if (!(condition)) {                                                  \
      std::fprintf(stderr, "broken: %s (line %d)\n", #condition, __LINE__); \
      std::abort();                                                      \
    }                                                                    \
  } while (0)
