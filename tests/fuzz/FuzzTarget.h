#pragma once

// What every fuzz target shares: the entry libFuzzer (or the corpus driver) calls with
// one input, and the check that stops the run on a broken promise. A target answers 0
// for every input; bad input raises its YException inside the reader, which the
// target catches as a host's guard would.

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size);

// A promise the reader broke: reported and ended like a crash, so the input is kept.
inline void FuzzCheck(bool holds, const char* promise) {
    if (holds) return;
    std::fprintf(stderr, "broken promise: %s\n", promise);
    std::abort();
}
