// Checks of the generated data folder: every file the game loads exists with the right size
// and frame grid, the sounds are in the format the game's readers take, the art is laid out
// the way the game draws it, and generating again gives the same bytes.
#include <gtest/gtest.h>

#include <stb_image.h>
#define STB_VORBIS_HEADER_ONLY
#include <stb_vorbis.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <set>
#include <string>
#include <vector>

#include <unistd.h>

namespace fs = std::filesystem;

namespace {

const std::string kData = std::string(HEXWEND_BINARY_DIR) + "/data";

std::vector<uint8_t> readFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::vector<uint8_t>(std::istreambuf_iterator<char>(in),
                                std::istreambuf_iterator<char>());
}

struct Image {
    int w = 0, h = 0;
    std::vector<uint8_t> px; // RGBA
    bool ok() const { return w > 0; }
    const uint8_t* at(int x, int y) const { return &px[(static_cast<size_t>(y) * w + x) * 4]; }
    int alpha(int x, int y) const { return at(x, y)[3]; }
};

Image loadImage(const std::string& rel) {
    Image img;
    int n = 0;
    unsigned char* data = stbi_load((kData + "/" + rel).c_str(), &img.w, &img.h, &n, 4);
    if (!data) return Image();
    img.px.assign(data, data + static_cast<size_t>(img.w) * img.h * 4);
    stbi_image_free(data);
    return img;
}

// A frame of a sheet: frames run in reading order from the top left.
struct Frame {
    const Image* img;
    int x0, y0, w, h;
    int alpha(int x, int y) const { return img->alpha(x0 + x, y0 + y); }
    const uint8_t* at(int x, int y) const { return img->at(x0 + x, y0 + y); }
};

Frame frameOf(const Image& img, int fw, int fh, int index) {
    int cols = img.w / fw;
    return {&img, (index % cols) * fw, (index / cols) * fh, fw, fh};
}

struct Box {
    int x0 = 1 << 30, y0 = 1 << 30, x1 = -1, y1 = -1; // inclusive
    bool empty() const { return x1 < 0; }
    float cx() const { return (x0 + x1 + 1) * 0.5f; }
    float cy() const { return (y0 + y1 + 1) * 0.5f; }
    int width() const { return x1 - x0 + 1; }
    int height() const { return y1 - y0 + 1; }
};

template <typename Pred> Box boxOf(const Frame& f, Pred inside) {
    Box b;
    for (int y = 0; y < f.h; ++y)
        for (int x = 0; x < f.w; ++x)
            if (inside(f.at(x, y))) {
                b.x0 = std::min(b.x0, x);
                b.y0 = std::min(b.y0, y);
                b.x1 = std::max(b.x1, x);
                b.y1 = std::max(b.y1, y);
            }
    return b;
}

bool opaque(const uint8_t* p) {
    return p[3] >= 128;
}

// The frame layout of the game's sheet loader: frames fill rows from the top left; a frame
// that does not fit is an error.
bool framesFit(int sheetW, int sheetH, int fw, int fh, int count) {
    int x = 0, y = 0;
    for (int i = 0; i < count; ++i) {
        if (x + fw > sheetW) {
            if (fw > sheetW) return false;
            x = 0;
            y += fh;
        }
        if (y + fh > sheetH) return false;
        x += fw;
    }
    return true;
}

// --- determinism -----------------------------------------------------------------------

std::map<std::string, std::vector<uint8_t>> readTree(const std::string& root) {
    std::map<std::string, std::vector<uint8_t>> files;
    if (!fs::exists(root)) return files;
    for (const auto& e : fs::recursive_directory_iterator(root))
        if (e.is_regular_file())
            files[fs::relative(e.path(), root).string()] = readFile(e.path().string());
    return files;
}

TEST(AssetGenerator, RegeneratingGivesTheSameBytes) {
    std::string again =
        std::string(HEXWEND_BINARY_DIR) + "/assetgen-test-" + std::to_string(getpid());
    fs::remove_all(again);
    std::string cmd = std::string("\"") + ASSETGEN_EXE + "\" \"" + again + "\" > /dev/null";
    ASSERT_EQ(std::system(cmd.c_str()), 0);
    auto first = readTree(kData), second = readTree(again);
    fs::remove_all(again);
    ASSERT_FALSE(first.empty());
    std::set<std::string> names1, names2;
    for (const auto& [name, bytes] : first) names1.insert(name);
    for (const auto& [name, bytes] : second) names2.insert(name);
    EXPECT_EQ(names1, names2);
    for (const auto& [name, bytes] : first) {
        auto it = second.find(name);
        if (it == second.end()) continue;
        EXPECT_TRUE(bytes == it->second) << name << " differs between two runs";
    }
}

