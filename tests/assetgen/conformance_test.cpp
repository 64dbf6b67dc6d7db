// The generated data folder loaded the way the game loads it: every image through the graphics
// module with its slot's frame size and count, the framework font as 64 × 64 × 128, the
// default font as 96 padded glyphs, and every sound through the host's LoadAudioData.
#include "graphics/graphics.h"
#include "host/rt_game.h"
#include "runtime/gc.h"
#include "runtime/init.h"
#include "tests/graphics/graphics_support.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <string>

#include <unistd.h>

namespace {

const std::string kData = std::string(HEXWEND_BINARY_DIR) + "/data/";

class GameLoaders : public hexwend::testing::GraphicsRuntimeTest {
  protected:
    void SetUp() override {
        GraphicsRuntimeTest::SetUp();
        device = new gxtkGraphics;
        rt_graphics_SetGraphicsDevice(device);
    }

    RtGlfwGame host; // no window: images load without a context
    gxtkGraphics* device = nullptr;
};

struct Slot {
    const char* file;
    int frameW, frameH, frames;
};

// The image slots the game fills while loading, with the framework font and its frame grid.
const Slot kSlots[] = {
    {"common/QUZOLogo.png", 32, 32, 1024},
    {"common/QUZOLogo.png", 1024, 1024, 1},
    {"common/part-shapefull.png", 32, 32, 16},
    {"common/parts_shape.png", 32, 32, 16},
    {"common/parts_smoke.png", 32, 32, 16},
    {"common/parts_cluster.png", 32, 32, 16},
    {"common/parts_stars.png", 32, 32, 16},
    {"common/Buttons.png", 64, 64, 16},
    {"common/icons.png", 128, 128, 16},
    {"common/circle.png", 256, 256, 4},
    {"506/logo.png", 1024, 512, 1},
    {"506/menu.png", 1024, 1024, 4},
    {"common/options.png", 68, 68, 49},
    {"common/scoreboard.png", 256, 256, 1},
    {"506/Clusters.png", 64, 64, 64},
    {"506/gfx.png", 36, 36, 49},
    {"common/bandwidth.png", 64, 64, 128},
};

// Loads every slot; a frame outside its sheet ends the process with the runtime error, so the
// loading runs in a child process and reports through its exit status.
void loadEverySlot() {
    ::dup2(2, 1); // runtime errors are printed on standard output
    for (const Slot& s : kSlots) {
        c_Image* img = rt_graphics_LoadImage2(String((kData + s.file).c_str()), s.frameW, s.frameH,
                                              s.frames, c_Image::FlagCentreHandle);
        if (!img) {
            std::fprintf(stderr, "%s did not load\n", s.file);
            std::exit(1);
        }
        bool ok = img->p_Width() == s.frameW && img->p_Height() == s.frameH &&
                  img->p_Frames() == s.frames && img->p_HandleX() == s.frameW * 0.5f &&
                  img->p_HandleY() == s.frameH * 0.5f;
        for (int i = 0; ok && i < img->p_Frames(); ++i) {
            c_Frame* f = img->m_frames[i];
            ok = f->m_x + s.frameW <= img->m_surface->width &&
                 f->m_y + s.frameH <= img->m_surface->height;
        }
        if (!ok) {
            std::fprintf(stderr, "%s has the wrong frames\n", s.file);
            std::exit(1);
        }
    }
    std::exit(0);
}

TEST_F(GameLoaders, EveryImageLoadsWithItsSlotsFrames) {
    EXPECT_EXIT(loadEverySlot(), ::testing::ExitedWithCode(0), "");
}

TEST_F(GameLoaders, TheDefaultFontIs96PaddedGlyphsInOneRow) {
    c_Image* font =
        rt_graphics_LoadImage(String((kData + "zuvo_font.png").c_str()), 96, c_Image::FlagPadX);
    ASSERT_NE(font, nullptr);
    int cell = font->m_surface->width / 96;
    EXPECT_EQ(font->m_surface->width % 96, 0);
    EXPECT_EQ(font->p_Frames(), 96);
    EXPECT_EQ(font->p_Width(), cell - 2);
    EXPECT_EQ(font->m_frames[95]->m_x, 95 * cell + 1);
}

TEST_F(GameLoaders, EverySoundDecodesInItsFormat) {
    struct Sound {
        const char* file;
        int channels;
        double minSeconds, maxSeconds;
    };
    const Sound sounds[] = {
        {"506/sfx/001.wav", 1, 0.02, 1.5}, {"506/sfx/002.wav", 1, 0.02, 1.5},
        {"506/sfx/003.wav", 1, 0.02, 1.5}, {"506/sfx/004.wav", 1, 0.02, 1.5},
        {"506/sfx/005.wav", 1, 0.02, 1.5}, {"common/096.wav", 1, 0.02, 2.5},
        {"common/098.wav", 1, 0.02, 1.5},  {"common/099.wav", 1, 0.02, 1.5},
        {"506/sfx/Days.ogg", 2, 60, 75},
    };
    for (const Sound& s : sounds) {
        SCOPED_TRACE(s.file);
        int length = 0, channels = 0, bytes = 0, hertz = 0;
        unsigned char* pcm = host.LoadAudioData(String((kData + s.file).c_str()), &length,
                                                &channels, &bytes, &hertz);
        ASSERT_NE(pcm, nullptr);
        std::free(pcm);
        EXPECT_EQ(channels, s.channels);
        EXPECT_EQ(bytes, 2);
        EXPECT_EQ(hertz, 44100);
        EXPECT_GE(length, s.minSeconds * 44100);
        EXPECT_LE(length, s.maxSeconds * 44100);
    }
}

} // namespace
