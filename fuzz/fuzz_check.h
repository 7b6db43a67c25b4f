// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstdio>
#include <cstdlib>

// An invariant of a fuzz target: a broken one aborts, so libFuzzer keeps the input that broke it.
#define QUORVANE_FUZZ_CHECK(condition)                                                           \
    do {                                                                                         \
        if (!(condition)) {                                                                      \
            std::fprintf(stderr, "check failed: %s at %s:%d\n", #condition, __FILE__, __LINE__); \
            std::abort();                                                                        \
        }                                                                                        \
    } while (false)
