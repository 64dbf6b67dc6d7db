// The options screen, the pause menu and the full-screen switch, driven through the game's
// update on the headless host with the scripted clock, keys and mouse.
#include "framework/quzo.h"
#include "game/my_game.h"
#include "tests/framework/framework_support.h"
#include "tests/support/temp_folder.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <fstream>
#include <functional>
#include <memory>
#include <sstream>
#include <string>
#include <utility>
#include <vector>

namespace hexwend::testing {
namespace {

using namespace hexwend::framework;

constexpr int kFontSlot = 99;
constexpr int kKeyX = 88; // the second select button
constexpr int kKeyC = 67; // the third button, which leaves the options
constexpr int kKeyF11 = 122;

// The rows of the options list on this (desktop) host.
constexpr int kRowBack = 0;
constexpr int kRowFullscreen = 1;
constexpr int kRowSfx = 2;
constexpr int kRowInvertLeft = 4;
constexpr int kRowInvertRight = 5;
constexpr int kRowScreenshot = 6;
constexpr int kRowFramerate = 7;

// The virtual screen before any render: 800 x 600, and the pause toy's centre on it.
constexpr float kCentreX = 800 - 256;
constexpr float kCentreY = 300;

// The game with its own work replaced: play only counts its updates.
class QuietGame : public c_MyGame {
  public:
    int gameUpdates = 0;

    int p_OnCreate() override {
        rt_app_SetUpdateRate(60);
        return 0;
    }
    int p_SendScores(int) override { return 0; }
    int p_LoadScreen() override { return 0; }
    int p_MainMenu() override { return 0; }
    int p_GotoMenu() override {
        rt_quzo_Goto(kModeMainMenu, -1);
        return 0;
    }
    int p_GotoGame() override {
        rt_quzo_Goto(kModePlaying, -1);
        return 0;
    }
    int p_Game() override {
        ++gameUpdates;
        return 0;
    }
};

class OverlayTest : public ::testing::Test {
  protected:
    void SetUp() override {
        useSilentAudio();
        // The options save the state file into the working folder.
        inFolder = std::make_unique<InWorkingFolder>(folder.path());
        app = game.start<QuietGame>(hexwend::game::registerModules);
        rt_quzo_QUZO_Loader = 0;
        rt_quzo_QUZO_Scale = 1; // window pixels are virtual units
        rt_quzo_LoadFont(kFontSlot, String("bandwidth"));
        rt_quzo_LoadImg(81, String("options"), 68, 68, 49);
        rt_quzo_LoadImg(90, String("icons"), 128, 128, 16);
        ASSERT_NE(rt_quzo_QUZO_Img[kFontSlot], nullptr) << "the generated data folder";
    }
    void TearDown() override { inFolder.reset(); }

    void update(int count = 1) { game.update(count); }

    // Keys are held for a few updates, then released, as a player would.
    void hold(std::initializer_list<int> keys, int updates = 3) {
        for (int key : keys) game.press(key);
        update(updates);
        for (int key : keys) game.release(key);
        update();
    }
    void hold(int key, int updates = 3) { hold({key}, updates); }

    void pressAt(float x, float y) {
        game.moveMouse(x, y);
        game.mouseDown();
        update();
    }
    void releaseMouse() {
        game.mouseUp();
        update();
    }

    // --- Options ---

    // Opens the options as the main menu does (the list at its top, "Back" highlighted,
    // everything locked), moves the highlight down to a row and lets the list follow it.
    void openOptions(int row = kRowBack) {
        rt_quzo_QUZO_OptCred = kOverlayOptions;
        int* pos = rt_quzo_QUZO_MenuPos.Data();
        pos[kOptionsTarget] = 128;
        pos[kOptionsFirstY] = 128;
        pos[kOptionsVelocity] = 0;
        pos[kOptionsHighlight] = kRowBack;
        rt_quzo_LockKeys();
        update();
        for (int i = 0; i < row; ++i) hold(keys::kDown);
        update(120);
        ASSERT_EQ(highlight(), row);
    }

    static int highlight() { return rt_quzo_QUZO_MenuPos[kOptionsHighlight]; }
    // The y of a row as the last update drew it.
    static float rowY(int row) { return float(rt_quzo_QUZO_MenuPos[kOptionsFirstY] + 116 * row); }