TEST(AssetGenerator, DesktopIconsAreTheSameBytesOnEveryRun) {
    std::string base = std::string(HEXWEND_BINARY_DIR) + "/assetgen-icons-" + std::to_string(getpid());
    std::map<std::string, std::vector<uint8_t>> runs[2];
    for (int k = 0; k < 2; ++k) {
        std::string folder = base + "-" + std::to_string(k);
        std::string cmd = std::string("\"") + ASSETGEN_EXE + "\" --icons \"" + folder + "\"";
        ASSERT_EQ(std::system(cmd.c_str()), 0);
        runs[k] = readTree(folder);
        fs::remove_all(folder);
    }
    ASSERT_EQ(runs[0].size(), 3u);
    EXPECT_TRUE(runs[0] == runs[1]);
}

TEST(AssetGenerator, ReportsAFolderItCannotWrite) {
    std::string cmd =
        std::string("\"") + ASSETGEN_EXE + "\" /proc/no-such-place/data licences > /dev/null 2>&1";
    EXPECT_NE(std::system(cmd.c_str()), 0);
}

// --- images ----------------------------------------------------------------------------

struct SheetCase {
    const char* file;
    int sheetW, sheetH, frameW, frameH, frames;
};

const SheetCase kSheets[] = {
    {"506/Clusters.png", 512, 512, 64, 64, 64},
    {"506/gfx.png", 252, 252, 36, 36, 49},
    {"common/bandwidth.png", 1024, 512, 64, 64, 128},
    {"common/QUZOLogo.png", 1024, 1024, 32, 32, 1024},
    {"common/QUZOLogo.png", 1024, 1024, 1024, 1024, 1},
    {"common/part-shapefull.png", 128, 128, 32, 32, 16},
    {"common/parts_shape.png", 128, 128, 32, 32, 16},
    {"common/parts_smoke.png", 128, 128, 32, 32, 16},
    {"common/parts_cluster.png", 128, 128, 32, 32, 16},
    {"common/parts_stars.png", 128, 128, 32, 32, 16},
    {"common/Buttons.png", 256, 256, 64, 64, 16},
    {"common/icons.png", 512, 512, 128, 128, 16},
    {"common/circle.png", 512, 512, 256, 256, 4},
    {"506/logo.png", 1024, 512, 1024, 512, 1},
    {"506/menu.png", 2048, 2048, 1024, 1024, 4},
    {"common/options.png", 476, 476, 68, 68, 49},
    {"common/scoreboard.png", 256, 256, 256, 256, 1},
};

TEST(Sheets, EachHasItsSizeAndEveryFrameTheGameUses) {
    for (const SheetCase& c : kSheets) {
        SCOPED_TRACE(c.file);
        Image img = loadImage(c.file);
        ASSERT_TRUE(img.ok()) << "cannot decode";
        EXPECT_EQ(img.w, c.sheetW);
        EXPECT_EQ(img.h, c.sheetH);
        EXPECT_TRUE(framesFit(img.w, img.h, c.frameW, c.frameH, c.frames));
    }
}

TEST(Sheets, FramesTheGameDrawsAreNotEmpty) {
    struct Used {
        const char* file;
        int fw, fh;
        std::vector<int> frames;
    };
    std::vector<int> all16(16), hexes(64);
    for (int i = 0; i < 16; ++i) all16[i] = i;
    for (int i = 0; i < 64; ++i) hexes[i] = i;
    const Used used[] = {
        {"506/Clusters.png", 64, 64, hexes},
        {"506/gfx.png", 36, 36, {0, 1, 2, 3, 7, 8, 9, 10}},
        {"common/part-shapefull.png", 32, 32, all16},
        {"common/parts_shape.png", 32, 32, all16},
        {"common/parts_smoke.png", 32, 32, all16},
        {"common/parts_cluster.png", 32, 32, all16},
        {"common/parts_stars.png", 32, 32, all16},
        {"common/icons.png", 128, 128, {0, 1, 3, 6, 8, 9, 10, 11, 12, 13, 14}},
        {"common/circle.png", 256, 256, {0, 1, 2, 3}},
        {"506/logo.png", 1024, 512, {0}},
        {"506/menu.png", 1024, 1024, {0, 1, 2}},
        {"common/options.png", 68, 68, {0, 1, 2, 3, 4, 5, 47, 48}},
        {"common/scoreboard.png", 256, 256, {0}},
    };
    for (const Used& u : used) {
        Image img = loadImage(u.file);
        ASSERT_TRUE(img.ok()) << u.file;
        for (int f : u.frames) {
            Box b = boxOf(frameOf(img, u.fw, u.fh, f), opaque);
            EXPECT_FALSE(b.empty()) << u.file << " frame " << f;
        }
    }
}

