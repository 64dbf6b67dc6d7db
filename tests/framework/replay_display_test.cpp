// The replay on real OpenGL: a published buffer drawn into a 1280 x 720 window lands where
// the virtual-to-window scale (1.6) puts it. Runs under a private X server.
#include "app/app.h"
#include "framework/quzo.h"
#include "graphics/graphics.h"
#include "host/rt_game.h"
#include "runtime/init.h"
#include "tests/support/temp_folder.h"

#include <GLFW/glfw3.h>
#include <gtest/gtest.h>
#include <stb_image_write.h>

#include <cstdlib>
#include <filesystem>
#include <memory>
#include <string>
#include <unistd.h>
#include <vector>

namespace hexwend::testing {
namespace {

constexpr int kWidth = 1280;
constexpr int kHeight = 720;

// Writes a sheet of frames side by side, each one solid colour (0xRRGGBB, opaque).
void writeSheet(const std::filesystem::path& path, int frameSize,
                const std::vector<uint32_t>& colours) {
    std::filesystem::create_directories(path.parent_path());
    int w = frameSize * int(colours.size());
    std::vector<unsigned char> rgba(size_t(w) * frameSize * 4);
    for (int y = 0; y < frameSize; ++y) {
        for (int x = 0; x < w; ++x) {
            uint32_t c = colours[size_t(x / frameSize)];
            unsigned char* p = &rgba[(size_t(y) * w + x) * 4];
            p[0] = (c >> 16) & 0xff;
            p[1] = (c >> 8) & 0xff;
            p[2] = c & 0xff;
            p[3] = 0xff;
        }
    }
    ASSERT_TRUE(stbi_write_png(path.c_str(), w, frameSize, 4, rgba.data(), w * 4));
}

class ReplayDisplayTest : public ::testing::Test {
  protected:
    void SetUp() override {
        ASSERT_TRUE(folder.ok());

        ASSERT_EQ(glfwInit(), GLFW_TRUE) << "no display";
        game = std::make_unique<RtGlfwGame>();
        game->_appDir = String(folder.path().c_str());
        rtClearModuleInits();
        framework::registerModules();
        host::startRuntime(0, nullptr, [] { return 0; });

        game->SetDeviceWindow(kWidth, kHeight, 6);
        device = new gxtkGraphics;
        rt_graphics_SetGraphicsDevice(device);
        rt_app__devWidth = kWidth;
        rt_app__devHeight = kHeight;
    }

    void TearDown() override {
        gc_clear_roots();
        gc_reset();
        if (game && game->_window) glfwDestroyWindow(game->_window);
        game.reset();
        glfwTerminate();
    }

    // One render as the game's render runs it.
    void render() {
        device->BeginRender();
        rt_graphics_BeginRender();
        rt_quzo_RenderWorld();
    }

    // The window pixel at (x, y), top left origin, as 0xRRGGBB.
    uint32_t pixel(int x, int y) {
        Array<int> out(1);
        device->ReadPixels(out, x, y, 1, 1, 0, 1);
        return uint32_t(out[0]) & 0xffffff;
    }

    // The number of pixels of one colour in a window rectangle.
    int count(uint32_t colour, int x0, int y0, int x1, int y1) {
        int w = x1 - x0, h = y1 - y0;
        Array<int> out(w * h);
        device->ReadPixels(out, x0, y0, w, h, 0, w);
        int n = 0;
        for (int i = 0; i < w * h; ++i) n += (uint32_t(out[i]) & 0xffffff) == colour;
        return n;
    }

