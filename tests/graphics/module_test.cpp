// The graphics module without a display: how images are cut into frames, flags and handles,
// the matrix and its stack, what reaches the device and when, and its runtime errors.
#include "tests/graphics/graphics_support.h"

#include <utility>
#include <vector>

namespace hexwend::testing {
namespace {

// A device without a context that notes the calls the module makes on it. Its batch holds
// the vertices of the last draw calls (nothing is drawn without a context).
class RecordingDevice : public gxtkGraphics {
  public:
    int matrixSends = 0;
    std::vector<int> scissor;

    int SetMatrix(float a, float b, float c, float d, float e, float f) override {
        ++matrixSends;
        return gxtkGraphics::SetMatrix(a, b, c, d, e, f);
    }
    int SetScissor(int x, int y, int w, int h) override {
        scissor = {x, y, w, h};
        return gxtkGraphics::SetScissor(x, y, w, h);
    }
};

gxtkSurface* surfaceOf(int w, int h) {
    gxtkSurface* s = new gxtkSurface;
    s->width = w;
    s->height = h;
    s->uScale = 1.0f / float(w);
    s->vScale = 1.0f / float(h);
    return s;
}

std::vector<std::pair<int, int>> framesOf(c_Image* image) {
    std::vector<std::pair<int, int>> out;
    for (int i = 0; i < image->m_frames.Length(); ++i) {
        out.emplace_back(image->m_frames[i]->m_x, image->m_frames[i]->m_y);
    }
    return out;
}

using FrameList = std::vector<std::pair<int, int>>;

class GraphicsModuleTest : public GraphicsRuntimeTest {};

// --- Frames, flags and handles -------------------------------------------------------------

struct LayoutCase {
    const char* name;
    int sheetW, sheetH, frameW, frameH, count, flags;
    FrameList frames;
    int width, height;
    float handleX, handleY;
    bool wholeSurface;
};

TEST_F(GraphicsModuleTest, SheetsAreCutIntoFramesRowByRow) {
    const LayoutCase cases[] = {
        {"one row of five",
         100,
         20,
         20,
         20,
         5,
         0,
         {{0, 0}, {20, 0}, {40, 0}, {60, 0}, {80, 0}},
         20,
         20,
         0,
         0,
         false},
        {"three rows, right edge unused",
         64,
         64,
         20,
         20,
         9,
         0,
         {{0, 0}, {20, 0}, {40, 0}, {0, 20}, {20, 20}, {40, 20}, {0, 40}, {20, 40}, {40, 40}},
         20,
         20,
         0,
         0,
         false},
        {"padded left and right, centred",
         100,
         20,
         20,
         20,
         2,
         c_Image::FlagPadX | c_Image::FlagCentreHandle,
         {{1, 0}, {21, 0}},
         18,
         20,
         9,
         10,
         false},
        {"padded on all sides",
         40,
         20,
         20,
         20,
         2,
         c_Image::FlagPadX | c_Image::FlagPadY,
         {{1, 1}, {21, 1}},
         18,
         18,
         0,
         0,
         false},
        {"one frame of the whole sheet", 32, 16, 32, 16, 1, 0, {{0, 0}}, 32, 16, 0, 0, true},
        {"one padded frame is not the whole sheet",
         32,
         16,
         32,
         16,
         1,
         c_Image::FlagPadX,
         {{1, 0}},
         30,
         16,
         0,
         0,
         false},
        {"one smaller frame is not the whole sheet",
         32,
         16,
         16,
         16,
         1,
         0,
         {{0, 0}},
         16,
         16,
         0,
         0,
         false},
        {"no frames", 32, 16, 16, 16, 0, 0, {}, 16, 16, 0, 0, false},
    };
    for (const LayoutCase& c : cases) {
        SCOPED_TRACE(c.name);
        gxtkSurface* sheet = surfaceOf(c.sheetW, c.sheetH);
        c_Image* image = (new c_Image)
                             ->m_new()
                             ->p_Init2(sheet, 0, 0, c.frameW, c.frameH, c.count, c.flags, nullptr,
                                       0, 0, c.sheetW, c.sheetH);
        EXPECT_EQ(framesOf(image), c.frames);
        EXPECT_EQ(image->m_width, c.width);
        EXPECT_EQ(image->m_height, c.height);
        EXPECT_EQ(image->m_handleX, c.handleX);
        EXPECT_EQ(image->m_handleY, c.handleY);
        EXPECT_EQ((image->m_flags & c_Image::FlagWholeSurface) != 0, c.wholeSurface);
        EXPECT_EQ(image->m_flags & c_Image::FlagCentreHandle, 0);
    }
}

TEST_F(GraphicsModuleTest, ASourceRectangleOffsetsTheFrames) {
    gxtkSurface* sheet = surfaceOf(64, 64);
    c_Image* parent = (new c_Image)->m_new()->p_Init(sheet, 1, 0);
    c_Image* image =
        (new c_Image)->m_new()->p_Init2(sheet, 0, 0, 10, 10, 3, 0, parent, 30, 40, 20, 20);
    EXPECT_EQ(framesOf(image), (FrameList{{30, 40}, {40, 40}, {30, 50}}));
    EXPECT_EQ(image->m_source, parent);
}

TEST_F(GraphicsModuleTest, InitLaysFramesSideBySideOverTheWholeSurface) {
    c_Image* strip = (new c_Image)->m_new()->p_Init(surfaceOf(100, 16), 4, 0);
    EXPECT_EQ(framesOf(strip), (FrameList{{0, 0}, {25, 0}, {50, 0}, {75, 0}}));
    EXPECT_EQ(strip->m_width, 25);
    EXPECT_EQ(strip->m_height, 16);
    EXPECT_FALSE(strip->m_flags & c_Image::FlagWholeSurface);

    c_Image* whole = (new c_Image)->m_new()->p_Init(surfaceOf(100, 16), 1, 0);
    EXPECT_TRUE(whole->m_flags & c_Image::FlagWholeSurface);
}

TEST_F(GraphicsModuleTest, SettingTheHandleClearsTheCentreFlag) {
    c_Image* image = (new c_Image)->m_new()->p_Init(surfaceOf(20, 20), 1, 0);
    image->m_flags |= c_Image::FlagCentreHandle;
    image->p_SetHandle(3, 4);
    EXPECT_EQ(image->m_handleX, 3);
    EXPECT_EQ(image->m_handleY, 4);
    EXPECT_EQ(image->m_flags & c_Image::FlagCentreHandle, 0);
}

TEST_F(GraphicsModuleTest, FramesThatDoNotFitAndSecondInitsAreRuntimeErrors) {
    EXPECT_RUNTIME_ERROR(
        (new c_Image)
            ->m_new()
            ->p_Init2(surfaceOf(100, 20), 0, 0, 20, 20, 6, 0, nullptr, 0, 0, 100, 20),
        "Image frame outside surface");
    EXPECT_RUNTIME_ERROR(
        (new c_Image)
            ->m_new()
            ->p_Init2(surfaceOf(20, 20), 0, 0, 30, 10, 1, 0, nullptr, 0, 0, 20, 20),
        "Image frame outside surface");
    EXPECT_RUNTIME_ERROR(
        {
            c_Image* image = (new c_Image)->m_new()->p_Init(surfaceOf(20, 20), 1, 0);
            image->p_Init(surfaceOf(20, 20), 1, 0);
        },
        "Image already initialized");
}

// --- Matrix --------------------------------------------------------------------------------

std::vector<float> matrix() {
    Array<float> m = rt_graphics_GetMatrix();
    return std::vector<float>(m.Data(), m.Data() + 6);
}

TEST_F(GraphicsModuleTest, TransformsMultiplyFromTheLocalSide) {
    rt_graphics_Translate(10, 5);
    rt_graphics_Scale(2, 3);
    EXPECT_EQ(matrix(), (std::vector<float>{2, 0, 0, 3, 10, 5}));

    rt_graphics_SetMatrix(1, 0, 0, 1, 0, 0);
    EXPECT_EQ(rt_graphics_context->m_transformed, 0);
    rt_graphics_Scale(2, 3);
    rt_graphics_Translate(10, 5);
    EXPECT_EQ(matrix(), (std::vector<float>{2, 0, 0, 3, 20, 15}));
    EXPECT_EQ(rt_graphics_context->m_transformed, 1);

    Array<float> m2 = rt_graphics_GetMatrix();
    rt_graphics_SetMatrix2(Array<float>({1, 0, 0, 1, 0, 0}));
    rt_graphics_Transform2(m2);
    EXPECT_EQ(matrix(), (std::vector<float>{2, 0, 0, 3, 20, 15}));
}

TEST_F(GraphicsModuleTest, RotationUsesTheFloatDegreeFactor) {
    rt_graphics_Rotate(90);
    std::vector<float> m = matrix();
    EXPECT_NE(m[0], 0.0f);
    EXPECT_NEAR(m[0], 1.2e-8, 0.1e-8);
    EXPECT_EQ(m[1], -1.0f);
    EXPECT_EQ(m[2], 1.0f);
    EXPECT_EQ(m[3], m[0]);
    EXPECT_EQ(rt_graphics_context->m_transformed, 1);

    rt_graphics_SetMatrix(1, 0, 0, 1, 0, 0);
    rt_graphics_Rotate(360);
    EXPECT_EQ(rt_graphics_context->m_transformed, 1);
}

TEST_F(GraphicsModuleTest, TheMatrixStackDoublesWhenFullAndKeepsEverySavedMatrix) {
    EXPECT_EQ(rt_graphics_context->m_matrixStack.Length(), 192);
    for (int i = 0; i < 33; ++i) {
        rt_graphics_SetMatrix(float(i), 0, 0, 1, float(-i), 0);
        rt_graphics_PushMatrix();
    }
    EXPECT_EQ(rt_graphics_context->m_matrixStack.Length(), 384);
    EXPECT_EQ(rt_graphics_context->m_matrixSp, 33 * 6);
    for (int i = 32; i >= 0; --i) {
        rt_graphics_PopMatrix();
        EXPECT_EQ(matrix(), (std::vector<float>{float(i), 0, 0, 1, float(-i), 0})) << i;
    }
    EXPECT_RUNTIME_ERROR(rt_graphics_PopMatrix(), "Matrix stack underflow");
}

// --- What reaches the device ---------------------------------------------------------------

class ModuleDeviceTest : public GraphicsModuleTest {
  protected:
    void SetUp() override {
        GraphicsModuleTest::SetUp();
        device = new RecordingDevice;
        device->width = 320;
        device->height = 200;
        rt_graphics_SetGraphicsDevice(device);
        rt_graphics_BeginRender();
    }
    RecordingDevice* device = nullptr;
};

TEST_F(ModuleDeviceTest, EachFrameStartsFromTheSameState) {
    rt_graphics_SetColor(10, 20, 30);
    rt_graphics_SetAlpha(0.25f);
    rt_graphics_SetScissor(1.9f, 2.9f, 10.7f, 5.2f);
    EXPECT_EQ(device->scissor, (std::vector<int>{1, 2, 10, 5}));
    rt_graphics_Translate(5, 5);
    rt_graphics_PushMatrix();
    rt_graphics_EndRender();
    EXPECT_EQ(rt_graphics_renderDevice, nullptr);

    rt_graphics_BeginRender();
    EXPECT_EQ(rt_graphics_renderDevice, device);
    EXPECT_EQ(rt_graphics_context->m_matrixSp, 0);
    EXPECT_EQ(matrix(), (std::vector<float>{1, 0, 0, 1, 0, 0}));
    EXPECT_EQ(device->red, 255);
    EXPECT_EQ(device->blue, 255);
    EXPECT_EQ(device->alpha, 1);
    EXPECT_EQ(device->scissor, (std::vector<int>{0, 0, 320, 200}));
}

TEST_F(ModuleDeviceTest, TheMatrixIsSentOnlyBeforeADrawAfterAChange) {
    int sends = device->matrixSends;
    rt_graphics_Translate(10, 0);
    rt_graphics_Rotate(30);
    rt_graphics_Scale(2, 2);
    EXPECT_EQ(device->matrixSends, sends);
    rt_graphics_DrawRect(0, 0, 1, 1);
    EXPECT_EQ(device->matrixSends, sends + 1);
    EXPECT_TRUE(device->transformed);
    rt_graphics_DrawRect(0, 0, 1, 1);
    rt_graphics_DrawLine(0, 0, 1, 1);
    EXPECT_EQ(device->matrixSends, sends + 1);
    rt_graphics_SetColor(1, 2, 3);
    rt_graphics_DrawRect(0, 0, 1, 1);
    EXPECT_EQ(device->matrixSends, sends + 1);
}

std::vector<float> corners(gxtkGraphics* device, int first) {
    std::vector<float> out;
    for (int i = first; i < first + 4; ++i) {
        out.push_back(device->vertexBuffer[i].x);
        out.push_back(device->vertexBuffer[i].y);
    }
    return out;
}

std::vector<float> texCoords(gxtkGraphics* device, int first) {
    std::vector<float> out;
    for (int i = first; i < first + 4; ++i) {
        out.push_back(device->vertexBuffer[i].u);
        out.push_back(device->vertexBuffer[i].v);
    }
    return out;
}

TEST_F(ModuleDeviceTest, SpritesArePlacedByHandlePositionRotationAndScale) {
    // An 8 x 4 sheet of two 4 x 4 frames with the handle at the frame's centre.
    c_Image* image = (new c_Image)
                         ->m_new()
                         ->p_Init2(surfaceOf(8, 4), 0, 0, 4, 4, 2, c_Image::FlagCentreHandle,
                                   nullptr, 0, 0, 8, 4);
    ASSERT_EQ(image->m_handleX, 2);

    rt_graphics_DrawImage2(image, 50, 40, 0, 2, 3, 1);
    ASSERT_EQ(device->batchLength, 4);
    EXPECT_EQ(corners(device, 0), (std::vector<float>{46, 34, 54, 34, 54, 46, 46, 46}));
    EXPECT_EQ(texCoords(device, 0), (std::vector<float>{0.5f, 0, 1, 0, 1, 1, 0.5f, 1}));
    // The matrix is back where it was.
    EXPECT_EQ(matrix(), (std::vector<float>{1, 0, 0, 1, 0, 0}));

    // A quarter turn: the frame's right side ends up on top.
    rt_graphics_DrawImage2(image, 50, 40, 90, 1, 1, 0);
    std::vector<float> turned = corners(device, 4);
    const float expected[8] = {48, 42, 48, 38, 52, 38, 52, 42};
    for (int i = 0; i < 8; ++i) EXPECT_NEAR(turned[i], expected[i], 1e-5) << i;

    // Without rotation or scale the same call is a plain translation.
    rt_graphics_DrawImage(image, 50, 40, 0);
    EXPECT_EQ(corners(device, 8), (std::vector<float>{48, 38, 52, 38, 52, 42, 48, 42}));
    EXPECT_EQ(device->batchLength, 12);
}

TEST_F(ModuleDeviceTest, WholeSurfaceImagesUseTheWholeSurface) {
    gxtkSurface* sheet = surfaceOf(16, 8);
    c_Image* image = (new c_Image)->m_new()->p_Init(sheet, 1, 0);
    ASSERT_TRUE(image->m_flags & c_Image::FlagWholeSurface);
    rt_graphics_DrawImage(image, 3, 4, 0);
    EXPECT_EQ(corners(device, 0), (std::vector<float>{3, 4, 19, 4, 19, 12, 3, 12}));
    EXPECT_EQ(texCoords(device, 0), (std::vector<float>{0, 0, 1, 0, 1, 1, 0, 1}));
    EXPECT_EQ(device->batchSurface, sheet);
}

TEST_F(ModuleDeviceTest, TexturedPolygonsReadTheirFrame) {
    c_Image* image =
        (new c_Image)->m_new()->p_Init2(surfaceOf(8, 4), 0, 0, 4, 4, 2, 0, nullptr, 0, 0, 8, 4);
    rt_graphics_DrawPoly2(Array<float>({0, 0, 0, 0, 10, 0, 4, 0, 10, 10, 4, 4}), image, 1);
    EXPECT_EQ(device->batchKind, 3);
    EXPECT_EQ(device->vertexBuffer[0].u, 0.5f);
    EXPECT_EQ(device->vertexBuffer[1].u, 1.0f);
    EXPECT_EQ(device->vertexBuffer[2].v, 1.0f);
}

TEST_F(ModuleDeviceTest, BadFramesAndDrawingOutsideARenderAreRuntimeErrors) {
    c_Image* image =
        (new c_Image)->m_new()->p_Init2(surfaceOf(8, 4), 0, 0, 4, 4, 2, 0, nullptr, 0, 0, 8, 4);
    EXPECT_RUNTIME_ERROR(rt_graphics_DrawImage2(image, 0, 0, 0, 1, 1, 2), "Invalid image frame");
    EXPECT_RUNTIME_ERROR(rt_graphics_DrawImage(image, 0, 0, -1), "Invalid image frame");
    rt_graphics_EndRender();
    EXPECT_RUNTIME_ERROR(rt_graphics_DrawImage(image, 0, 0, 0),
                         "Drawing is only allowed while rendering");
    EXPECT_RUNTIME_ERROR(rt_graphics_DrawRect(0, 0, 1, 1),
                         "Drawing is only allowed while rendering");
}

// A host whose data folder is a folder of the test's own.
class TempDataHost : public RtGlfwGame {
  public:
    explicit TempDataHost(std::string folder) : folder_(std::move(folder)) {}
    String PathToFilePath(String path) override {
        String prefix("vorpix://data/");
        if (!path.StartsWith(prefix)) return RtGlfwGame::PathToFilePath(path);
        return String((folder_ + "/").c_str()) + path.Slice(prefix.Length());
    }

