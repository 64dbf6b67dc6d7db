// What the framework and game benchmarks share: heap allocations counted through malloc, the
// allocations of 1,000 updates, and the game's runtime on the tests' headless host.
//
// This header defines malloc itself: include it from the one source file of a benchmark
// program, and only from benchmarks.
#pragma once

#include "runtime/gc.h"
#include "tests/support/headless_game.h"

#include <benchmark/benchmark.h>

#include <cstddef>
#include <cstdlib>

// Counting malloc: the runtime's strings and collected objects, and operator new, all end
// here. The real allocator does the work.
extern "C" void* __libc_malloc(size_t size);
namespace hexwend::bench {
inline unsigned long mallocCalls = 0;
} // namespace hexwend::bench
extern "C" void* malloc(size_t size) {
    ++hexwend::bench::mallocCalls;
    return __libc_malloc(size);
}

namespace hexwend::bench {

// Reports the heap allocations since `before` per operation of the timed loop, where one
// iteration is `perOperation` operations.
inline void reportAllocations(benchmark::State& state, unsigned long before, double perOperation) {
    state.counters["mallocs/op"] = benchmark::Counter(double(mallocCalls - before) /
                                                      (double(state.iterations()) * perOperation));
}

// Runs `one` 1,000 times, outside the timed loop, and reports the collected bytes allocated
// over them (the collector's new-byte count) and the heap allocations per run. `prepare` runs
// before each; its heap allocations are not counted.
template <class One, class Prepare>
void reportAllocationsOf1000(benchmark::State& state, One one, Prepare prepare) {
    const int newBytes = gc_new_bytes;
    const unsigned long mallocs = mallocCalls;
    unsigned long prepareMallocs = 0;
    for (int i = 0; i < 1000; ++i) {
        const unsigned long before = mallocCalls;
        prepare();
        prepareMallocs += mallocCalls - before;
        one();
    }
    state.counters["gc_bytes_per_1000"] = double(gc_new_bytes - newBytes);
    state.counters["mallocs/update"] = double(mallocCalls - mallocs - prepareMallocs) / 1000;
}

template <class One> void reportAllocationsOf1000(benchmark::State& state, One one) {
    reportAllocationsOf1000(state, one, [] {});
}

// The tests' headless host (link hexwend_test_support) for one benchmark run. The game's start
// opens the audio device: on OpenAL Soft's silent driver unless the environment names another. At
// the end the runtime is reset, which closes the device.
struct HeadlessRun {
    HeadlessRun() { ::setenv("ALSOFT_DRIVERS", "null", 0); }
    ~HeadlessRun() {
        gc_clear_roots();
        gc_reset();
    }
    HeadlessRun(const HeadlessRun&) = delete;
    HeadlessRun& operator=(const HeadlessRun&) = delete;

    testing::HeadlessGame game;
};

} // namespace hexwend::bench
