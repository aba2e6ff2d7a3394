#pragma once

#include <cstdio>
#include <cstdlib>

// A property of the code under test that must hold for every input; a
// violation aborts, which the fuzzer reports as a crash with the input.
#define FUZZ_CHECK(condition)                                                                      \
    do {                                                                                           \
        if (!(condition)) {                                                                        \
            std::fprintf(stderr, "%s:%d: check failed: %s\n", __FILE__, __LINE__, #condition);     \
            std::abort();                                                                          \
        }                                                                                          \
    } while (false)
