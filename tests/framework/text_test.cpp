// Bitmap text: layout, alignment, rotation, line breaks, icon escapes, culling, and the three
// string helpers.
#include "tests/framework/framework_support.h"

#include <cmath>
#include <string>
#include <vector>

namespace hexwend::testing {
namespace {

using ::testing::ElementsAre;

struct Glyph {
    int frame;
    float x, y;
};

bool operator==(const Glyph& a, const Glyph& b) {
    return a.frame == b.frame && std::fabs(a.x - b.x) < 1e-3f && std::fabs(a.y - b.y) < 1e-3f;
}

void PrintTo(const Glyph& g, std::ostream* os) {
    *os << "glyph " << g.frame << " at (" << g.x << ", " << g.y << ")";
}

class TextTest : public FrameworkTest {
  protected:
    void SetUp() override {
        FrameworkTest::SetUp();
        // The font needs no image to be laid out and recorded.
        rt_quzo_QUZO_Font = 99;
        rt_quzo_QUZO_ImgD[99] = 128;
    }

    // The glyphs recorded so far, in order.
    std::vector<Glyph> glyphs() {
        std::vector<Glyph> out;
        for (int i = 0; i < rt_quzo_Sprtup; ++i) {
            Record r = drawRecord(i);
            EXPECT_EQ(r.kind(), 1);
            EXPECT_EQ(r.slot(), 99);
            out.push_back({r.frame(), r.x(), r.y()});
        }
        return out;
    }