TEST(Sheets, TheBackgroundCoversTheWholeScreen) {
    Image img = loadImage("506/menu.png");
    ASSERT_TRUE(img.ok());
    Frame bg = frameOf(img, 1024, 1024, 0);
    int holes = 0;
    for (int y = 0; y < 1024; ++y)
        for (int x = 0; x < 1024; ++x) holes += bg.alpha(x, y) != 255;
    EXPECT_EQ(holes, 0);
}

// --- the hexes -------------------------------------------------------------------------

std::vector<std::pair<int, int>> solidPixels(const Frame& f) {
    std::vector<std::pair<int, int>> out;
    for (int y = 0; y < f.h; ++y)
        for (int x = 0; x < f.w; ++x)
            if (f.alpha(x, y) >= 250) out.push_back({x, y});
    return out;
}

// Shortest distance between the tile's solid pixels and those of a copy moved by (dx, dy).
float gapTo(const std::vector<std::pair<int, int>>& solid, float dx, float dy) {
    float best = 1e9f;
    for (const auto& [ax, ay] : solid)
        for (const auto& [bx, by] : solid) {
            float ex = bx + dx - ax, ey = by + dy - ay;
            if (std::fabs(ex) > 20 + std::fabs(dx) || std::fabs(ey) > 20 + std::fabs(dy)) continue;
            best = std::min(best, std::sqrt(ex * ex + ey * ey));
        }
    return best - 1; // pixel centres one apart touch
}

float hueOf(const Frame& f) {
    double sx = 0, sy = 0;
    for (int y = 0; y < f.h; ++y)
        for (int x = 0; x < f.w; ++x) {
            const uint8_t* p = f.at(x, y);
            if (p[3] < 250) continue;
            float r = p[0] / 255.0f, g = p[1] / 255.0f, b = p[2] / 255.0f;
            float mx = std::max({r, g, b}), mn = std::min({r, g, b});
            if (mx - mn < 0.25f) continue; // skip whites, greys and dark rims
            float h;
            if (mx == r)
                h = std::fmod((g - b) / (mx - mn) + 6, 6.0f);
            else if (mx == g)
                h = (b - r) / (mx - mn) + 2;
            else
                h = (r - g) / (mx - mn) + 4;
            double a = h * 60 * 3.14159265 / 180;
            sx += std::cos(a);
            sy += std::sin(a);
        }
    double deg = std::atan2(sy, sx) * 180 / 3.14159265;
    return static_cast<float>(deg < 0 ? deg + 360 : deg);
}

float hueDistance(float a, float b) {
    float d = std::fabs(a - b);
    return std::min(d, 360 - d);
}

TEST(Hexes, EveryFrameIsACentredTileInsideItsFrame) {
    Image img = loadImage("506/Clusters.png");
    ASSERT_TRUE(img.ok());
    for (int i = 0; i < 64; ++i) {
        SCOPED_TRACE("frame " + std::to_string(i));
        Frame f = frameOf(img, 64, 64, i);
        Box b = boxOf(f, opaque);
        ASSERT_FALSE(b.empty());
        EXPECT_NEAR(b.cx(), 32, 1.0);
        EXPECT_NEAR(b.cy(), 32, 1.0);
        EXPECT_NEAR(b.width(), 60, 3);  // about 60 wide
        EXPECT_NEAR(b.height(), 56, 3); // and about 54 to 58 tall
        // Nothing touches the frame's edge, so filtering never picks up a neighbour frame.
        for (int k = 0; k < 64; ++k) {
            EXPECT_EQ(f.alpha(k, 0), 0);
            EXPECT_EQ(f.alpha(k, 63), 0);
            EXPECT_EQ(f.alpha(0, k), 0);
            EXPECT_EQ(f.alpha(63, k), 0);
        }
    }
}

