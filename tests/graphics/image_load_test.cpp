// Image files as the host decodes them and the graphics module loads them: channel counts,
// premultiplication, the collector's byte count, and files that must give no image.
#include "tests/graphics/graphics_support.h"
#include "tests/graphics/png_bytes.h"

#include <cstring>

namespace hexwend::testing {
namespace {

class ImageLoadTest : public GraphicsRuntimeTest {
  protected:
    void SetUp() override {
        GraphicsRuntimeTest::SetUp();
        device = new gxtkGraphics;
        rt_graphics_SetGraphicsDevice(device);
    }

    unsigned char* load(const std::string& name, int* w, int* h, int* d) {
        return host.LoadImageData(String((dir / name).c_str()), w, h, d);
    }

    RtGlfwGame host; // no window: images load without a context, textures come later
    TempFolder dir;
    gxtkGraphics* device = nullptr;
};

TEST_F(ImageLoadTest, DecodesTheFilesOwnChannelCountAndCountsTheBytes) {
    struct Case {
        int channels;
        const char* name;
    };
    for (Case c : {Case{1, "grey.png"}, Case{2, "grey_alpha.png"}, Case{3, "rgb.png"},
                   Case{4, "rgba.png"}}) {
        SCOPED_TRACE(c.name);
        std::vector<unsigned char> pixels(size_t(5) * 3 * c.channels);
        for (size_t i = 0; i < pixels.size(); ++i) pixels[i] = uint8_t(i * 7);
        ASSERT_TRUE(writePng(dir / c.name, 5, 3, c.channels, pixels));

        int before = gc_ext_new_bytes.load();
        int w = 0, h = 0, d = 0;
        unsigned char* data = load(c.name, &w, &h, &d);
        ASSERT_NE(data, nullptr);
        EXPECT_EQ(w, 5);
        EXPECT_EQ(h, 3);
        EXPECT_EQ(d, c.channels);
        EXPECT_EQ(std::memcmp(data, pixels.data(), pixels.size()), 0);
        EXPECT_EQ(gc_ext_new_bytes.load() - before, 5 * 3 * c.channels);
        std::free(data);
    }
}

TEST_F(ImageLoadTest, LoadedSurfacesKeepPremultipliedPixels) {
    // RGBA (200, 100, 50, 128) and grey-alpha (200, 128): colour bytes become (c * a) / 255.
    ASSERT_TRUE(writePng(dir / "rgba.png", 1, 1, 4, {200, 100, 50, 128}));
    ASSERT_TRUE(writePng(dir / "la.png", 1, 1, 2, {200, 128}));
    ASSERT_TRUE(writePng(dir / "rgb.png", 1, 1, 3, {200, 100, 50}));

    gxtkSurface* rgba = device->LoadSurface(String((dir / "rgba.png").c_str()));
    ASSERT_NE(rgba, nullptr);
    EXPECT_EQ(rgba->glFormat, uint32_t(GL_RGBA));
    EXPECT_EQ(std::vector<int>(rgba->pixels, rgba->pixels + 4),
              (std::vector<int>{100, 50, 25, 128}));

    gxtkSurface* la = device->LoadSurface(String((dir / "la.png").c_str()));
    ASSERT_NE(la, nullptr);
    EXPECT_EQ(la->glFormat, uint32_t(GL_LUMINANCE_ALPHA));
    EXPECT_EQ(std::vector<int>(la->pixels, la->pixels + 2), (std::vector<int>{100, 128}));

    gxtkSurface* rgb = device->LoadSurface(String((dir / "rgb.png").c_str()));
    ASSERT_NE(rgb, nullptr);
    EXPECT_EQ(rgb->glFormat, uint32_t(GL_RGB));
    EXPECT_EQ(std::vector<int>(rgb->pixels, rgb->pixels + 3), (std::vector<int>{200, 100, 50}));
}

TEST_F(ImageLoadTest, BadFilesGiveNoImage) {
    std::vector<unsigned char> valid;
    ASSERT_TRUE(writePng(dir / "valid.png", 16, 16, 4, std::vector<unsigned char>(16 * 16 * 4, 9)));
    valid = readBytes(dir / "valid.png");
    ASSERT_GT(valid.size(), 60u);

    struct Case {
        const char* name;
        std::vector<unsigned char> bytes;
    };
    std::string text = "this is not an image\n";
    const Case cases[] = {
        {"empty.png", {}},
        {"text.png", std::vector<unsigned char>(text.begin(), text.end())},
        {"signature_only.png", std::vector<unsigned char>(valid.begin(), valid.begin() + 8)},
        {"header_only.png", std::vector<unsigned char>(valid.begin(), valid.begin() + 33)},
        {"truncated.png", std::vector<unsigned char>(valid.begin(), valid.end() - 20)},
        {"claims_30000.png", pngClaiming(30000, 30000, 6)},
        {"claims_8193_wide.png", pngClaiming(8193, 1, 0)},
        {"claims_8193_tall.png", pngClaiming(1, 8193, 0)},
        {"claims_16000_grey.png", pngClaiming(16000, 16000, 0)},
        {"oversized_chunk.png", pngWithOversizedChunk(0x40000000)},
        {"zero_size.png", pngClaiming(0, 0, 6)},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        writeBytes(dir / c.name, c.bytes);
        int before = gc_ext_new_bytes.load();
        int w = -1, h = -1, d = -1;
        EXPECT_EQ(load(c.name, &w, &h, &d), nullptr);
        EXPECT_EQ(gc_ext_new_bytes.load(), before);
        EXPECT_EQ(device->LoadSurface(String((dir / c.name).c_str())), nullptr);
        EXPECT_EQ(rt_graphics_LoadImage(String((dir / c.name).c_str()), 1, 0), nullptr);
        EXPECT_EQ(rt_graphics_LoadImage2(String((dir / c.name).c_str()), 8, 8, 1, 0), nullptr);
    }
    int w, h, d;
    EXPECT_EQ(load("missing.png", &w, &h, &d), nullptr);
    EXPECT_EQ(rt_graphics_LoadImage(String((dir / "missing.png").c_str()), 1, 0), nullptr);
}

TEST_F(ImageLoadTest, ImagesUpTo8192OnASideLoadAndLargerOnesDoNot) {
    std::vector<unsigned char> row(8193, 255);
    ASSERT_TRUE(writePng(dir / "8192.png", 8192, 1, 1, row));
    ASSERT_TRUE(writePng(dir / "8193.png", 8193, 1, 1, row));
    ASSERT_TRUE(writePng(dir / "8193_tall.png", 1, 8193, 1, row));

    int w = 0, h = 0, d = 0;
    unsigned char* data = load("8192.png", &w, &h, &d);
    ASSERT_NE(data, nullptr);
    EXPECT_EQ(w, 8192);
    std::free(data);
    EXPECT_EQ(load("8193.png", &w, &h, &d), nullptr);
    EXPECT_EQ(load("8193_tall.png", &w, &h, &d), nullptr);
}

} // namespace
} // namespace hexwend::testing
