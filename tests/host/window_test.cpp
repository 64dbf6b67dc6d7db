// The device window with the real GLFW under a private X server.
#include "tests/host/recording_delegate.h"

#include <GLFW/glfw3.h>
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <thread>

namespace hexwend::testing {
namespace {

using ::testing::Contains;

class WindowTest : public ::testing::Test {
  protected:
    void SetUp() override {
        glfwSetErrorCallback(onGlfwError);
        ASSERT_TRUE(glfwInit());
        startBareRuntime();
        game = new RtGlfwGame();
        delegate = new RecordingDelegate();
        game->SetDelegate(delegate);
    }
    void TearDown() override {
        delete game;
        glfwTerminate();
    }

    // Processes window events until `done` holds or five seconds have passed.
    bool pollUntil(const std::function<bool()>& done) {
        for (int i = 0; i < 500; ++i) {
            glfwPollEvents();
            if (done()) return true;
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        }
        return false;
    }

    RtGlfwGame* game = nullptr;
    RecordingDelegate* delegate = nullptr;
};

TEST_F(WindowTest, TheDefaultWindowIsCentredOnTheDesktopWithItsOwnContext) {
    int seq = glfwGraphicsSeq;
    game->SetDeviceWindow(640, 480, 6);
    ASSERT_NE(game->_window, nullptr);
    EXPECT_EQ(glfwGraphicsSeq, seq + 1);
    EXPECT_EQ(glfwGetCurrentContext(), game->_window);
    EXPECT_EQ(game->GetDeviceWidth(), 640);
    EXPECT_EQ(game->GetDeviceHeight(), 480);
    EXPECT_FALSE(game->_focus);

    int width = 0, height = 0, x = 0, y = 0;
    glfwGetWindowSize(game->_window, &width, &height);
    ASSERT_TRUE(pollUntil([&] {
        glfwGetWindowPos(game->_window, &x, &y);
        return glfwGetWindowAttrib(game->_window, GLFW_VISIBLE) && x != 0;
    }));
    EXPECT_EQ(width, 640);
    EXPECT_EQ(height, 480);
    EXPECT_EQ(x, (game->_desktopMode[0] - 640) / 2);
    EXPECT_EQ(y, (game->_desktopMode[1] - 480) / 2);
    EXPECT_EQ(glfwGetWindowAttrib(game->_window, GLFW_RESIZABLE), GLFW_TRUE);
    EXPECT_EQ(glfwGetWindowAttrib(game->_window, GLFW_DECORATED), GLFW_TRUE);
    EXPECT_EQ(glfwGetWindowMonitor(game->_window), nullptr);
}

TEST_F(WindowTest, FullScreenGoesOnTheOnlyMonitorEvenWhenTheSecondIsAskedFor) {
    game->SetDeviceWindow(game->_desktopMode[0], game->_desktopMode[1], 1 | 64);
    ASSERT_NE(game->_window, nullptr);
    EXPECT_EQ(glfwGetWindowMonitor(game->_window), glfwGetPrimaryMonitor());
}

TEST_F(WindowTest, ReplacingTheWindowReleasesTheKeysHeldInTheGame) {
    game->StartGame();
    game->SetDeviceWindow(640, 480, 6);
    ASSERT_TRUE(pollUntil([&] { return glfwGetWindowAttrib(game->_window, GLFW_VISIBLE); }));
    glfwFocusWindow(game->_window);
    ASSERT_TRUE(pollUntil([&] { return glfwGetWindowAttrib(game->_window, GLFW_FOCUSED); }));

    ASSERT_EQ(std::system("xdotool keydown Left"), 0);
    ASSERT_TRUE(pollUntil([&] { return glfwGetKey(game->_window, GLFW_KEY_LEFT) == GLFW_PRESS; }));
    delegate->calls.clear();

    int seq = glfwGraphicsSeq;
    game->SetDeviceWindow(800, 600, 6);
    std::system("xdotool keyup Left");
    EXPECT_THAT(delegate->calls, Contains("key 2 37"));
    EXPECT_EQ(glfwGraphicsSeq, seq + 1);
    EXPECT_EQ(game->GetDeviceWidth(), 800);
}

TEST_F(WindowTest, TheSwapIntervalAndTheCursorFollowTheGame) {
    game->SetDeviceWindow(320, 240, 6);
    game->SetMouseVisible(false);
    EXPECT_EQ(glfwGetInputMode(game->_window, GLFW_CURSOR), GLFW_CURSOR_HIDDEN);
    game->SetMouseVisible(true);
    EXPECT_EQ(glfwGetInputMode(game->_window, GLFW_CURSOR), GLFW_CURSOR_NORMAL);
    game->SetSwapInterval(0);
    EXPECT_EQ(game->_swapInterval, 0);
    game->SetSwapInterval(-1);
    game->SetDeviceWindow(320, 240, 6); // a negative interval leaves the driver's default
    EXPECT_EQ(game->_swapInterval, -1);
}

TEST_F(WindowTest, TheDesktopModeIsTheScreensMode) {
    RtDisplayMode* desktop = game->GetDesktopMode();
    ASSERT_NE(desktop, nullptr);
    const GLFWvidmode* mode = glfwGetVideoMode(glfwGetPrimaryMonitor());
    EXPECT_EQ(desktop->width, mode->width);
    EXPECT_EQ(desktop->height, mode->height);
}

} // namespace
} // namespace hexwend::testing
