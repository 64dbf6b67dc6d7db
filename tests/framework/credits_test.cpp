// The credits screen and the name-entry screen, driven through the headless host: every
// update runs the framework's housekeeping (pointer and controls) and then the open overlay,
// as the game's update does, with keys and the mouse travelling the real host path.
#include "framework/quzo.h"
#include "tests/framework/framework_support.h"
#include "tests/support/temp_folder.h"

#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <map>
#include <set>
#include <string>
#include <vector>

namespace hexwend::testing {
namespace {

using namespace hexwend::framework;

// The update of the game, reduced to what the overlays need.
class OverlayApp : public c_App {
  public:
    int p_OnCreate() override {
        rt_app_SetUpdateRate(60);
        return 0;
    }
    int p_OnUpdate() override {
        rt_quzo_Sprtup = 0;
        rt_quzo_ResetDraw();
        rt_quzo_UpdateWorld();
        runOverlays();
        return 0;
    }
};

// Key codes of the control buttons beyond the arrows, Enter, Space and Escape.
constexpr int kKeyX = 'X'; // control 11
constexpr int kKeyC = 'C'; // control 12
constexpr int kKeyV = 'V'; // control 13

// The font is a slot with 128 frames and no image: glyphs are recorded all the same.
constexpr int kFontSlot = 80;

// One text as its glyph records show it (spaces draw nothing and are missing).
struct DrawnText {
    std::string text;
    float x;
    float y;
    float size;
    float alpha;
};

class OverlayTest : public ::testing::Test {
  protected:
    void SetUp() override {
        useSilentAudio();
        game.start<OverlayApp>(registerModules);
        rt_quzo_QUZO_Font = kFontSlot;
        rt_quzo_QUZO_ImgD[kFontSlot] = 128;
        // The frame counts of the icons and the circles, as the game loads them.
        rt_quzo_QUZO_ImgD[90] = 16;
        rt_quzo_QUZO_ImgD[91] = 4;
        rt_quzo_jscrw = 800;
        rt_quzo_jscrh = 600;
    }

    void update(int count = 1) { game.update(count); }

    // A key held for one update and released in the next.
    void tap(int key) {
        game.press(key);
        update();
        game.release(key);
        update();
    }

    // The mouse held at a virtual point for one update (no render has scaled the window, so
    // window pixels are virtual units).
    void pressAt(float x, float y) {
        game.moveMouse(x, y);
        game.mouseDown();
        update();
    }

    static std::vector<Record> records() {
        std::vector<Record> out;
        for (int i = 0; i < rt_quzo_Sprtup; ++i) out.push_back(drawRecord(i));
        return out;
    }

    static std::vector<Record> imagesOf(int slot) {
        std::vector<Record> out;
        for (const Record& r : records()) {
            if (r.kind() == kKindImage && r.slot() == slot) out.push_back(r);
        }
        return out;
    }

    // The texts of the last update: runs of glyph records on one line with one style.
    static std::vector<DrawnText> texts() {
        std::vector<DrawnText> out;
        bool open = false;
        for (const Record& r : records()) {
            const bool glyph = r.kind() == kKindImage && r.slot() == kFontSlot;
            if (!glyph) {
                open = false;
                continue;
            }
            const char c = char(r.frame() + 32);
            DrawnText* last = open ? &out.back() : nullptr;
            if (last && std::fabs(last->y - r.y()) < 0.01f && last->size == r.sizeX() &&
                last->alpha == r.alpha()) {
                last->text += c;
            } else {
                out.push_back({std::string(1, c), r.x(), r.y(), r.sizeX(), r.alpha()});
                open = true;
            }
        }
        return out;
    }

    static std::string withoutSpaces(std::string s) {
        std::erase(s, ' ');
        return s;
    }

    HeadlessGame game;
};

// --- Credits -----------------------------------------------------------------------------

class CreditsTest : public OverlayTest {
  protected:
    void SetUp() override {
        OverlayTest::SetUp();
        // The game's list: the framework's rows and one empty row.
        rt_quzo_DefaultCredits();
        rt_quzo_AddCredit("", "", "", "", "");
        rt_quzo_QUZO_OptCred = kOverlayCredits;
    }

