// F11 on the real desktop host under a private X server: the framework switches to a
// full-screen window of the desktop size and back to the default 640 x 480 window; keys held
// across the switch are released in the game, and images still draw in each new context.
#include "app/app.h"
#include "framework/quzo.h"
#include "graphics/gxtk_graphics.h"
#include "host/rt_game.h"
#include "runtime/init.h"
#include "tests/support/openal_config.h"
#include "tests/support/temp_folder.h"

#include <GLFW/glfw3.h>
#include <gtest/gtest.h>
#include <stb_image_write.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <thread>
#include <unistd.h>
#include <vector>

namespace hexwend::testing {
namespace {

using namespace hexwend::framework;

constexpr int kKeyLeft = 37;
constexpr int kDotSlot = 70;
constexpr uint32_t kRed = 0xff0000;
constexpr uint32_t kBlack = 0x000000;

// An application that runs the framework's housekeeping (which owns F11) and draws one red
// square, 64 units wide, at the virtual point (400, 300).
class FlipApp : public c_App {
  public:
    int p_OnCreate() override {
        rt_app_SetUpdateRate(60);
        rt_quzo_SetCLSCol(0, 0, 0, 1);
        rt_quzo_LoadImg(kDotSlot, String("dot"), 8, 8, 1);
        return 0;
    }
    int p_OnUpdate() override {
        rt_quzo_Sprtup = 0;
        rt_quzo_ResetDraw();
        rt_quzo_UpdateWorld();
        rt_quzo_SetSize(8);
        // Enough records to be published.
        for (int i = 0; i < 16; ++i) rt_quzo_DrawImg(kDotSlot, 400, 300, 0);
        rt_quzo_Buffer();
        return 0;
    }
    int p_OnRender() override {
        rt_quzo_RenderWorld();
        return 0;
    }
};

void writeRedDot(const std::filesystem::path& path) {
    std::filesystem::create_directories(path.parent_path());
    std::vector<unsigned char> rgba(8 * 8 * 4);
    for (size_t i = 0; i < rgba.size(); i += 4) {
        rgba[i] = 0xff;
        rgba[i + 3] = 0xff;
    }
    ASSERT_TRUE(stbi_write_png(path.c_str(), 8, 8, 4, rgba.data(), 8 * 4));
}

class FullscreenDisplayTest : public ::testing::Test {
  protected:
    void SetUp() override {
        useSilentAudio();
        ASSERT_TRUE(folder.ok());
        writeRedDot(folder / "data/common/dot.png");

        glfwSetErrorCallback(onGlfwError);
        ASSERT_EQ(glfwInit(), GLFW_TRUE) << "no display";
        game = new RtGlfwGame();
        // The data folder is the test's own; the host keeps a folder given before first use.
        game->_appDir = String(folder.path().c_str());
        rtClearModuleInits();
        framework::registerModules();
        host::startRuntime(0, nullptr, [] {
            (new FlipApp())->m_new();
            return 0;
        });
        game->SetDeviceWindow(640, 480, 6);
        game->StartGame();
        ASSERT_NE(rt_quzo_QUZO_Img[kDotSlot], nullptr);
    }

    void TearDown() override {
        std::system("xdotool keyup Left keyup F11 >/dev/null 2>&1");
        gc_clear_roots();
        gc_reset();
        if (game && game->_window) glfwDestroyWindow(game->_window);
        delete game;
        glfwTerminate();
    }

    // One pass of the main loop without its pacing: events, an update, a render.
    void pass() {
        glfwPollEvents();
        game->UpdateGame();
        game->RenderGame();
    }

    // Passes until `done` holds, for at most five seconds.
    bool passUntil(const std::function<bool()>& done) {
        for (int i = 0; i < 500; ++i) {
            pass();
            if (done()) return true;
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        }
        return false;
    }

    void focusWindow() {
        glfwFocusWindow(game->_window);
        ASSERT_TRUE(passUntil([&] { return glfwGetWindowAttrib(game->_window, GLFW_FOCUSED); }))
            << "the window takes the focus";
    }

    // Holds F11 until the framework has switched, then lets it go.
    void pressF11(int fullscreenAfter) {
        ASSERT_EQ(std::system("xdotool keydown F11"), 0);
        const bool switched = passUntil([&] { return rt_quzo_QUZO_Fullscreen == fullscreenAfter; });
        std::system("xdotool keyup F11");
        ASSERT_TRUE(switched);
    }

    // The window pixel at (x, y), top left origin, as 0xRRGGBB, after a fresh render.
    uint32_t pixel(int x, int y) {
        Array<int> out(1);
        rt_app__delegate->m_graphics->ReadPixels(out, x, y, 1, 1, 0, 1);
        return uint32_t(out[0]) & 0xffffff;
    }

    TempFolder folder;
    RtGlfwGame* game = nullptr;
};

TEST_F(FullscreenDisplayTest, F11SwitchesToTheDesktopSizeAndBackAndImagesStillDraw) {
    const int desktopW = game->_desktopMode[0], desktopH = game->_desktopMode[1];
    ASSERT_EQ(desktopW, 1280);
    ASSERT_EQ(desktopH, 1024);

    focusWindow();
    pass();
    // 640 x 480: the virtual screen is scaled by 0.8, the square is 51 pixels around
    // (320, 240).
    EXPECT_EQ(pixel(320, 240), kRed);
    EXPECT_EQ(pixel(320 + 20, 240), kRed);
    EXPECT_EQ(pixel(320 + 32, 240), kBlack);
    EXPECT_EQ(pixel(10, 10), kBlack);

    // Left is held as the window changes.
    ASSERT_EQ(std::system("xdotool keydown Left"), 0);
    ASSERT_TRUE(passUntil([] { return rt_quzo_PlayKey(kControlLeft, -3) != 0; }));

    ASSERT_EQ(std::system("xdotool keydown F11"), 0);
    ASSERT_TRUE(passUntil([&] { return rt_quzo_QUZO_Fullscreen == 1; }));
    // The update that switched released the held key in the game, though it is still down.
    EXPECT_FALSE(rt_input_KeyDown(kKeyLeft));
    std::system("xdotool keyup F11 keyup Left");

    EXPECT_NE(glfwGetWindowMonitor(game->_window), nullptr);
    int w = 0, h = 0;
    glfwGetWindowSize(game->_window, &w, &h);
    EXPECT_EQ(w, desktopW);
    EXPECT_EQ(h, desktopH);
    EXPECT_EQ(rt_app__devWidth, desktopW);
    EXPECT_EQ(rt_app__devHeight, desktopH);

    // 1280 x 1024: scaled by 1.6, the square is 102 pixels around (640, 480), drawn from a
    // texture made anew in the new context.
    pass();
    pass();
    EXPECT_EQ(rt_quzo_PlayKey(kControlLeft, -3), 0);
    EXPECT_EQ(pixel(640, 480), kRed);
    EXPECT_EQ(pixel(640 + 45, 480 + 45), kRed);
    EXPECT_EQ(pixel(640 + 60, 480), kBlack);
    EXPECT_EQ(pixel(10, 10), kBlack);

    // And back.
    focusWindow();
    pressF11(0);
    EXPECT_EQ(glfwGetWindowMonitor(game->_window), nullptr);
    glfwGetWindowSize(game->_window, &w, &h);
    EXPECT_EQ(w, 640);
    EXPECT_EQ(h, 480);
    EXPECT_EQ(rt_app__devWidth, 640);
    pass();
    EXPECT_EQ(pixel(320, 240), kRed);
    EXPECT_EQ(pixel(320 + 32, 240), kBlack);
}

} // namespace
} // namespace hexwend::testing