    TempFolder folder;
    std::unique_ptr<RtGlfwGame> game;
    gxtkGraphics* device = nullptr;
};

constexpr uint32_t kBackground = 0x000040;
constexpr uint32_t kRed = 0xff0000;
constexpr uint32_t kGreen = 0x00ff00;
constexpr uint32_t kBlue = 0x0000ff;
constexpr uint32_t kYellow = 0xffff00;
constexpr uint32_t kWhite = 0xffffff;
constexpr uint32_t kMagenta = 0xff00ff;

TEST_F(ReplayDisplayTest, RecordsLandWhereTheScalePutsThem) {
    // A framework image from the shared folder and a game image from the game's folder.
    rt_quzo_QUZO_GameNum = 506;
    writeSheet(folder / "data/common/dot.png", 8, {kRed});
    writeSheet(folder / "data/506/pair.png", 8, {kGreen, kBlue});
    rt_quzo_LoadImg(70, "dot", 8, 8, 1);
    rt_quzo_LoadImg(3, "pair", 8, 8, 2);
    ASSERT_NE(rt_quzo_QUZO_Img[70], nullptr);
    ASSERT_NE(rt_quzo_QUZO_Img[3], nullptr);

    rt_quzo_SetCLSCol(0, 0, 64, 1);
    float* style = rt_quzo_QUZO_DrawStyle.Data();
    style[11] = 0, style[12] = 0, style[13] = 64;

    rt_quzo_ResetDraw();
    rt_quzo_DrawImg(70, 100, 100, 0); // 8 x 8 around (160, 160)
    rt_quzo_DrawImg(3, 200, 100, 1);  // blue 8 x 8 around (320, 160)
    rt_quzo_SetSize(2, 2);
    rt_quzo_DrawImg(3, 300, 100, 0); // green 16 x 16 around (480, 160)
    rt_quzo_ResetDraw();
    rt_quzo_SetCol(255, 255, 0, 1);
    rt_quzo_Rect(400, 200, 50, 25); // (640, 320) ... (720, 360)
    rt_quzo_SetCol(255, 255, 255, 1);
    rt_quzo_Line(100, 400, 300, 400); // y 640, x 160 ... 480
    rt_quzo_SetCol(255, 0, 255, 1);
    rt_quzo_Triangle(600, 300, 700, 300, 600, 400); // (960, 480), (1120, 480), (960, 640)
    // Enough further records to be published: tiny rectangles off the checked areas.
    rt_quzo_SetCol(0, 0, 64, 1);
    for (int i = 0; i < 12; ++i) rt_quzo_Rect(760 + float(i), 430, 1, 1);
    rt_quzo_Buffer();
    ASSERT_EQ(rt_quzo_Bufferup, 18);

    render();

    EXPECT_EQ(pixel(5, 5), kBackground);
    EXPECT_EQ(pixel(kWidth - 3, kHeight - 3), kBackground);

    // The red dot covers 12.8 x 12.8 window pixels centred on (160, 160).
    EXPECT_EQ(pixel(160, 160), kRed);
    EXPECT_EQ(pixel(155, 155), kRed);
    EXPECT_EQ(pixel(165, 165), kRed);
    EXPECT_EQ(pixel(152, 160), kBackground);
    EXPECT_EQ(pixel(168, 160), kBackground);
    EXPECT_NEAR(count(kRed, 140, 140, 180, 180), 13 * 13, 30);

    EXPECT_EQ(pixel(320, 160), kBlue);
    EXPECT_EQ(pixel(480, 160), kGreen);
    EXPECT_EQ(pixel(468, 150), kGreen);
    EXPECT_EQ(pixel(464, 140), kBackground);
    EXPECT_NEAR(count(kGreen, 440, 120, 520, 200), 26 * 26, 60);

    EXPECT_EQ(pixel(641, 321), kYellow);
    EXPECT_EQ(pixel(718, 358), kYellow);
    EXPECT_EQ(pixel(638, 340), kBackground);
    EXPECT_EQ(pixel(722, 340), kBackground);
    EXPECT_EQ(pixel(680, 362), kBackground);
    EXPECT_NEAR(count(kYellow, 600, 300, 760, 400), 80 * 40, 200);

    EXPECT_GE(count(kWhite, 170, 636, 470, 645), 290) << "the line along y 640";
    EXPECT_EQ(count(kWhite, 170, 600, 470, 630), 0);

    EXPECT_EQ(pixel(990, 500), kMagenta);
    EXPECT_EQ(pixel(1100, 620), kBackground) << "outside the hypotenuse";
    EXPECT_NEAR(count(kMagenta, 940, 460, 1140, 660), 160 * 160 / 2, 400);

    // A render that comes before the next publication shows the same picture.
    render();
    EXPECT_EQ(pixel(160, 160), kRed);
    EXPECT_EQ(pixel(680, 340), kYellow);
}

TEST_F(ReplayDisplayTest, PausedBackgroundIsOpaqueBlack) {
    rt_quzo_SetCLSCol(200, 100, 50, 1);
    float* style = rt_quzo_QUZO_DrawStyle.Data();
    style[11] = 200, style[12] = 100, style[13] = 50;
    render();
    EXPECT_EQ(pixel(400, 300), 0xc86432u);

    rt_quzo_QUZO_Paused = 1;
    render();
    EXPECT_EQ(pixel(400, 300), 0u);
}

} // namespace
} // namespace hexwend::testing