    // The text drawn by the last update along the line y (glyph centres within
    // one unit) between two x, left to right; spaces are not drawn.
    static std::string textOn(float y, float minX = -1000, float maxX = 2000) {
        std::vector<std::pair<float, char>> glyphs;
        for (const Record& r : lastUpdateRecords()) {
            if (r.kind() == kKindImage && r.slot() == kFontSlot && std::fabs(r.y() - y) <= 1 &&
                r.x() >= minX && r.x() <= maxX)
                glyphs.emplace_back(r.x(), char(r.frame() + 32));
        }
        std::sort(glyphs.begin(), glyphs.end());
        std::string out;
        for (auto& g : glyphs) out += g.second;
        return out;
    }
    // The value text of a switch row.
    static std::string switchText(int row) { return textOn(rowY(row) - 8, 350, 600); }

    static int imagesOf(int slot, int frame) {
        int n = 0;
        for (const Record& r : lastUpdateRecords()) {
            n += r.kind() == kKindImage && r.slot() == slot && r.frame() == frame;
        }
        return n;
    }

    // The fields of the state file, or none when there is none.
    static std::vector<std::string> stateFields() {
        std::ifstream in("./.vorpixstate");
        std::vector<std::string> fields;
        std::string field;
        while (std::getline(in, field, '|')) fields.push_back(field);
        return fields;
    }

    // --- Pause menu ---

    // The menu, play for a few updates, then the pause control.
    void pausePlay() {
        rt_quzo_QUZO_GameMode = kModeMainMenu;
        update();
        rt_quzo_QUZO_GameMode = kModePlaying;
        update(5);
        hold(keys::kEscape, 1);
        ASSERT_EQ(rt_quzo_QUZO_Paused, 1);
    }
    static float toy(int element) { return rt_quzo_paused[element]; }
    static int columnX() { return rt_quzo_QUZO_MenuPos[kPauseMenuColumnX]; }
    static int selection() { return rt_quzo_QUZO_MenuPos[kPauseMenuSelection]; }

