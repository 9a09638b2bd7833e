// A property that must hold for every input: when it does not, the input is a finding.
#pragma once

#include <cstdio>
#include <cstdlib>

#define FUZZ_CHECK(condition)                                                                  \
    do {                                                                                       \
        if (!(condition)) {                                                                    \
            std::fprintf(stderr, "property failed: %s (%s:%d)\n", #condition, __FILE__,      \
                         __LINE__);                                                            \
            std::abort();                                                                      \
        }                                                                                      \
    } while (0)
