// The local score tables: entering a finished game's score, counting games and when the
// scores go out, and the drawing records of the score panel and the in-game score line.
#include "framework/persistence.h"
#include "framework/scores.h"
#include "tests/framework/framework_support.h"
#include "tests/support/temp_folder.h"

#include <array>
#include <cmath>
#include <fstream>
#include <string>
#include <vector>

namespace {

using namespace hexwend::framework;
using namespace hexwend::framework::scores;
using hexwend::testing::drawRecord;
using hexwend::testing::InWorkingFolder;
using hexwend::testing::Record;
using hexwend::testing::TempFolder;

constexpr int kFont = 99;
constexpr float kDegrees = 0.0174532924f;

using Row = std::array<int, 20>;

Row row(int gameType) {
    Row r{};
    for (int i = 0; i < 20; ++i) r[size_t(i)] = rt_quzo_QUZO_Score[gameType * 20 + i];
    return r;
}

void setRow(int gameType, const std::vector<int>& values) {
    for (size_t i = 0; i < values.size(); ++i) {
        rt_quzo_QUZO_Score[gameType * 20 + int(i)] = values[i];
    }
}

// The scores sent, as the game's sender would see them.
std::vector<int> sentModes;
int recordSend(int mode) {
    sentModes.push_back(mode);
    return 0;
}

class ScoresTest : public hexwend::testing::FrameworkTest {
  protected:
    void SetUp() override {
        FrameworkTest::SetUp();
        rt_quzo_QUZO_GameNum = 506;
        sentModes.clear();
    }

    // One finished game of a type with a final score.
    static void finish(int gameType, float score) {
        rt_quzo_QUZO_GameType = gameType;
        rt_quzo_plr[kFinalScoreElement] = score;
        rt_quzo_AddScore(recordSend);
    }