  private:
    std::string folder_;
};

class FontTest : public ModuleDeviceTest {
  protected:
    TempFolder data;
    TempDataHost host{data.path()};
};

TEST_F(FontTest, AMissingDefaultFontLeavesNoFont) {
    rt_graphics_SetFont(nullptr, 65);
    EXPECT_EQ(rt_graphics_context->m_font, nullptr);
    EXPECT_EQ(rt_graphics_context->m_firstChar, 32);

    c_Image* font = (new c_Image)->m_new()->p_Init(surfaceOf(96, 8), 12, 0);
    rt_graphics_SetFont(font, 48);
    EXPECT_EQ(rt_graphics_context->m_font, font);
    EXPECT_EQ(rt_graphics_context->m_firstChar, 48);
}

TEST_F(FontTest, TheDefaultFontIsLoadedOnceFromTheDataFolder) {
    // 96 glyphs of 4 x 2 pixels in one row.
    std::string path = data / "zuvo_font.png";
    ASSERT_TRUE(writeArgbPng(path, 96 * 4, 2, std::vector<uint32_t>(96 * 4 * 2, 0xffffffff)));
    rt_graphics_SetFont(nullptr, 0);
    std::filesystem::remove(path);

    c_Image* font = rt_graphics_context->m_font;
    ASSERT_NE(font, nullptr);
    EXPECT_EQ(font, rt_graphics_context->m_defaultFont);
    EXPECT_EQ(rt_graphics_context->m_firstChar, 32);
    EXPECT_EQ(font->m_frames.Length(), 96);
    EXPECT_EQ(font->m_width, 2); // 4 pixels less a border on each side
    EXPECT_EQ(font->m_frames[1]->m_x, 5);
    rt_graphics_SetFont(nullptr, 0);
    EXPECT_EQ(rt_graphics_context->m_font, font);
}

} // namespace
} // namespace hexwend::testing