    // The current row over `updates` updates, as runs of (row, updates it lasted).
    std::vector<std::pair<int, int>> rowRuns(int updates) {
        std::vector<std::pair<int, int>> runs;
        for (int i = 0; i < updates; ++i) {
            update();
            const int row = rt_quzo_QUZO_CredTickB;
            if (runs.empty() || runs.back().first != row) runs.push_back({row, 0});
            ++runs.back().second;
        }
        return runs;
    }
};

TEST_F(CreditsTest, DefaultCreditsAreThirteenRowsWithTheirOwnTexts) {
    // Thirteen rows and the game's empty one.
    ASSERT_EQ(rt_quzo_QUZO_Creds, 70);
    const std::map<int, std::string> quoted = {
        {0, "A game by"},
        {5, "Developed"},
        {6, "using"},
        {9, "\\o/yeay\\o/"},
        {10, "Many thanks to"},
        {13, "for the wonderful"},
        {15, "Graphics"},
        {17, "Mostly by"},
        {20, "Font"},
        {23, "by"},
        {25, "Audio"},
        {26, "Sound Effects"},
        {27, "created with"},
        {30, "Sound Effects"},
        {31, "tweaked with"},
        {35, "Music"},
        {36, "Created with"},
        {39, "on iOS"},
        {47, "Join the Campaign"},
        {50, "Special Hello"},
        {51, "to"},
        {54, "Thanks for Playing!"},
        {55, "Hello to"},
        {56, "everyone at"},
        {59, "Thanks for sticking around!"},
        {60, "Thanks to"},
        {63, "for help with"},
        {64, "Line Collision"},
    };
    for (const auto& [index, text] : quoted)
        EXPECT_EQ(rt_quzo_QUZO_Cred[index].ToUtf8(), text) << "text " << index;

    // The cells the list leaves empty, and the one that starts with "and ".
    for (int index : {1, 3, 11, 16, 19, 21, 38, 41, 46, 48, 58})
        EXPECT_EQ(rt_quzo_QUZO_Cred[index].Length(), 0) << "text " << index;
    EXPECT_EQ(rt_quzo_QUZO_Cred[62].ToUtf8().rfind("and ", 0), 0u);
    // The language row names the language in both places.
    EXPECT_EQ(rt_quzo_QUZO_Cred[14].ToUtf8(), rt_quzo_QUZO_Cred[7].ToUtf8() + " language");
    // The maker is named the same in the first row and under "Mostly by".
    EXPECT_EQ(rt_quzo_QUZO_Cred[2].ToUtf8(), rt_quzo_QUZO_Cred[18].ToUtf8());
}

TEST_F(CreditsTest, RowsCycleThroughTheListAndEachLasts360Updates) {
    // The phase starts at 0 and the first row changes at 271; after it, one row per turn.
    const auto runs = rowRuns(271 + 14 * 360);
    ASSERT_GE(runs.size(), 15u);
    EXPECT_EQ(runs[0], std::make_pair(0, 270));
    std::vector<int> order;
    for (const auto& run : runs) order.push_back(run.first);
    const std::vector<int> expected = {0, 5, 10, 15, 20, 25, 30, 35, 40, 45, 50, 55, 60, 0, 5};
    EXPECT_EQ(std::vector<int>(order.begin(), order.begin() + 15), expected);
    for (size_t i = 1; i + 1 < runs.size(); ++i) EXPECT_EQ(runs[i].second, 360) << "run " << i;
    EXPECT_EQ(rt_quzo_QUZO_OptCred, kOverlayCredits);
}

TEST_F(CreditsTest, AHeldDirectionMakesARowLast72Updates) {
    for (int key : {keys::kUp, keys::kLeft, keys::kRight, keys::kDown}) {
        rt_quzo_QUZO_CredTickA = 0;
        rt_quzo_QUZO_CredTickB = 0;
        game.press(key);
        const auto runs = rowRuns(55 + 3 * 72);
        game.release(key);
        ASSERT_GE(runs.size(), 4u) << key;
        // 0 + 5n passes 270 at n = 55.
        EXPECT_EQ(runs[0], std::make_pair(0, 54)) << key;
        EXPECT_EQ(runs[1], std::make_pair(5, 72)) << key;
        EXPECT_EQ(runs[2], std::make_pair(10, 72)) << key;
        EXPECT_EQ(rt_quzo_QUZO_OptCred, kOverlayCredits) << "a direction does not leave";
    }
}

TEST_F(CreditsTest, LeavingNeedsAReleaseFirst) {
    struct Case {
        const char* what;
        std::function<void()> press;
        std::function<void()> release;
    };
    const Case cases[] = {
        {"Enter", [&] { game.press(keys::kEnter); }, [&] { game.release(keys::kEnter); }},
        {"X", [&] { game.press(kKeyX); }, [&] { game.release(kKeyX); }},
        {"C", [&] { game.press(kKeyC); }, [&] { game.release(kKeyC); }},
        {"Escape", [&] { game.press(keys::kEscape); }, [&] { game.release(keys::kEscape); }},
        {"pointer", [&] { game.mouseDown(); }, [&] { game.mouseUp(); }},
    };
    for (const Case& c : cases) {
        // The screen opens with everything locked by the press that opened it, still held.
        rt_quzo_QUZO_OptCred = kOverlayCredits;
        rt_quzo_LockKeys();
        c.press();
        update(5);
        EXPECT_EQ(rt_quzo_QUZO_OptCred, kOverlayCredits) << c.what << " held since opening";
        c.release();
        update();
        EXPECT_EQ(rt_quzo_kdis[kCreditsLeaveLock], 0) << c.what;
        EXPECT_EQ(rt_quzo_QUZO_OptCred, kOverlayCredits) << c.what;
        c.press();
        update();
        EXPECT_EQ(rt_quzo_QUZO_OptCred, kOverlayNone) << c.what << " pressed again leaves";
        // Leaving locks everything, so the menu under it does not act on the same press.
        EXPECT_EQ(rt_quzo_kdis[0], 1) << c.what;
        EXPECT_EQ(rt_quzo_mdis[0], 1) << c.what;
        c.release();
        update();
    }
}

TEST_F(CreditsTest, TheRowGrowsOutOfTheCirclesAndShrinksBackIntoThem) {
    struct Case {
        int phase; // after this update's step
        float white, yellow, orangeHeight, blue, row;
    };
    // s = sin(phase): -1 at -90, about -0.87 at -60, -0.5 at -30, 1 at 90.
    const Case cases[] = {
        {-90, 0, 0, 0, 0, 0},
        {-60, 1.9f * 0.34f, 1.7f * 0, 0, 0, 0},
        {-30, 1.9f, 1.7f, 1.5f, 1.3f, 0.75f},
        {90, 1.9f, 1.7f, 1.5f, 1.3f, 0.75f},
        {210, 1.9f, 1.7f, 1.5f, 1.3f, 0.75f},
        {240, 1.9f * 0.34f, 0, 0, 0, 0},
        {270, 0, 0, 0, 0, 0},
    };
    for (const Case& c : cases) {
        rt_quzo_QUZO_CredTickA = c.phase - 1;
        rt_quzo_QUZO_CredTickB = 10;
        update();
        ASSERT_EQ(rt_quzo_QUZO_CredTickA, c.phase);
        const auto circles = imagesOf(91);
        ASSERT_EQ(circles.size(), 4u);
        EXPECT_EQ(circles[0].frame(), 3);
        EXPECT_NEAR(circles[0].sizeX(), c.white, 0.01f) << c.phase;
        EXPECT_EQ(circles[1].frame(), 1);
        EXPECT_NEAR(circles[1].sizeX(), c.yellow, 0.01f) << c.phase;
        EXPECT_EQ(circles[2].frame(), 0);
        EXPECT_NEAR(circles[2].sizeY(), c.orangeHeight, 0.01f) << c.phase;
        EXPECT_EQ(circles[3].frame(), 2);
        EXPECT_NEAR(circles[3].sizeX(), c.blue, 0.01f) << c.phase;
        for (const Record& r : circles) {
            EXPECT_EQ(r.x(), 400);
            EXPECT_EQ(r.y(), 300);
        }

        // The row's five texts, spread around the centre as they grow.
        const float k = c.row / 0.75f;
        std::vector<DrawnText> rowTexts;
        for (const DrawnText& t : texts()) {
            if (t.size == c.row && std::fabs(t.y - 300) <= 64 * k + 1) rowTexts.push_back(t);
        }
        if (c.row == 0) continue;
        ASSERT_EQ(rowTexts.size(), 4u) << c.phase << ": row 2 has one empty text";
        EXPECT_EQ(withoutSpaces(rowTexts[0].text), "Manythanksto");
        EXPECT_NEAR(rowTexts[0].y, 300 - 64 * k, 1);
        EXPECT_EQ(withoutSpaces(rowTexts[3].text), "C++language");
        EXPECT_NEAR(rowTexts[3].y, 300 + 64 * k, 1);
    }
}

TEST_F(CreditsTest, TheTickerListsTheComingHeadingsThroughTheEmptyRow) {
    rt_quzo_QUZO_CredTickA = 0;
    rt_quzo_QUZO_CredTickB = 60;
    update();
    std::map<int, DrawnText> ticker; // by line
    for (const DrawnText& t : texts()) {
        if (t.size != 0.25f) continue;
        const int n = int(std::lround((t.y - (600 - 192)) / 12));
        ticker[n] = t;
    }
    // Line 0 is the current row, line 1 the empty last row, then the list from its start,
    // and round again.
    EXPECT_EQ(withoutSpaces(ticker.at(0).text), "Thanksto");
    EXPECT_EQ(ticker.count(1), 0u);
    EXPECT_EQ(withoutSpaces(ticker.at(2).text), "Agameby");
    EXPECT_EQ(withoutSpaces(ticker.at(3).text), "Developed");
    EXPECT_EQ(withoutSpaces(ticker.at(13).text), "Helloto");
    EXPECT_EQ(withoutSpaces(ticker.at(14).text), "Thanksto");
    EXPECT_EQ(ticker.count(15), 0u);
    EXPECT_EQ(withoutSpaces(ticker.at(16).text), "Agameby");
    // Every line fades a little more; the last line is clear.
    EXPECT_NEAR(ticker.at(0).alpha, 0.8f, 1e-6f);
    EXPECT_NEAR(ticker.at(2).alpha, 0.7f, 1e-6f);
    EXPECT_NEAR(ticker.at(13).alpha, 0.15f, 1e-6f);
    EXPECT_NEAR(ticker.at(16).alpha, 0, 1e-6f);
    EXPECT_LT(ticker.at(0).x, 40) << "left-aligned at the left edge";
}

TEST_F(CreditsTest, StatisticsShowGamesPlayedAndTheRenderSize) {
    rt_quzo_QUZO_Set[5] = 37;
    rt_quzo_RealW = 640;
    rt_quzo_RealH = 480;
    update();
    std::vector<std::string> right;
    for (const DrawnText& t : texts()) {
        if (t.size == 0.5f && t.y < 60) right.push_back(withoutSpaces(t.text));
    }
    EXPECT_THAT(right, ::testing::Contains("Plays:37"));
    EXPECT_THAT(right, ::testing::Contains("640:480"));
}

TEST_F(CreditsTest, RowsBeyondTheTextArrayAreIgnored) {
    // 14 rows are stored; 190 more fill the array's 1020 usable texts.
    for (int i = 0; i < 300; ++i) rt_quzo_AddCredit("h", "1", "2", "3", "4");
    EXPECT_EQ(rt_quzo_QUZO_Creds, 1020);
    EXPECT_EQ(rt_quzo_QUZO_Cred[1019].ToUtf8(), "4");
    EXPECT_EQ(rt_quzo_QUZO_Cred[1020].Length(), 0);
    // The screen runs over the full list.
    rt_quzo_QUZO_CredTickB = 1010;
    rt_quzo_QUZO_CredTickA = 270;
    update();
    EXPECT_EQ(rt_quzo_QUZO_CredTickB, 0);
}

TEST_F(CreditsTest, AnEmptyListStillRunsAndLeaves) {
    rt_quzo_QUZO_Creds = 0;
    rt_quzo_QUZO_CredTickB = 35;
    update(400);
    EXPECT_EQ(rt_quzo_QUZO_CredTickB, 0);
    EXPECT_EQ(imagesOf(91).size(), 4u) << "the circles still turn";
    tap(keys::kEscape);
    EXPECT_EQ(rt_quzo_QUZO_OptCred, kOverlayNone);
}

// --- Name entry --------------------------------------------------------------------------

class NameEntryTest : public OverlayTest {
  protected:
    void SetUp() override {
        OverlayTest::SetUp();
        // The icons are 128 units wide, as the game loads them.
        rt_quzo_QUZO_ImgW[90] = 128;
        // A player with an identity, as the game's creation makes one.
        rt_quzo_NewUser();
        open();
    }

