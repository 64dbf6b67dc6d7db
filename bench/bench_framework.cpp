// Framework figures: recording one sprite into the draw list, publishing a full draw list of
// 5,000 records and replaying it into the render device (vertex generation only: the device
// has no OpenGL context, so nothing is rasterised), and laying out a 40-character line of
// bitmap text.
//
// Every heap allocation of the process goes through malloc here, which this program counts,
// so each benchmark reports the allocations per operation next to its time.
#include "app/app.h"
#include "bench/bench_support.h"
#include "framework/quzo.h"
#include "graphics/graphics.h"
#include "host/rt_game.h"
#include "runtime/init.h"

#include <benchmark/benchmark.h>

#include <cstddef>

namespace {

using hexwend::bench::mallocCalls;
using hexwend::bench::reportAllocations;

constexpr int kSlot = 5;
constexpr int kFrames = 16;

// A fresh runtime with the framework, a render device without an OpenGL context, a 1280 x 720
// device size and a sheet of 16 frames of 64 x 64 in image slot 5.
gxtkGraphics* setUp() {
    rtClearModuleInits();
    hexwend::framework::registerModules();
    hexwend::host::startRuntime(0, nullptr, [] { return 0; });
    auto* device = new gxtkGraphics;
    rt_graphics_SetGraphicsDevice(device);
    rt_app__devWidth = 1280;
    rt_app__devHeight = 720;

    auto* surface = new gxtkSurface;
    surface->width = 256;
    surface->height = 256;
    c_Image* image = (new c_Image)
                         ->m_new()
                         ->p_Init2(surface, 0, 0, 64, 64, kFrames, c_Image::FlagCentreHandle,
                                   nullptr, 0, 0, 256, 256);
    gc_assign(rt_quzo_QUZO_Img[kSlot], image);
    rt_quzo_QUZO_ImgD[kSlot] = kFrames;
    rt_quzo_ResetDraw();
    return device;
}

// One sprite record: a copy of the style and five values, with a new colour and rotation
// each time as a game sets them.
void BM_RecordSprite(benchmark::State& state) {
    setUp();
    int i = 0;
    unsigned long before = mallocCalls;
    for (auto _ : state) {
        if (rt_quzo_Sprtup >= 5000) rt_quzo_Sprtup = 0;
        rt_quzo_DrawImg(kSlot, float(i & 511), float(i & 255), i);
        ++i;
    }
    reportAllocations(state, before, 1);
    benchmark::DoNotOptimize(rt_quzo_QUZO_Draw.Data());
}
BENCHMARK(BM_RecordSprite);

// A frame's worth of drawing: 5,000 rotated, scaled, tinted sprites recorded, then published
// and replayed. The recording is outside the timed part.
void BM_PublishAndReplay5000(benchmark::State& state) {
    gxtkGraphics* device = setUp();
    for (int i = 0; i < 5000; ++i) {
        rt_quzo_SetCol(float(i % 256), float((i * 7) % 256), 200, 0.5f + float(i % 2) * 0.5f);
        rt_quzo_SetSize(0.5f + float(i % 5) * 0.25f, -37171);
        rt_quzo_SetRot(float(i % 360));
        rt_quzo_DrawImg(kSlot, float((i * 37) % 800), float((i * 53) % 450), i);
    }
    rt_quzo_ResetDraw();
    int recorded = rt_quzo_Sprtup;
    unsigned long before = mallocCalls;
    for (auto _ : state) {
        rt_quzo_Sprtup = recorded;
        rt_quzo_Buffer();
        device->BeginRender();
        rt_graphics_BeginRender();
        rt_quzo_RenderWorld();
        rt_graphics_EndRender();
        device->EndRender();
    }
    reportAllocations(state, before, 1);
    state.counters["records"] = benchmark::Counter(rt_quzo_QUZO_Data[3]);
}
BENCHMARK(BM_PublishAndReplay5000)->Unit(benchmark::kMicrosecond);

// rt_quzo_Text of a 40-character line; the time is reported per glyph as well.
void BM_TextLine40(benchmark::State& state) {
    setUp();
    rt_quzo_QUZO_Font = 99;
    rt_quzo_QUZO_ImgD[99] = 128;
    const String line("Rocks drop in rows. Guard each one: 1234");
    unsigned long before = mallocCalls;
    for (auto _ : state) {
        rt_quzo_Sprtup = 0;
        benchmark::DoNotOptimize(rt_quzo_Text(40, 300, line, 0, 1, 0, 0));
    }
    reportAllocations(state, before, 1);
    state.counters["glyphs"] = benchmark::Counter(double(rt_quzo_Sprtup));
    // Seconds per glyph (printed with an SI prefix, "n" for nanoseconds).
    state.counters["per_glyph"] =
        benchmark::Counter(double(state.iterations()) * line.Length(),
                           benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
}
BENCHMARK(BM_TextLine40);

} // namespace
