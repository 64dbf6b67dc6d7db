// The draw style, the draw records, publishing, and the replay (through a render device that
// records what it is asked to draw instead of drawing it).
#include "tests/framework/framework_support.h"

#include "graphics/graphics.h"

#include <cmath>
#include <cstring>
#include <numbers>
#include <string>
#include <vector>

namespace hexwend::testing {
namespace {

using ::testing::ElementsAre;
using ::testing::FloatNear;
using ::testing::Pointwise;

// --- Style and records -------------------------------------------------------------------

using RecordsTest = FrameworkTest;

TEST_F(RecordsTest, ColourSetterClampsAndMayKeepTheAlpha) {
    rt_quzo_Alpha(0.5f);
    rt_quzo_SetCol(300, -5, 128, -100);
    const float* s = rt_quzo_QUZO_DrawStyle.Data();
    EXPECT_THAT(std::vector<float>(s, s + 4), ElementsAre(0.5f, 255, 0, 128));

    rt_quzo_SetCol(1, 2, 3, 7);
    EXPECT_EQ(s[0], 1.0f);
    rt_quzo_SetCol(1, 2, 3, -0.5f);
    EXPECT_EQ(s[0], 0.0f);
}

TEST_F(RecordsTest, SizeWithOmittedSecondArgument) {
    rt_quzo_SetSize(2, -37171);
    EXPECT_EQ(rt_quzo_QUZO_DrawStyle[4], 2.0f);
    EXPECT_EQ(rt_quzo_QUZO_DrawStyle[5], 2.0f);
    rt_quzo_SetSize(2, 0.5f);
    EXPECT_EQ(rt_quzo_QUZO_DrawStyle[5], 0.5f);
}

TEST_F(RecordsTest, InkPresets) {
    struct Case {
        int preset;
        float brightness;
        float r, g, b;
    };
    const Case cases[] = {
        {0, 1, 76.5f, 76.5f, 76.5f},
        {2, 0.5f, 127.5f, 63.75f, 12.75f},
        {1, 1, 255, 25.5f, 25.5f},
        {9, 2, 255, 255, 255},
        {8, 1, 255, 25.5f, 127.5f},
        {42, 1, 76.5f, 76.5f, 76.5f},
        {5, -1, 0, 0, 0},
    };
    for (const Case& c : cases) {
        rt_quzo_Alpha(0.25f);
        rt_quzo_Ink(c.preset, c.brightness);
        const float* s = rt_quzo_QUZO_DrawStyle.Data();
        EXPECT_THAT(std::vector<float>(s + 1, s + 4),
                    Pointwise(FloatNear(1e-3f), std::vector<float>{c.r, c.g, c.b}))
            << "preset " << c.preset;
        EXPECT_EQ(s[0], 0.25f) << "the alpha is untouched";
    }
}

TEST_F(RecordsTest, ColourWheelForInkAndBackground) {
    rt_quzo_InkRot(0, 1, 1);
    const float* s = rt_quzo_QUZO_DrawStyle.Data();
    // cos 0 = 1 gives full red; cos 120 and cos 240 = -0.5 give a quarter.
    EXPECT_THAT(std::vector<float>(s + 1, s + 4),
                Pointwise(FloatNear(0.01f), std::vector<float>{255, 63.75f, 63.75f}));
    rt_quzo_InkRot(90, 1, 0.5f);
    EXPECT_THAT(std::vector<float>(s + 1, s + 4),
                Pointwise(FloatNear(0.01f), std::vector<float>{0, 0, 110.42f}));

    rt_quzo_BGRot(0, 1, 1);
    EXPECT_THAT(std::vector<float>(s + 14, s + 18),
                Pointwise(FloatNear(0.01f), std::vector<float>{1, 255, 63.75f, 63.75f}));
    rt_quzo_SetCLSCol(300, -1, 40, 2);
    EXPECT_THAT(std::vector<float>(s + 14, s + 18), ElementsAre(1, 255, 0, 40));
    // Neither touches the colour of the records.
    EXPECT_NEAR(s[3], 110.42f, 0.01f);
}

TEST_F(RecordsTest, ImageRecordCarriesTheStyleAndTheFrameWithinTheSlot) {
    rt_quzo_QUZO_ImgD[5] = 4;
    rt_quzo_SetCol(10, 20, 30, 0.5f);
    rt_quzo_SetSize(2, 3);
    rt_quzo_SetRot(45);
    rt_quzo_DrawImg(5, 12.5f, 40, 7);
    ASSERT_EQ(rt_quzo_Sprtup, 1);
    Record r = drawRecord(0);
    EXPECT_THAT(std::vector<float>(r.f, r.f + 14),
                ElementsAre(0.5f, 10, 20, 30, 2, 3, 45, 0, 0, 1, 5, 12.5f, 40, 3));
}

TEST_F(RecordsTest, ImagesOnlyFromTheDrawableSlots) {
    for (int slot : {0, 100, 149, -1}) rt_quzo_DrawImg(slot, 0, 0, 0);
    EXPECT_EQ(rt_quzo_Sprtup, 0);
    rt_quzo_DrawImg(1, 0, 0, 0);
    rt_quzo_DrawImg(99, 0, 0, 5);
    EXPECT_EQ(rt_quzo_Sprtup, 2);
    // A slot with no frame count yet counts as one frame.
    EXPECT_EQ(drawRecord(1).frame(), 0);
}

TEST_F(RecordsTest, RectangleAlignmentLinesAndTriangles) {
    struct Case {
        float alignX, alignY, x, y;
    };
    const Case cases[] = {{0, 0, 100, 100}, {1, 1, 80, 90}, {2, 2, 60, 80}, {2, 0, 60, 100}};
    for (const Case& c : cases) {
        rt_quzo_Sprtup = 0;
        rt_quzo_Rect(100, 100, 40, 20, c.alignX, c.alignY);
        Record r = drawRecord(0);
        EXPECT_EQ(r.kind(), 2);
        EXPECT_THAT(std::vector<float>(r.f + 11, r.f + 15), ElementsAre(c.x, c.y, 40, 20))
            << "alignment " << c.alignX << ", " << c.alignY;
    }
    rt_quzo_Sprtup = 0;
    rt_quzo_Rect(5, 6, 7, 8);
    EXPECT_THAT(std::vector<float>(drawRecord(0).f + 11, drawRecord(0).f + 15),
                ElementsAre(5, 6, 7, 8));

    rt_quzo_Line(1, 2, 3, 4);
    rt_quzo_Triangle(1, 2, 3, 4, 5, 6);
    EXPECT_EQ(drawRecord(1).kind(), 5);
    EXPECT_THAT(std::vector<float>(drawRecord(1).f + 11, drawRecord(1).f + 15),
                ElementsAre(1, 2, 3, 4));
    EXPECT_EQ(drawRecord(2).kind(), 4);
    EXPECT_THAT(std::vector<float>(drawRecord(2).f + 11, drawRecord(2).f + 17),
                ElementsAre(1, 2, 3, 4, 5, 6));
}

TEST_F(RecordsTest, DrawListHoldsAtMost5001Records) {
    for (int i = 0; i < 6000; ++i) rt_quzo_Rect(float(i), 0, 1, 1);
    EXPECT_EQ(rt_quzo_Sprtup, 5001);
    EXPECT_EQ(drawRecord(5000).x(), 5000.0f);
    // The style setters that append records respect the same limit.
    rt_quzo_SetSkew(0.5f, 0);
    EXPECT_EQ(rt_quzo_Sprtup, 5001);
    EXPECT_EQ(drawRecord(5001).kind(), 0);
}

TEST_F(RecordsTest, SkewIsRecordedAndUndoneByReset) {
    rt_quzo_Rect(0, 0, 1, 1);
    rt_quzo_SetSkew(0.2f, 0);
    rt_quzo_Rect(0, 0, 1, 1);
    rt_quzo_ResetDraw();
    ASSERT_EQ(rt_quzo_Sprtup, 4);
    EXPECT_EQ(drawRecord(1).kind(), 101);
    EXPECT_EQ(drawRecord(1).skewX(), 0.2f);
    EXPECT_EQ(drawRecord(2).skewX(), 0.2f) << "later records are sheared";
    EXPECT_EQ(drawRecord(3).kind(), 101);
    EXPECT_EQ(drawRecord(3).skewX(), 0.0f);

    // With nothing recorded yet, the reset only clears the style.
    rt_quzo_Sprtup = 0;
    rt_quzo_SetSkew(0, 0.3f);
    rt_quzo_Sprtup = 0;
    rt_quzo_ResetDraw();
    EXPECT_EQ(rt_quzo_Sprtup, 0);
    EXPECT_EQ(rt_quzo_QUZO_DrawStyle[8], 0.0f);
}

TEST_F(RecordsTest, ResetRestoresTheStyleButNotTheBackground) {
    rt_quzo_SetCol(1, 2, 3, 0.1f);
    rt_quzo_SetSize(4, 5);
    rt_quzo_SetRot(6);
    rt_quzo_SetCLSCol(9, 8, 7, 0.5f);
    rt_quzo_ResetDraw();
    const float* s = rt_quzo_QUZO_DrawStyle.Data();
    EXPECT_THAT(std::vector<float>(s, s + 9), ElementsAre(1, 255, 255, 255, 1, 1, 0, 0, 0));
    EXPECT_THAT(std::vector<float>(s + 14, s + 18), ElementsAre(0.5f, 9, 8, 7));
}

TEST_F(RecordsTest, PublishingNeedsMoreThan15Records) {
    for (int i = 0; i < 15; ++i) rt_quzo_Rect(float(i), 0, 1, 1);
    rt_quzo_Buffer();
    EXPECT_EQ(rt_quzo_Bufferup, 0);
    EXPECT_EQ(rt_quzo_Sprtup, 15) << "the list is left to the next update";

    rt_quzo_Sprtup = 0;
    for (int i = 0; i < 16; ++i) rt_quzo_Rect(float(i), 0, 1, 1);
    rt_quzo_Buffer();
    EXPECT_EQ(rt_quzo_Bufferup, 16);
    EXPECT_EQ(rt_quzo_Sprtup, 0);
    EXPECT_EQ(0, std::memcmp(rt_quzo_QUZO_Buffer.Data(), rt_quzo_QUZO_Draw.Data(),
                             16 * framework::kRecordFloats * sizeof(float)));

    // A quiet update keeps the published picture.
    rt_quzo_Rect(0, 0, 1, 1);
    rt_quzo_Buffer();
    EXPECT_EQ(rt_quzo_Bufferup, 16);
    EXPECT_EQ(bufferRecord(15).x(), 15.0f);
}

TEST_F(RecordsTest, AssetPaths) {
    rt_quzo_QUZO_GameNum = 506;
    EXPECT_EQ(framework::assetPath(70, "hex"), String("common/hex.png"));
    EXPECT_EQ(framework::assetPath(99, "bandwidth"), String("common/bandwidth.png"));
    EXPECT_EQ(framework::assetPath(69, "hex"), String("506/hex.png"));
    EXPECT_EQ(framework::assetPath(1, "hex"), String("506/hex.png"));
}

TEST_F(RecordsTest, LoadingWithoutTheFileLeavesTheSlotEmpty) {
    rt_quzo_LoadImg(12, "no-such-image", 32, 16, 3);
    EXPECT_EQ(rt_quzo_QUZO_Img[12], nullptr);
    EXPECT_EQ(rt_quzo_QUZO_ImgD[12], 3);
    EXPECT_EQ(rt_quzo_QUZO_ImgW[12], 32.0f);
    EXPECT_EQ(rt_quzo_QUZO_ImgH[12], 16.0f);
    // Slots outside the table are ignored.
    rt_quzo_LoadImg(150, "x", 1, 1, 1);
    rt_quzo_LoadImg(-1, "x", 1, 1, 1);
}

// --- Virtual screen ----------------------------------------------------------------------

TEST_F(RecordsTest, VirtualScreenFromTheDeviceSize) {
    struct Case {
        int w, h;
        float scale;
        int jw, jh;
    };
    const Case cases[] = {
        {1280, 720, 1.6f, 800, 450},
        {640, 480, 0.8f, 800, 600},
        {720, 1280, 1.6f, 450, 800},
        {800, 800, 1.0f, 800, 800},
    };
    for (const Case& c : cases) {
        rt_app__devWidth = c.w;
        rt_app__devHeight = c.h;
        rt_quzo_RenderWorld();
        EXPECT_FLOAT_EQ(rt_quzo_QUZO_Scale, c.scale) << c.w << " x " << c.h;
        EXPECT_EQ(rt_quzo_jscrw, c.jw) << c.w << " x " << c.h;
        EXPECT_EQ(rt_quzo_jscrh, c.jh) << c.w << " x " << c.h;
        EXPECT_EQ(rt_quzo_RealW, c.w);
        EXPECT_EQ(rt_quzo_WRealH, c.h);
    }
}

TEST_F(RecordsTest, OrientationFollowsFromTheNextRender) {
    rt_app__devWidth = 1280;
    rt_app__devHeight = 720;
    rt_quzo_RenderWorld();
    EXPECT_EQ(rt_quzo_QUZO_Orientation, 0);
    rt_app__devWidth = 720;
    rt_app__devHeight = 1280;
    rt_quzo_RenderWorld();
    EXPECT_EQ(rt_quzo_QUZO_Orientation, 0);
    rt_quzo_RenderWorld();
    EXPECT_EQ(rt_quzo_QUZO_Orientation, 1);
}

TEST_F(RecordsTest, WindowWithoutSizeKeepsTheVirtualScreen) {
    rt_app__devWidth = 1280;
    rt_app__devHeight = 720;
    rt_quzo_RenderWorld();
    rt_app__devWidth = 0;
    rt_app__devHeight = 0;
    rt_quzo_RenderWorld();
    EXPECT_FLOAT_EQ(rt_quzo_QUZO_Scale, 1.6f);
    EXPECT_EQ(rt_quzo_jscrw, 800);
    EXPECT_EQ(rt_quzo_jscrh, 450);
}

TEST_F(RecordsTest, ReplayStatisticsAndCamera) {
    const int start = game.millisecs();
    rt_quzo_QUZO_Data[7] = float(start);
    for (int i = 0; i < 3; ++i) rt_quzo_RenderWorld();
    EXPECT_EQ(rt_quzo_QUZO_Data[49], 3.0f);
    EXPECT_EQ(rt_quzo_QUZO_Data[9], 3.0f);
    game.advance(1000);
    rt_quzo_RenderWorld();
    EXPECT_EQ(rt_quzo_QUZO_Data[2], 4.0f);
    EXPECT_EQ(rt_quzo_QUZO_Data[9], 0.0f);
    EXPECT_EQ(rt_quzo_QUZO_Data[7], float(start + 1000));

    // Records beyond 4 999 are not replayed.
    rt_quzo_Bufferup = 5001;
    rt_quzo_RenderWorld();
    EXPECT_EQ(rt_quzo_Bufferup, 4999);
    EXPECT_EQ(rt_quzo_QUZO_Data[3], 4999.0f);

    rt_quzo_aimx = 80;
    rt_quzo_aimy = -16;
    rt_quzo_RenderWorld();
    EXPECT_FLOAT_EQ(rt_quzo_QUZO_ScrollX, -10);
    EXPECT_FLOAT_EQ(rt_quzo_scrx, 10);
    EXPECT_FLOAT_EQ(rt_quzo_scry, -2);
    rt_quzo_RenderWorld();
    EXPECT_FLOAT_EQ(rt_quzo_scrx, 10 + 70 * 0.125f);
}

TEST_F(RecordsTest, ReplayGivesEveryDrawableSlotAtLeastOneFrame) {
    rt_quzo_QUZO_ImgD[7] = -3;
    rt_quzo_QUZO_ImgD[120] = 0;
    rt_quzo_RenderWorld();
    EXPECT_EQ(rt_quzo_QUZO_ImgD[0], 1);
    EXPECT_EQ(rt_quzo_QUZO_ImgD[7], 1);
    EXPECT_EQ(rt_quzo_QUZO_ImgD[99], 1);
    EXPECT_EQ(rt_quzo_QUZO_ImgD[120], 0);
}

// --- Replay through a recording device ---------------------------------------------------

// A render device that notes every call with the colour, alpha and matrix current at that
// moment, and draws nothing.
class RecordingDevice : public gxtkGraphics {
  public:
    struct Call {
        std::string op;
        std::vector<float> args;
        float color[3];
        float alpha;
        float matrix[6];
    };
    std::vector<Call> calls;
    std::vector<int> blends;