    // The single glyph of an escape at (100, 50).
    int iconOf(char letter) {
        rt_quzo_Sprtup = 0;
        const String::Char text[] = {172, String::Char(letter)};
        rt_quzo_Text(100, 50, String(text, 2), 0, 1, 0, 0);
        auto g = glyphs();
        return g.size() == 1 ? g[0].frame : -1;
    }
};

TEST_F(TextTest, TwoLettersFromTheLeft) {
    EXPECT_EQ(rt_quzo_Text(100, 50, "AB", 0, 1, 0, 0), 168);
    EXPECT_THAT(glyphs(), ElementsAre(Glyph{33, 124, 50}, Glyph{34, 146, 50}));
}

TEST_F(TextTest, AlignmentMovesTheStart) {
    rt_quzo_Text(100, 50, "AB", 1, 1, 0, 0);
    EXPECT_THAT(glyphs(), ElementsAre(Glyph{33, 101, 50}, Glyph{34, 123, 50}));

    rt_quzo_Sprtup = 0;
    rt_quzo_Text(100, 50, "AB", 2, 1, 0, 0);
    EXPECT_NEAR(glyphs()[0].x, 100 - 46 + 24, 1e-3);

    rt_quzo_Sprtup = 0;
    rt_quzo_SetSize(0.5f, 0.5f);
    rt_quzo_Text(100, 50, "AB", 0, 0, 0, 0);
    EXPECT_THAT(glyphs(), ElementsAre(Glyph{33, 112, 61}, Glyph{34, 123, 61}));

    rt_quzo_Sprtup = 0;
    rt_quzo_SetSize(1, 1);
    rt_quzo_Text(100, 50, "AB", 0, 2, 0, 0);
    EXPECT_NEAR(glyphs()[0].y, 28, 1e-3);
}

TEST_F(TextTest, WidthUsesTheAdvanceTableAndTheSize) {
    // W counts the leading space and every character but the last, truncated after each one:
    // at size 1.5 " il" is trunc(trunc(36) + 16.5) = 52.
    rt_quzo_SetSize(1.5f, 1.5f);
    rt_quzo_Text(400, 50, "il", 2, 1, 0, 0);
    EXPECT_NEAR(glyphs()[0].x, 400 - 52 + 36, 1e-3);
}

TEST_F(TextTest, EmptyText) {
    EXPECT_EQ(rt_quzo_Text(100.7f, 50, "", 0, 1, 0, 0), 124);
    EXPECT_EQ(rt_quzo_Sprtup, 0);
    rt_quzo_SetSize(2, 2);
    EXPECT_EQ(rt_quzo_Text(100, 50, "", 0, 1, 0, 0), 148);
}

TEST_F(TextTest, LineBreak) {
    EXPECT_EQ(rt_quzo_Text(100, 50, "A\\nB", 0, 1, 0, 0), 160);
    EXPECT_THAT(glyphs(), ElementsAre(Glyph{33, 124, 50}, Glyph{34, 138, 88}));

    // A second break moves down again; every line starts at the same x.
    rt_quzo_Sprtup = 0;
    rt_quzo_SetSize(0.5f, 2);
    rt_quzo_Text(100, 50, "A\\nB\\nC", 0, 1, 0, 0);
    EXPECT_THAT(glyphs(),
                ElementsAre(Glyph{33, 112, 50}, Glyph{34, 119, 126}, Glyph{35, 119, 202}));

    // A backslash without n is an ordinary glyph.
    rt_quzo_Sprtup = 0;
    rt_quzo_SetSize(1, 1);
    rt_quzo_Text(100, 50, "\\x", 0, 1, 0, 0);
    EXPECT_THAT(glyphs(), ElementsAre(Glyph{'\\' - 32, 124, 50}, Glyph{'x' - 32, 146, 50}));
}

TEST_F(TextTest, RotatedTextRunsUpward) {
    rt_quzo_SetRot(90);
    int end = rt_quzo_Text(300, 200, "AB", 0, 1, 0, 0);
    EXPECT_THAT(glyphs(), ElementsAre(Glyph{33, 300, 183}, Glyph{34, 300, 168}));
    EXPECT_EQ(end, 300);
    EXPECT_EQ(drawRecord(0).rotation(), 90.0f) << "glyphs turn with the text";

    // Centred rotated text is centred along the direction of writing.
    rt_quzo_Sprtup = 0;
    rt_quzo_Text(300, 200, "AB", 1, 1, 0, 0);
    EXPECT_THAT(glyphs(), ElementsAre(Glyph{33, 300, 206}, Glyph{34, 300, 191}));
}

TEST_F(TextTest, IconEscapes) {
    struct Case {
        char letter;
        int base;
    };
    const Case cases[] = {{'A', 107}, {'D', 108}, {'E', 103}, {'F', 104}, {'I', 99},
                          {'J', 96},  {'K', 97},  {'L', 98},  {'O', 101}, {'Q', 102},
                          {'S', 106}, {'U', 100}, {'W', 105}, {'9', '9'}};
    // Mode 0 shows the second icon set and never blinks; mode 1 outside the blink phase
    // (milliseconds 200 ... 499 of every 500) shows the first.
    game.system().now = 0.25;
    for (const Case& c : cases) {
        rt_quzo_KeyPadMouse = 0;
        EXPECT_EQ(iconOf(c.letter), c.base + 16) << c.letter;
        rt_quzo_KeyPadMouse = 1;
        EXPECT_EQ(iconOf(c.letter), c.base) << c.letter;
    }
}

TEST_F(TextTest, IconsBlinkFor200OfEvery500Milliseconds) {
    struct Case {
        char letter;
        int base, blink;
    };
    const Case cases[] = {{'A', 107, 104}, {'I', 99, 109}, {'O', 101, 110}, {'E', 103, 103}};
    for (const Case& c : cases) {
        for (int mode : {0, 1}) {
            rt_quzo_KeyPadMouse = mode;
            int base = 0, blink = 0;
            for (int ms = 0; ms < 1000; ++ms) {
                game.system().now = (ms + 0.5) / 1000.0;
                int g = iconOf(c.letter);
                base += g == (mode == 0 ? c.base + 16 : c.base);
                blink += g == c.blink;
            }
            if (mode == 0) {
                EXPECT_EQ(base, 1000) << c.letter;
            } else if (c.blink == c.base) {
                EXPECT_EQ(base, 1000) << c.letter << " has no blink icon";
            } else {
                EXPECT_EQ(base, 600) << c.letter;
                EXPECT_EQ(blink, 400) << c.letter;
            }
        }
    }
}

TEST_F(TextTest, IconsAdvance56ButCount30InTheWidth) {
    const String::Char text[] = {'A', 172, 'A', 'B'};
    rt_quzo_KeyPadMouse = 0;
    // Width: space 24 + A 22 + icon 30 (B, the last character, is not counted).
    int end = rt_quzo_Text(200, 50, String(text, 4), 2, 1, 0, 0);
    float start = 200 - 76;
    EXPECT_THAT(glyphs(), ElementsAre(Glyph{33, start + 24, 50}, Glyph{123, start + 46, 50},
                                      Glyph{34, start + 102, 50}));
    EXPECT_EQ(end, int(start + 124));

    // An escape with nothing after it shows nothing.
    rt_quzo_Sprtup = 0;
    const String::Char last[] = {'A', 172};
    rt_quzo_Text(200, 50, String(last, 2), 0, 1, 0, 0);
    EXPECT_EQ(rt_quzo_Sprtup, 1);
}

TEST_F(TextTest, CharactersOutsideTheTable) {
    // 130 has a glyph but no advance; 150 draws glyph 118 with advance 28; a control
    // character only advances by 28; character 0 is skipped without advancing.
    const String::Char text[] = {130, 'A', 150, 10, 'B', 0, 'C', 200};
    int end = rt_quzo_Text(100, 50, String(text, 8), 0, 1, 0, 0);
    EXPECT_THAT(glyphs(), ElementsAre(Glyph{98, 124, 50}, Glyph{33, 124, 50}, Glyph{118, 146, 50},
                                      Glyph{34, 202, 50}, Glyph{35, 224, 50}));
    EXPECT_EQ(end, 274);
}

TEST_F(TextTest, GlyphsFarOffScreenAreNotRecorded) {
    // 800 x 600: glyphs are kept while -128 < x < 928.
    int end = rt_quzo_Text(-200, 50, "ABCDEFGHIJ", 0, 1, 0, 0);
    std::vector<Glyph> g = glyphs();
    ASSERT_EQ(g.size(), 7u);
    EXPECT_EQ(g[0], (Glyph{36, -110, 50}));
    EXPECT_EQ(end, -200 + 24 + 220);

    rt_quzo_Sprtup = 0;
    rt_quzo_Text(850, 727, "ABCDEF", 0, 1, 0, 0);
    EXPECT_EQ(rt_quzo_Sprtup, 3) << "only the glyphs left of 928";
    rt_quzo_Sprtup = 0;
    rt_quzo_Text(100, 728, "AB", 0, 1, 0, 0);
    EXPECT_EQ(rt_quzo_Sprtup, 0);
}

TEST_F(TextTest, Wave) {
    rt_quzo_Text(100, 50, "AB", 0, 1, 30, 10);
    std::vector<Glyph> g = glyphs();
    ASSERT_EQ(g.size(), 2u);
    EXPECT_NEAR(g[0].y, 50 + 10 * std::sin((124 / 2.0 + 30) * 3.14159265 / 180), 1e-3);
    EXPECT_NEAR(g[1].y, 50 + 10 * std::sin((146 / 2.0 + 30) * 3.14159265 / 180), 1e-3);
    EXPECT_EQ(g[0].x, 124.0f);

    // A wave of amplitude 0 or less is no wave.
    rt_quzo_Sprtup = 0;
    rt_quzo_Text(100, 50, "AB", 0, 1, 30, -10);
    EXPECT_EQ(glyphs()[0].y, 50.0f);
}

TEST_F(TextTest, WithoutAFontOrWithAnUndrawableOne) {
    rt_quzo_QUZO_Font = 0;
    EXPECT_EQ(rt_quzo_Text(100, 50, "AB", 0, 1, 0, 0), 0);
    EXPECT_EQ(rt_quzo_Sprtup, 0);
    rt_quzo_QUZO_Font = 120;
    EXPECT_EQ(rt_quzo_Text(100, 50, "AB", 0, 1, 0, 0), 168);
    EXPECT_EQ(rt_quzo_Sprtup, 0);
}

TEST_F(TextTest, FullBufferDropsGlyphsButNotTheLayout) {
    rt_quzo_Sprtup = 5000;
    EXPECT_EQ(rt_quzo_Text(100, 50, "AB", 0, 1, 0, 0), 168);
    EXPECT_EQ(rt_quzo_Sprtup, 5001);
    EXPECT_EQ(drawRecord(5000).frame(), 33);
}

TEST_F(TextTest, GlyphsTakeTheStyle) {
    rt_quzo_SetCol(10, 20, 30, 0.5f);
    rt_quzo_SetSize(2, 3);
    rt_quzo_Text(100, 50, "A", 0, 1, 0, 0);
    Record r = drawRecord(0);
    EXPECT_THAT(std::vector<float>(r.f, r.f + 7), ElementsAre(0.5f, 10, 20, 30, 2, 3, 0));
    EXPECT_EQ(r.x(), 148.0f);
}

TEST_F(TextTest, LoadFontWithoutTheFile) {
    rt_quzo_LoadFont(98, "missing");
    EXPECT_EQ(rt_quzo_QUZO_Font, 98);
    EXPECT_EQ(rt_quzo_QUZO_ImgD[98], 128);
    EXPECT_EQ(rt_quzo_QUZO_Img[98], nullptr);
    EXPECT_EQ(rt_quzo_QUZO_ImgW[98], 0.0f);
}

TEST_F(TextTest, DebugModeWritesTheStatisticsLine) {
    rt_quzo_QUZO_DebugMode = 1;
    rt_quzo_QUZO_Data[1] = 60.7f;
    rt_quzo_QUZO_Data[2] = 59;
    rt_quzo_QUZO_Data[3] = 123;
    rt_quzo_SetRot(30);
    rt_quzo_Buffer();
    // Half size, no rotation, from (16, jscrh - 32) with the glyph centres 11 lower; published
    // since it makes enough records.
    const std::string line = "Update 60 - Render 59 (123 sprites)";
    std::vector<int> frames;
    for (char c : line) {
        if (c != ' ') frames.push_back(c - 32);
    }
    ASSERT_EQ(rt_quzo_Bufferup, int(frames.size()));
    for (int i = 0; i < rt_quzo_Bufferup; ++i) {
        EXPECT_EQ(bufferRecord(i).frame(), frames[size_t(i)]) << i;
        EXPECT_EQ(bufferRecord(i).sizeX(), 0.5f);
        EXPECT_EQ(bufferRecord(i).rotation(), 0.0f);
        EXPECT_EQ(bufferRecord(i).y(), 579.0f);
    }
    EXPECT_EQ(bufferRecord(0).x(), 28.0f);

    // Without a font there is nothing to write.
    rt_quzo_QUZO_Font = 0;
    rt_quzo_Buffer();
    EXPECT_EQ(rt_quzo_Sprtup, 0);
}

TEST(TextHelpers, RightAlignedField) {
    struct Case {
        const char* text;
        int n;
        const char* pad;
        const char* expected;
    };
    const Case cases[] = {
        {"42", 5, "0", "00042"},
        {"123456", 4, "0", "3456"},
        {"7", 1, " ", "7"},
        {"7", 0, "0", ""},
        {"7", -3, "0", ""},
        {"ab", 6, "xy", "xyxyab"},
        // At most 24 pads are there to fill the field.
        {"9", 40, "0", "0000000000000000000000009"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(rt_quzo_rstr(c.text, c.n, c.pad), String(c.expected))
            << c.text << ", " << c.n << ", " << c.pad;
    }
}

TEST(TextHelpers, LeftAndRight) {
    struct Case {
        bool left;
        int n;
        const char* expected;
    };
    const Case cases[] = {
        {true, 3, "HEL"},   {true, -2, "HEL"}, {true, 9, "HELLO"},  {true, 0, ""},
        {true, -9, ""},     {false, 2, "LO"},  {false, 9, "HELLO"}, {false, 0, "HELLO"},
        {false, -2, "LLO"}, {false, -9, ""},
    };
    for (const Case& c : cases) {
        String got = c.left ? rt_quzo_Left("HELLO", c.n) : rt_quzo_Right("HELLO", c.n);
        EXPECT_EQ(got, String(c.expected)) << (c.left ? "Left " : "Right ") << c.n;
    }
}

} // namespace
} // namespace hexwend::testing
