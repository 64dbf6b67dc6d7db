// The real game on the real desktop host under a private X server, every frame drawn twice:
// once only where it changed, into the picture the render device keeps in the back buffer,
// and once in full straight into the window. Every pixel of
// the two must be the same, through scripted scenes: the loading screen, the menus with the
// curtain moving, the options overlay, play with pops, falling hexes and particles, the pause
// overlay, a full-screen switch and a window resize.
#include "app/app.h"
#include "framework/quzo.h"
#include "game/my_game.h"
#include "graphics/graphics.h"
#include "graphics/gxtk_graphics.h"
#include "host/picture.h"
#include "host/rt_game.h"
#include "runtime/init.h"
#include "tests/support/openal_config.h"
#include "tests/support/temp_folder.h"

#define GL_GLEXT_PROTOTYPES
#include <GL/gl.h>
#include <GLFW/glfw3.h>
#include <gtest/gtest.h>
#include <stb_image_write.h>

#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

namespace hexwend::testing {
namespace {

using graphics::DrawMode;
using graphics::FrameReport;
using namespace hexwend::framework;

constexpr int kEnter = 13;
constexpr int kEscape = 27;
constexpr int kSpace = 32;
constexpr int kUp = 38;
constexpr int kRight = 39;
constexpr int kDown = 40;

// The field: cell (c, r) at 10c + 200r; colour, variant, pop countdown, linked, chain value.
constexpr int kColour = 0;
constexpr int kVariant = 1;
constexpr int kCountdown = 2;
constexpr int kChain = 7;

int cell(int c, int r) {
    return 10 * c + 200 * r;
}

class PictureDisplayTest : public ::testing::Test {
  protected:
    void SetUp() override {
        useSilentAudio();
        ASSERT_TRUE(folder.ok());
        glfwSetErrorCallback(onGlfwError);
        ASSERT_EQ(glfwInit(), GLFW_TRUE) << "no display";
        host = new RtGlfwGame();
        // The build's data folder, beside the game's executable.
        host->_appDir = String(HEXWEND_BINARY_DIR);
        rtClearModuleInits();
        hexwend::game::registerModules();
        hexwend::host::startRuntime(0, nullptr, [] {
            (new c_MyGame())->m_new();
            return 0;
        });
        host->SetDeviceWindow(640, 480, 6);
        host->StartGame();
        device = rt_app__delegate->m_graphics;
        ASSERT_NE(device, nullptr);
    }

    void TearDown() override {
        std::printf("%d frames: %d straight, %d kept, %d drawn where changed, %d drawn whole\n",
                    frameCount, outcomes[FrameReport::kStraight],
                    outcomes[FrameReport::kKept], outcomes[FrameReport::kPartial],
                    outcomes[FrameReport::kWhole]);
        gc_clear_roots();
        gc_reset();
        if (host && host->_window) glfwDestroyWindow(host->_window);
        delete host;
        glfwTerminate();
    }

    std::vector<uint32_t> readPicture() {
        const int w = device->Width(), h = device->Height();
        Array<int> out(w * h);
        device->ReadPixels(out, 0, 0, w, h, 0, w);
        std::vector<uint32_t> pixels(size_t(w) * size_t(h));
        for (size_t i = 0; i < pixels.size(); ++i) pixels[i] = uint32_t(out[int(i)]) & 0xffffff;
        return pixels;
    }

    void save(const std::string& name, const std::vector<uint32_t>& pixels) {
        const int w = device->Width(), h = device->Height();
        std::vector<unsigned char> rgb(pixels.size() * 3);
        for (size_t i = 0; i < pixels.size(); ++i) {
            rgb[i * 3] = (pixels[i] >> 16) & 0xff;
            rgb[i * 3 + 1] = (pixels[i] >> 8) & 0xff;
            rgb[i * 3 + 2] = pixels[i] & 0xff;
        }
        const std::string dir = std::string(HEXWEND_BINARY_DIR) + "/tests/game/screens";
        std::filesystem::create_directories(dir);
        stbi_write_png((dir + "/" + name + ".png").c_str(), w, h, 3, rgb.data(), w * 3);
    }

    // The back buffer as the window counts its rows (bottom first), in window order.
    std::vector<uint32_t> readBackBuffer() {
        std::vector<uint32_t> pixels(size_t(device->Width()) * size_t(device->Height()));
        glPixelStorei(GL_PACK_ALIGNMENT, 4);
        glReadPixels(0, 0, device->Width(), device->Height(), GL_BGRA, GL_UNSIGNED_BYTE,
                     pixels.data());
        return pixels;
    }

    void writeBackBuffer(const std::vector<uint32_t>& pixels) {
        glDisable(GL_BLEND);
        glDisable(GL_SCISSOR_TEST);
        glDisable(GL_TEXTURE_2D);
        glWindowPos2i(0, 0);
        glDrawPixels(device->Width(), device->Height(), GL_BGRA, GL_UNSIGNED_BYTE, pixels.data());
    }