TEST(Hexes, NeighboursInTheFieldLeaveAnEvenGap) {
    Image img = loadImage("506/Clusters.png");
    ASSERT_TRUE(img.ok());
    auto solid = solidPixels(frameOf(img, 64, 64, 8));
    float vertical = gapTo(solid, 0, 64);
    float diagonal = gapTo(solid, 47.5f, 32);
    EXPECT_GT(vertical, 2);
    EXPECT_GT(diagonal, 2);
    EXPECT_LT(vertical, 14);
    EXPECT_NEAR(vertical, diagonal, 2.0);
}

TEST(Hexes, PlayColoursAreDistinctAndVariantsKeepTheirHue) {
    Image img = loadImage("506/Clusters.png");
    ASSERT_TRUE(img.ok());
    const int rows[4] = {1, 3, 5, 7};
    float hue[4];
    for (int k = 0; k < 4; ++k) {
        hue[k] = hueOf(frameOf(img, 64, 64, 8 * rows[k]));
        for (int v = 1; v < 8; ++v)
            EXPECT_LT(hueDistance(hue[k], hueOf(frameOf(img, 64, 64, 8 * rows[k] + v))), 12)
                << "row " << rows[k] << " variant " << v;
    }
    for (int a = 0; a < 4; ++a)
        for (int b = a + 1; b < 4; ++b)
            EXPECT_GT(hueDistance(hue[a], hue[b]), 40) << "rows " << rows[a] << " and " << rows[b];
}

TEST(Hexes, EachPlayColourCarriesItsOwnEmblem) {
    // The emblem is the bright, nearly white shape in the middle of the tile; compare its
    // silhouettes between the colours.
    Image img = loadImage("506/Clusters.png");
    ASSERT_TRUE(img.ok());
    const int rows[4] = {1, 3, 5, 7};
    std::vector<std::vector<bool>> shapes;
    for (int r : rows) {
        Frame f = frameOf(img, 64, 64, 8 * r);
        std::vector<bool> s;
        for (int y = 18; y < 46; ++y)
            for (int x = 18; x < 46; ++x) {
                const uint8_t* p = f.at(x, y);
                int mn = std::min({p[0], p[1], p[2]});
                s.push_back(mn > 200);
            }
        shapes.push_back(s);
    }
    for (size_t a = 0; a < shapes.size(); ++a) {
        EXPECT_GT(std::count(shapes[a].begin(), shapes[a].end(), true), 60) << "row " << rows[a];
        for (size_t b = a + 1; b < shapes.size(); ++b) {
            int differ = 0;
            for (size_t i = 0; i < shapes[a].size(); ++i) differ += shapes[a][i] != shapes[b][i];
            EXPECT_GT(differ, 40) << "rows " << rows[a] << " and " << rows[b];
        }
    }
}

// --- the figure ------------------------------------------------------------------------

TEST(Figure, StandsOnItsFloorRowAndAnimates) {
    Image img = loadImage("506/gfx.png");
    ASSERT_TRUE(img.ok());
    for (int f : {0, 1, 2, 3, 7, 8, 9, 10}) {
        SCOPED_TRACE("frame " + std::to_string(f));
        Frame fr = frameOf(img, 36, 36, f);
        Box b = boxOf(fr, opaque);
        ASSERT_FALSE(b.empty());
        EXPECT_GE(b.y1, 33); // feet near row 34
        EXPECT_LE(b.y1, 35);
        EXPECT_NEAR(b.cx(), 18, 4);
        if (f >= 7) {
            EXPECT_LE(b.y0, 21) << "hands reach up to the carried hex";
        }
    }
    // A run cycle: the four frames differ from each other.
    for (int base : {0, 7})
        for (int a = 0; a < 4; ++a)
            for (int b = a + 1; b < 4; ++b) {
                Frame fa = frameOf(img, 36, 36, base + a), fb = frameOf(img, 36, 36, base + b);
                int differ = 0;
                for (int y = 0; y < 36; ++y)
                    for (int x = 0; x < 36; ++x)
                        differ += std::abs(fa.alpha(x, y) - fb.alpha(x, y)) > 64;
                EXPECT_GT(differ, 4) << "frames " << base + a << " and " << base + b;
            }
}

// --- the font sheet --------------------------------------------------------------------

