// A framework update with live particles, on the headless host: the host's update call with
// the input bracket and the collector step, the framework's housekeeping (counting, keys,
// pointer, controls, volumes) and the end of the frame that moves and draws every particle
// and publishes the draw list. Run with no particles and with all 250 of the ring alive.
//
// Besides the time per update it reports the collected bytes allocated over 1,000 such
// updates (the collector's new-byte count) and the heap allocations per update (malloc is
// counted here).
#include "bench/bench_support.h"
#include "framework/quzo.h"

#include <benchmark/benchmark.h>

namespace {

using namespace hexwend::framework;

// How many particles each update keeps alive.
int liveParticles = 0;

// The framework's part of one update, with the particle ring kept full: every record that
// died in the last update is thrown again (smoke, slow smoke, falling, bouncing, straight
// and, for every sixth, a score pop-up).
class FrameworkUpdate : public c_App {
  public:
    int p_OnUpdate() override {
        static constexpr int kKinds[] = {1, 11, 2, 3, 4, 10};
        rt_quzo_Sprtup = 0;
        rt_quzo_ResetDraw();
        rt_quzo_UpdateWorld();
        for (int k = 0; k < liveParticles; ++k) {
            if (rt_quzo_part[10 * k] != 0) continue;
            rt_quzo_QUZO_Partto = k - 1;
            const int kind = kKinds[k % 6];
            if (kind == kKindPopup) {
                rt_quzo_Gimme(10 * k, 400, 300, 1);
            } else {
                rt_quzo_ThrowParticle(400, 300, kind, k % 10, float(7 * k), 2);
            }
        }
        rt_quzo_Buffer();
        return 0;
    }
};

void BM_FrameworkUpdate(benchmark::State& state) {
    liveParticles = int(state.range(0));
    hexwend::bench::HeadlessRun run;
    hexwend::testing::HeadlessGame& game = run.game;
    game.startRuntime<FrameworkUpdate>(registerModules);
    // The framework font, laid out without an image behind it, so pop-ups record their
    // glyphs as in the game.
    rt_quzo_QUZO_Font = 99;
    rt_quzo_QUZO_ImgD[99] = 128;
    game.startGame();
    game.update(100);
    hexwend::bench::reportAllocationsOf1000(state, [&] { game.update(); });

    int live = 0;
    for (int k = 0; k < 250; ++k) live += rt_quzo_part[10 * k] != 0;
    for (auto _ : state) game.update();
    state.counters["live"] = live;
    state.counters["records"] = rt_quzo_Bufferup;
}
BENCHMARK(BM_FrameworkUpdate)->Arg(0)->Arg(250)->Unit(benchmark::kMicrosecond);

} // namespace