    TempFolder folder;
    InWorkingFolder inFolder{folder.path()};
};

// --- Score insertion ----------------------------------------------------------------------

TEST_F(ScoresTest, AScoreEntersTheFiveBestByItsRank) {
    struct Case {
        std::vector<int> best;
        float score;
        int rank;
        std::vector<int> after;
    };
    const std::vector<int> five = {500, 400, 300, 200, 100};
    const Case cases[] = {
        // Equal scores go below, the fifth best drops out.
        {five, 300.0f, 3, {500, 400, 300, 300, 200}},
        {five, 100.0f, -1, five},
        {five, 150.9f, 4, {500, 400, 300, 200, 150}},
        {five, 500.5f, 0, {500, 500, 400, 300, 200}},
        {five, -20.0f, -1, five},
        {{0, 0, 0, 0, 0}, 0.0f, -1, {0, 0, 0, 0, 0}},
        {{0, 0, 0, 0, 0}, 0.5f, 0, {0, 0, 0, 0, 0}},
        {{70, 0, 0, 0, 0}, 12.0f, 1, {70, 12, 0, 0, 0}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.score);
        setRow(2, c.best);
        finish(2, c.score);
        EXPECT_EQ(rt_quzo_QUZO_LastRank, c.rank);
        EXPECT_EQ(rt_quzo_QUZO_LastPlay, 2);
        Row r = row(2);
        EXPECT_EQ(std::vector<int>(r.begin(), r.begin() + 5), c.after);
        EXPECT_EQ(r[5], int(c.score));
    }
}

TEST_F(ScoresTest, EveryGameMovesTheRecentGamesAndLeavesTheRestOfTheTable) {
    setRow(1, {900, 800, 700, 600, 500, 11, 12, 13, 14, 15, 4242, 1, 2, 3, 4, 5, 6, 7, 8, 9});
    for (int i = 0; i < 20; ++i) {
        rt_quzo_QUZO_Score[i] = 1000 + i;      // row 0
        rt_quzo_QUZO_Score[40 + i] = 3000 + i; // row 2
    }

    finish(1, 20.0f);  // no rank
    finish(1, 950.0f); // a new best
    Row r = row(1);
    EXPECT_EQ(std::vector<int>(r.begin(), r.begin() + 10),
              (std::vector<int>{950, 900, 800, 700, 600, 950, 20, 11, 12, 13}));
    // The extra value and the reserved columns are not touched, nor are other rows.
    EXPECT_EQ(r[10], 4242);
    for (int i = 11; i < 20; ++i) EXPECT_EQ(r[size_t(i)], i - 10);
    for (int i = 0; i < 20; ++i) {
        EXPECT_EQ(rt_quzo_QUZO_Score[i], 1000 + i);
        EXPECT_EQ(rt_quzo_QUZO_Score[40 + i], 3000 + i);
    }
}

TEST_F(ScoresTest, GamesAreCountedOverAllTypesAndSentEveryFifthOrOnANewBest) {
    // Game 3 sets a new best; the others never enter the top of their table.
    setRow(1, {1000, 1000, 1000, 1000, 1000});
    setRow(3, {1000, 1000, 1000, 1000, 1000});
    std::vector<int> sentAfter;
    for (int game = 1; game <= 12; ++game) {
        size_t before = sentModes.size();
        finish(game % 2 ? 1 : 3, game == 3 ? 5000.0f : 10.0f);
        EXPECT_EQ(rt_quzo_QUZO_Set[5], game);
        if (sentModes.size() > before) sentAfter.push_back(game);
    }
    EXPECT_EQ(sentAfter, (std::vector<int>{1, 3, 6, 11}));
    EXPECT_EQ(sentModes, (std::vector<int>{0, 0, 0, 0}));

    // Without a sender nothing goes out and the game still counts.
    rt_quzo_QUZO_GameType = 1;
    rt_quzo_AddScore(nullptr);
    EXPECT_EQ(rt_quzo_QUZO_Set[5], 13);
}

TEST_F(ScoresTest, AFinishedGameIsSavedWithTheTable) {
    finish(2, 4321.0f);
    rt_quzo_QUZO_Score[40] = 0; // forgotten here, kept in the state file

    game.startRuntime<c_App>(registerModules);
    rt_quzo_QUZO_GameNum = 506;
    rt_quzo_Load();
    EXPECT_EQ(rt_quzo_QUZO_Score[40], 4321);
    EXPECT_EQ(rt_quzo_QUZO_Score[45], 4321);
    EXPECT_EQ(rt_quzo_QUZO_Set[5], 1);
}

TEST_F(ScoresTest, AGameTypeOutsideTheTableIsCountedButNotEntered) {
    for (int type : {-1, 500, 1 << 30}) {
        finish(type, 100.0f);
        EXPECT_EQ(rt_quzo_QUZO_LastRank, -1);
        EXPECT_EQ(rt_quzo_QUZO_LastPlay, type);
    }
    EXPECT_EQ(rt_quzo_QUZO_Set[5], 3);
}

TEST_F(ScoresTest, AScoreBeyondTheIntRangeIsStoredAtItsLimit) {
    finish(1, 1e12f);
    EXPECT_EQ(row(1)[0], 2147483647);
    EXPECT_EQ(row(1)[5], 2147483647);
}

// --- The score panel ----------------------------------------------------------------------

// A piece of text as its glyph records show it: the characters in drawing order and where
// the first one stands.
struct Line {
    std::string text;
    float x;
    float y;
    float size;
};

class PanelTest : public ScoresTest {
  protected:
    void SetUp() override {
        ScoresTest::SetUp();
        // A font slot with its 128 glyphs; no image is needed for the records.
        rt_quzo_QUZO_Font = kFont;
        rt_quzo_QUZO_ImgD[kFont] = 128;
        rt_quzo_QUZO_ImgD[kIconsSlot] = 16;
        rt_quzo_QUZO_MenuPos[2] = 1; // "Normal": game type 2
        rt_quzo_QUZO_MenuPos[12] = 3;
        rt_quzo_Sprtup = 0;
    }

