#pragma once

#include <cstdio>
#include <cstdlib>

// Index and invariant checks that stay on in release builds: a bad index into the
// model is a programming error and must stop the program rather than corrupt memory.
#define VORN_CHECK(cond)                                                            \
  do {                                                                              \
    if (!(cond)) {                                                                  \
      std::fprintf(stderr, "%s:%d: check failed: %s\n", __FILE__, __LINE__, #cond); \
      std::abort();                                                                 \
    }                                                                               \
  } while (0)
