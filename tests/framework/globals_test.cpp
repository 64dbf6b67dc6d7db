// The framework's module globals: start-up values, collector roots, and reset by a second
// start-up.
#include "tests/framework/framework_support.h"

#include <string>
#include <vector>

namespace hexwend::testing {
namespace {

using GlobalsTest = FrameworkTest;

TEST_F(GlobalsTest, ArraysHaveTheirSizesAndStartEmpty) {
    struct Case {
        const char* name;
        int length;
        int actual;
    };
    const Case cases[] = {
        {"Scramble", 64, rt_quzo_QUZO_Scramble.Length()},
        {"DrawStyle", 50, rt_quzo_QUZO_DrawStyle.Length()},
        {"Data", 50, rt_quzo_QUZO_Data.Length()},
        {"Draw", 150000, rt_quzo_QUZO_Draw.Length()},
        {"Buffer", 150000, rt_quzo_QUZO_Buffer.Length()},
        {"Set", 256, rt_quzo_QUZO_Set.Length()},
        {"Username", 16, rt_quzo_QUZO_Username.Length()},
        {"Score", 10000, rt_quzo_QUZO_Score.Length()},
        {"OnScore", 10000, rt_quzo_QUZO_OnScore.Length()},
        {"OnName", 10000, rt_quzo_QUZO_OnName.Length()},
        {"kdis", 50, rt_quzo_kdis.Length()},
        {"mdis", 50, rt_quzo_mdis.Length()},
        {"MenuPos", 50, rt_quzo_QUZO_MenuPos.Length()},
        {"grid", 5500000, rt_quzo_grid.Length()},
        {"plr", 1024, rt_quzo_plr.Length()},
        {"obj", 10240, rt_quzo_obj.Length()},
        {"part", 2600, rt_quzo_part.Length()},
        {"astar", 2600, rt_quzo_astar.Length()},
        {"Cred", 1024, rt_quzo_QUZO_Cred.Length()},
        {"Joy_Disable", 10, rt_quzo_Joy_Disable.Length()},
        {"ImgD", 150, rt_quzo_QUZO_ImgD.Length()},
        {"ImgW", 150, rt_quzo_QUZO_ImgW.Length()},
        {"ImgH", 150, rt_quzo_QUZO_ImgH.Length()},
        {"Img", 150, rt_quzo_QUZO_Img.Length()},
        {"Touch", 128, rt_quzo_QUZO_Touch.Length()},
        {"Control", 500, rt_quzo_QUZO_Control.Length()},
        {"SFX", 100, rt_quzo_QUZO_SFX.Length()},
        {"paused", 5200, rt_quzo_paused.Length()},
        {"FontKern", 112, rt_quzo_QUZO_FontKern.Length()},
    };
    for (const Case& c : cases) EXPECT_EQ(c.actual, c.length) << c.name;

    for (int i = 0; i < 150; ++i) ASSERT_EQ(rt_quzo_QUZO_Img[i], nullptr);
    for (int i = 0; i < 1024; ++i) ASSERT_EQ(rt_quzo_QUZO_Cred[i].Length(), 0);
    for (int i = 0; i < 5500000; i += 4999) ASSERT_EQ(rt_quzo_grid[i], 0.0f);
}

TEST_F(GlobalsTest, ScalarsStartAtTheirDefaults) {
    EXPECT_EQ(rt_quzo_QUZO_Keyword, String("Tagline"));
    EXPECT_EQ(rt_quzo_QUZO_WebReceived.Length(), 0);
    EXPECT_EQ(rt_quzo_QUZO_LastTune.Length(), 0);
    EXPECT_EQ(rt_quzo_QUZO_AllowMouseControl, 1);
    EXPECT_EQ(rt_quzo_QUZO_MixControls, 1);
    EXPECT_EQ(rt_quzo_QUZO_Loader, 1);
    EXPECT_EQ(rt_quzo_QUZO_CanSend, 1);
    EXPECT_EQ(rt_quzo_QUZO_GameVersion, 1);
    EXPECT_EQ(rt_quzo_QUZO_Levels, 3);
    EXPECT_EQ(rt_quzo_QUZO_Seed, 123456);
    EXPECT_EQ(rt_quzo_jscrw, 800);
    EXPECT_EQ(rt_quzo_jscrh, 600);
    EXPECT_EQ(rt_quzo_QUZO_TargetSize, 800);
    EXPECT_EQ(rt_quzo_QUZO_GameNum, 0);
    EXPECT_EQ(rt_quzo_QUZO_Font, 0);
    EXPECT_EQ(rt_quzo_QUZO_Scale, 0.0f);
}

TEST_F(GlobalsTest, AdvanceTable) {
    // Characters with their own advance; every other printable character has 22.
    const std::string narrow = "!'`,.:;l|";
    for (int c = 32; c <= 143; ++c) {
        int expected = c > 126                                        ? 0
                       : c == ' '                                     ? 24
                       : narrow.find(char(c)) != std::string::npos    ? 9
                       : c == '"'                                     ? 17
                       : c == '(' || c == ')' || c == '[' || c == ']' ? 15
                       : c == '*'                                     ? 23
                       : c == 'i'                                     ? 11
                       : c == 'j' || c == '{' || c == '}'             ? 18
                                                                      : 22;
        EXPECT_EQ(rt_quzo_QUZO_FontKern[c - 32], expected) << "character " << c;
    }
}

TEST_F(GlobalsTest, ArrayGlobalsAreRootsInTheCollectorsOrder) {
    const std::vector<std::string> expected = {
        "rt_quzo_QUZO_Scramble", "rt_quzo_QUZO_DrawStyle",
        "rt_quzo_QUZO_Draw",     "rt_quzo_QUZO_Set",
        "rt_quzo_QUZO_Username", "rt_quzo_QUZO_Score",
        "rt_quzo_kdis",          "rt_quzo_mdis",
        "rt_quzo_QUZO_MenuPos",  "rt_quzo_grid",
        "rt_quzo_plr",           "rt_quzo_obj",
        "rt_quzo_part",          "rt_quzo_astar",
        "rt_quzo_QUZO_Cred",     "rt_quzo_Joy_Disable",
        "rt_quzo_QUZO_ImgD",     "rt_quzo_QUZO_Data",
        "rt_quzo_QUZO_Buffer",   "rt_quzo_QUZO_Img",
        "rt_quzo_QUZO_Touch",    "rt_quzo_QUZO_Control",
        "rt_quzo_QUZO_SFX",      "rt_quzo_QUZO_ImgW",
        "rt_quzo_QUZO_ImgH",     "rt_quzo_QUZO_FontKern",
        "rt_quzo_QUZO_OnScore",  "rt_quzo_QUZO_OnName",
        "rt_quzo_paused",
    };
    std::vector<std::string> framework;
    for (int i = 0; i < gc_root_count(); ++i) {
        std::string name = gc_root_name(i);
        if (name.rfind("rt_quzo_", 0) == 0) framework.push_back(name);
    }
    EXPECT_EQ(framework, expected);
}

TEST_F(GlobalsTest, ArraysAndWhatTheyHoldSurviveCollection) {
    rt_quzo_QUZO_Cred[3] = String("kept");
    gc_collect_all();
    gc_collect_all();
    // Allocation destroys the garbage of the sweeps.
    for (int i = 0; i < 1000; ++i) Array<int> churn(64);
    gc_flush_free(1 << 30);
    EXPECT_TRUE(gc_is_live(rt_quzo_QUZO_Draw.GetRep()));
    EXPECT_TRUE(gc_is_live(rt_quzo_grid.GetRep()));
    EXPECT_TRUE(gc_is_live(rt_quzo_QUZO_Img.GetRep()));
    EXPECT_EQ(rt_quzo_QUZO_Cred[3], String("kept"));
}

TEST_F(GlobalsTest, StartingAgainResetsEverything) {
    rt_quzo_QUZO_Set[5] = 12;
    rt_quzo_jscrw = 450;
    rt_quzo_QUZO_Keyword = String("Rocks");
    rt_quzo_Sprtup = 77;
    game.startRuntime<c_App>(framework::registerModules);
    EXPECT_EQ(rt_quzo_QUZO_Set[5], 0);
    EXPECT_EQ(rt_quzo_jscrw, 800);
    EXPECT_EQ(rt_quzo_QUZO_Keyword, String("Tagline"));
    EXPECT_EQ(rt_quzo_Sprtup, 0);
}

} // namespace
} // namespace hexwend::testing