    // Consecutive glyph records on one baseline, each a little right of the one before,
    // make one line (spaces draw nothing).
    static std::vector<Line> lines() {
        std::vector<Line> out;
        float lastX = 0;
        for (int i = 0; i < rt_quzo_Sprtup; ++i) {
            Record r = drawRecord(i);
            if (r.kind() != kKindImage || r.slot() != kFont) continue;
            char c = char(r.frame() + 32);
            const bool sameLine = !out.empty() && out.back().y == r.y() && i > 0 &&
                                  drawRecord(i - 1).slot() == kFont && r.x() > lastX &&
                                  r.x() - lastX < 40;
            if (sameLine) {
                out.back().text += c;
            } else {
                out.push_back({std::string(1, c), r.x(), r.y(), r.sizeX()});
            }
            lastX = r.x();
        }
        return out;
    }
    static std::vector<std::string> texts() {
        std::vector<std::string> out;
        for (const Line& l : lines()) out.push_back(l.text);
        return out;
    }
    static std::vector<Record> images(int slot) {
        std::vector<Record> out;
        for (int i = 0; i < rt_quzo_Sprtup; ++i) {
            Record r = drawRecord(i);
            if (r.kind() == kKindImage && r.slot() == slot) out.push_back(r);
        }
        return out;
    }
    static void draw(float x = 600, float y = 410) {
        rt_quzo_Sprtup = 0;
        rt_quzo_Draw_Scoreboard(x, y);
    }
};

TEST_F(PanelTest, RightAlignedNumbersKeepTheirLastEightCharacters) {
    struct Case {
        int value;
        const char* text;
    };
    const Case cases[] = {{0, "       0"},         {5000, "    5000"},     {12345678, "12345678"},
                          {123456789, "23456789"}, {-1234567, "-1234567"}, {-12345678, "12345678"},
                          {2147483647, "47483647"}};
    for (const Case& c : cases) EXPECT_EQ(rightAligned(c.value).ToUtf8(), c.text) << c.value;
}

TEST_F(PanelTest, DrawsThePanelTheFiveBestAndTheRecentGamesChart) {
    setRow(2, {123456789, 5000, 250, 0, 0, 123456789, 61728394, 0, 30864197, 5000});
    draw(600, 410);

    std::vector<Record> panel = images(kPanelSlot);
    ASSERT_EQ(panel.size(), 1u);
    EXPECT_EQ(panel[0].x(), 600);
    EXPECT_EQ(panel[0].y(), 410);
    EXPECT_EQ(panel[0].frame(), 0);

    // The nine-digit best shows its last eight digits.
    EXPECT_EQ(texts(), (std::vector<std::string>{"Top5", "23456789", "5000", "250", "0", "0"}));
    std::vector<Line> l = lines();
    for (size_t i = 1; i < l.size(); ++i) {
        EXPECT_EQ(l[i].size, 0.5f);
        EXPECT_FLOAT_EQ(l[i].y - l[i - 1].y, i == 1 ? 40 : 28) << i;
    }

    // The chart: five stars from the most recent game, coloured red to cyan, turned 15
    // degrees more each, at heights scaled to the best score.
    const float colours[5][3] = {{255, 25.5f, 25.5f},
                                 {255, 127.5f, 25.5f},
                                 {255, 255, 25.5f},
                                 {25.5f, 255, 25.5f},
                                 {25.5f, 255, 255}};
    const float heights[5] = {40, 20, 0, 10, 40 * 5000.0f / 123456789.0f};
    std::vector<Record> stars = images(kStarsSlot);
    ASSERT_EQ(stars.size(), 5u);
    for (int i = 0; i < 5; ++i) {
        SCOPED_TRACE(i);
        const Record& s = stars[size_t(i)];
        EXPECT_FLOAT_EQ(s.x(), 600 - 100 + 22.0f * float(i));
        EXPECT_NEAR(s.y(), float(rt_quzo_jscrh - 78) - heights[i], 1e-3);
        EXPECT_FLOAT_EQ(s.red(), colours[i][0]);
        EXPECT_FLOAT_EQ(s.green(), colours[i][1]);
        EXPECT_FLOAT_EQ(s.blue(), colours[i][2]);
        EXPECT_EQ(s.rotation(), 15.0f * float(i));
        EXPECT_EQ(s.sizeX(), 0.4f);
        EXPECT_EQ(s.sizeY(), 0.4f);
    }
}

TEST_F(PanelTest, ABestOfZeroScalesTheChartByOne) {
    setRow(2, {0, 0, 0, 0, 0, 0, -3, 0, 2, -1});
    draw();
    std::vector<Record> stars = images(kStarsSlot);
    ASSERT_EQ(stars.size(), 5u);
    const float values[5] = {0, -3, 0, 2, -1};
    for (int i = 0; i < 5; ++i) {
        EXPECT_FLOAT_EQ(stars[size_t(i)].y(), float(rt_quzo_jscrh - 78) - 40 * values[i]) << i;
    }
}

TEST_F(PanelTest, TheLastGamesEntryWobblesWithTheClock) {
    setRow(2, {900, 800, 700, 600, 500});
    rt_quzo_QUZO_LastPlay = 2;
    rt_quzo_QUZO_LastRank = -1;
    draw();
    const std::vector<Line> still = lines();

    game.advance(12345);
    rt_quzo_QUZO_LastRank = 1;
    draw();
    const std::vector<Line> moved = lines();
    ASSERT_EQ(moved.size(), still.size());

    const float t = float(game.millisecs());
    const float dx = 3.0f * float(std::sin(double(t / 3.0f * kDegrees)));
    const float dy = -float(std::cos(double(t / 4.5f * kDegrees)));
    ASSERT_GT(std::fabs(dx) + std::fabs(dy), 0.1f);
    for (size_t i = 0; i < moved.size(); ++i) {
        SCOPED_TRACE(i);
        const bool wobbles = i == 2; // heading, then rank 0, rank 1, ...
        EXPECT_NEAR(moved[i].x - still[i].x, wobbles ? dx : 0, 1e-3);
        EXPECT_NEAR(moved[i].y - still[i].y, wobbles ? dy : 0, 1e-3);
    }

    // The last game was of another type: nothing wobbles on this one's panel.
    rt_quzo_QUZO_LastPlay = 3;
    draw();
    const std::vector<Line> other = lines();
    for (size_t i = 0; i < other.size(); ++i) EXPECT_EQ(other[i].y, still[i].y) << i;
}

TEST_F(PanelTest, AHighlightOutsideTheListDrawsOnlyThePanelAndItsHeading) {
    setRow(2, {900, 800, 700, 600, 500, 1, 2, 3, 4, 5});
    for (int sel : {-1, 3, 7}) {
        rt_quzo_QUZO_MenuPos[2] = sel;
        draw();
        EXPECT_EQ(images(kPanelSlot).size(), 1u);
        EXPECT_EQ(texts(), std::vector<std::string>{"Top5"});
        EXPECT_TRUE(images(kStarsSlot).empty());
    }
    // A list longer than the table holds rows for.
    rt_quzo_QUZO_MenuPos[12] = 100000;
    rt_quzo_QUZO_MenuPos[2] = 600;
    draw();
    EXPECT_EQ(texts(), std::vector<std::string>{"Top5"});
}

TEST_F(PanelTest, WithoutAFontOnlyImagesAreDrawn) {
    rt_quzo_QUZO_Font = 0;
    draw();
    EXPECT_TRUE(lines().empty());
    EXPECT_EQ(images(kPanelSlot).size(), 1u);
    EXPECT_EQ(images(kStarsSlot).size(), 5u);
}

TEST_F(PanelTest, TheOnlineTableIsTheMirroredTwin) {
    setRow(2, {777, 10, 0, 0, 0});
    const char* names[5] = {"Ann", "Ben", "Cy", "Di", "Ed"};
    const int online[5] = {99999, 5000, 777, 123456789, 0};
    for (int i = 0; i < 5; ++i) {
        rt_quzo_QUZO_OnName[40 + i] = String(names[i]);
        rt_quzo_QUZO_OnScore[40 + i] = online[i];
    }

    draw();
    EXPECT_EQ(images(kPanelSlot).size(), 1u); // no online table held yet

    rt_quzo_QUZO_OnlineBoard = 1;
    draw(600, 410);
    std::vector<Record> panels = images(kPanelSlot);
    ASSERT_EQ(panels.size(), 2u);
    EXPECT_EQ(panels[1].x(), 200);
    EXPECT_EQ(panels[1].y(), 410);
    EXPECT_EQ(panels[1].sizeX(), -1);
    EXPECT_EQ(panels[1].sizeY(), 1);

    std::vector<std::string> t = texts();
    const std::vector<std::string> local = {"Top5", "777", "10", "0", "0", "0"};
    const std::vector<std::string> twin = {"Online", "Ann", "99999",    "Ben", "5000", "Cy",
                                           "777",    "Di",  "23456789", "Ed",  "0"};
    ASSERT_EQ(t.size(), local.size() + twin.size());
    EXPECT_EQ(std::vector<std::string>(t.begin(), t.begin() + 6), local);
    EXPECT_EQ(std::vector<std::string>(t.begin() + 6, t.end()), twin);

    // Names start at the panel's left, scores sit 16 below them; the entry equal to the
    // local best wobbles.
    game.advance(5000);
    draw(600, 410);
    std::vector<Line> moving = lines();
    rt_quzo_QUZO_OnScore[42] = 778;
    draw(600, 410);
    std::vector<Line> still = lines();
    ASSERT_EQ(moving.size(), still.size());
    for (size_t i = 7; i < still.size(); i += 2) {
        EXPECT_EQ(still[i].size, 0.45f);
        EXPECT_FLOAT_EQ(still[i + 1].y - still[i].y, 16) << i;
        if (i + 2 < still.size()) {
            EXPECT_FLOAT_EQ(still[i + 2].y - still[i].y, 38) << i;
        }
        const bool wobbles = i == 11; // "Cy" and its 777
        EXPECT_EQ(moving[i].y != still[i].y, wobbles) << i;
        EXPECT_EQ(moving[i + 1].y != still[i + 1].y, wobbles) << i;
    }
}

// --- The in-game score line ---------------------------------------------------------------

TEST_F(PanelTest, ScoreLineShowsEachPlayersScoreAndLives) {
    struct Case {
        int mode;
        std::array<int, 4> others; // p2 ... p5
        float lives;
        std::vector<float> centres;
        float textSize;
        int icons; // per player
    };
    const Case cases[] = {
        {1, {0, 0, 0, 0}, 2.9f, {400}, 0.75f, 2},
        {1, {1, 0, 0, 0}, 3, {200, 600}, 0.75f, 3},
        {1, {1, 0, 5, 0}, 7, {133, 399, 665}, 0.5f, 3},
        {1, {1, 1, 1, 1}, 0.5f, {80, 240, 400, 560, 720}, 0.5f, 0},
        {0, {0, 0, 0, 0}, 3, {400}, 0.75f, 0},
        {1, {-2, 0, 0, 0}, 1, {400}, 0.75f, 1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.centres.size());
        for (int p = 0; p < 5; ++p) {
            rt_quzo_plr[p * 100 + 50] = 1234.9f + float(p);
            rt_quzo_plr[p * 100 + 51] = c.lives;
        }
        rt_quzo_Sprtup = 0;
        rt_quzo_ShowScores(c.mode, 1, c.others[0], c.others[1], c.others[2], c.others[3]);

        std::vector<Line> l = lines();
        ASSERT_EQ(l.size(), c.centres.size());
        std::vector<Record> icons = images(kIconsSlot);
        ASSERT_EQ(icons.size(), c.centres.size() * size_t(c.icons));
        for (size_t p = 0; p < c.centres.size(); ++p) {
            EXPECT_EQ(l[p].text, std::to_string(1234 + p));
            EXPECT_EQ(l[p].size, c.textSize);
            for (int k = 0; k < c.icons; ++k) {
                const Record& icon = icons[p * size_t(c.icons) + size_t(k)];
                EXPECT_EQ(icon.x(), c.centres[p] - 16 + 16.0f * float(k));
                EXPECT_EQ(icon.y(), 36);
                EXPECT_EQ(icon.frame(), kLifeFrame);
                EXPECT_FLOAT_EQ(icon.alpha(), 0.75f);
                EXPECT_FLOAT_EQ(icon.sizeX(), 0.15f);
            }
        }
        // The score text's colour.
        for (int i = 0; i < rt_quzo_Sprtup; ++i) {
            Record r = drawRecord(i);
            if (r.slot() != kFont) continue;
            EXPECT_EQ(r.red(), 100);
            EXPECT_EQ(r.green(), 255);
            EXPECT_EQ(r.blue(), 100);
            EXPECT_FLOAT_EQ(r.alpha(), 0.75f);
        }
    }
}

TEST_F(PanelTest, ScoreLineIsHiddenInScreenshotMode) {
    rt_quzo_plr[50] = 10;
    rt_quzo_plr[51] = 3;
    rt_quzo_QUZO_ScreenshotMode = 1;
    rt_quzo_ShowScores(1, 1, 0, 0, 0, 0);
    EXPECT_EQ(rt_quzo_Sprtup, 0);
}

} // namespace