    TempFolder folder;
    std::unique_ptr<InWorkingFolder> inFolder;
    HeadlessGame game;
    QuietGame* app = nullptr;
};

// --- Options -----------------------------------------------------------------------------

TEST_F(OverlayTest, SfxIsChosenBetween0And10AndSteppedWithin0To10) {
    struct Case {
        const char* name;
        int start;
        std::vector<int> keys; // held together
        int expected;
    };
    const Case cases[] = {
        {"select from 0", 0, {keys::kEnter}, 10},
        {"select from 10", 10, {keys::kEnter}, 0},
        {"select from between", 4, {keys::kEnter}, 0},
        {"the second select button", 0, {kKeyX}, 10},
        {"right", 4, {keys::kRight}, 5},
        {"left", 4, {keys::kLeft}, 3},
        {"left at 0", 0, {keys::kLeft}, 0},
        {"right at 10", 10, {keys::kRight}, 10},
        {"left and right together move left", 4, {keys::kLeft, keys::kRight}, 3},
    };
    openOptions(kRowSfx);
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        rt_quzo_QUZO_Set[1] = c.start;
        update();
        // Held for 20 updates, the keys act once.
        for (int key : c.keys) game.press(key);
        update(20);
        for (int key : c.keys) game.release(key);
        update(2);
        EXPECT_EQ(rt_quzo_QUZO_Set[1], c.expected);
        EXPECT_EQ(rt_quzo_QUZO_OptCred, kOverlayOptions);
        EXPECT_EQ(highlight(), kRowSfx);
    }
}

TEST_F(OverlayTest, ChoosingAnInvertRowTogglesItAndShowsItsText) {
    for (auto [row, setting] : {std::pair{kRowInvertLeft, 11}, std::pair{kRowInvertRight, 12}}) {
        SCOPED_TRACE(row);
        rt_quzo_QUZO_Set[setting] = 0;
        openOptions(row);
        EXPECT_EQ(switchText(row), "Standard");
        hold(keys::kEnter);
        EXPECT_EQ(rt_quzo_QUZO_Set[setting], 1);
        EXPECT_EQ(switchText(row), "Inverted");
        hold(keys::kSpace);
        EXPECT_EQ(rt_quzo_QUZO_Set[setting], 0);
        EXPECT_EQ(switchText(row), "Standard");

        // A value out of range is pulled back while its row is highlighted, and the row
        // that is not highlighted keeps its own.
        const int other = row == kRowInvertLeft ? 12 : 11;
        rt_quzo_QUZO_Set[setting] = 5;
        rt_quzo_QUZO_Set[other] = 7;
        update();
        EXPECT_EQ(rt_quzo_QUZO_Set[setting], 1);
        EXPECT_EQ(rt_quzo_QUZO_Set[other], 7);
        rt_quzo_QUZO_Set[other] = 0;
    }
}

TEST_F(OverlayTest, APressHighlightsARowAndAPressOnTheHighlightedBackLeavesAndSaves) {
    openOptions(kRowBack);
    rt_quzo_QUZO_Set[0] = 3;

    // A press on the SFX row's fifth dot while Back is highlighted only highlights.
    rt_quzo_QUZO_Set[1] = 7;
    pressAt(416, rowY(kRowSfx));
    EXPECT_EQ(highlight(), kRowSfx);
    EXPECT_EQ(rt_quzo_QUZO_Set[1], 7);
    // Held on, the dot of the highlighted slider sets it.
    update();
    EXPECT_EQ(rt_quzo_QUZO_Set[1], 5);
    releaseMouse();

    // A press on Back while another row is highlighted only highlights it.
    pressAt(400, rowY(kRowBack));
    EXPECT_EQ(highlight(), kRowBack);
    update(10);
    EXPECT_EQ(rt_quzo_QUZO_OptCred, kOverlayOptions);
    EXPECT_TRUE(stateFields().empty()) << "nothing saved yet";
    releaseMouse();

    // A fresh press on the highlighted Back leaves and saves the settings.
    pressAt(400, rowY(kRowBack));
    EXPECT_EQ(rt_quzo_QUZO_OptCred, kOverlayNone);
    EXPECT_EQ(highlight(), kRowBack);
    std::vector<std::string> fields = stateFields();
    ASSERT_GT(fields.size(), 3u);
    EXPECT_EQ(fields[0], "QUZO_v2.0");
    EXPECT_EQ(fields[1], "3") << "the music volume";
    EXPECT_EQ(fields[2], "5") << "the effects volume";
}

TEST_F(OverlayTest, LeavingByAKeyOrByChoosingBackSaves) {
    struct Case {
        const char* name;
        int highlight;
        int key;
    };
    const Case cases[] = {
        {"Escape", kRowSfx, keys::kEscape},
        {"Backspace", kRowFramerate, keys::kBackspace},
        {"the third button", kRowInvertLeft, kKeyC},
        {"Back chosen", kRowBack, keys::kEnter},
    };
    int music = 1;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        // The key already held as the options open (they lock everything) does nothing
        // until it is pressed again.
        game.press(c.key);
        openOptions(c.highlight);
        rt_quzo_QUZO_Set[0] = ++music;
        game.release(c.key);
        update();
        EXPECT_EQ(rt_quzo_QUZO_OptCred, kOverlayOptions);

        hold(c.key, 1);
        EXPECT_EQ(rt_quzo_QUZO_OptCred, kOverlayNone);
        std::vector<std::string> fields = stateFields();
        ASSERT_GT(fields.size(), 1u);
        EXPECT_EQ(fields[1], std::to_string(music));
    }
}

TEST_F(OverlayTest, AFastDragStopsTheListFollowingTheHighlightUntilAKeyMovesIt) {
    openOptions(kRowBack);
    ASSERT_EQ(rowY(kRowBack), 128);

    // A press beside the rows, dragged up 30 units an update.
    pressAt(760, 500);
    for (int y = 470; y >= 350; y -= 30) {
        game.moveMouse(760, float(y));
        update();
    }
    releaseMouse();
    EXPECT_EQ(rt_quzo_kdis[47], 1);
    update(240);
    EXPECT_EQ(highlight(), kRowBack);
    EXPECT_LT(rowY(kRowBack), -96) << "the highlighted row stays where the drag left it";
    EXPECT_GE(rowY(kRowFramerate), 300 - 116) << "the list's end stays near the middle";

    // A key that moves the highlight brings the list back to it.
    hold(keys::kDown);
    EXPECT_EQ(highlight(), 1);
    EXPECT_EQ(rt_quzo_kdis[47], 0);
    update(240);
    EXPECT_GT(rowY(1), 63);
    EXPECT_LT(rowY(1), 600 - 63);
}