    int Width() override { return 1280; }
    int Height() override { return 720; }
    int SetColor(float r, float g, float b) override {
        c[0] = r, c[1] = g, c[2] = b;
        return 0;
    }
    int SetAlpha(float alpha) override {
        a = alpha;
        return 0;
    }
    int SetBlend(int blend) override {
        blends.push_back(blend);
        return 0;
    }
    int SetScissor(int, int, int, int) override { return 0; }
    int SetMatrix(float ix, float iy, float jx, float jy, float tx, float ty) override {
        m[0] = ix, m[1] = iy, m[2] = jx, m[3] = jy, m[4] = tx, m[5] = ty;
        return 0;
    }
    int DrawRect(float x, float y, float w, float h) override { return note("rect", {x, y, w, h}); }
    int DrawOval(float x, float y, float w, float h) override { return note("oval", {x, y, w, h}); }
    int DrawLine(float x1, float y1, float x2, float y2) override {
        return note("line", {x1, y1, x2, y2});
    }
    int DrawPoly(Array<float> verts) override {
        return note("poly", std::vector<float>(verts.Data(), verts.Data() + verts.Length()));
    }
    int DrawSurface(gxtkSurface*, float x, float y) override { return note("surface", {x, y}); }
    int DrawSurface2(gxtkSurface*, float x, float y, int srcX, int srcY, int srcW,
                     int srcH) override {
        return note("frame", {x, y, float(srcX), float(srcY), float(srcW), float(srcH)});
    }

