// The online leaderboard's client on the headless host, with the real game class after its
// loading sequence:
//
// - BM_ScrambleAndEscape: a score payload as the game builds it (three game types) scrambled
//   with the game's key table and escaped with the markers, the part of a send that is the
//   client's own (the request itself is the HTTP client's, measured in bench_net);
// - BM_ReadReply: the score server's 66-element reply read into the online table;
// - BM_DifficultyListUpdate/N: one host update of the main menu's difficulty list with the
//   score panel: N = 0 without an online table, 1 with one of five names per type, 2 with a
//   hostile name of 100,000 characters in the table shown.
//
// Each reports the heap allocations per operation (malloc is counted here).
#include "bench/bench_support.h"
#include "framework/quzo.h"
#include "game/my_game.h"
#include "tests/support/temp_folder.h"

#include <benchmark/benchmark.h>

#include <string>

namespace {

using hexwend::testing::HeadlessGame;

const char* const kReply =
    "OnlineScores{4{Ann{4075{1{20251211{Ben{3100{2{20251210{Cy{2990{3{20251209{Di{1200{4{"
    "20251201{Ed{880{5{20251130{2{4{Fay{9050{1{20251211{Gus{7000{2{20251211{Hal{310{3{20251205{"
    "Ivy{300{4{20251111{{0{5{0{3{2{Jo{12000{1{20251211{Kim{50{2{20251101{{0{3{0{{0{4{0{{0{5{0";

// The game on the headless host, loaded, in a working folder of its own, with a name.
struct Session {
    hexwend::testing::TempFolder folder;
    hexwend::testing::InWorkingFolder inFolder{folder.path()};
    hexwend::bench::HeadlessRun run;
    HeadlessGame& game = run.game;
    c_MyGame* app = nullptr;

    Session() {
        app = game.start<c_MyGame>(hexwend::game::registerModules);
        game.update(61);
        const char* name = "Bob";
        for (int i = 0; name[i]; ++i) rt_quzo_QUZO_Username[i] = name[i] - 32;
        rt_quzo_QUZO_Score[20] = 4075;
        rt_quzo_QUZO_Score[40] = 12000;
        rt_quzo_QUZO_Score[60] = 99999999;
    }
};

void BM_ScrambleAndEscape(benchmark::State& state) {
    Session s;
    const String payload = rt_quzo_MyUserID() + "{" + rt_quzo_MyName() +
                           "{0506{0001{0000{4075{0{12000{0{99999999{0{QUZO{";
    const unsigned long before = hexwend::bench::mallocCalls;
    for (auto _ : state) {
        String sent = hexwend::game::escapeScorePayload(rt_quzo_Scramble(payload));
        benchmark::DoNotOptimize(sent);
    }
    hexwend::bench::reportAllocations(state, before, 1);
    state.counters["chars"] = payload.Length();
}
BENCHMARK(BM_ScrambleAndEscape);

void BM_ReadReply(benchmark::State& state) {
    Session s;
    const String reply(kReply);
    const unsigned long before = hexwend::bench::mallocCalls;
    for (auto _ : state) s.app->p_ManageOnline(reply);
    hexwend::bench::reportAllocations(state, before, 1);
}
BENCHMARK(BM_ReadReply);

void BM_DifficultyListUpdate(benchmark::State& state) {
    Session s;
    // "Start Game": the difficulty list, "Normal" highlighted, the curtain open.
    s.game.press(hexwend::testing::keys::kEnter);
    s.game.update();
    s.game.release(hexwend::testing::keys::kEnter);
    s.game.update(40);
    if (state.range(0) > 0) s.app->p_ManageOnline(String(kReply));
    if (state.range(0) > 1) rt_quzo_QUZO_OnName[40] = String(std::string(100000, 'W').c_str());
    const unsigned long before = hexwend::bench::mallocCalls;
    for (auto _ : state) s.game.update();
    hexwend::bench::reportAllocations(state, before, 1);
    state.counters["records"] = rt_quzo_Bufferup;
}
BENCHMARK(BM_DifficultyListUpdate)->Arg(0)->Arg(1)->Arg(2);

} // namespace
