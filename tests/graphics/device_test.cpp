// The render device against real OpenGL: what lands in the window, how drawing is batched
// into draw calls, surfaces and their pixels, and textures surviving a new window.
#include "host/picture.h"
#include "tests/graphics/graphics_support.h"

#include <cmath>
#include <cstring>
#include <functional>
#include <string>

namespace hexwend::testing {
namespace {

constexpr uint32_t kBlack = 0xff000000;
constexpr uint32_t kWhite = 0xffffffff;

// Channel distance, for results of blending that may round either way.
int channelDistance(uint32_t a, uint32_t b) {
    int worst = 0;
    for (int shift = 0; shift < 24; shift += 8) {
        int d = std::abs(int((a >> shift) & 0xff) - int((b >> shift) & 0xff));
        if (d > worst) worst = d;
    }
    return worst;
}

uint32_t rgb(int r, int g, int b) {
    return 0xff000000u | uint32_t(r) << 16 | uint32_t(g) << 8 | uint32_t(b);
}

using DeviceTest = DisplayTest;

// --- Colour and blending -----------------------------------------------------------------

TEST_F(DeviceTest, ColourTimesAlphaIsTruncatedIntoThePackedColourAndTheFramebuffer) {
    device->SetColor(255, 128, 0);
    device->SetAlpha(0.5f);
    const unsigned char* bytes = reinterpret_cast<const unsigned char*>(&device->packedColor);
    EXPECT_EQ(bytes[0], 127);
    EXPECT_EQ(bytes[1], 64);
    EXPECT_EQ(bytes[2], 0);
    EXPECT_EQ(bytes[3], 127);

    device->DrawRect(0, 0, kWidth, kHeight);
    EXPECT_EQ(pixel(40, 30), rgb(127, 64, 0));
}

struct BlendCase {
    const char* name;
    float background[3];
    int blend;
    float color[3];
    float alpha;
    uint32_t expected;
};

TEST_F(DeviceTest, BlendModesGiveTheirResultsOnTheFramebuffer) {
    const BlendCase cases[] = {
        // 127 of red over blue 200 kept at 1 - 127/255.
        {"alpha, half red over blue", {0, 0, 200}, 0, {255, 0, 0}, 0.5f, rgb(127, 0, 100)},
        {"alpha, opaque replaces", {90, 90, 90}, 0, {10, 20, 30}, 1, rgb(10, 20, 30)},
        {"alpha, transparent leaves", {90, 80, 70}, 0, {255, 255, 255}, 0, rgb(90, 80, 70)},
        {"additive adds", {100, 50, 0}, 1, {100, 100, 100}, 1, rgb(200, 150, 100)},
        {"additive adds the premultiplied colour",
         {100, 50, 0},
         1,
         {100, 100, 100},
         0.5f,
         rgb(150, 100, 50)},
        {"additive saturates", {200, 200, 200}, 1, {100, 100, 100}, 1, kWhite},
    };
    for (const BlendCase& c : cases) {
        SCOPED_TRACE(c.name);
        device->BeginRender();
        device->Cls(c.background[0], c.background[1], c.background[2]);
        device->SetBlend(c.blend);
        device->SetColor(c.color[0], c.color[1], c.color[2]);
        device->SetAlpha(c.alpha);
        device->DrawRect(10, 10, 20, 20);
        uint32_t got = pixel(15, 15);
        EXPECT_LE(channelDistance(got, c.expected), 1) << std::hex << got;
        // Outside the rectangle the background stays.
        EXPECT_EQ(pixel(40, 40),
                  rgb(int(c.background[0]), int(c.background[1]), int(c.background[2])));
    }
}

// --- Where things land ---------------------------------------------------------------------

TEST_F(DeviceTest, APointLandsOnItsPixelAndARectangleCoversExactlyItsPixels) {
    device->DrawPoint(10, 20);
    device->DrawRect(40, 20, 5, 4);
    EXPECT_EQ(pixel(10, 20), kWhite);
    for (auto [x, y] : {std::pair{9, 20}, {11, 20}, {10, 19}, {10, 21}}) {
        EXPECT_EQ(pixel(x, y), kBlack) << x << "," << y;
    }
    EXPECT_EQ(countLit(30, 10, 60, 40), 20);
    EXPECT_EQ(pixel(40, 20), kWhite);
    EXPECT_EQ(pixel(44, 23), kWhite);
    EXPECT_EQ(pixel(39, 20), kBlack);
    EXPECT_EQ(pixel(45, 23), kBlack);
    EXPECT_EQ(pixel(44, 24), kBlack);
}

TEST_F(DeviceTest, ALineCoversThePixelsBetweenItsEnds) {
    device->DrawLine(5, 30, 25, 30);
    EXPECT_EQ(countLit(0, 25, kWidth, 35), 20);
    EXPECT_EQ(pixel(5, 30), kWhite);
    EXPECT_EQ(pixel(24, 30), kWhite);
}

TEST_F(DeviceTest, TheMatrixMovesVerticesAndTheIdentityLeavesThemAlone) {
    device->SetMatrix(2, 0, 0, 2, 10, 5);
    EXPECT_TRUE(device->transformed);
    device->DrawRect(0, 0, 3, 2); // 6 x 4 pixels at (10, 5)
    EXPECT_EQ(countLit(0, 0, kWidth, kHeight), 24);
    EXPECT_EQ(pixel(10, 5), kWhite);
    EXPECT_EQ(pixel(15, 8), kWhite);

    device->SetMatrix(1, 0, 0, 1, 0, 0);
    EXPECT_FALSE(device->transformed);
}

TEST_F(DeviceTest, TheScissorClipsAndTheFullWindowTurnsTheTestOff) {
    for (auto mode : {graphics::DrawMode::kFull, graphics::DrawMode::kChanges}) {
        SCOPED_TRACE(mode == graphics::DrawMode::kFull ? "drawn straight" : "drawn when changed");
        device->setDrawMode(mode);
        device->BeginRender();
        device->Cls(0, 0, 0);
        const bool straight = mode == graphics::DrawMode::kFull;
        device->SetScissor(10, 8, 20, 16);
        // Drawing straight sets OpenGL's scissor at once; a logged frame sets it as it draws.
        if (straight) {
            EXPECT_TRUE(glIsEnabled(GL_SCISSOR_TEST));
        }
        device->DrawRect(0, 0, kWidth, kHeight);
        EXPECT_EQ(countLit(0, 0, kWidth, kHeight), 20 * 16);
        EXPECT_EQ(pixel(10, 8), kWhite);
        EXPECT_EQ(pixel(29, 23), kWhite);
        EXPECT_EQ(pixel(9, 8), kBlack);
        EXPECT_EQ(pixel(30, 23), kBlack);
        EXPECT_EQ(pixel(10, 7), kBlack);
        EXPECT_EQ(pixel(10, 24), kBlack);

        device->SetScissor(0, 0, device->Width(), device->Height());
        if (straight) {
            EXPECT_FALSE(glIsEnabled(GL_SCISSOR_TEST));
        }
        device->DrawRect(0, 0, kWidth, kHeight);
        EXPECT_EQ(countLit(0, 0, kWidth, kHeight), kWidth * kHeight);
        device->EndRender();
    }
}

TEST_F(DeviceTest, AnOvalCoversItsEllipse) {
    device->DrawOval(8, 8, 40, 40); // a circle of radius 20 around (28, 28)
    int lit = countLit(0, 0, kWidth, kHeight);
    EXPECT_NEAR(lit, 3.14159265 * 20 * 20, 0.03 * 3.14159265 * 400);
    EXPECT_EQ(pixel(28, 28), kWhite);
    EXPECT_EQ(pixel(27, 8), kWhite);
    EXPECT_EQ(pixel(27, 7), kBlack);
    EXPECT_EQ(pixel(8, 28), kWhite);
    EXPECT_EQ(pixel(9, 9), kBlack); // the box's corner is outside the ellipse

    // A flat ellipse stays inside its box.
    device->Cls(0, 0, 0);
    device->DrawOval(50, 20, 40, 10);
    EXPECT_EQ(countLit(0, 0, 50, kHeight), 0);
    EXPECT_EQ(countLit(50, 0, kWidth, 20), 0);
    EXPECT_EQ(countLit(50, 30, kWidth, kHeight), 0);
    EXPECT_EQ(pixel(70, 25), kWhite);
}

struct OvalCase {
    float w, h;
    float matrix[6];
    int segments;
};

TEST_F(DeviceTest, OvalSegmentCountFollowsTheSizeOnScreen) {
    const OvalCase cases[] = {
        {4, 4, {1, 0, 0, 1, 0, 0}, 12},         {1000, 1000, {1, 0, 0, 1, 0, 0}, 1000},
        {3000, 3000, {1, 0, 0, 1, 0, 0}, 1024}, {50, 30, {1, 0, 0, 1, 0, 0}, 40},
        {26, 26, {1, 0, 0, 1, 0, 0}, 24},       {-100, -100, {1, 0, 0, 1, 0, 0}, 100},
        {30, 30, {2, 0, 0, 2, 0, 0}, 60},       {30, 30, {0, 3, -3, 0, 5, 5}, 88},
    };
    for (const OvalCase& c : cases) {
        SCOPED_TRACE(::testing::Message() << c.w << " x " << c.h << " scale " << c.matrix[0]);
        device->Cls(0, 0, 0);
        const float* m = c.matrix;
        device->SetMatrix(m[0], m[1], m[2], m[3], m[4], m[5]);
        device->DrawOval(10, 10, c.w, c.h);
        EXPECT_EQ(device->batchKind, c.segments);
        EXPECT_EQ(device->batchLength, c.segments);
    }
}

// --- Batching ------------------------------------------------------------------------------

struct BatchCase {
    const char* name;
    std::function<void(gxtkGraphics*, gxtkSurface*, gxtkSurface*)> draw;
    int drawCalls;
    int vertices;
};

Array<float> polygon(int n, float cx, float cy, float r) {
    Array<float> v(n * 2);
    for (int i = 0; i < n; ++i) {
        v[i * 2] = cx + r * std::cos(6.2831853f * float(i) / float(n));
        v[i * 2 + 1] = cy + r * std::sin(6.2831853f * float(i) / float(n));
    }
    return v;
}

TEST_F(DeviceTest, DrawingIsBatchedIntoFewDrawCalls) {
    auto quads = [](int n) {
        return [n](gxtkGraphics* d, gxtkSurface* a, gxtkSurface*) {
            for (int i = 0; i < n; ++i) d->DrawSurface(a, float(i % 40), float(i / 40));
        };
    };
    const BatchCase cases[] = {
        {"256 quads of one texture", quads(256), 1, 1024},
        {"the 257th quad starts a second call", quads(257), 2, 1028},
        {"5000 sprites of one sheet", quads(5000), 20, 20000},
        {"rectangles and 4-vertex polygons share a call",
         [](gxtkGraphics* d, gxtkSurface*, gxtkSurface*) {
             d->DrawRect(1, 1, 5, 5);
             d->DrawPoly(polygon(4, 30, 30, 5));
             d->DrawRect(10, 10, 5, 5);
         },
         1, 12},
        {"3-vertex polygons share one triangle list",
         [](gxtkGraphics* d, gxtkSurface*, gxtkSurface*) {
             for (int i = 0; i < 5; ++i) d->DrawPoly(polygon(3, 10.0f + i * 15, 20, 6));
         },
         1, 15},
        {"6-vertex polygons are one fan each in one batch",
         [](gxtkGraphics* d, gxtkSurface*, gxtkSurface*) {
             d->DrawPoly(polygon(6, 20, 20, 8));
             d->DrawPoly(polygon(6, 50, 20, 8));
             EXPECT_EQ(d->batchKind, 6);
             EXPECT_EQ(d->batchLength, 12);
         },
         2, 12},
        {"a texture change flushes",
         [](gxtkGraphics* d, gxtkSurface* a, gxtkSurface* b) {
             d->DrawSurface(a, 0, 0);
             d->DrawSurface(b, 10, 0);
             d->DrawSurface(a, 20, 0);
         },
         3, 12},
        {"a kind change flushes",
         [](gxtkGraphics* d, gxtkSurface* a, gxtkSurface*) {
             d->DrawRect(0, 0, 4, 4);
             d->DrawPoint(10, 10);
             d->DrawRect(20, 0, 4, 4);
             d->DrawSurface(a, 30, 0);
         },
         4, 13},
        {"colour, alpha and matrix changes do not flush",
         [](gxtkGraphics* d, gxtkSurface*, gxtkSurface*) {
             d->DrawRect(0, 0, 4, 4);
             d->SetColor(255, 0, 0);
             d->SetAlpha(0.5f);
             d->SetMatrix(2, 0, 0, 2, 1, 1);
             d->DrawRect(10, 0, 4, 4);
         },
         1, 8},
        {"blend and scissor changes flush",
         [](gxtkGraphics* d, gxtkSurface*, gxtkSurface*) {
             d->DrawRect(0, 0, 4, 4);
             d->SetBlend(1);
             d->DrawRect(10, 0, 4, 4);
             d->SetScissor(0, 0, 20, 20);
             d->DrawRect(20, 0, 4, 4);
         },
         3, 12},
        {"Cls drops the batch",
         [](gxtkGraphics* d, gxtkSurface*, gxtkSurface*) {
             d->DrawRect(0, 0, 4, 4);
             d->DrawRect(10, 0, 4, 4);
             d->Cls(0, 0, 0);
         },
         0, 0},
        {"1024 points per call",
         [](gxtkGraphics* d, gxtkSurface*, gxtkSurface*) {
             for (int i = 0; i < 1025; ++i) d->DrawPoint(float(i % 90), float(i / 90));
         },
         2, 1025},
        {"512 lines per call",
         [](gxtkGraphics* d, gxtkSurface*, gxtkSurface*) {
             for (int i = 0; i < 513; ++i) d->DrawLine(0, float(i % 60), 5, float(i % 60));
         },
         2, 1026},
        {"polygons without vertices or over 1024 are ignored",
         [](gxtkGraphics* d, gxtkSurface*, gxtkSurface*) {
             d->DrawPoly(Array<float>());
             d->DrawPoly(polygon(1025, 40, 30, 20));
             d->DrawPoly(polygon(1024, 40, 30, 20));
         },
         1, 1024},
        {"ovals of one size share a batch, another size starts one",
         [](gxtkGraphics* d, gxtkSurface*, gxtkSurface*) {
             d->DrawOval(0, 0, 4, 4);
             d->DrawOval(10, 0, 4, 4);
             d->DrawOval(20, 0, 40, 40);
         },
         3, 12 + 12 + 40},
    };

    gxtkSurface* a = device->CreateSurface(8, 8);
    gxtkSurface* b = device->CreateSurface(8, 8);
    for (const BatchCase& c : cases) {
        SCOPED_TRACE(c.name);
        device->BeginRender();
        device->SetBlend(0);
        device->SetScissor(0, 0, kWidth, kHeight);
        device->SetMatrix(1, 0, 0, 1, 0, 0);
        c.draw(device, a, b);
        device->EndRender();
        EXPECT_EQ(device->drawCalls, c.drawCalls);
        EXPECT_EQ(device->verticesSubmitted, c.vertices);
        EXPECT_EQ(device->batchLength, 0);
    }
}

TEST_F(DeviceTest, ClsDiscardsWhatWasDrawnBeforeIt) {
    device->DrawRect(0, 0, 20, 20);
    device->Cls(0, 0, 255);
    device->EndRender();
    EXPECT_EQ(pixel(5, 5), rgb(0, 0, 255));
}

// --- Drawing only what changed --------------------------------------------------------------

TEST_F(DeviceTest, UnchangedFramesDrawNothingAndChangedOnesOnlyWhereTheyChanged) {
    using graphics::FrameReport;
    auto frame = [&](float x) {
        device->BeginRender();
        device->Cls(0, 0, 0);
        device->SetColor(255, 0, 0);
        device->DrawRect(x, 10, 8, 8);
        device->SetColor(0, 0, 255);
        device->DrawRect(70, 40, 8, 8);
        device->EndRender();
        EXPECT_EQ(pixel(int(x) + 2, 12), rgb(255, 0, 0));
        EXPECT_EQ(pixel(72, 42), rgb(0, 0, 255));
        return device->lastFrame();
    };
    host::takePictureLost();
    EXPECT_EQ(frame(10).outcome, FrameReport::kWhole) << "the first frame";
    // The device shows its frames itself and keeps the picture in the back buffer.
    EXPECT_TRUE(host::takePictureKept()) << "the host is told not to swap";

    const FrameReport same = frame(10);
    EXPECT_EQ(same.outcome, FrameReport::kKept);
    EXPECT_EQ(same.glDrawCalls, 0);
    EXPECT_TRUE(host::takePictureKept());

    const FrameReport moved = frame(30);
    EXPECT_EQ(moved.outcome, FrameReport::kPartial);
    EXPECT_LT(moved.pixels, kWidth * kHeight / 2);
    EXPECT_EQ(pixel(12, 12), kBlack) << "where it was";
    EXPECT_TRUE(host::takePictureKept());

    // The window system lost the picture: everything is drawn again.
    host::notePictureLost();
    EXPECT_EQ(frame(30).outcome, FrameReport::kWhole);
    host::takePictureKept();

    // A new window of the same size: its back buffer holds nothing yet.
    host->SetDeviceWindow(kWidth, kHeight, 6);
    host::takePictureLost();
    EXPECT_EQ(frame(30).outcome, FrameReport::kWhole);
    host::takePictureKept();

    // Drawn straight, every frame is drawn in full and the host swaps it.
    device->setDrawMode(graphics::DrawMode::kFull);
    EXPECT_EQ(frame(30).outcome, FrameReport::kStraight);
    EXPECT_EQ(frame(30).outcome, FrameReport::kStraight);
    EXPECT_FALSE(host::takePictureKept());
    // Back to drawing what changed: the swapped back buffer holds nothing to build on.
    device->setDrawMode(graphics::DrawMode::kChanges);
    EXPECT_EQ(frame(30).outcome, FrameReport::kWhole);
}

TEST_F(DeviceTest, AFrameWithoutOpaqueBackgroundIsDrawnOverTheLastEveryTime) {
    // Half-transparent white over what is there: each frame brightens the last one, as it
    // does drawn straight.
    std::vector<uint32_t> seen;
    for (int i = 0; i < 3; ++i) {
        device->BeginRender();
        device->SetAlpha(0.5f);
        device->DrawRect(0, 0, kWidth, kHeight);
        device->EndRender();
        EXPECT_EQ(device->lastFrame().outcome, graphics::FrameReport::kWhole);
        seen.push_back(pixel(5, 5));
    }
    EXPECT_EQ(seen[0], rgb(127, 127, 127));
    EXPECT_GT(seen[1] & 0xff, seen[0] & 0xff);
    EXPECT_GT(seen[2] & 0xff, seen[1] & 0xff);
}

// --- Surfaces ------------------------------------------------------------------------------

TEST_F(DeviceTest, WrittenPixelsArePremultipliedAndDrawnTexelForTexel) {
    gxtkSurface* surface = device->CreateSurface(4, 2);
    const int texels[8] = {int(0xffff0000), int(0xff00ff00), int(0xff0000ff), int(0xffffffff),
                           int(0x80ff0000), int(0x00ffffff), int(0xff102030), int(0xff000000)};
    device->WritePixels2(surface, Array<int>(texels, 8), 0, 0, 4, 2, 0, 4);
    ASSERT_NE(surface->pixels, nullptr);
    const unsigned char half_red[4] = {128, 0, 0, 128};
    EXPECT_EQ(std::memcmp(surface->pixels + 16, half_red, 4), 0);

    device->DrawSurface(surface, 20, 10);
    const uint32_t expected[8] = {rgb(255, 0, 0), rgb(0, 255, 0), rgb(0, 0, 255),  kWhite,
                                  rgb(128, 0, 0), kBlack,         rgb(16, 32, 48), kBlack};
    for (int i = 0; i < 8; ++i) {
        EXPECT_EQ(pixel(20 + i % 4, 10 + i / 4), expected[i]) << "texel " << i;
    }
    EXPECT_EQ(countLit(0, 0, kWidth, kHeight), 6);

    // A part of a surface, scaled up: each texel becomes a 3 x 3 block.
    device->Cls(0, 0, 0);
    device->SetMatrix(3, 0, 0, 3, 0, 0);
    device->DrawSurface2(surface, 10, 5, 1, 0, 2, 1); // green, blue at (30, 15)
    EXPECT_EQ(countLit(0, 0, kWidth, kHeight), 18);
    EXPECT_EQ(pixel(30, 15), rgb(0, 255, 0));
    EXPECT_EQ(pixel(32, 17), rgb(0, 255, 0));
    EXPECT_EQ(pixel(33, 15), rgb(0, 0, 255));
    EXPECT_EQ(pixel(35, 17), rgb(0, 0, 255));
}

TEST_F(DeviceTest, WritingPartOfASurfaceUpdatesOnlyThatPart) {
    gxtkSurface* surface = device->CreateSurface(4, 4);
    std::vector<int> white(16, int(kWhite));
    device->WritePixels2(surface, Array<int>(white.data(), 16), 0, 0, 4, 4, 0, 4);
    // Two pixels of a 2 x 2 block at (1, 1), read from a wider array with offset and pitch.
    const int red = int(0xffff0000);
    const int source[7] = {0, red, red, 0, 0, red, red};
    device->WritePixels2(surface, Array<int>(source, 7), 1, 1, 2, 2, 1, 4);
    // Rectangles reaching outside the surface write only their inside part.
    device->WritePixels2(surface, Array<int>(white.data(), 16), 3, 3, 4, 4, 0, 4);
    device->WritePixels2(surface, Array<int>(white.data(), 16), -10, -10, 4, 4, 0, 4);

    device->DrawSurface(surface, 0, 0);
    for (int y = 0; y < 4; ++y) {
        for (int x = 0; x < 4; ++x) {
            bool inner = x >= 1 && x <= 2 && y >= 1 && y <= 2;
            EXPECT_EQ(pixel(x, y), inner ? rgb(255, 0, 0) : kWhite) << x << "," << y;
        }
    }
}

TEST_F(DeviceTest, ReadPixelsFillsRowsFromTheTopAtOffsetAndPitch) {
    device->SetColor(255, 0, 0);
    device->DrawPoint(5, 5);
    device->SetColor(0, 0, 255);
    device->DrawPoint(6, 6);
    Array<int> out(1 + 3 + 2);
    for (int i = 0; i < out.Length(); ++i) out[i] = 7;
    device->ReadPixels(out, 5, 5, 2, 2, 1, 3);
    EXPECT_EQ(out[0], 7);
    EXPECT_EQ(uint32_t(out[1]), rgb(255, 0, 0));
    EXPECT_EQ(uint32_t(out[2]), kBlack);
    EXPECT_EQ(out[3], 7);
    EXPECT_EQ(uint32_t(out[4]), kBlack);
    EXPECT_EQ(uint32_t(out[5]), rgb(0, 0, 255));

    // Rows that would fall outside the array are not written.
    Array<int> small(2);
    device->ReadPixels(small, 5, 5, 2, 2, 0, 2);
    EXPECT_EQ(uint32_t(small[0]), rgb(255, 0, 0));
}

TEST_F(DeviceTest, ImagesComeBackAfterTheWindowIsCreatedAgain) {
    TempFolder dir;
    // 3 x 2: a row of red, green, blue over a row of half-transparent white.
    ASSERT_TRUE(
        writeArgbPng(dir / "sprite.png", 3, 2,
                     {0xffff0000, 0xff00ff00, 0xff0000ff, 0x80ffffff, 0x80ffffff, 0x80ffffff}));
    gxtkSurface* surface = device->LoadSurface(String((dir / "sprite.png").c_str()));
    ASSERT_NE(surface, nullptr);
    EXPECT_EQ(surface->depth, 4);
    int firstContext = glfwGraphicsSeq;
    EXPECT_EQ(surface->contextSeq, firstContext);
    EXPECT_EQ(surface->pixels, nullptr) << "the texture holds the file's pixels";

    auto drawAndRead = [&] {
        device->BeginRender();
        device->Cls(0, 0, 0);
        device->SetMatrix(4, 0, 0, 4, 0, 0);
        device->DrawSurface(surface, 2, 2);
        device->EndRender();
        return screen();
    };
    std::vector<uint32_t> before = drawAndRead();
    EXPECT_EQ(before[size_t(9) * kWidth + 9], rgb(255, 0, 0));
    EXPECT_EQ(before[size_t(9) * kWidth + 13], rgb(0, 255, 0));
    EXPECT_EQ(before[size_t(9) * kWidth + 17], rgb(0, 0, 255));
    EXPECT_EQ(before[size_t(13) * kWidth + 9], rgb(128, 128, 128));

    // The pixels are read back from the old context just before it goes.
    host->SetDeviceWindow(kWidth, kHeight, 6);
    EXPECT_EQ(glfwGraphicsSeq, firstContext + 1);
    EXPECT_EQ(surface->contextSeq, firstContext); // rebuilt only when next drawn
    EXPECT_NE(surface->pixels, nullptr);
    std::vector<uint32_t> after = drawAndRead();
    EXPECT_EQ(surface->contextSeq, firstContext + 1);
    EXPECT_EQ(surface->pixels, nullptr);
    EXPECT_EQ(after, before);
    saveScreenshot("recreated_window");

    // Writing into it keeps what it had around the written pixel.
    const int green = int(0xff00ff00);
    device->WritePixels2(surface, Array<int>(&green, 1), 0, 0, 1, 1, 0, 1);
    std::vector<uint32_t> written = drawAndRead();
    EXPECT_EQ(written[size_t(9) * kWidth + 9], rgb(0, 255, 0));
    EXPECT_EQ(written[size_t(9) * kWidth + 17], rgb(0, 0, 255));
    EXPECT_EQ(written[size_t(13) * kWidth + 9], rgb(128, 128, 128));
}

TEST_F(DeviceTest, SurfacesLoadedBeforeAnyContextAreBuiltWhenFirstDrawn) {
    TempFolder dir;
    ASSERT_TRUE(writeArgbPng(dir / "dot.png", 1, 1, {0xff00ff00}));
    int seq = glfwGraphicsSeq;
    glfwGraphicsSeq = 0;
    gxtkSurface* surface = device->LoadSurface(String((dir / "dot.png").c_str()));
    glfwGraphicsSeq = seq;
    ASSERT_NE(surface, nullptr);
    EXPECT_EQ(surface->contextSeq, -1);

    device->DrawSurface(surface, 7, 7);
    EXPECT_EQ(pixel(7, 7), rgb(0, 255, 0));
    EXPECT_EQ(surface->contextSeq, seq);
}

TEST_F(DeviceTest, DiscardReleasesTextureAndPixels) {
    gxtkSurface* surface = device->CreateSurface(2, 2);
    const int px[4] = {-1, -1, -1, -1};
    device->WritePixels2(surface, Array<int>(px, 4), 0, 0, 2, 2, 0, 2);
    GLuint texture = surface->texture;
    ASSERT_TRUE(glIsTexture(texture));
    surface->Discard();
    EXPECT_FALSE(glIsTexture(texture));
    EXPECT_EQ(surface->pixels, nullptr);
    EXPECT_EQ(surface->contextSeq, -1);
}

} // namespace
} // namespace hexwend::testing