    // As the main menu opens the screen: cursor on the first slot, everything locked.
    void open() {
        rt_quzo_QUZO_OptCred = kOverlayNameEntry;
        rt_quzo_QUZO_MenuPos[kNameCursor] = 0;
        rt_quzo_LockKeys();
        update();
    }

    static int cursor() { return rt_quzo_QUZO_MenuPos[kNameCursor]; }
    static int& slot(int i) { return rt_quzo_QUZO_Username[i]; }

    static void setName(const std::string& name) {
        for (int i = 0; i < 16; ++i) slot(i) = i < int(name.size()) ? name[size_t(i)] - 32 : 0;
    }
    static std::string name() {
        std::string out;
        for (int i = 0; i < kNameSlots; ++i) out += char(slot(i) + 32);
        return out;
    }
};

TEST_F(NameEntryTest, UpAndDownStepThroughTheCharacterSet) {
    struct Case {
        char from;
        int key;
        char to;
    };
    const Case cases[] = {
        {' ', keys::kDown, '9'}, {' ', keys::kUp, 'A'},   {'~', keys::kUp, 'A'},
        {'>', keys::kUp, ' '},   {'9', keys::kUp, ':'},   {'!', keys::kDown, '~'},
        {'A', keys::kDown, '@'}, {'@', keys::kDown, ' '}, {'Z', keys::kUp, '['},
        {'`', keys::kUp, 'a'},   {'0', keys::kDown, '/'},
    };
    for (const Case& c : cases) {
        slot(3) = c.from - 32;
        rt_quzo_QUZO_MenuPos[kNameCursor] = 3;
        tap(c.key);
        EXPECT_EQ(char(slot(3) + 32), c.to) << "'" << c.from << "' key " << c.key;
        EXPECT_EQ(cursor(), 3);
    }
}

TEST_F(NameEntryTest, TheStepsRunThroughTheCharacterSetInTwoCircles) {
    // Up from a space: "A" ... "~" and round to "A" again.
    std::set<int> up;
    int v = nextNameChar(0);
    while (up.insert(v).second) v = nextNameChar(v);
    EXPECT_EQ(v, 'A' - 32);
    EXPECT_EQ(up.size(), size_t('~' - 'A' + 1));
    EXPECT_EQ(*up.begin(), 'A' - 32);

    // Down from a space: "9" ... "!", "~" ... "@" and back to the space; ":" ... "?" never
    // come up this way.
    std::set<int> down;
    v = 0;
    do {
        v = previousNameChar(v);
        down.insert(v);
    } while (v != 0 && down.size() < 200);
    EXPECT_EQ(v, 0);
    EXPECT_EQ(down.size(), size_t(95 - 6));
    for (char c : std::string(":;<=>?")) EXPECT_EQ(down.count(c - 32), 0u) << c;

    // ":" ... ">" come up from the digits and lead back to the space; "?" never comes up.
    v = '9' - 32;
    std::string fromNine;
    while (v != 0) {
        v = nextNameChar(v);
        fromNine += char(v + 32);
    }
    EXPECT_EQ(fromNine, ":;<=> ");

    // Values that are no character of the set step as a space.
    for (int v : {-5, 95, 128, 5000}) {
        EXPECT_EQ(nextNameChar(v), 'A' - 32) << v;
        EXPECT_EQ(previousNameChar(v), '9' - 32) << v;
    }
}

TEST_F(NameEntryTest, AHeldDirectionRepeatsAfter30Then15ThenEvery2Updates) {
    for (int key : {keys::kDown, keys::kUp}) {
        setName("");
        std::vector<int> steps;
        game.press(key);
        for (int u = 1; u <= 60; ++u) {
            const int before = slot(0);
            update();
            if (slot(0) != before) steps.push_back(u);
        }
        game.release(key);
        update();
        const std::vector<int> expected = {1, 31, 46, 48, 50, 52, 54, 56, 58, 60};
        EXPECT_EQ(steps, expected) << key;
    }
}

TEST_F(NameEntryTest, DownWinsOverUp) {
    setName("M");
    game.press(keys::kUp);
    game.press(keys::kDown);
    update();
    EXPECT_EQ(name()[0], 'L');
}

TEST_F(NameEntryTest, MovingAndEditingTheCursor) {
    struct Case {
        const char* what;
        int from;
        int key;
        std::string nameBefore;
        int to;
        std::string nameAfter;
    };
    const Case cases[] = {
        {"left on the first slot wraps", 0, keys::kLeft, "Ab", 12, "Ab"},
        {"right on the last slot wraps", 12, keys::kRight, "Ab", 0, "Ab"},
        {"right", 4, keys::kRight, "Ab", 5, "Ab"},
        {"left", 4, keys::kLeft, "Ab", 3, "Ab"},
        {"back on the first slot clears it and stays", 0, kKeyX, "Ab", 0, " b"},
        {"back clears and steps back", 1, kKeyX, "Ab", 0, "A"},
        {"space copies into an empty next slot", 1, keys::kSpace, "Ab", 2, "Abb"},
        {"space keeps a filled next slot", 0, keys::kSpace, "Ab", 1, "Ab"},
        {"space on the last slot stays", 12, keys::kSpace, "ABCDEFGHIJKLM", 12, "ABCDEFGHIJKLM"},
        {"button 3 does nothing", 4, kKeyC, "Ab", 4, "Ab"},
    };
    for (const Case& c : cases) {
        setName(c.nameBefore);
        rt_quzo_QUZO_MenuPos[kNameCursor] = c.from;
        tap(c.key);
        EXPECT_EQ(cursor(), c.to) << c.what;
        std::string expected = c.nameAfter;
        expected.resize(kNameSlots, ' ');
        EXPECT_EQ(name(), expected) << c.what;
        EXPECT_EQ(rt_quzo_QUZO_OptCred, kOverlayNameEntry) << c.what;
    }
}

TEST_F(NameEntryTest, AHeldMoveActsOnceUntilReleased) {
    game.press(keys::kRight);
    update(40);
    EXPECT_EQ(cursor(), 1);
    game.release(keys::kRight);
    update();
    tap(keys::kRight);
    EXPECT_EQ(cursor(), 2);
}

TEST_F(NameEntryTest, TheKeysThatOpenedTheScreenDoNothingUntilReleased) {
    // The menu opened the screen with Enter, which is still held.
    rt_quzo_QUZO_OptCred = kOverlayNameEntry;
    rt_quzo_LockKeys();
    game.press(keys::kEnter);
    update(10);
    EXPECT_EQ(rt_quzo_QUZO_OptCred, kOverlayNameEntry);
    EXPECT_EQ(cursor(), 0);
    game.release(keys::kEnter);
    update();
    EXPECT_EQ(rt_quzo_kdis[kNameEntryLock], 0);
}

TEST_F(NameEntryTest, FinishingSavesTheNameAndAsksForTheScoresToBeSent) {
    struct Case {
        const char* what;
        int key; // 0: the finish icon
    };
    const Case cases[] = {
        {"Enter", keys::kEnter}, {"V", kKeyV}, {"Escape", keys::kEscape}, {"finish icon", 0}};
    for (const Case& c : cases) {
        TempFolder folder;
        InWorkingFolder inFolder(folder.path());
        open();
        rt_quzo_QUZO_ForceSend = 0;
        setName("Hexa Player");
        rt_quzo_QUZO_MenuPos[kNameCursor] = 4;

        if (c.key != 0) {
            game.press(c.key);
            update();
            game.release(c.key);
        } else {
            pressAt(48, 38);
            game.mouseUp();
        }
        EXPECT_EQ(rt_quzo_QUZO_OptCred, kOverlayNone) << c.what;
        EXPECT_EQ(rt_quzo_QUZO_ForceSend, 1) << c.what;
        EXPECT_EQ(cursor(), 4) << c.what << " finishes without moving";
        EXPECT_EQ(rt_quzo_kdis[0], 1) << c.what << " locks all";

        // The state file holds the name: it comes back when the record is loaded.
        ASSERT_TRUE(std::filesystem::exists(folder / ".vorpixstate")) << c.what;
        setName("");
        rt_quzo_Load();
        EXPECT_EQ(name(), "Hexa Player  ") << c.what;
        update();
    }
}

TEST_F(NameEntryTest, APointerPicksASlotAndStepsWithTheArrows) {
    setName("Kay");
    // The slots are 32 apart from x = 208 on the centre line.
    pressAt(208 + 32 * 2, 300);
    game.mouseUp();
    update();
    EXPECT_EQ(cursor(), 2);

    // The upper arrow box of the raised slot asks for the next character, the lower one
    // for the previous, repeating while held.
    const float x = 208 + 32 * 2 - 8, y = 300 - 8;
    pressAt(x, y - 60);
    EXPECT_EQ(name()[2], 'z');
    update(30);
    EXPECT_EQ(name()[2], '{');
    game.mouseUp();
    update();
    pressAt(x, y + 60);
    EXPECT_EQ(name()[2], 'z');
    game.mouseUp();
    update();
    EXPECT_EQ(rt_quzo_QUZO_OptCred, kOverlayNameEntry);
}

TEST_F(NameEntryTest, TheSlotsShowTheNameWithTheCursorRaised) {
    setName("Hi");
    slot(5) = 200; // no character: the blank frame
    rt_quzo_QUZO_MenuPos[kNameCursor] = 1;
    update();
    std::vector<Record> boxes;
    for (const Record& r : records()) {
        if (r.kind() == kKindRect) boxes.push_back(r);
    }
    ASSERT_EQ(boxes.size(), size_t(kNameSlots));
    for (int i = 0; i < kNameSlots; ++i) {
        const float raised = i == 1 ? 8 : 0;
        EXPECT_EQ(boxes[size_t(i)].x(), 400 - 192 + 32 * i - 16) << i;
        EXPECT_EQ(boxes[size_t(i)].y(), 300 - raised - 16) << i;
        EXPECT_EQ(boxes[size_t(i)].w(), 30);
        EXPECT_EQ(boxes[size_t(i)].green(), i == 1 ? 200 : 100) << i;
    }
    // One glyph per slot at its box, the name's characters.
    std::vector<Record> glyphs;
    for (const Record& r : imagesOf(kFontSlot)) {
        if (r.sizeX() == 1 && std::fabs(r.y() - 292) <= 8) glyphs.push_back(r);
    }
    ASSERT_EQ(glyphs.size(), size_t(kNameSlots));
    EXPECT_EQ(glyphs[0].frame(), 'H' - 32);
    EXPECT_EQ(glyphs[1].frame(), 'i' - 32);
    EXPECT_EQ(glyphs[1].y(), 300 - 8 - 8);
    EXPECT_EQ(glyphs[2].frame(), 0);
    EXPECT_EQ(glyphs[5].frame(), 0);
}

TEST_F(NameEntryTest, TheFinishButtonChangesItsFormEverySecond) {
    std::set<int> forms;
    for (int i = 0; i < 8; ++i) {
        const int now = game.millisecs();
        update();
        EXPECT_EQ(rt_quzo_KeyPadMouse, now % 2000 < 1000 ? 1 : 0) << now;
        forms.insert(rt_quzo_KeyPadMouse);
        game.advance(500);
    }
    EXPECT_EQ(forms.size(), 2u);
    // The icon itself, at the top left.
    const auto icons = imagesOf(90);
    ASSERT_EQ(icons.size(), 1u);
    EXPECT_EQ(icons[0].frame(), 11);
    EXPECT_EQ(icons[0].x(), 48);
    EXPECT_EQ(icons[0].y(), 38);
}

TEST_F(NameEntryTest, ACursorLeftOutsideTheNameStartsOnTheFirstSlot) {
    // The options screen keeps its scroll target in the same element.
    rt_quzo_QUZO_MenuPos[kNameCursor] = 128;
    setName("N");
    slot(15) = 7;
    tap(keys::kUp);
    EXPECT_EQ(cursor(), 0);
    EXPECT_EQ(name()[0], 'O');
    EXPECT_EQ(slot(15), 7);
}

} // namespace
} // namespace hexwend::testing
