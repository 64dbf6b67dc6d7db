// The hexwend game on the real desktop host with every update timed, for the whole-process
// measurements of bench/measure_game.py. It starts exactly as the hexwend executable does and
// prints, flushed at once, a line whenever an update of some phase takes longer than every
// earlier update of that phase:
//
//   longest <phase> <microseconds> <update number>
//
// Phases: loading, menu, start (the one update that starts a game), play, return (the one
// update that returns to the menu). The pace of play, from the start of one update to the
// start of the next, is printed every 60 updates of play, counted from the second:
//
//   pace <updates of play> <seconds they took> <longest gap in microseconds>
#include "framework/quzo.h"
#include "game/my_game.h"
#include "host/rt_game.h"

#include <GLFW/glfw3.h>

#include <chrono>
#include <cstdio>

namespace {

using namespace hexwend::framework;

const char* const kPhases[] = {"loading", "menu", "start", "play", "return", "other"};

int phaseNow() {
    if (rt_quzo_QUZO_Loader > 0) return 0;
    switch (rt_quzo_QUZO_GameMode) {
    case kModeMainMenu:
        return 1;
    case kModeToGame:
        return 2;
    case kModePlaying:
        return 3;
    case kModeToMenu:
        return 4;
    default:
        return 5;
    }
}

class TimedGame : public c_MyGame {
  public:
    TimedGame* m_new() {
        c_MyGame::m_new();
        return this;
    }

    int p_OnUpdate() override {
        const int phase = phaseNow();
        const auto start = std::chrono::steady_clock::now();
        pace(phase, start);
        c_MyGame::p_OnUpdate();
        const auto took = std::chrono::duration_cast<std::chrono::microseconds>(
                              std::chrono::steady_clock::now() - start)
                              .count();
        ++updates_;
        if (took > longest_[phase]) {
            longest_[phase] = took;
            std::printf("longest %s %lld %d\n", kPhases[phase], static_cast<long long>(took),
                        updates_);
            std::fflush(stdout);
        }
        return 0;
    }

  private:
    using Clock = std::chrono::steady_clock;

    void pace(int phase, Clock::time_point start) {
        if (phase != 3) {
            playStarted_ = false;
            return;
        }
        if (!playStarted_) {
            playStarted_ = true;
            playFirst_ = previous_ = start;
            playUpdates_ = 0;
            longestGap_ = 0;
            return;
        }
        const auto gap = std::chrono::duration_cast<std::chrono::microseconds>(start - previous_);
        if (gap.count() > longestGap_) longestGap_ = gap.count();
        previous_ = start;
        if (++playUpdates_ % 60 == 0) {
            const double seconds = std::chrono::duration<double>(start - playFirst_).count();
            std::printf("pace %d %.4f %lld\n", playUpdates_, seconds, longestGap_);
            std::fflush(stdout);
        }
    }

    long long longest_[6] = {};
    int updates_ = 0;
    bool playStarted_ = false;
    Clock::time_point playFirst_;
    Clock::time_point previous_;
    int playUpdates_ = 0;
    long long longestGap_ = 0;
};

} // namespace

int main(int argc, char** argv) {
    hexwend::game::registerModules();
    glfwSetErrorCallback(onGlfwError);
    if (!glfwInit()) return -1;
    auto* host = new RtVorpixGame();
    hexwend::host::startRuntime(argc, const_cast<const char**>(argv), [] {
        (new TimedGame())->m_new();
        return 0;
    });
    if (host->Delegate()) host->Run();
    glfwTerminate();
    return 0;
}
