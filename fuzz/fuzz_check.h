// The invariants of the fuzz targets: a check that fails ends the run the way a crash
// does, so that the fuzzer keeps the input that broke it.
#pragma once

#include <cstdio>
#include <cstdlib>

#define FUZZ_CHECK(condition, what)                                                            \
  do {                                                                                         \
    if (!(condition)) {                                                                        \
      std::fprintf(stderr, "invariant failed: %s (%s) at %s:%d\n", what, #condition, __FILE__, \
                   __LINE__);                                                                  \
      std::abort();                                                                            \
    }                                                                                          \
  } while (0)
