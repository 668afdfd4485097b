#pragma once
// What the fuzz targets share: a check that stops the run (so libFuzzer records the input)
// when a reader breaks one of its own promises.

#include <cstdio>
#include <cstdlib>

namespace likenex::fuzzing {

inline void check(bool condition, const char* what) {
    if (condition) return;
    std::fprintf(stderr, "fuzz check failed: %s\n", what);
    std::abort();
}

}  // namespace likenex::fuzzing
