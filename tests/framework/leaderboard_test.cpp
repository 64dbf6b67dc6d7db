// The score scrambling: the table derived from the key text and the game number, and the
// payload scrambled with it.
#include "framework/leaderboard.h"
#include "tests/framework/framework_support.h"

#include <climits>
#include <string>

namespace {

using hexwend::testing::FrameworkTest;

class ScrambleTest : public FrameworkTest {};

std::string utf8(const String& s) {
    return s.ToUtf8();
}

TEST_F(ScrambleTest, TheTableComesFromTheKeyTextAndTheGameNumber) {
    rt_quzo_SetGameNumber(1);
    rt_quzo_SetKeyword(String("ab"));
    // (i + key character + game number) mod 92, the key repeating: 'a' 97, 'b' 98.
    EXPECT_EQ(rt_quzo_QUZO_Scramble[0], 6);
    EXPECT_EQ(rt_quzo_QUZO_Scramble[1], 8);
    EXPECT_EQ(rt_quzo_QUZO_Scramble[2], 8);
    EXPECT_EQ(rt_quzo_QUZO_Scramble[63], (63 + 98 + 1) % 92);
}

TEST_F(ScrambleTest, WithoutAKeyOrAGameNumberTheTableStaysAsItIs) {
    rt_quzo_SetKeyword(String("ab")); // game number still 0
    EXPECT_EQ(rt_quzo_QUZO_Scramble[0], 0);
    rt_quzo_SetGameNumber(7);
    int before = rt_quzo_QUZO_Scramble[5];
    EXPECT_NE(before, 0);
    rt_quzo_SetKeyword(String());
    EXPECT_EQ(rt_quzo_QUZO_Scramble[5], before);
}

TEST_F(ScrambleTest, TheGameNumberIsKeptNonNegative) {
    struct Case {
        int given, kept;
    } cases[] = {{506, 506}, {-506, 506}, {0, 0}, {INT_MIN, 0}};
    for (const Case& c : cases) {
        rt_quzo_SetGameNumber(c.given);
        EXPECT_EQ(rt_quzo_QUZO_GameNum, c.kept) << c.given;
    }
}

TEST_F(ScrambleTest, ThePayloadRunsThroughTheTableAndStaysPrintable) {
    rt_quzo_SetGameNumber(1);
    rt_quzo_SetKeyword(String("ab"));
    // s: 6, 14, 22; 'A' → (6 + 33) + 32, 'B' → (14 + 34) + 32, '~' counts as a space.
    EXPECT_EQ(utf8(rt_quzo_Scramble(String("AB~"))), "GP6");
    EXPECT_EQ(rt_quzo_Scramble(String()).Length(), 0);

    rt_quzo_SetGameNumber(506);
    rt_quzo_SetKeyword(String("Rocks drop in rows. Guard each one"));
    String text(u"Name|12345|\u00e9\u20ac|{}~");
    String out = rt_quzo_Scramble(text);
    ASSERT_EQ(out.Length(), text.Length());
    for (int i = 0; i < out.Length(); ++i) {
        EXPECT_GE(out[i], 32);
        EXPECT_LE(out[i], 123);
    }
}

TEST_F(ScrambleTest, UntilTheTableIsBuiltScramblingOnlyTurnsStrangeCharactersIntoSpaces) {
    // Start-up leaves the table all zeros; a key text alone does not build it.
    rt_quzo_SetKeyword(String("Rocks drop in rows. Guard each one"));
    struct Case {
        const char16_t* text;
        const char* scrambled;
    };
    const Case cases[] = {
        {u"", ""},
        {u" 09AZaz{", " 09AZaz{"},
        {u"|}~\u007f\t\u00e9\u20ac", "       "},
        {u"Bob|{", "Bob {"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(utf8(rt_quzo_Scramble(String(c.text))), c.scrambled) << c.scrambled;
    }
}

} // namespace