// The text layout's advance per character, as the game's text walk uses it.
int advance(int c) {
    switch (c) {
    case ' ':
        return 24;
    case '!':
    case '\'':
    case ',':
    case '.':
    case ':':
    case ';':
    case '`':
    case 'l':
    case '|':
        return 9;
    case '"':
        return 17;
    case '(':
    case ')':
    case '[':
    case ']':
        return 15;
    case '*':
        return 23;
    case 'i':
        return 11;
    case 'j':
    case '{':
    case '}':
        return 18;
    default:
        return 22;
    }
}

bool whiteBody(const uint8_t* p) {
    return p[3] >= 200 && std::min({p[0], p[1], p[2]}) >= 170;
}
bool darkOutline(const uint8_t* p) {
    return p[3] >= 200 && std::max({p[0], p[1], p[2]}) <= 60;
}

TEST(Font, GlyphsSitOnTheTextLayoutsPen) {
    Image img = loadImage("common/bandwidth.png");
    ASSERT_TRUE(img.ok());
    // Glyph c is centred on its cell's centre; the next glyph's centre is advance(c) further.
    // With each glyph's white ink centred in [pen, pen + advance] for a pen 11 pixels left of
    // the centre, neighbours never overlap and gaps are even.
    for (int c = 33; c <= 126; ++c) {
        SCOPED_TRACE(std::string("character ") + static_cast<char>(c));
        Frame f = frameOf(img, 64, 64, c - 32);
        Box body = boxOf(f, whiteBody);
        ASSERT_FALSE(body.empty());
        EXPECT_FALSE(boxOf(f, darkOutline).empty()) << "no dark outline";
        int k = advance(c);
        EXPECT_LE(body.width(), k) << "wider than its advance";
        EXPECT_NEAR(body.cx(), 21 + k / 2.0f, 1.5);
        EXPECT_GT(body.y0, 4);
        EXPECT_LT(body.y1, 60);
    }
    Box space = boxOf(frameOf(img, 64, 64, 0), opaque);
    EXPECT_TRUE(space.empty());
}

TEST(Font, CapitalsShareOneHeightCentredInTheCell) {
    Image img = loadImage("common/bandwidth.png");
    ASSERT_TRUE(img.ok());
    for (int c : {'A', 'E', 'H', 'M', 'T', 'W', 'Z'}) {
        Box b = boxOf(frameOf(img, 64, 64, c - 32), whiteBody);
        ASSERT_FALSE(b.empty());
        EXPECT_NEAR(b.cy(), 32, 1.5) << static_cast<char>(c);
        EXPECT_NEAR(b.height(), 23, 3) << static_cast<char>(c); // about 20 px wide, legible
    }
}

TEST(Font, ButtonIconsFillTheirCells) {
    Image img = loadImage("common/bandwidth.png");
    ASSERT_TRUE(img.ok());
    for (int frame = 96; frame <= 126; ++frame) {
        if (frame == 111) continue;
        Box b = boxOf(frameOf(img, 64, 64, frame), opaque);
        ASSERT_FALSE(b.empty()) << "frame " << frame;
        EXPECT_GT(b.width(), 24) << "frame " << frame;
        EXPECT_LE(b.x1, 63);
    }
}

TEST(Font, DefaultFontHas96GlyphsWithClearBorders) {
    Image img = loadImage("zuvo_font.png");
    ASSERT_TRUE(img.ok());
    ASSERT_EQ(img.w % 96, 0);
    int fw = img.w / 96;
    for (int i = 0; i < 96; ++i) {
        Frame f = frameOf(img, fw, img.h, i);
        for (int y = 0; y < img.h; ++y) {
            EXPECT_EQ(f.alpha(0, y), 0) << "glyph " << i;
            EXPECT_EQ(f.alpha(fw - 1, y), 0) << "glyph " << i;
        }
        bool printable = i >= 1 && i <= 94;
        EXPECT_EQ(boxOf(f, opaque).empty(), !printable) << "glyph " << i;
    }
}

