// The frame flow and the game modes, driven through the headless host: the game's update
// with its dispatch by mode and overlay, the pause handling, the end-of-game overlay and its
// timed events, update counting and the per-update housekeeping.
#include "audio/sound.h"
#include "framework/quzo.h"
#include "game/my_game.h"
#include "runtime/random.h"
#include "tests/framework/framework_support.h"

#include <AL/al.h>

#include <cstdlib>
#include <functional>
#include <string>
#include <vector>

namespace hexwend::testing {
namespace {

using namespace hexwend::framework;
using ::testing::ElementsAre;
using ::testing::ElementsAreArray;
using ::testing::IsEmpty;

// The game with its own work replaced by a log of what ran. Hooks let a test act inside that
// work; returning to the menu and starting a game change the mode as the game's own
// transitions do.
class WatchedGame : public c_MyGame {
  public:
    std::vector<std::string> log;
    std::function<void()> onLoad;
    std::function<void()> onGame;

    // The game's own creation (state file, assets) is not part of these tests.
    int p_OnCreate() override {
        rt_app_SetUpdateRate(60);
        return 0;
    }
    int p_SendScores(int) override {
        log.push_back("send");
        return 0;
    }
    int p_LoadScreen() override {
        log.push_back("load");
        if (onLoad) onLoad();
        return 0;
    }
    int p_MainMenu() override {
        log.push_back("menu");
        return 0;
    }
    int p_GotoMenu() override {
        log.push_back("toMenu");
        rt_quzo_Goto(kModeMainMenu, -1);
        return 0;
    }
    int p_GotoGame() override {
        log.push_back("toGame");
        rt_quzo_Goto(kModePlaying, -1);
        return 0;
    }
    int p_Game() override {
        log.push_back("game");
        if (onGame) onGame();
        return 0;
    }
};

class FlowTest : public ::testing::Test {
  protected:
    void SetUp() override {
        useSilentAudio();
        app = game.start<WatchedGame>(hexwend::game::registerModules);
        rt_quzo_QUZO_Loader = 0;
    }

    // One update; afterwards lastUpdateRecords() holds what it drew.
    void update(int count = 1) {
        for (int i = 0; i < count; ++i) {
            rt_quzo_Bufferup = 0;
            game.update();
        }
    }

    // The pause icon: the first frame of the icons at (24, 24), small and faint.
    static bool pauseIconDrawn() {
        for (const Record& r : lastUpdateRecords()) {
            if (r.kind() == kKindImage && r.slot() == 90 && r.frame() == 0 && r.x() == 24 &&
                r.y() == 24 && r.sizeX() == 0.4f && r.alpha() == 0.1f) {
                return true;
            }
        }
        return false;
    }

    static std::vector<Record> triangles() {
        std::vector<Record> out;
        for (const Record& r : lastUpdateRecords()) {
            if (r.kind() == kKindTriangle) out.push_back(r);
        }
        return out;
    }

    std::vector<std::string> takeLog() {
        std::vector<std::string> out;
        out.swap(app->log);
        return out;
    }

