#pragma once
// What the fuzz targets share: a check that stops the run with a message when an
// invariant breaks (libFuzzer then keeps the input as a crash), and an exception
// guard for calls whose documented failures are part of normal operation.
#include <cstdio>
#include <cstdlib>

#define FUZZ_CHECK(cond)                                                          \
  do {                                                                            \
    if (!(cond)) {                                                                \
      std::fprintf(stderr, "%s:%d: invariant broken: %s\n", __FILE__, __LINE__, #cond); \
      std::abort();                                                               \
    }                                                                             \
  } while (0)