  private:
    int note(const char* op, std::vector<float> args) {
        Call call{op, std::move(args), {c[0], c[1], c[2]}, a, {}};
        std::memcpy(call.matrix, m, sizeof m);
        calls.push_back(call);
        return 0;
    }
    float c[3] = {};
    float a = 0;
    float m[6] = {1, 0, 0, 1, 0, 0};
};

class ReplayTest : public FrameworkTest {
  protected:
    void SetUp() override {
        FrameworkTest::SetUp();
        rt_app__devWidth = 1280;
        rt_app__devHeight = 720;
        device = new RecordingDevice;
        rt_graphics_SetGraphicsDevice(device);
        rt_graphics_BeginRender();
        device->calls.clear();
        device->blends.clear();

        // A sheet of four 8 x 8 frames in one row, in slot 5.
        auto* surface = new gxtkSurface;
        surface->width = 32;
        surface->height = 8;
        c_Image* image =
            (new c_Image)
                ->m_new()
                ->p_Init2(surface, 0, 0, 8, 8, 4, c_Image::FlagCentreHandle, nullptr, 0, 0, 32, 8);
        gc_assign(rt_quzo_QUZO_Img[5], image);
        rt_quzo_QUZO_ImgD[5] = 4;
    }

    // Publishes whatever the draw list holds, however little.
    void publish() {
        std::memcpy(rt_quzo_QUZO_Buffer.Data(), rt_quzo_QUZO_Draw.Data(),
                    size_t(rt_quzo_Sprtup) * framework::kRecordFloats * sizeof(float));
        rt_quzo_Bufferup = rt_quzo_Sprtup;
        rt_quzo_Sprtup = 0;
    }