TEST_F(OverlayTest, ScreenshotModeAndFramerateFollowTheirSwitches) {
    struct Case {
        const char* name;
        int row;
        int setting;
        int* global;
    };
    const Case cases[] = {
        {"screenshot mode", kRowScreenshot, 23, &rt_quzo_QUZO_ScreenshotMode},
        {"frame rate", kRowFramerate, 22, &rt_quzo_QUZO_DebugMode},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        openOptions(c.row);
        ASSERT_EQ(*c.global, 0);
        EXPECT_EQ(switchText(c.row), "Off");

        hold(keys::kEnter);
        EXPECT_EQ(rt_quzo_QUZO_Set[c.setting], 1);
        EXPECT_EQ(*c.global, 1);
        EXPECT_EQ(switchText(c.row), "On");

        // A press on the switch toggles it once however long it is held.
        pressAt(472, rowY(c.row));
        update(10);
        EXPECT_EQ(rt_quzo_QUZO_Set[c.setting], 0);
        EXPECT_EQ(*c.global, 0);
        releaseMouse();

        hold(keys::kRight);
        EXPECT_EQ(*c.global, 1);
        hold(keys::kLeft);
        EXPECT_EQ(*c.global, 0);
        rt_quzo_QUZO_OptCred = kOverlayNone;
    }
}

TEST_F(OverlayTest, TheConsoleHostAddsTheOverscanRowWithItsCornerMarks) {
    struct Case {
        const char* name;
        int console;
        int lastRow;
    };
    for (const Case& c : {Case{"desktop", 0, 7}, Case{"console", 1, 8}}) {
        SCOPED_TRACE(c.name);
        rt_quzo_isOuya = c.console;
        openOptions(1);
        const float w = 800, h = 600;
        const std::vector<std::vector<float>> marks = {
            {0, 0, 64, 24},           {0, 0, 24, 64},      {w - 64, h - 24, 64, 24},
            {w - 24, h - 64, 24, 64}, {w - 64, 0, 64, 24}, {w - 24, 0, 24, 64},
            {0, h - 24, 64, 24},      {0, h - 64, 24, 64}};
        int found = 0;
        for (const Record& r : lastUpdateRecords()) {
            if (r.kind() != kKindRect || r.red() != 255 || r.green() != 255 || r.alpha() != 1)
                continue;
            for (const auto& m : marks)
                found += r.x() == m[0] && r.y() == m[1] && r.w() == m[2] && r.h() == m[3];
        }
        EXPECT_EQ(found, c.console ? 8 : 0);
        if (c.console) {
            rt_quzo_QUZO_Set[21] = 0;
            hold(keys::kRight);
            EXPECT_EQ(rt_quzo_QUZO_Set[21], 1);
        }

        // The highlight stops at the last row.
        for (int i = 0; i < 10; ++i) hold(keys::kDown);
        EXPECT_EQ(highlight(), c.lastRow);
        rt_quzo_QUZO_OptCred = kOverlayNone;
    }
}

// --- Full screen -------------------------------------------------------------------------

TEST_F(OverlayTest, F11AndTheFullscreenRowSwitchBetweenTheDesktopAndTheDefaultWindow) {
    struct Step {
        const char* name;
        std::function<void()> act;
        int fullscreen;
        HeadlessGame::WindowRequest request;
    };
    const Step steps[] = {
        {"F11", [&] { hold(kKeyF11, 1); }, 1, {1920, 1080, 1}},
        {"F11 again", [&] { hold(kKeyF11, 1); }, 0, {640, 480, 6}},
        {"the row chosen",
         [&] {
             openOptions(kRowFullscreen);
             hold(keys::kEnter);
         },
         1,
         {1920, 1080, 1}},
        {"the row chosen again", [&] { hold(keys::kEnter); }, 0, {640, 480, 6}},
    };
    for (const Step& s : steps) {
        SCOPED_TRACE(s.name);
        const size_t before = game.windowRequests().size();
        s.act();
        EXPECT_EQ(rt_quzo_QUZO_Fullscreen, s.fullscreen);
        ASSERT_EQ(game.windowRequests().size(), before + 1);
        const auto& r = game.windowRequests().back();
        EXPECT_EQ(r.width, s.request.width);
        EXPECT_EQ(r.height, s.request.height);
        EXPECT_EQ(r.flags, s.request.flags);
        EXPECT_EQ(rt_app__devWidth, s.request.width) << "the application has the new size";
    }

    // Without a desktop size there is nothing to fill: the window stays.
    rt_app__desktopMode->m_width = 0;
    const size_t before = game.windowRequests().size();
    rt_quzo_FullscreenFlip();
    EXPECT_EQ(rt_quzo_QUZO_Fullscreen, 0);
    EXPECT_EQ(game.windowRequests().size(), before);
}