TEST(Options, BackgroundTileRepeatsWithoutSeams) {
    // Drawn in a grid every 64 units: the 68-pixel frame keeps a clear two-pixel border and its
    // inner 64 pixels continue across their own edges.
    Image img = loadImage("common/options.png");
    ASSERT_TRUE(img.ok());
    Frame f = frameOf(img, 68, 68, 48);
    for (int k = 0; k < 68; ++k)
        for (int b : {0, 1, 66, 67}) {
            EXPECT_EQ(f.alpha(k, b), 0);
            EXPECT_EQ(f.alpha(b, k), 0);
        }
    auto a = [&](int x, int y) {
        return f.alpha(2 + ((x % 64) + 64) % 64, 2 + ((y % 64) + 64) % 64);
    };
    double inside = 0, seam = 0;
    for (int y = 0; y < 64; ++y) {
        for (int x = 0; x < 63; ++x)
            inside += std::abs(a(x + 1, y) - a(x, y)) + std::abs(a(y, x + 1) - a(y, x));
        seam += std::abs(a(0, y) - a(63, y)) + std::abs(a(y, 0) - a(y, 63));
    }
    inside /= 63;
    EXPECT_GT(inside, 0) << "the tile shows a pattern";
    EXPECT_LE(seam, inside * 2.5 + 64);
}

// --- sounds ----------------------------------------------------------------------------

uint32_t u32(const std::vector<uint8_t>& b, size_t at) {
    return b[at] | b[at + 1] << 8 | b[at + 2] << 16 | static_cast<uint32_t>(b[at + 3]) << 24;
}
uint16_t u16(const std::vector<uint8_t>& b, size_t at) {
    return static_cast<uint16_t>(b[at] | b[at + 1] << 8);
}
std::string tag(const std::vector<uint8_t>& b, size_t at) {
    return std::string(b.begin() + at, b.begin() + at + 4);
}

struct Pcm {
    std::vector<int16_t> samples;
    int rate = 0, channels = 0;
};

// Reads the WAV the way the game's reader does: RIFF, WAVE, the format chunk first, then
// chunks up to "data".
Pcm readWav(const std::string& rel) {
    Pcm out;
    std::vector<uint8_t> b = readFile(kData + "/" + rel);
    EXPECT_GE(b.size(), 44u) << rel;
    if (b.size() < 44) return out;
    EXPECT_EQ(tag(b, 0), "RIFF");
    EXPECT_EQ(u32(b, 4), b.size() - 8);
    EXPECT_EQ(tag(b, 8), "WAVE");
    EXPECT_EQ(tag(b, 12), "fmt ");
    uint32_t fmtSize = u32(b, 16);
    EXPECT_EQ(u16(b, 20), 1) << "PCM";
    out.channels = u16(b, 22);
    out.rate = static_cast<int>(u32(b, 24));
    EXPECT_EQ(u32(b, 28), static_cast<uint32_t>(out.rate * out.channels * 2)) << "byte rate";
    EXPECT_EQ(u16(b, 32), out.channels * 2) << "block alignment";
    EXPECT_EQ(u16(b, 34), 16) << "bits per sample";
    size_t at = 20 + fmtSize;
    while (at + 8 <= b.size()) {
        std::string t = tag(b, at);
        uint32_t size = u32(b, at + 4);
        at += 8;
        if (t == "data") {
            EXPECT_EQ(at + size, b.size()) << "data runs to the end of the file";
            for (size_t i = at; i + 1 < at + size && i + 1 < b.size(); i += 2)
                out.samples.push_back(static_cast<int16_t>(u16(b, i)));
            return out;
        }
        at += size;
    }
    ADD_FAILURE() << rel << ": no data chunk";
    return out;
}

double loudestWindowDb(const std::vector<int16_t>& s, int channels, int rate) {
    size_t w = static_cast<size_t>(rate * 0.05) * channels;
    double sum = 0, best = 0;
    for (size_t i = 0; i < s.size(); ++i) {
        sum += static_cast<double>(s[i]) * s[i];
        if (i >= w) sum -= static_cast<double>(s[i - w]) * s[i - w];
        best = std::max(best, sum);
    }
    return 20 * std::log10(std::sqrt(best / std::min(w, s.size())) / 32768.0 + 1e-12);
}

int peakOf(const std::vector<int16_t>& s) {
    int p = 0;
    for (int16_t v : s) p = std::max(p, std::abs(static_cast<int>(v)));
    return p;
}

constexpr int kMinus1dB = 29204; // 32768 · 10^(−1/20)