    // The calls after the background rectangle.
    std::vector<RecordingDevice::Call> drawn() {
        return std::vector<RecordingDevice::Call>(device->calls.begin() + 1, device->calls.end());
    }

    RecordingDevice* device = nullptr;
};

MATCHER_P(MatrixIs, expected, "") {
    for (int i = 0; i < 6; ++i) {
        if (std::fabs(arg.matrix[i] - expected[i]) > 1e-3f) return false;
    }
    return true;
}

TEST_F(ReplayTest, EveryKindReachesTheDevice) {
    rt_quzo_SetCol(10, 20, 30, 0.5f);
    rt_quzo_Rect(100, 100, 40, 20, 1, 1);
    rt_quzo_ResetDraw();
    rt_quzo_Line(1, 2, 3, 4);
    rt_quzo_Triangle(1, 2, 3, 4, 5, 6);
    rt_quzo_Rect(7, 8, 9, 10);
    rt_quzo_QUZO_Draw[(rt_quzo_Sprtup - 1) * 20 + 9] = 3; // the replay also knows ovals
    rt_quzo_Rect(0, 0, 0, 0);
    rt_quzo_QUZO_Draw[(rt_quzo_Sprtup - 1) * 20 + 9] = 77; // and ignores unknown kinds
    publish();
    rt_quzo_RenderWorld();

    auto calls = drawn();
    ASSERT_EQ(calls.size(), 4u);
    const float scale[6] = {1.6f, 0, 0, 1.6f, 0, 0};
    EXPECT_EQ(calls[0].op, "rect");
    EXPECT_THAT(calls[0].args, ElementsAre(80, 90, 40, 20));
    EXPECT_THAT(std::vector<float>(calls[0].color, calls[0].color + 3), ElementsAre(10, 20, 30));
    EXPECT_EQ(calls[0].alpha, 0.5f);
    EXPECT_THAT(calls[0], MatrixIs(scale));
    EXPECT_EQ(calls[1].op, "line");
    EXPECT_THAT(calls[1].args, ElementsAre(1, 2, 3, 4));
    EXPECT_EQ(calls[1].alpha, 1.0f);
    EXPECT_EQ(calls[2].op, "poly");
    EXPECT_THAT(calls[2].args, ElementsAre(1, 2, 3, 4, 5, 6));
    EXPECT_EQ(calls[3].op, "oval");
    EXPECT_THAT(calls[3].args, ElementsAre(7, 8, 9, 10));
}

TEST_F(ReplayTest, ImagesAreCentredScaledAndRotatedInWindowPixels) {
    rt_quzo_SetSize(2, 3);
    rt_quzo_SetRot(30);
    rt_quzo_DrawImg(5, 100, 50, 6);
    publish();
    rt_quzo_RenderWorld();

    auto calls = drawn();
    ASSERT_EQ(calls.size(), 1u);
    const auto& c = calls[0];
    EXPECT_EQ(c.op, "frame");
    EXPECT_THAT(std::vector<float>(c.args.begin() + 2, c.args.end()), ElementsAre(16, 0, 8, 8))
        << "frame 6 of 4 is frame 2";
    // The frame's centre (its handle) lands on the virtual point times the scale.
    const float* m = c.matrix;
    float hx = c.args[0] + 4, hy = c.args[1] + 4;
    EXPECT_NEAR(hx * m[0] + hy * m[2] + m[4], 160, 1e-3);
    EXPECT_NEAR(hx * m[1] + hy * m[3] + m[5], 80, 1e-3);
    EXPECT_NEAR(std::hypot(m[0], m[1]), 3.2, 1e-4);
    EXPECT_NEAR(std::hypot(m[2], m[3]), 4.8, 1e-4);
    EXPECT_NEAR(std::atan2(std::fabs(m[1]), m[0]) * 180 / std::numbers::pi, 30, 1e-3);
}

TEST_F(ReplayTest, BrokenImageRecordsDrawNothing) {
    rt_quzo_DrawImg(6, 0, 0, 0);  // empty slot
    rt_quzo_DrawImg(5, 0, 0, -1); // negative frame
    rt_quzo_DrawImg(5, 0, 0, 2);
    rt_quzo_QUZO_Draw[(rt_quzo_Sprtup - 1) * 20 + 13] = 9; // a frame the image lacks
    rt_quzo_DrawImg(5, 0, 0, 3);
    publish();
    rt_quzo_RenderWorld();
    auto calls = drawn();
    ASSERT_EQ(calls.size(), 1u);
    EXPECT_EQ(calls[0].args[2], 24.0f);
}

TEST_F(ReplayTest, BackgroundAndPause) {
    float* s = rt_quzo_QUZO_DrawStyle.Data();
    s[11] = 40, s[12] = 50, s[13] = 60, s[14] = 0.25f;
    rt_quzo_RenderWorld();
    ASSERT_FALSE(device->calls.empty());
    auto bg = device->calls[0];
    EXPECT_EQ(bg.op, "rect");
    EXPECT_THAT(bg.args, ElementsAre(-128, -128, 1280 + 256, 720 + 256));
    EXPECT_THAT(std::vector<float>(bg.color, bg.color + 3), ElementsAre(40, 50, 60));
    EXPECT_EQ(bg.alpha, 0.25f);
    const float identity[6] = {1, 0, 0, 1, 0, 0};
    EXPECT_THAT(bg, MatrixIs(identity));

    device->calls.clear();
    rt_quzo_QUZO_Paused = 1;
    rt_quzo_RenderWorld();
    bg = device->calls[0];
    EXPECT_THAT(std::vector<float>(bg.color, bg.color + 3), ElementsAre(0, 0, 0));
    EXPECT_EQ(bg.alpha, 1.0f);
}

TEST_F(ReplayTest, OverscanShrinksTheBaseButNotTheShearedPart) {
    rt_quzo_QUZO_Set[21] = 5;
    rt_quzo_Rect(0, 0, 1, 1);
    rt_quzo_SetSkew(0.2f, 0);
    rt_quzo_Rect(0, 0, 1, 1);
    rt_quzo_ResetDraw();
    rt_quzo_Rect(0, 0, 1, 1);
    publish();
    rt_quzo_RenderWorld();

    auto calls = drawn();
    ASSERT_EQ(calls.size(), 3u);
    float f = (1 - 10.0f / 101) * 1.6f;
    const float base[6] = {f, 0, 0, f, 50 * f, 50 * 0.5625f * f};
    const float sheared[6] = {1.6f, 0, 0.2f, 1.6f, 0, 0};
    const float unsheared[6] = {1.6f, 0, 0, 1.6f, 0, 0};
    EXPECT_THAT(calls[0], MatrixIs(base));
    EXPECT_THAT(calls[1], MatrixIs(sheared));
    EXPECT_THAT(calls[2], MatrixIs(unsheared));
}

TEST_F(ReplayTest, BlendRecords) {
    for (float selector : {3.0f, 0.0f}) {
        rt_quzo_Rect(0, 0, 1, 1);
        rt_quzo_QUZO_Draw[(rt_quzo_Sprtup - 1) * 20 + 9] = 102;
        rt_quzo_QUZO_Draw[(rt_quzo_Sprtup - 1) * 20 + 11] = selector;
    }
    publish();
    rt_quzo_RenderWorld();
    // Alpha blending for the replay, then additive, then alpha again.
    EXPECT_THAT(device->blends, ElementsAre(0, 0, 1, 0));
}

TEST_F(ReplayTest, StyleIsResetAfterEveryReplay) {
    rt_quzo_SetCol(1, 2, 3, 0.5f);
    rt_quzo_SetSkew(0.1f, 0.1f);
    rt_quzo_RenderWorld();
    const float* s = rt_quzo_QUZO_DrawStyle.Data();
    EXPECT_THAT(std::vector<float>(s, s + 9), ElementsAre(1, 255, 255, 255, 1, 1, 0, 0, 0));
}

} // namespace
} // namespace hexwend::testing