TEST_F(OverlayTest, SetSetReadsAndWritesOnlyItsRange) {
    struct Case {
        int index, value, result;
    };
    rt_quzo_QUZO_Set[0] = 7;
    rt_quzo_QUZO_Set[250] = 9;
    const Case cases[] = {{0, kSetSetRead, 7}, {249, 5, 5}, {249, kSetSetRead, 5},
                          {250, 4, 0},         {-1, 4, 0},  {250, kSetSetRead, 0}};
    for (const Case& c : cases) EXPECT_EQ(rt_quzo_SetSet(c.index, c.value), c.result);
    EXPECT_EQ(rt_quzo_QUZO_Set[249], 5);
    EXPECT_EQ(rt_quzo_QUZO_Set[250], 9);
}

// --- Pause menu --------------------------------------------------------------------------

TEST_F(OverlayTest, TheFirstUpdateOfAPauseResetsTheBallAndLosingItKeepsTheBestRun) {
    rt_quzo_QUZO_GameMode = kModePlaying;
    update(5);
    EXPECT_EQ(toy(kToyBallX), 0);
    EXPECT_EQ(toy(kToyBallY), 0);
    hold(keys::kEscape, 1);
    // Two updates of the pause have moved the ball from the centre by its velocity.
    const float vx = toy(kToyBallVX), vy = toy(kToyBallVY);
    const float speed = std::hypot(vx, vy);
    EXPECT_GE(speed, 1);
    EXPECT_LE(speed, 2.5f);
    EXPECT_NEAR(toy(kToyBallX), kCentreX + 2 * vx, 1e-3);
    EXPECT_NEAR(toy(kToyBallY), kCentreY + 2 * vy, 1e-3);
    EXPECT_EQ(toy(kToySpeed), 3);
    EXPECT_EQ(toy(kToyHits), 0);

    struct Case {
        const char* name;
        float x, y;
        int hits, best, bestAfter;
    };
    const Case cases[] = {
        {"lost to the left with a new best", -40, 300, 7, 3, 7},
        {"lost below, best kept", 300, 640, 2, 5, 5},
        {"lost to the right", 840, 100, 4, 4, 4},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        rt_quzo_paused[kToyBallX] = c.x;
        rt_quzo_paused[kToyBallY] = c.y;
        rt_quzo_paused[kToyHits] = float(c.hits);
        rt_quzo_paused[kToyBest] = float(c.best);
        update();
        EXPECT_NEAR(toy(kToyBallX), kCentreX + toy(kToyBallVX), 1e-3);
        EXPECT_EQ(toy(kToyHits), 0);
        EXPECT_EQ(toy(kToyBest), c.bestAfter);
        EXPECT_EQ(textOn(600 - 8 - 11), "0:" + std::to_string(c.bestAfter));
    }
}