    // Runs the updates, then draws the frame both ways and compares them: with the game's
    // render device, drawing only what changed, and with a second device drawing in full
    // straight into the window's back buffer, as a driver without the means to show parts of
    // it does. The game's device keeps its picture in the back buffer, which is put back
    // afterwards.
    void frame(int updates = 1) {
        for (int i = 0; i < updates; ++i) host->UpdateGame();
        host->RenderGame();
        const FrameReport report = device->lastFrame();
        const bool kept = hexwend::host::takePictureKept();
        const std::vector<uint32_t> changed = readPicture();
        const std::vector<uint32_t> backBuffer = readBackBuffer();

        auto* full = new gxtkGraphics;
        full->setDrawMode(DrawMode::kFull);
        gc_assign(rt_app__delegate->m_graphics, full);
        rt_graphics_SetGraphicsDevice(full);
        host->RenderGame();
        ASSERT_EQ(full->lastFrame().outcome, FrameReport::kStraight);
        const std::vector<uint32_t> reference = readPicture();
        gc_assign(rt_app__delegate->m_graphics, device);
        rt_graphics_SetGraphicsDevice(device);
        if (kept) {
            writeBackBuffer(backBuffer);
        } else {
            // As the main loop does; the window's buffers also take a new size at a swap.
            glfwSwapBuffers(host->_window);
        }

        ++frameCount;
        ++outcomes[report.outcome];
        size_t differing = 0, first = 0;
        for (size_t i = 0; i < reference.size(); ++i) {
            if (changed[i] != reference[i] && differing++ == 0) first = i;
        }
        if (differing != 0) {
            const int w = device->Width();
            ADD_FAILURE() << scene << ", frame " << frameCount << " (outcome " << report.outcome
                          << ", " << report.rects << " rectangles): " << differing
                          << " pixels differ, the first at (" << first % size_t(w) << ", "
                          << first / size_t(w) << ")";
            save(scene + "_changes", changed);
            save(scene + "_full", reference);
        }
    }

    void run(int count, int updatesEach = 1) {
        for (int i = 0; i < count && !::testing::Test::HasFailure(); ++i) frame(updatesEach);
    }

    // A key held for two frames, then released for two.
    void tap(int key) {
        host->KeyEvent(hexwend::host::kKeyDown, key);
        run(2);
        host->KeyEvent(hexwend::host::kKeyUp, key);
        run(2);
    }

    void finishLoading() {
        // The loading screen, one frame every third step.
        while (rt_quzo_QUZO_Loader > 0 && !HasFailure()) frame(3);
    }

    // Play: a game of "Normal" with the honeycomb filled down to row 13, so that much of it
    // shows and it creeps slowly.
    void startPlay() {
        tap(kEnter);
        ASSERT_EQ(rt_quzo_QUZO_MenuPos[0], 2) << "the difficulty list";
        scene = "curtain";
        run(24);
        tap(kEnter);
        ASSERT_EQ(rt_quzo_QUZO_GameMode, kModePlaying);
        float* grid = rt_quzo_grid.Data();
        for (int r = 0; r <= 13; ++r) {
            for (int c = 0; c < 7; ++c) {
                grid[cell(c, r) + kColour] = float(2 * ((c + r) % 3) + 1);
                grid[cell(c, r) + kVariant] = float((c * 3 + r) % 8);
            }
        }
        // The background fades from the menu's colour to black over the first second.
        run(1, 90);
    }

    TempFolder folder;
    InWorkingFolder inFolder{folder.path()};
    RtGlfwGame* host = nullptr;
    gxtkGraphics* device = nullptr;
    std::string scene = "loading";
    int frameCount = 0;
    int outcomes[4] = {};
};

TEST_F(PictureDisplayTest, MenusOverlaysAndPauseLookTheSameDrawnOnlyWhereChanged) {
    finishLoading();
    scene = "menu";
    run(30, 2); // the menu slides in
    run(6);     // and rests
    scene = "options";
    tap(kDown);
    tap(kDown);
    tap(kEnter);
    ASSERT_EQ(rt_quzo_QUZO_OptCred, kOverlayOptions);
    run(12);
    tap(kEscape);
    run(6);
    tap(kUp);
    tap(kUp);
    scene = "play";
    startPlay();
    run(10);
    scene = "pause";
    tap(kEscape);
    run(12);

    EXPECT_GT(outcomes[FrameReport::kKept], 0) << "frames at rest draw nothing";
    EXPECT_GT(outcomes[FrameReport::kPartial], 0) << "changed regions are drawn alone";
    EXPECT_GT(outcomes[FrameReport::kWhole], 0);
}

TEST_F(PictureDisplayTest, PlayFullScreenAndResizeLookTheSameDrawnOnlyWhereChanged) {
    finishLoading();
    scene = "menu";
    run(2, 30);
    startPlay();
    scene = "play";
    // Running right and jumping.
    host->KeyEvent(hexwend::host::kKeyDown, kRight);
    run(6);
    host->KeyEvent(hexwend::host::kKeyDown, kSpace);
    run(6);
    host->KeyEvent(hexwend::host::kKeyUp, kSpace);
    host->KeyEvent(hexwend::host::kKeyUp, kRight);

    // A pop that spreads through its colour, with bursts of particles.
    scene = "pops";
    float* grid = rt_quzo_grid.Data();
    for (int c : {1, 4}) {
        grid[cell(c, 11) + kCountdown] = 30;
        grid[cell(c, 11) + kChain] = 5;
    }
    run(30);

    // The anchor cell emptied: everything drops, with particles and pop-ups.
    scene = "falling";
    grid[cell(0, 0) + kColour] = -1;
    run(24);

    scene = "fullscreen";
    rt_quzo_FullscreenFlip();
    glfwPollEvents();
    run(4);
    rt_quzo_FullscreenFlip();
    glfwPollEvents();
    run(3);

    scene = "resize";
    glfwSetWindowSize(host->_window, 720, 540);
    for (int i = 0; i < 100 && host->GetDeviceWidth() != 720; ++i) {
        glfwWaitEventsTimeout(0.05);
    }
    ASSERT_EQ(host->GetDeviceWidth(), 720);
    run(6);
    EXPECT_EQ(device->Width(), 720);

    EXPECT_GT(outcomes[FrameReport::kPartial], 0);
    EXPECT_GT(outcomes[FrameReport::kWhole], 0);
}

} // namespace
} // namespace hexwend::testing
