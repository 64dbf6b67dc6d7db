// The main loop's pacing, focus handling and call wrapper, run against a fake clock and a
// fake window.
#include "host/picture.h"
#include "tests/host/recording_delegate.h"
#include "tests/support/headless_game.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <unistd.h>

#include <algorithm>
#include <numeric>

namespace hexwend::testing {
namespace {

using ::testing::Each;
using ::testing::ElementsAre;

constexpr double kPeriod = 1.0 / 60;

class LoopTest : public ::testing::Test {
  protected:
    void SetUp() override {
        startBareRuntime();
        delegate = new RecordingDelegate();
        game.SetDelegate(delegate);
    }

    // The game sets its rate when it starts, as the application does in p_OnCreate.
    void startAt60() {
        delegate->onStart = [this] { game.SetUpdateRate(60); };
    }

    FakeWindowSystem& window() { return game.system(); }

    HeadlessGame game;
    RecordingDelegate* delegate = nullptr;
};

TEST_F(LoopTest, OpensTheDefaultWindowThenStartsAndRendersBeforeTheFirstUpdate) {
    game.runLoop(2);
    ASSERT_EQ(game.windowRequests().size(), 1u);
    EXPECT_EQ(game.windowRequests()[0].width, 640);
    EXPECT_EQ(game.windowRequests()[0].height, 480);
    EXPECT_EQ(game.windowRequests()[0].flags, 6);
    EXPECT_THAT(delegate->calls, ElementsAre("start", "render", "update", "render", "update"));
    EXPECT_EQ(window().swaps, 2);
}

TEST_F(LoopTest, WithoutAnUpdateRateEveryPassRunsOneUpdateAndNeverSleeps) {
    window().swapSeconds = 0.001;
    game.runLoop(50);
    EXPECT_EQ(delegate->updates, 50);
    EXPECT_THAT(delegate->updatesPerPass(), Each(1));
    EXPECT_TRUE(window().sleepsMs.empty());
    EXPECT_EQ(window().polls, 50);
}

TEST_F(LoopTest, AtSixtyHertzTheLoopSleepsUntilEachUpdateIsDue) {
    startAt60();
    window().swapSeconds = 0.002;
    std::vector<double> times;
    delegate->onUpdate = [&] { times.push_back(window().now); };
    game.runLoop(120);

    EXPECT_THAT(delegate->updatesPerPass(), Each(1));
    // Every pass but the first waits for the schedule, in whole milliseconds.
    ASSERT_EQ(window().sleepsMs.size(), 119u);
    EXPECT_THAT(window().sleepsMs, Each(::testing::AllOf(::testing::Ge(13), ::testing::Le(15))));
    // The schedule is absolute: an update runs less than a millisecond before it is due, so
    // the truncated sleeps never add up to drift.
    for (size_t i = 1; i < times.size(); ++i) {
        double interval = times[i] - times[i - 1];
        EXPECT_NEAR(interval, kPeriod, 0.001) << "update " << i;
    }
    EXPECT_NEAR((times.back() - times.front()) / (times.size() - 1), kPeriod, 0.00002);
}

TEST_F(LoopTest, ARenderThatKeepsThePictureIsNotSwappedAndThePaceStaysTheSame) {
    startAt60();
    // Every other render finds nothing to change.
    delegate->onRender = [this] {
        if (delegate->renders % 2 == 0) host::keepPicture();
    };
    std::vector<double> times;
    delegate->onUpdate = [&] { times.push_back(window().now); };
    game.runLoop(60);
    EXPECT_EQ(window().swaps, 30);
    EXPECT_THAT(delegate->updatesPerPass(), Each(1));
    for (size_t i = 1; i < times.size(); ++i) {
        EXPECT_NEAR(times[i] - times[i - 1], kPeriod, 0.001) << "update " << i;
    }
    EXPECT_FALSE(host::takePictureKept()) << "each pass takes the render's word once";
}

TEST_F(LoopTest, AStallOfTenPeriodsRunsExactlyFourUpdatesThenRestartsTheSchedule) {
    startAt60();
    delegate->onRender = [&] {
        if (delegate->renders == 10) window().now += 10 * kPeriod;
    };
    game.runLoop(14);

    std::vector<int> perPass = delegate->updatesPerPass();
    EXPECT_THAT(perPass, ElementsAre(1, 1, 1, 1, 1, 1, 1, 1, 1, 4, 1, 1, 1, 1));
    // The pass after the catch-up does not wait: the schedule starts again from its time.
    // Passes 2 ... 9 and 12 ... 14 wait; passes 1, 10 and 11 do not.
    EXPECT_EQ(window().sleepsMs.size(), 8u + 3u);
}

TEST_F(LoopTest, AnUpdateThatChangesTheRateEndsTheCatchUp) {
    startAt60();
    delegate->onRender = [&] {
        if (delegate->renders == 10) window().now += 10 * kPeriod;
    };
    int updatesInStalledPass = 0;
    delegate->onUpdate = [&] {
        if (delegate->renders == 10 && ++updatesInStalledPass == 2) game.SetUpdateRate(30);
    };
    game.runLoop(12);

    EXPECT_THAT(delegate->updatesPerPass(), ElementsAre(1, 1, 1, 1, 1, 1, 1, 1, 1, 2, 1, 1));
    EXPECT_DOUBLE_EQ(game._updatePeriod, 1.0 / 30);
}

TEST_F(LoopTest, LosingTheFocusSuspendsUntilItReturnsWithoutACatchUp) {
    startAt60();
    delegate->onRender = [&] {
        if (delegate->renders == 4) window().isFocused = false;
        // A long time passes while suspended.
        if (delegate->renders == 6) window().now += 5.0;
        if (delegate->renders == 7) window().isFocused = true;
    };
    game.runLoop(9);

    EXPECT_THAT(delegate->updatesPerPass(), ElementsAre(1, 1, 1, 0, 0, 0, 1, 1, 1));
    EXPECT_EQ(std::count(delegate->calls.begin(), delegate->calls.end(), "suspend"), 1);
    EXPECT_EQ(std::count(delegate->calls.begin(), delegate->calls.end(), "resume"), 1);
    // While suspended the loop blocks for events instead of polling.
    EXPECT_EQ(window().waits, 3);
    EXPECT_FALSE(game._suspended);
}

TEST_F(LoopTest, AWindowThatWasNeverFocusedDoesNotSuspend) {
    startAt60();
    window().isFocused = false;
    game.runLoop(5);
    EXPECT_THAT(delegate->updatesPerPass(), Each(1));
    EXPECT_EQ(std::count(delegate->calls.begin(), delegate->calls.end(), "suspend"), 0);
}

TEST_F(LoopTest, ANewWindowMustBeFocusedAgainBeforeLosingTheFocusSuspends) {
    startAt60();
    delegate->onRender = [&] {
        if (delegate->renders == 2) {
            game.SetDeviceWindow(800, 600, 1);
            window().isFocused = false;
        }
    };
    game.runLoop(4);
    EXPECT_THAT(delegate->updatesPerPass(), ElementsAre(1, 1, 1, 1));
    EXPECT_EQ(std::count(delegate->calls.begin(), delegate->calls.end(), "suspend"), 0);
}

TEST_F(LoopTest, TheLoopEndsWhenTheWindowShouldClose) {
    delegate->onUpdate = [&] {
        if (delegate->updates == 3) window().closeRequested = true;
    };
    game.runLoop(-1);
    EXPECT_EQ(delegate->updates, 3);
}

// --- The call wrapper's guards --------------------------------------------------------------

TEST_F(LoopTest, BeforeTheStartNoCallReachesTheGame) {
    game.RenderGame();
    game.UpdateGame();
    game.KeyEvent(1, 65);
    game.MouseEvent(4, 0, 1, 2);
    game.TouchEvent(7, 0, 1, 2);
    game.MotionEvent(10, 0, 1, 2, 3);
    game.DiscardGraphics();
    game.SuspendGame();
    game.ResumeGame();
    EXPECT_TRUE(delegate->calls.empty());
}

TEST_F(LoopTest, StartSuspendAndResumeHappenOnceEach) {
    game.StartGame();
    game.StartGame();
    game.ResumeGame(); // running: nothing to resume
    game.SuspendGame();
    game.SuspendGame();
    game.UpdateGame(); // suspended: no update
    game.RenderGame(); // rendering goes on while suspended
    game.ResumeGame();
    game.ResumeGame();
    EXPECT_THAT(delegate->calls, ElementsAre("start", "suspend", "render", "resume"));
}

TEST_F(LoopTest, AnUncaughtGameExceptionEndsTheProcessWithTheRuntimeMessage) {
    game.StartGame();
    delegate->onUpdate = [] { throw new ThrowableObject(); };
    EXPECT_EXIT(
        {
            ::dup2(2, 1); // the message goes to standard output
            game.UpdateGame();
        },
        ::testing::ExitedWithCode(255), "Vorpix Runtime Error : Uncaught Vorpix Exception");
}

TEST_F(LoopTest, EveryCallRunsACollectorStepThatKeepsTheDelegate) {
    game.StartGame();
    // More garbage than a collection cycle allows: the step after the update sweeps.
    delegate->onUpdate = [] { Array<int> garbage(9 * 1024 * 1024 / 4); };
    game.UpdateGame();
    EXPECT_EQ(gc_new_bytes, 0);
    delegate->onUpdate = nullptr;
    // The delegate is referenced only by the host, which marks it after every call.
    for (int i = 0; i < 3; ++i) {
        delegate->onRender = [] { Array<int> garbage(9 * 1024 * 1024 / 4); };
        game.RenderGame();
        ASSERT_TRUE(gc_is_live(delegate));
    }
}

} // namespace
} // namespace hexwend::testing