TEST_F(OverlayTest, EachHitRaisesTheBaseSpeedByATenth) {
    pausePlay();
    for (int k = 1; k <= 5; ++k) {
        SCOPED_TRACE(k);
        const float base = toy(kToySpeed);
        // The ball just inside the ring's top segment, heading out.
        rt_quzo_paused[kToyBallX] = kCentreX;
        rt_quzo_paused[kToyBallY] = kCentreY - 196 + 5;
        rt_quzo_paused[kToyBallVX] = 0;
        rt_quzo_paused[kToyBallVY] = -1;
        rt_quzo_paused[kToyCooldown] = 0;
        update();
        EXPECT_EQ(toy(kToyHits), k);
        EXPECT_NEAR(toy(kToySpeed), base + 0.1f, 1e-4);
        // Struck straight back down at the base speed less up to 1.5.
        EXPECT_NEAR(toy(kToyBallVX), 0, 1e-4);
        EXPECT_GE(toy(kToyBallVY), base - 1.5f);
        EXPECT_LE(toy(kToyBallVY), base);
        const float* hit = rt_quzo_paused.Data() + toyHitElement(k);
        EXPECT_NEAR(hit[0], 0, 1e-4) << "the angle of the hit";
        EXPECT_GE(hit[1], 0.5f);
        EXPECT_LT(hit[1], 1.5f);
        EXPECT_EQ(hit[2], 20 * k);
    }

    // The trail: one line per hit, from the centre to the first hit's place on the ring
    // (straight up) and on from each hit's place to the next.
    std::vector<Record> lines;
    for (const Record& r : lastUpdateRecords()) {
        if (r.kind() == kKindLine) lines.push_back(r);
    }
    ASSERT_EQ(lines.size(), 5u);
    EXPECT_EQ(lines[0].x(), kCentreX);
    EXPECT_EQ(lines[0].y(), kCentreY);
    EXPECT_NEAR(lines[0].f[13], kCentreX, 1e-3);
    EXPECT_NEAR(lines[0].f[14], kCentreY - 196, 1e-3);
    EXPECT_EQ(lines[1].x(), lines[0].f[13]);

    // While the cool-down runs a touch does not strike again.
    rt_quzo_paused[kToyBallX] = kCentreX;
    rt_quzo_paused[kToyBallY] = kCentreY - 196 + 5;
    rt_quzo_paused[kToyBallVY] = -1;
    update();
    EXPECT_EQ(toy(kToyHits), 5);
    EXPECT_EQ(toy(kToyBallVY), -1);

    // Turned right, the ring gathers momentum and the trail swings with it.
    const float before = toy(toyHitElement(1));
    hold(keys::kRight);
    EXPECT_GT(toy(kToyRingAngle), 0);
    EXPECT_GT(toy(kToyMomentum), 0);
    EXPECT_GT(toy(toyHitElement(1)), before);
}