TEST(Sounds, EffectsAreShortCleanMonoPcmOfSimilarLoudness) {
    struct Effect {
        const char* file;
        double maxSeconds;
    };
    const Effect effects[] = {
        {"506/sfx/001.wav", 1.5}, {"506/sfx/002.wav", 1.5}, {"506/sfx/003.wav", 1.5},
        {"506/sfx/004.wav", 1.5}, {"506/sfx/005.wav", 1.5}, {"common/096.wav", 2.5},
        {"common/098.wav", 1.5},  {"common/099.wav", 1.5},
    };
    std::vector<double> loudness;
    for (const Effect& e : effects) {
        SCOPED_TRACE(e.file);
        Pcm p = readWav(e.file);
        ASSERT_FALSE(p.samples.empty());
        EXPECT_EQ(p.channels, 1);
        EXPECT_EQ(p.rate, 44100);
        EXPECT_LE(p.samples.size(), static_cast<size_t>(e.maxSeconds * 44100));
        EXPECT_LE(peakOf(p.samples), kMinus1dB);
        // No click: the sound starts and ends at silence and fades in and out over the first
        // and last half millisecond instead of jumping.
        int limit = peakOf(p.samples) * 3 / 10;
        EXPECT_LE(std::abs(p.samples.front()), 64);
        EXPECT_LE(std::abs(p.samples.back()), 64);
        for (size_t i = 0; i < 22; ++i) {
            EXPECT_LE(std::abs(p.samples[i]), limit) << "start " << i;
            EXPECT_LE(std::abs(p.samples[p.samples.size() - 1 - i]), limit) << "end " << i;
        }
        loudness.push_back(loudestWindowDb(p.samples, 1, p.rate));
    }
    std::vector<double> sorted = loudness;
    std::sort(sorted.begin(), sorted.end());
    double median = sorted[sorted.size() / 2];
    for (size_t i = 0; i < loudness.size(); ++i) {
        EXPECT_GT(loudness[i], -30) << effects[i].file << " is nearly silent";
        EXPECT_NEAR(loudness[i], median, 4.0) << effects[i].file;
    }
}

TEST(Sounds, TheTuneIsALoopOfOneToOneAndAQuarterMinutesInStereo) {
    int error = 0;
    stb_vorbis* v =
        stb_vorbis_open_filename((kData + "/506/sfx/Days.ogg").c_str(), &error, nullptr);
    ASSERT_NE(v, nullptr) << "stb_vorbis error " << error;
    stb_vorbis_info info = stb_vorbis_get_info(v);
    EXPECT_EQ(info.channels, 2);
    EXPECT_EQ(info.sample_rate, 44100u);
    std::vector<int16_t> pcm;
    std::vector<short> buf(2 * 4096);
    for (;;) {
        int n =
            stb_vorbis_get_frame_short_interleaved(v, 2, buf.data(), static_cast<int>(buf.size()));
        if (n == 0) break;
        pcm.insert(pcm.end(), buf.begin(), buf.begin() + 2 * n);
    }
    stb_vorbis_close(v);
    size_t frames = pcm.size() / 2;
    EXPECT_GE(frames, 60u * 44100);
    EXPECT_LE(frames, 75u * 44100);
    EXPECT_LE(peakOf(pcm), kMinus1dB);
    // Played in a loop the end runs straight into the start: no silent gap at either end and
    // no jump between the last and the first sample larger than the music's own steps.
    std::vector<int16_t> head(pcm.begin(), pcm.begin() + 2 * 4410),
        tail(pcm.end() - 2 * 4410, pcm.end());
    EXPECT_GT(loudestWindowDb(head, 2, 44100), -40);
    EXPECT_GT(loudestWindowDb(tail, 2, 44100), -40);
    for (int ch = 0; ch < 2; ++ch) {
        double sum = 0;
        for (size_t i = 1; i < frames; ++i) {
            double d = pcm[2 * i + ch] - pcm[2 * (i - 1) + ch];
            sum += d * d;
        }
        double rmsStep = std::sqrt(sum / (frames - 1));
        double seam = std::abs(pcm[ch] - pcm[2 * (frames - 1) + ch]);
        EXPECT_LE(seam, 4 * rmsStep + 64) << "channel " << ch;
    }
}

TEST(Licences, TheFontLicenceShipsWithTheData) {
    std::vector<uint8_t> b = readFile(kData + "/LICENSES");
    std::string text(b.begin(), b.end());
    EXPECT_NE(text.find("DejaVu"), std::string::npos);
    EXPECT_NE(text.find("Bitstream Vera"), std::string::npos);
    EXPECT_NE(text.find("Permission is hereby granted"), std::string::npos);
}

} // namespace
