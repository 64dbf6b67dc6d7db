// Runtime core: collected allocation against malloc/free, string concatenation and copies
// against std::u16string, and a full collection over a million live objects.
#include "runtime/gc.h"
#include "runtime/init.h"
#include "runtime/string.h"

#include <benchmark/benchmark.h>

#include <cstdlib>
#include <malloc.h>
#include <string>
#include <vector>

namespace {

// The smallest collected object: the header and one int, 32 bytes on a 64-bit platform.
class Tiny : public gc_object {
  public:
    int m_value = 0;
};

void resetRuntime() {
    gc_clear_roots();
    gc_reset();
    rtInit();
    gc_init2();
}

// --- A full collection -------------------------------------------------------------------

Array<Tiny*> liveObjects;

// One complete cycle (scan everything, sweep, queue the roots) over a million small objects
// reachable from one root array.
void BM_FullCollection(benchmark::State& state) {
    const int count = int(state.range(0));
    resetRuntime();
    gc_add_root("liveObjects", liveObjects);
    // Bytes taken from the C heap (small blocks and mapped large ones), measured in the first
    // run only: this benchmark runs first, while the collector's block caches are empty, and
    // later runs reuse the blocks that the first one left in them.
    auto heapInUse = [] {
        struct mallinfo2 m = mallinfo2();
        return m.uordblks + m.hblkhd;
    };
    static double perObject = -1, arraySlot = -1;
    size_t heapBefore = heapInUse();
    gc_assign(liveObjects, Array<Tiny*>(count));
    size_t heapWithArray = heapInUse();
    for (int i = 0; i < count; ++i) gc_assign(liveObjects[i], new Tiny());
    size_t heapAfter = heapInUse();
    if (perObject < 0) {
        perObject = double(heapAfter - heapWithArray) / count;
        arraySlot = double(heapWithArray - heapBefore) / count;
    }
    gc_collect_all();
    for (auto _ : state) gc_collect_all();

    const double payload = double(sizeof(Tiny::m_value));
    state.counters["objects"] = count;
    state.counters["heap_bytes_per_object"] = perObject;
    state.counters["overhead_bytes_per_object"] = perObject - payload;
    state.counters["root_array_bytes_per_object"] = arraySlot;
    state.counters["survivors"] = gc_list_count(&gc_unmarked_list);
    liveObjects = Array<Tiny*>();
    resetRuntime();
}
BENCHMARK(BM_FullCollection)->Arg(1000000)->Unit(benchmark::kMillisecond)->Iterations(20);

// --- Allocation --------------------------------------------------------------------------

// Every object becomes garbage at once; a collection step runs every 64 allocations, as the
// host runs one after every call into the game. Sweeps come from the 8 MiB trigger, and each
// allocation destroys one object of garbage from the last sweep and reuses its block.
void BM_CollectedAlloc(benchmark::State& state) {
    resetRuntime();
    // Warm up to the steady state: one sweep's worth of garbage waiting to be destroyed.
    for (int i = 0; i < 600000; ++i) {
        benchmark::DoNotOptimize(new Tiny());
        if ((i & 63) == 0) gc_collect();
    }
    int i = 0;
    for (auto _ : state) {
        benchmark::DoNotOptimize(new Tiny());
        if ((++i & 63) == 0) gc_collect();
    }
    state.counters["block_bytes"] = double((sizeof(Tiny) + 7) & ~size_t(7));
    resetRuntime();
}
BENCHMARK(BM_CollectedAlloc);

// The same, with a full collection every 1000 allocations: the garbage of one cycle stays
// small enough to be in the processor's caches.
void BM_CollectedAllocShortCycles(benchmark::State& state) {
    resetRuntime();
    int i = 0;
    for (auto _ : state) {
        benchmark::DoNotOptimize(new Tiny());
        if (++i == 1000) {
            i = 0;
            gc_collect_all();
        }
    }
    resetRuntime();
}
BENCHMARK(BM_CollectedAllocShortCycles);

// malloc and free of 24 bytes, the block freed at once.
void BM_MallocFree24(benchmark::State& state) {
    for (auto _ : state) {
        void* p = std::malloc(24);
        benchmark::DoNotOptimize(p);
        std::free(p);
    }
}
BENCHMARK(BM_MallocFree24);

// malloc and free of 24 bytes, each block freed 262144 allocations later: the lifetime that
// garbage has between two 8 MiB sweeps of the collector.
void BM_MallocFree24Delayed(benchmark::State& state) {
    constexpr size_t kLive = 262144;
    std::vector<void*> ring(kLive);
    for (void*& p : ring) p = std::malloc(24);
    size_t next = 0;
    for (auto _ : state) {
        std::free(ring[next]);
        ring[next] = std::malloc(24);
        benchmark::DoNotOptimize(ring[next]);
        next = (next + 1) & (kLive - 1);
    }
    for (void* p : ring) std::free(p);
}
BENCHMARK(BM_MallocFree24Delayed);

// --- Strings -----------------------------------------------------------------------------

const char16_t kLeft[] = u"0123456789abcdef";
const char16_t kRight[] = u"ghijklmnopqrstuv";

void BM_StringConcat(benchmark::State& state) {
    String a(kLeft), b(kRight);
    for (auto _ : state) {
        String c = a + b;
        benchmark::DoNotOptimize(c.Data());
    }
}
BENCHMARK(BM_StringConcat);

void BM_U16StringConcat(benchmark::State& state) {
    std::u16string a(kLeft), b(kRight);
    for (auto _ : state) {
        std::u16string c = a + b;
        benchmark::DoNotOptimize(c.data());
    }
}
BENCHMARK(BM_U16StringConcat);

void BM_StringCopy(benchmark::State& state) {
    String a(kLeft);
    for (auto _ : state) {
        String c = a;
        benchmark::DoNotOptimize(c);
    }
}
BENCHMARK(BM_StringCopy);

void BM_U16StringCopy(benchmark::State& state) {
    std::u16string a(kLeft);
    for (auto _ : state) {
        std::u16string c = a;
        benchmark::DoNotOptimize(c.data());
    }
}
BENCHMARK(BM_U16StringCopy);

} // namespace
