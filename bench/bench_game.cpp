// Play on the headless host: the real game class after its loading sequence, in a "Normal"
// game, with a busy scene kept up between updates — every cell of rows 0 ... 23 filled,
// pops running through the honeycomb and cutting hexes off, 90 of the 101 falling-hex
// records in use, all 250 particles alive, and the figure jumping with the jump key held.
//
// BM_PlayUpdate is one host update: the input bracket, the game's update (framework
// housekeeping, the field, the pause handling, particles, publishing) and the collector
// step. BM_FieldRules is the field's own update alone. Both report the collected bytes
// allocated over 1,000 updates (the collector's new-byte count) and the heap allocations per
// update (malloc is counted here), measured outside the timed loop.
#include "bench/bench_support.h"
#include "framework/quzo.h"
#include "game/my_game.h"
#include "runtime/random.h"
#include "tests/support/temp_folder.h"

#include <benchmark/benchmark.h>

namespace {

using namespace hexwend::framework;
using hexwend::testing::HeadlessGame;

float* cell(int c, int r) {
    return rt_quzo_grid.Data() + 10 * c + 200 * r;
}

// Tops the scene up again: refills emptied cells, starts a pop when none runs, brings the
// falling records back to 90 and the particle ring back to 250.
void keepBusy() {
    bool popping = false;
    for (int r = 0; r < 24; ++r) {
        for (int c = 0; c < 7; ++c) {
            float* p = cell(c, r);
            if (p[0] < 0) {
                p[0] = float(2 * ((c * 5 + r * 3) % 3) + 1);
                p[1] = float((c + r) % 8);
                p[2] = 0;
            }
            popping = popping || p[2] > 0;
        }
    }
    if (!popping) {
        const int c = rt_quzo_Rand(0, 6), r = rt_quzo_Rand(10, 23);
        cell(c, r)[2] = 30;
        cell(c, r)[7] = 5;
    }
    int busy = 0;
    for (int i = 0; i < 101; ++i) busy += rt_quzo_obj[10 * i] > 0;
    for (int i = 0; i < 101 && busy < 90; ++i) {
        float* o = rt_quzo_obj.Data() + 10 * i;
        if (o[0] > 0) continue;
        o[0] = float(9 + i % 50);
        o[1] = float(40 + 7 * i);
        o[2] = float(-100 + 5 * i);
        o[4] = 0;
        ++busy;
    }
    for (int k = 0; k < 250; ++k) {
        if (rt_quzo_part[10 * k] != 0) continue;
        rt_quzo_QUZO_Partto = k - 1;
        rt_quzo_ThrowParticle(400, 300, kKindStraight, k % 10, float(7 * k), 1);
    }
    // Never lost: the field stays where it is.
    rt_quzo_plr[12] = 0;
    rt_quzo_plr[13] = 0;
}

// The game on the headless host in a working folder of its own (the state file is written
// there).
struct Scene {
    hexwend::testing::TempFolder folder;
    hexwend::testing::InWorkingFolder inFolder{folder.path()};
    hexwend::bench::HeadlessRun run;
    HeadlessGame& game = run.game;
    c_MyGame* app = nullptr;

    Scene() {
        app = game.start<c_MyGame>(hexwend::game::registerModules);
        game.update(61); // the loading sequence
        rt_quzo_QUZO_GameType = 2;
        rt_quzo_QUZO_GameMode = kModeToGame;
        game.update();
        game.press(hexwend::testing::keys::kSpace);
        keepBusy();
        for (int i = 0; i < 100; ++i) {
            keepBusy();
            game.update();
        }
    }
};

void report(benchmark::State& state) {
    int particles = 0, fallingHexes = 0;
    for (int k = 0; k < 250; ++k) particles += rt_quzo_part[10 * k] != 0;
    for (int i = 0; i < 101; ++i) fallingHexes += rt_quzo_obj[10 * i] > 0;
    state.counters["particles"] = particles;
    state.counters["falling"] = fallingHexes;
    state.counters["records"] = rt_quzo_Bufferup;
    state.counters["mode"] = rt_quzo_QUZO_GameMode;
    state.counters["ending"] = rt_quzo_QUZO_EndofGame;
    state.counters["score"] = rt_quzo_plr[50];
}

void BM_PlayUpdate(benchmark::State& state) {
    Scene scene;
    // The scene is topped up before each of the 1,000 updates.
    hexwend::bench::reportAllocationsOf1000(
        state, [&] { scene.game.update(); }, keepBusy);
    for (auto _ : state) {
        state.PauseTiming();
        keepBusy();
        state.ResumeTiming();
        scene.game.update();
    }
    report(state);
}
BENCHMARK(BM_PlayUpdate)->Unit(benchmark::kMicrosecond);

void BM_FieldRules(benchmark::State& state) {
    Scene scene;
    auto field = [&] {
        rt_quzo_Sprtup = 0;
        rt_quzo_ResetDraw();
        scene.app->p_Game();
    };
    hexwend::bench::reportAllocationsOf1000(state, field, keepBusy);
    for (auto _ : state) {
        state.PauseTiming();
        keepBusy();
        state.ResumeTiming();
        field();
    }
    state.counters["field_records"] = rt_quzo_Sprtup;
    report(state);
}
BENCHMARK(BM_FieldRules)->Unit(benchmark::kMicrosecond);

} // namespace