TEST_F(OverlayTest, QuitEndsTheRunWithQuitGame) {
    struct Case {
        const char* name;
        std::function<void()> choose;
    };
    const Case cases[] = {
        {"by keys",
         [&] {
             hold(keys::kUp);
             EXPECT_EQ(selection(), 0);
             hold(keys::kEnter, 1);
         }},
        {"by a press on the quit icon",
         [&] {
             update(20);
             pressAt(64, kCentreY - 128);
             releaseMouse();
         }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        rt_quzo_FlushGame();
        pausePlay();
        EXPECT_EQ(selection(), 1) << "the pause menu opens on resume";
        c.choose();
        EXPECT_EQ(rt_quzo_QUZO_Paused, 0);
        EXPECT_EQ(rt_quzo_QUZO_EndReason, kEndQuit);
        ASSERT_GT(rt_quzo_QUZO_EndofGame, 0);
        while (rt_quzo_QUZO_EndofGame < 50) update();
        EXPECT_EQ(textOn(300 - 36), "Quit");
        EXPECT_EQ(textOn(300 + 36), "Game");
        while (rt_quzo_QUZO_GameMode == kModePlaying) update();
    }
}

TEST_F(OverlayTest, ResumeResumesOnlyTheTunePausedByThePause) {
    struct Case {
        const char* name;
        int music;
        bool byPointer;
    };
    const Case cases[] = {
        {"playing tune, by key", 1, false},
        {"playing tune, by a press on the icon", 1, true},
        {"no tune", 0, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        rt_quzo_QUZO_MusicPlaying = c.music;
        pausePlay();
        EXPECT_EQ(rt_quzo_QUZO_MusicPlaying, c.music == 1 ? 2 : 0);
        const int played = app->gameUpdates;
        if (c.byPointer) {
            update(20);
            pressAt(64, kCentreY);
            releaseMouse();
        } else {
            hold(keys::kEnter, 1);
        }
        EXPECT_EQ(rt_quzo_QUZO_Paused, 0);
        EXPECT_EQ(rt_quzo_QUZO_MusicPlaying, c.music);
        update();
        EXPECT_GT(app->gameUpdates, played);
        rt_quzo_QUZO_GameMode = kModeMainMenu;
        update();
    }
}

TEST_F(OverlayTest, OptionsOpenOverThePausedPlayAndReturnToIt) {
    pausePlay();
    hold(keys::kDown);
    ASSERT_EQ(selection(), 2);
    const int played = app->gameUpdates;
    hold(keys::kEnter, 1);
    EXPECT_EQ(rt_quzo_QUZO_OptCred, kOverlayOptions);
    EXPECT_EQ(rt_quzo_QUZO_Paused, 1);

    update(30);
    EXPECT_EQ(imagesOf(81, 48), 16 * 15) << "the options' tiles";
    EXPECT_EQ(imagesOf(90, 6), 0) << "no pause menu under the options";
    EXPECT_EQ(app->gameUpdates, played);

    // Leaving by the pause key neither unpauses nor lets the held key act again.
    game.press(keys::kEscape);
    update(10);
    EXPECT_EQ(rt_quzo_QUZO_OptCred, kOverlayNone);
    EXPECT_EQ(rt_quzo_QUZO_Paused, 1);
    EXPECT_EQ(imagesOf(90, 6), 1) << "the pause menu's selection mark";
    game.release(keys::kEscape);
    update(5);
    EXPECT_EQ(rt_quzo_QUZO_Paused, 1);
    EXPECT_EQ(app->gameUpdates, played);
    EXPECT_FALSE(stateFields().empty()) << "the options saved on leaving";

    // The pause key resumes.
    hold(keys::kEscape, 1);
    EXPECT_EQ(rt_quzo_QUZO_Paused, 0);
    EXPECT_GT(app->gameUpdates, played);
}

TEST_F(OverlayTest, TheIconsSlideOutAfter581IdleUpdatesAndATouchBringsThemBack) {
    rt_quzo_QUZO_GameMode = kModePlaying;
    update(5);
    EXPECT_EQ(columnX(), -64);
    game.press(keys::kEscape);
    update();
    game.release(keys::kEscape);
    // The first update of the pause was one; the column slides in 8 an update.
    EXPECT_EQ(columnX(), -56);
    update(15);
    EXPECT_EQ(columnX(), 64);
    update(581 - 16);
    EXPECT_EQ(columnX(), 64) << "581 idle updates";
    update();
    EXPECT_EQ(columnX(), 60);
    update(31);
    EXPECT_EQ(columnX(), -64);
    update(100);
    EXPECT_EQ(columnX(), -64);

    // A touch anywhere brings them back, 8 an update, and restarts the idle count.
    pressAt(400, 500);
    EXPECT_EQ(columnX(), -56);
    update(15);
    EXPECT_EQ(columnX(), 64);
    releaseMouse();
    update(570);
    EXPECT_EQ(columnX(), 64);
    EXPECT_EQ(rt_quzo_QUZO_Paused, 1);

    // A key move restarts the idle count as well.
    update(20);
    EXPECT_LT(columnX(), 64);
    hold(keys::kDown);
    update(20);
    EXPECT_EQ(columnX(), 64);
}

TEST_F(OverlayTest, APressThatLeavesTheOptionsDoesNotGoOnToActInThePauseMenu) {
    pausePlay();
    update(20);
    rt_quzo_QUZO_OptCred = kOverlayOptions;
    int* pos = rt_quzo_QUZO_MenuPos.Data();
    pos[kOptionsTarget] = pos[kOptionsFirstY] = 128;
    pos[kOptionsHighlight] = kRowBack;
    update();

    // The left end of the Back row's press area lies over the pause menu's quit icon.
    pressAt(80, 150);
    EXPECT_EQ(rt_quzo_QUZO_OptCred, kOverlayNone);
    update(10);
    EXPECT_EQ(rt_quzo_QUZO_Paused, 1);
    EXPECT_EQ(rt_quzo_QUZO_EndofGame, 0);
    releaseMouse();

    // A fresh press there is one on the quit icon.
    pressAt(80, 150);
    EXPECT_EQ(rt_quzo_QUZO_Paused, 0);
    EXPECT_EQ(rt_quzo_QUZO_EndReason, kEndQuit);
}

} // namespace
} // namespace hexwend::testing