    HeadlessGame game;
    WatchedGame* app = nullptr;
};

// --- Dispatch ----------------------------------------------------------------------------

TEST_F(FlowTest, EachStateRunsItsWorkInOneUpdate) {
    struct Case {
        const char* name;
        int loader;
        bool loadingEnds; // the loading step finishes the loading
        int mode;
        int overlay;
        int paused;
        int endOfGame;
        int forceSend;
        std::vector<std::string> work;
        int pausedAfter;
        int endOfGameAfter;
        int slideAfter; // the main menu's slide-in counter, 5 before the update
        bool icon;
    };
    const Case cases[] = {
        {"loading", 3, false, 0, 0, 0, 0, 0, {"load"}, 0, 0, 5, false},
        {"loading ends: the menu runs at once",
         61,
         true,
         0,
         0,
         0,
         0,
         0,
         {"load", "menu"},
         0,
         0,
         5,
         false},
        {"loading with an end sequence held", 3, false, 10, 0, 0, 7, 0, {"load"}, 0, 7, 5, false},
        {"scores waiting are sent first",
         0,
         false,
         0,
         0,
         0,
         0,
         1,
         {"send", "menu"},
         0,
         0,
         5,
         false},
        {"main menu", 0, false, 0, 0, 0, 0, 0, {"menu"}, 0, 0, 5, false},
        {"return to the menu", 0, false, 1, 0, 0, 0, 0, {"toMenu"}, 0, 0, -64, false},
        {"start of a game", 0, false, 11, 0, 0, 0, 0, {"toGame"}, 0, 0, -64, false},
        {"play", 0, false, 10, 0, 0, 0, 0, {"game"}, 0, 0, -64, true},
        {"paused play", 0, false, 10, 0, 1, 0, 0, {}, 1, 0, -64, false},
        {"paused play that is ending runs", 0, false, 10, 0, 1, 5, 0, {"game"}, 0, 6, -64, true},
        {"the end sequence over the menu", 0, false, 0, 0, 0, 100, 0, {"menu"}, 0, 101, 5, false},
        {"a mode without work", 0, false, 7, 0, 0, 3, 0, {}, 0, 4, -64, false},
        {"paused outside play is unpaused", 0, false, 0, 0, 1, 0, 0, {"menu"}, 0, 0, 5, false},
        {"options over the menu", 0, false, 0, 1, 0, 0, 0, {}, 0, 0, 5, false},
        {"credits over an ending game", 0, false, 10, 2, 0, 5, 0, {}, 0, 5, -64, false},
        {"name entry over the start", 0, false, 11, 3, 0, 0, 0, {}, 0, 0, -64, false},
        {"options over paused play", 0, false, 10, 1, 1, 0, 0, {}, 1, 0, -64, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        rt_quzo_QUZO_Loader = c.loader;
        app->onLoad = [&] {
            if (c.loadingEnds) rt_quzo_QUZO_Loader = 0;
        };
        rt_quzo_QUZO_GameMode = c.mode;
        rt_quzo_QUZO_OptCred = c.overlay;
        rt_quzo_QUZO_Paused = c.paused;
        rt_quzo_QUZO_EndofGame = c.endOfGame;
        rt_quzo_QUZO_ForceSend = c.forceSend;
        rt_quzo_QUZO_MenuPos[10] = 5;
        takeLog();
        update();
        EXPECT_EQ(takeLog(), c.work);
        EXPECT_EQ(rt_quzo_QUZO_Paused, c.pausedAfter);
        EXPECT_EQ(rt_quzo_QUZO_EndofGame, c.endOfGameAfter);
        EXPECT_EQ(rt_quzo_QUZO_MenuPos[10], c.slideAfter);
        EXPECT_EQ(pauseIconDrawn(), c.icon);
        EXPECT_EQ(triangles().size(),
                  c.endOfGameAfter > 0 && c.endOfGameAfter != c.endOfGame ? 2u : 0u);
    }
}

TEST_F(FlowTest, AGameRunsFromItsStartThroughItsEndBackToTheMenu) {
    rt_quzo_QUZO_GameMode = kModeToGame;
    update();
    EXPECT_THAT(takeLog(), ElementsAre("toGame"));
    EXPECT_EQ(rt_quzo_QUZO_GameMode, kModePlaying);

    app->onGame = [] { rt_quzo_EndGame(kEndLost); };
    update();
    app->onGame = nullptr;
    // The sequence starts at 1 and its first overlay update is 2, in the same update.
    EXPECT_EQ(rt_quzo_QUZO_EndofGame, 2);
    EXPECT_THAT(takeLog(), ElementsAre("game"));

    std::vector<std::string> work;
    while (rt_quzo_QUZO_EndofGame != 0) {
        update();
        std::vector<std::string> log = takeLog();
        work.insert(work.end(), log.begin(), log.end());
        ASSERT_LT(work.size(), 200u);
    }
    // Play through t = 90, the return in the next update, then the menu under the overlay
    // until t = 160, and the update after it ends the sequence.
    std::vector<std::string> expected(88, "game");
    expected.push_back("toMenu");
    expected.insert(expected.end(), 160 - 91 + 1, "menu");
    EXPECT_THAT(work, ElementsAreArray(expected));
    EXPECT_EQ(rt_quzo_QUZO_GameMode, kModeMainMenu);
    EXPECT_EQ(rt_quzo_QUZO_EndReason, 0);
}

TEST_F(FlowTest, AnOverlayFreezesTheEndSequenceAndPlayUntilItCloses) {
    rt_quzo_QUZO_GameMode = kModePlaying;
    app->onGame = [] { rt_quzo_EndGame(kEndLost); };
    update(10);
    ASSERT_EQ(rt_quzo_QUZO_EndofGame, 11);

    rt_quzo_QUZO_OptCred = kOverlayOptions;
    takeLog();
    for (int i = 0; i < 30; ++i) {
        update();
        EXPECT_EQ(rt_quzo_QUZO_EndofGame, 11);
        EXPECT_THAT(triangles(), IsEmpty());
    }
    EXPECT_THAT(takeLog(), IsEmpty());

    rt_quzo_QUZO_OptCred = kOverlayNone;
    update();
    EXPECT_EQ(rt_quzo_QUZO_EndofGame, 12);
    EXPECT_THAT(takeLog(), ElementsAre("game"));
}

// --- Pause -------------------------------------------------------------------------------

TEST_F(FlowTest, ThePauseControlTogglesOncePerPressAndOnlyAfterRelease) {
    rt_quzo_QUZO_GameMode = kModePlaying;
    rt_quzo_QUZO_MusicPlaying = 1;
    struct Step {
        const char* what;
        int key; // pressed (> 0), released (< 0) or nothing (0) before the updates
        int updates;
        int paused;
        int music;
        int gameUpdates; // of the game's own work during these updates
    };
    const Step steps[] = {
        {"press: the game runs this update, then pauses", keys::kEscape, 1, 1, 2, 1},
        {"held", 0, 20, 1, 2, 0},
        {"released", -keys::kEscape, 3, 1, 2, 0},
        {"second press resumes", keys::kDelete, 1, 0, 1, 0},
        {"held again", 0, 10, 0, 1, 10},
        {"released again", -keys::kDelete, 1, 0, 1, 1},
        {"third press pauses", keys::kBackspace, 1, 1, 2, 1},
    };
    for (const Step& s : steps) {
        SCOPED_TRACE(s.what);
        if (s.key > 0) game.press(s.key);
        if (s.key < 0) game.release(-s.key);
        takeLog();
        for (int i = 0; i < s.updates; ++i) {
            update();
            EXPECT_EQ(rt_quzo_QUZO_Paused, s.paused) << "update " << i;
        }
        EXPECT_EQ(rt_quzo_QUZO_MusicPlaying, s.music);
        EXPECT_EQ(int(takeLog().size()), s.gameUpdates);
    }
}

TEST_F(FlowTest, AnEndingGameCannotBePaused) {
    rt_quzo_QUZO_GameMode = kModePlaying;
    rt_quzo_EndGame(kEndLost);
    game.press(keys::kEscape);
    update(3);
    EXPECT_EQ(rt_quzo_QUZO_Paused, 0);
    EXPECT_THAT(takeLog(), ElementsAre("game", "game", "game"));
}

TEST_F(FlowTest, ATouchNearTheTopLeftCornerPauses) {
    struct Case {
        const char* name;
        int finger; // -1 the mouse, else a touch
        float x, y;
        bool screenshotMode;
        bool pauses;
    };
    const Case cases[] = {
        {"click on the corner", -1, 0, 0, false, true},
        {"click 48 units right", -1, 48, 0, false, true},
        {"click 48 units down", -1, 0, 48, false, true},
        {"click just beyond 48 units", -1, 34, 34, false, false},
        {"click 49 units right", -1, 49, 0, false, false},
        {"fourth finger on the icon", 3, 20, 20, false, true},
        {"fourth finger elsewhere", 3, 400, 300, false, false},
        {"click on the hidden icon in screenshot mode", -1, 24, 24, true, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        rt_quzo_QUZO_GameMode = kModePlaying;
        rt_quzo_QUZO_Paused = 0;
        rt_quzo_QUZO_MusicPlaying = 1;
        rt_quzo_QUZO_ScreenshotMode = c.screenshotMode ? 1 : 0;
        update();
        EXPECT_EQ(pauseIconDrawn(), !c.screenshotMode);

        if (c.finger < 0) {
            game.moveMouse(c.x, c.y);
            game.mouseDown();
        } else {
            game.TouchEvent(c_RtGameEvent::TouchDown, c.finger, c.x, c.y);
        }
        update();
        EXPECT_EQ(rt_quzo_QUZO_Paused, c.pauses ? 1 : 0);
        EXPECT_EQ(rt_quzo_QUZO_MusicPlaying, c.pauses ? 2 : 1);

        if (c.finger < 0) {
            game.mouseUp();
        } else {
            game.TouchEvent(c_RtGameEvent::TouchUp, c.finger, c.x, c.y);
        }
        update();
    }
}

TEST_F(FlowTest, ATouchPausesButNeverUnpauses) {
    rt_quzo_QUZO_GameMode = kModePlaying;
    game.moveMouse(10, 10);
    game.mouseDown();
    update();
    EXPECT_EQ(rt_quzo_QUZO_Paused, 1);
    game.mouseUp();
    update();
    takeLog();

    // A second touch there leaves the game paused.
    for (int press = 0; press < 3; ++press) {
        game.mouseDown();
        update(5);
        game.mouseUp();
        update();
        EXPECT_EQ(rt_quzo_QUZO_Paused, 1);
    }
    EXPECT_THAT(takeLog(), IsEmpty());

    // The pause control resumes; a pointer still held on the corner from before does not
    // pause again until it is released and pressed anew.
    game.mouseDown();
    update();
    game.press(keys::kEscape);
    update();
    EXPECT_EQ(rt_quzo_QUZO_Paused, 0);
    game.release(keys::kEscape);
    update(5);
    EXPECT_EQ(rt_quzo_QUZO_Paused, 0);
    game.mouseUp();
    update();
    game.mouseDown();
    update();
    EXPECT_EQ(rt_quzo_QUZO_Paused, 1);
}

// --- The end-of-game overlay -------------------------------------------------------------

TEST_F(FlowTest, TheFirstEndReasonWins) {
    rt_quzo_EndGame(kEndLost);
    rt_quzo_EndGame(kEndQuit);
    EXPECT_EQ(rt_quzo_QUZO_EndofGame, 1);
    EXPECT_EQ(rt_quzo_QUZO_EndReason, kEndLost);

    // Once the sequence is over, a new one takes its own reason.
    rt_quzo_QUZO_EndofGame = 160;
    rt_quzo_GameOver();
    EXPECT_EQ(rt_quzo_QUZO_EndofGame, 0);
    rt_quzo_EndGame(kEndQuit);
    EXPECT_EQ(rt_quzo_QUZO_EndReason, kEndQuit);
}

class GameOverTest : public FlowTest {
  protected:
    void SetUp() override {
        FlowTest::SetUp();
        // A font that lays out and records glyphs without an image.
        rt_quzo_QUZO_Font = 99;
        rt_quzo_QUZO_ImgD[99] = 128;
    }

    struct Word {
        std::string text;
        float y = 0;
        float left = 1e9f, right = -1e9f;
    };

    // The words of the overlay, as runs of glyphs on one line each.
    static std::vector<Word> words() {
        std::vector<Word> out;
        for (const Record& r : lastUpdateRecords()) {
            if (r.kind() != kKindImage || r.slot() != 99) continue;
            if (out.empty() || std::fabs(out.back().y - r.y()) > 0.5f)
                out.push_back(Word{"", r.y()});
            Word& w = out.back();
            w.text += char(r.frame() + 32);
            w.left = std::min(w.left, r.x());
            w.right = std::max(w.right, r.x());
        }
        return out;
    }

    // One update of the overlay at step t.
    void overlayAt(int t) {
        rt_quzo_Sprtup = 0;
        rt_quzo_Bufferup = 0;
        rt_quzo_QUZO_EndofGame = t - 1;
        rt_quzo_GameOver();
    }
};

TEST_F(GameOverTest, TheWordsOfEachReason) {
    struct Case {
        int reason;
        const char* first;
        const char* second;
    };
    const Case cases[] = {
        {kEndLost, "Game", "Over"}, {kEndLevelComplete, "Level", "Complete"},
        {kEndQuit, "Quit", "Game"}, {kEndCuddled, "You Got", "Cuddled"},
        {4, "Game", "Over"},        {-1, "Game", "Over"},
    };
    const float w = float(rt_quzo_jscrw), h = float(rt_quzo_jscrh);
    for (const Case& c : cases) {
        SCOPED_TRACE(c.reason);
        rt_quzo_QUZO_EndReason = c.reason;
        overlayAt(41);
        std::vector<Word> shown = words();
        ASSERT_EQ(shown.size(), 2u);
        // The leading space of the layout is not drawn; a space inside is.
        std::string first = c.first, second = c.second;
        std::erase(first, ' ');
        std::erase(second, ' ');
        EXPECT_EQ(shown[0].text, first);
        EXPECT_EQ(shown[1].text, second);
        EXPECT_NEAR(shown[0].y, h / 2 - 36, 1e-3);
        EXPECT_NEAR(shown[1].y, h / 2 + 36, 1e-3);
        // Centred on 0.35 and 0.65 of the width: the glyph centres straddle those points.
        EXPECT_LT(shown[0].left, 0.35f * w);
        EXPECT_GT(shown[0].right, 0.35f * w);
        EXPECT_LT(shown[1].left, 0.65f * w);
        EXPECT_GT(shown[1].right, 0.65f * w);
    }
}

TEST_F(GameOverTest, WordsAndTrianglesSlideInAndOut) {
    struct Case {
        int t;
        bool wordsShown;
        float offset; // of the first word upward from its place, the second downward
        int c;        // the triangles' slide
    };
    const Case cases[] = {
        {1, false, 0, -2240}, // 1280 units off the screen
        {2, false, 0, -2176}, {30, true, -352, -384}, {40, true, -32, 0},
        {41, true, 0, 0},     {90, true, 0, 0},       {91, true, 0, 0},
        {120, true, 0, 0},    {121, true, -32, 0},    {160, false, 0, -2240},
    };
    const float w = float(rt_quzo_jscrw), h = float(rt_quzo_jscrh);
    rt_quzo_QUZO_EndReason = kEndLost;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.t);
        overlayAt(c.t);
        std::vector<Word> shown = words();
        if (c.wordsShown) {
            ASSERT_EQ(shown.size(), 2u);
            EXPECT_NEAR(shown[0].y, h / 2 - 36 - c.offset, 1e-3);
            EXPECT_NEAR(shown[1].y, h / 2 + 36 + c.offset, 1e-3);
        } else {
            EXPECT_THAT(shown, IsEmpty());
        }

        std::vector<Record> tri = triangles();
        ASSERT_EQ(tri.size(), 2u);
        const float* a = tri[0].f + 11;
        const float* b = tri[1].f + 11;
        EXPECT_THAT(std::vector<float>(a, a + 6),
                    ElementsAre(c.c - 124, -128, w + 132 + c.c, h + 128, c.c - 124, h + 128));
        EXPECT_THAT(std::vector<float>(b, b + 6),
                    ElementsAre(-128 - c.c, -128, w + 132 - c.c, -128, w + 132 - c.c, h + 128));
        EXPECT_FLOAT_EQ(tri[0].alpha(), 0.75f);
        EXPECT_FLOAT_EQ(tri[0].rotation(), 45);
        EXPECT_EQ(tri[0].green(), 50);
        EXPECT_EQ(tri[1].green(), 25);
    }
}

TEST_F(FlowTest, TheTimedEventsOfTheEndSequence) {
    game.dataDir = HEXWEND_BINARY_DIR "/data";
    rt_quzo_QUZO_GameNum = 506;
    rt_quzo_LoadSFX(kEndEffectSlot);
    ASSERT_NE(rt_quzo_QUZO_SFX[kEndEffectSlot], nullptr) << "common/096.wav in the data folder";
    rt_quzo_PlayTune("Days", 1);
    ASSERT_EQ(rt_audio_device->MusicState(), 1) << "the tune Days in the data folder";

    rt_quzo_QUZO_GameMode = kModePlaying;
    app->onGame = [] {
        if (rt_quzo_QUZO_EndofGame == 0) rt_quzo_EndGame(kEndLost);
    };
    const int firstChannel = rt_quzo_QUZO_LChan;
    for (int t = 2; t <= 161; ++t) {
        SCOPED_TRACE(t);
        update();
        std::vector<std::string> work = takeLog();
        EXPECT_EQ(rt_quzo_QUZO_EndofGame, t > 160 ? 0 : t);

        // The music stops at 60, while play is still shown.
        EXPECT_EQ(rt_quzo_QUZO_MusicPlaying, t < 60 ? 1 : 0);
        EXPECT_EQ(rt_audio_device->MusicState(), t < 60 ? 1 : 0);
        if (t == 60) {
            EXPECT_THAT(work, ElementsAre("game"));
        }

        // Effect 96 plays at 70, on the next effect channel.
        EXPECT_EQ(rt_quzo_QUZO_LChan, t < 70 ? firstChannel : firstChannel + 1);
        if (t == 70) {
            EXPECT_EQ(rt_audio_device->ChannelState(firstChannel + 1), 1);
        }

        // The return to the menu is asked for at 90 and runs in the next update.
        EXPECT_EQ(rt_quzo_QUZO_GameMode, t < 90    ? kModePlaying
                                         : t == 90 ? kModeToMenu
                                                   : kModeMainMenu);
        if (t == 91) {
            EXPECT_THAT(work, ElementsAre("toMenu"));
        }
        if (t > 91) {
            EXPECT_THAT(work, ElementsAre("menu"));
        }

        EXPECT_EQ(triangles().size(), 2u);
    }
    EXPECT_EQ(rt_quzo_QUZO_EndReason, 0);
    update();
    EXPECT_THAT(triangles(), IsEmpty());
}

TEST_F(FlowTest, FlushGameClearsThePoolsAndTheEndSequence) {
    rt_quzo_grid[4999999] = 1;
    rt_quzo_plr[1023] = 1;
    rt_quzo_obj[5099] = 1;
    rt_quzo_ThrowParticle(100, 100, 4, 1, 0, 1);
    rt_quzo_EndGame(kEndQuit);
    game.advance(12345);
    rt_quzo_FlushGame();
    EXPECT_EQ(rt_quzo_grid[4999999], 0);
    EXPECT_EQ(rt_quzo_plr[1023], 0);
    EXPECT_EQ(rt_quzo_obj[5099], 0);
    EXPECT_EQ(rt_quzo_part[10], 0);
    EXPECT_EQ(rt_quzo_QUZO_EndofGame, 0);
    EXPECT_EQ(rt_quzo_QUZO_EndReason, 0);
    EXPECT_EQ(rt_quzo_QUZO_Seed, game.millisecs());
}

// --- Housekeeping ------------------------------------------------------------------------

TEST_F(FlowTest, UpdatesAreCountedPerScriptedSecond) {
    // The first update takes the first mark; after that every mark sees one second's count.
    // The scripted clock runs half a millisecond off the whole milliseconds, so that no
    // update lands exactly on a one-second boundary, where rounding the clock down could
    // move the mark by one update.
    update();
    game.system().now += 0.0005;
    std::vector<int> counts;
    float mark = rt_quzo_QUZO_Data[6];
    for (int i = 0; i < 5 * 60; ++i) {
        update();
        if (rt_quzo_QUZO_Data[6] != mark) {
            mark = rt_quzo_QUZO_Data[6];
            counts.push_back(int(rt_quzo_QUZO_Data[1]));
        }
    }
    EXPECT_THAT(counts, ElementsAre(60, 60, 60, 60, 60));
    EXPECT_EQ(rt_quzo_QUZO_Data[48], 301);

    // Half the rate from this mark on: 30 per second. The clock has moved one 60 Hz period
    // past the mark; one more puts the next update a 30 Hz period after it.
    rt_app_SetUpdateRate(30);
    game.system().now += 1.0 / 60;
    counts.clear();
    for (int i = 0; i < 3 * 30; ++i) {
        update();
        if (rt_quzo_QUZO_Data[6] != mark) {
            mark = rt_quzo_QUZO_Data[6];
            counts.push_back(int(rt_quzo_QUZO_Data[1]));
        }
    }
    EXPECT_THAT(counts, ElementsAre(30, 30, 30));
}

TEST_F(FlowTest, FunctionKeysToggleOncePerPress) {
    struct Case {
        int key;
        int* global;
        int setting;
    };
    const Case cases[] = {
        {keys::kF1, &rt_quzo_QUZO_DebugMode, 22},
        {keys::kF1 + 1, &rt_quzo_QUZO_ScreenshotMode, 23},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.key);
        game.press(c.key);
        update();
        EXPECT_EQ(*c.global, 1);
        EXPECT_EQ(rt_quzo_QUZO_Set[c.setting], 1);
        update(10); // held: no further toggle
        game.repeat(c.key);
        update();
        EXPECT_EQ(*c.global, 1);
        game.release(c.key);
        game.tap(c.key);
        update();
        EXPECT_EQ(*c.global, 0);
        EXPECT_EQ(rt_quzo_QUZO_Set[c.setting], 0);
    }
}

TEST_F(FlowTest, TheScreenshotModeHidesThePauseIcon) {
    rt_quzo_QUZO_GameMode = kModePlaying;
    update();
    EXPECT_TRUE(pauseIconDrawn());
    game.tap(keys::kF1 + 1);
    update();
    EXPECT_FALSE(pauseIconDrawn());
}

TEST_F(FlowTest, TheBackgroundEasesTowardTheColourAimedAt) {
    rt_quzo_SetCLSCol(255, 0, 64, 1);
    const float* style = rt_quzo_QUZO_DrawStyle.Data();
    float expected[3] = {0, 0, 0};
    const float aimed[3] = {255, 0, 64};
    for (int i = 0; i < 40; ++i) {
        update();
        for (int k = 0; k < 3; ++k) {
            expected[k] -= (expected[k] - aimed[k]) * 0.0625f;
            EXPECT_FLOAT_EQ(style[11 + k], expected[k]);
        }
    }
    EXPECT_NEAR(style[11], 255 * (1 - std::pow(15.0 / 16, 40)), 1e-3);
}

TEST_F(FlowTest, VolumeSettingsAreClampedAndTheMusicFollows) {
    struct Case {
        int music, effects;
        int musicStored, effectsStored;
        float gain;
    };
    const Case cases[] = {
        {5, 5, 5, 5, 0.4995f},
        {14, -3, 10, 0, 0.999f},
        {-2, 11, 0, 10, 0},
        {10, 0, 10, 0, 0.999f},
    };
    ALuint music = rt_audio_device->channels[gxtkAudio::kMusicChannel].source;
    ASSERT_NE(music, 0u);
    for (const Case& c : cases) {
        SCOPED_TRACE(c.music);
        rt_quzo_QUZO_Set[0] = c.music;
        rt_quzo_QUZO_Set[1] = c.effects;
        update();
        EXPECT_EQ(rt_quzo_QUZO_Set[0], c.musicStored);
        EXPECT_EQ(rt_quzo_QUZO_Set[1], c.effectsStored);
        float gain = -1;
        alGetSourcef(music, AL_GAIN, &gain);
        EXPECT_FLOAT_EQ(gain, c.gain);
    }
}

TEST_F(FlowTest, TheResumeAfterASuspensionAllowsSendingAgain) {
    rt_quzo_QUZO_CanSend = 0;
    game.regainFocus(); // the first focus of the window
    game.loseFocus();
    EXPECT_EQ(rt_quzo_QUZO_CanSend, 0);
    game.regainFocus();
    EXPECT_EQ(rt_quzo_QUZO_CanSend, 1);
}

TEST_F(FlowTest, UpdatesAllocateNoCollectedObjects) {
    // A font, so that the overlay's words are laid out and recorded too.
    rt_quzo_QUZO_Font = 99;
    rt_quzo_QUZO_ImgD[99] = 128;
    rt_quzo_QUZO_GameMode = kModePlaying;
    update();
    const int before = gc_new_bytes;
    for (int round = 0; round < 4; ++round) {
        update(60); // play
        game.tap(keys::kEscape);
        update(60); // paused
        game.tap(keys::kEscape);
        rt_quzo_EndGame(kEndLost);
        update(170); // the end sequence, the return and the menu under it
        rt_quzo_QUZO_GameMode = kModePlaying;
    }
    EXPECT_EQ(gc_new_bytes, before);
}

} // namespace
} // namespace hexwend::testing
