// The application object, the game delegate and the application functions.
#include "tests/app/test_app.h"
#include "tests/support/headless_game.h"
#include "tests/support/temp_folder.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <unistd.h>

#include <cstdio>
#include <cstring>

namespace hexwend::testing {
namespace {

using ::testing::ElementsAre;

class AppTest : public ::testing::Test {
  protected:
    HeadlessGame game;
};

TEST_F(AppTest, TheStartCreatesTheInputDeviceAndReadsTheWindowBeforeOnCreate) {
    auto* app = game.startRuntime<TestApp>();
    EXPECT_EQ(rt_app__app, app);
    EXPECT_EQ(game.Delegate(), rt_app__delegate);
    EXPECT_EQ(rt_input_device, nullptr);

    game.SetDeviceWindow(640, 480, 6);
    app->onCreate = [] {
        ASSERT_NE(rt_input_device, nullptr);
        EXPECT_EQ(rt_input_device, rt_app__delegate->m_input);
        EXPECT_EQ(rt_app_DeviceWidth(), 640);
        EXPECT_EQ(rt_app_DeviceHeight(), 480);
        ASSERT_NE(rt_app_DesktopMode(), nullptr);
        EXPECT_EQ(rt_app_DesktopMode()->p_Width(), 1920);
    };
    game.startGame();
    game.startGame();
    EXPECT_THAT(app->calls, ElementsAre("create"));
}

TEST_F(AppTest, TheLoopRendersBeforeTheFirstUpdate) {
    auto* app = game.startRuntime<TestApp>();
    app->onCreate = [] { rt_app_SetUpdateRate(60); };
    game.runLoop(3);
    EXPECT_THAT(app->calls,
                ElementsAre("create", "render", "update", "render", "update", "render", "update"));
    EXPECT_EQ(rt_app__updateRate, 60);
    EXPECT_EQ(game._updateRate, 60);
}

TEST_F(AppTest, ASecondApplicationObjectIsARuntimeError) {
    game.start<TestApp>();
    EXPECT_EXIT(
        {
            ::dup2(2, 1);
            (new TestApp())->m_new();
        },
        ::testing::ExitedWithCode(255), "Vorpix Runtime Error : App has already been created");
}

TEST_F(AppTest, TheCloseRequestEndsTheProcessWithStatusZeroAndNoFurtherUpdate) {
    auto* app = game.start<TestApp>();
    app->onUpdate = [] { std::fputs("update ran\n", stderr); };
    EXPECT_EXIT(
        {
            game.closeWindow();
            game.update();
        },
        ::testing::ExitedWithCode(0), "^$");
}

TEST_F(AppTest, TheBackKeyEndsTheProcessWithStatusZero) {
    game.start<TestApp>();
    EXPECT_EXIT(game.KeyEvent(c_RtGameEvent::KeyDown, 416), ::testing::ExitedWithCode(0), "^$");
}

TEST_F(AppTest, OnlyAKeyDownOfTheCloseOrBackKeyEndsTheApplication) {
    auto* app = game.start<TestApp>();
    for (int key : {416, 432}) {
        game.KeyEvent(c_RtGameEvent::KeyUp, key);
        game.KeyEvent(c_RtGameEvent::KeyChar, key);
    }
    game.update();
    EXPECT_THAT(app->calls, ElementsAre("create", "update"));
}

TEST_F(AppTest, AResizeReachesTheGameAtItsNextUpdateOrRender) {
    auto* app = game.startRuntime<TestApp>();
    game.SetDeviceWindow(640, 480, 6);
    game.startGame();
    game.resize(800, 500);
    EXPECT_EQ(rt_app_DeviceWidth(), 640);
    int seenWidth = 0;
    app->onUpdate = [&] { seenWidth = rt_app_DeviceWidth(); };
    game.update();
    EXPECT_EQ(seenWidth, 800);
    EXPECT_EQ(rt_app_DeviceHeight(), 500);

    game.resize(300, 200);
    app->onRender = [&] { seenWidth = rt_app_DeviceWidth(); };
    game.render();
    EXPECT_EQ(seenWidth, 300);
}

TEST_F(AppTest, SetDeviceWindowRecordsTheNewSizeAtOnce) {
    game.start<TestApp>();
    rt_app_SetDeviceWindow(1024, 768, 1);
    EXPECT_EQ(rt_app_DeviceWidth(), 1024);
    EXPECT_EQ(rt_app_DeviceHeight(), 768);
    EXPECT_EQ(game.windowRequests().back().flags, 1);
}

TEST_F(AppTest, AWindowChangeReleasesTheKeysHeldInTheGame) {
    auto* app = game.startRuntime<TestApp>();
    game.SetDeviceWindow(640, 480, 6);
    game.startGame();
    game.press(keys::kLeft);
    game.press(keys::kShift);
    game.update();
    rt_app_SetDeviceWindow(1920, 1080, 1);
    bool leftDown = true;
    bool shiftDown = true;
    app->onUpdate = [&] {
        leftDown = rt_input_KeyDown(37);
        shiftDown = rt_input_KeyDown(16);
    };
    game.update();
    EXPECT_FALSE(leftDown);
    EXPECT_FALSE(shiftDown);
}

TEST_F(AppTest, DisplayModesAreListedOncePerSize) {
    game.system().modes = {{1024, 768, 8, 8, 8, 60},
                           {1024, 768, 8, 8, 8, 75},
                           {1024, 768, 8, 8, 8, 0},
                           {800, 600, 8, 8, 8, 0},
                           {1024, 768, 8, 8, 8, 60}};
    game.start<TestApp>();
    ASSERT_EQ(rt_app__displayModes.Length(), 2);
    EXPECT_EQ(rt_app__displayModes[0]->p_Width(), 1024);
    EXPECT_EQ(rt_app__displayModes[0]->p_Height(), 768);
    EXPECT_EQ(rt_app__displayModes[1]->p_Width(), 800);
}

TEST_F(AppTest, WithoutADesktopModeTheDesktopIsTheWindowSize) {
    game.system().modes.clear();
    for (int& field : game._desktopMode) field = 0;
    game.startRuntime<TestApp>();
    game.SetDeviceWindow(640, 480, 6);
    game.startGame();
    EXPECT_EQ(rt_app__displayModes.Length(), 0);
    ASSERT_NE(rt_app_DesktopMode(), nullptr);
    EXPECT_EQ(rt_app_DesktopMode()->p_Width(), 640);
    EXPECT_EQ(rt_app_DesktopMode()->p_Height(), 480);
}

TEST_F(AppTest, LosingTheFocusStopsUpdatesAndItsReturnCallsOnResume) {
    auto* app = game.start<TestApp>();
    game.loseFocus();
    game.update();
    game.render();
    game.regainFocus();
    game.update();
    EXPECT_THAT(app->calls, ElementsAre("create", "render", "resume", "update"));
}

TEST_F(AppTest, MillisecsFollowTheHostClock) {
    auto* app = game.start<TestApp>();
    (void)app;
    rt_app_SetUpdateRate(50);
    int before = rt_app_Millisecs();
    game.update(10);
    EXPECT_EQ(rt_app_Millisecs() - before, 200);
}

TEST_F(AppTest, GetDate2GivesSevenFieldsWithZeroMilliseconds) {
    game.start<TestApp>();
    Array<int> date = rt_app_GetDate2();
    ASSERT_EQ(date.Length(), 7);
    EXPECT_GE(date[0], 2024);
    EXPECT_GE(date[1], 1);
    EXPECT_EQ(date[6], 0);
}

TEST_F(AppTest, TheStateRoundTripsAndAFailedSaveIsNotAnError) {
    TempFolder folder;
    InWorkingFolder inFolder(folder.path());
    game.start<TestApp>();
    rt_app_SaveState(String(u"name=\u00c9mile"));
    EXPECT_EQ(rt_app_LoadState(), String(u"name=\u00c9mile"));

    std::remove(".vorpixstate");
    ::mkdir(".vorpixstate", 0755);
    EXPECT_EQ(rt_app_SaveState(String("x")), 0);
    EXPECT_EQ(rt_app_LoadState().Length(), 0);
}

TEST_F(AppTest, StartingAgainResetsTheWholeSystem) {
    game.start<TestApp>();
    game.press('A');
    rt_app_SetUpdateRate(30);

    // A second application object in the new start is no error: the old one is gone.
    HeadlessGame again;
    auto* second = again.start<TestApp>();
    EXPECT_EQ(rt_app__app, second);
    EXPECT_FALSE(rt_input_KeyDown('A'));
    EXPECT_EQ(rt_app__updateRate, 0);
    EXPECT_EQ(rt_app__game, &again);

    // The roots of this layer, each once, in the collector's order.
    std::vector<std::string> names;
    for (int i = 0; i < gc_root_count(); ++i) {
        std::string name = gc_root_name(i);
        if (name.rfind("rt_app_", 0) == 0 || name.rfind("rt_input_", 0) == 0) names.push_back(name);
    }
    EXPECT_THAT(names, ElementsAre("rt_app__app", "rt_app__delegate", "rt_input_device",
                                   "rt_app__displayModes", "rt_app__desktopMode"));
}

TEST_F(AppTest, TheCollectorKeepsTheApplicationAndItsDevicesThroughManySweeps) {
    auto* app = game.start<TestApp>();
    app->onUpdate = [] { Array<int> garbage(3 * 1024 * 1024 / 4); };
    game.update(12); // 36 MiB of garbage: several sweeps
    app->onUpdate = nullptr;
    EXPECT_TRUE(gc_is_live(app));
    EXPECT_TRUE(gc_is_live(rt_app__delegate));
    EXPECT_TRUE(gc_is_live(rt_input_device));
    EXPECT_TRUE(gc_is_live(rt_input_device->m_joyStates[3]));
    EXPECT_TRUE(gc_is_live(rt_app__displayModes[0]));
    game.tap(keys::kSpace);
    bool hit = false;
    app->onUpdate = [&] { hit = rt_input_KeyHit(32) == 1; };
    game.update();
    EXPECT_TRUE(hit);
}

} // namespace
} // namespace hexwend::testing
