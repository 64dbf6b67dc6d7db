// A whole game on the headless host: the loading, the menu, "Start Game" and "Normal", play
// with no input until the honeycomb reaches the floor, the end sequence and the return to the
// menu; then the score table, the games count and the state file.
#include "framework/persistence.h"
#include "tests/game/game_session.h"

#include <fstream>
#include <sstream>
#include <string>

namespace hexwend::testing {
namespace {

using namespace hexwend::framework;

constexpr int kNormalRow = 2 * 20;
constexpr int kUpdateLimit = 60 * 60 * 20; // twenty minutes of play

struct Outcome {
    int loadingUpdates = 0;
    int playUpdates = 0; // from the start of the game to the update of the loss
    int score = 0;
};

class WholeGameTest : public GameSession {
  protected:
    // The game as a player who never touches anything after choosing "Normal" plays it.
    Outcome playNormalWithoutInput() {
        Outcome out;
        while (rt_quzo_QUZO_Loader != 0 && out.loadingUpdates < 1000) {
            EXPECT_EQ(rt_quzo_QUZO_GameMode, kModeMainMenu);
            update();
            ++out.loadingUpdates;
        }
        update(); // the menu, with nothing held

        EXPECT_EQ(menu(0), 1);
        EXPECT_EQ(menu(1), 0) << "\"Start Game\" highlighted";
        tap(keys::kEnter);
        EXPECT_EQ(menu(0), 2);
        EXPECT_EQ(menu(2), 1) << "\"Normal\" highlighted";
        host->press(keys::kEnter);
        update();
        EXPECT_EQ(rt_quzo_QUZO_GameMode, kModeToGame);
        host->release(keys::kEnter);
        update();
        EXPECT_EQ(rt_quzo_QUZO_GameMode, kModePlaying);
        EXPECT_EQ(rt_quzo_QUZO_GameType, 2);

        while (rt_quzo_QUZO_EndofGame == 0 && out.playUpdates < kUpdateLimit) {
            update();
            ++out.playUpdates;
        }
        out.score = int(rt_quzo_plr[50]);
        return out;
    }

    // The end sequence until the menu returns (mode 1 for one update, then 0).
    void runEndSequenceToTheMenu() {
        int guard = 0;
        while (rt_quzo_QUZO_GameMode == kModePlaying && guard++ < 200) update();
        EXPECT_EQ(rt_quzo_QUZO_EndofGame, 90);
        EXPECT_EQ(rt_quzo_QUZO_GameMode, kModeToMenu);
        EXPECT_EQ(rt_quzo_QUZO_Set[5], 0) << "not counted before the return";
        update();
        EXPECT_EQ(rt_quzo_QUZO_GameMode, kModeMainMenu);
        EXPECT_EQ(rt_quzo_QUZO_MusicPlaying, 0);
        // The overlay runs on over the menu until it ends.
        while (rt_quzo_QUZO_EndofGame != 0 && guard++ < 400) {
            update();
            EXPECT_EQ(rt_quzo_QUZO_GameMode, kModeMainMenu);
        }
        EXPECT_EQ(rt_quzo_QUZO_EndofGame, 0);
    }

    std::string stateFile() const {
        std::ifstream in(folder / ".vorpixstate", std::ios::binary);
        std::stringstream text;
        text << in.rdbuf();
        return text.str();
    }
};

TEST_F(WholeGameTest, ANormalGameIsScoredCountedAndSavedAndTheRecordLoadsBack) {
    // Values that the record's checks guard: a music volume other than the default (the
    // settings check) and an earlier game in the recent column (a score block).
    rt_quzo_QUZO_Set[0] = 3;
    rt_quzo_QUZO_Score[kNormalRow + 5] = 77;

    const Outcome outcome = playNormalWithoutInput();
    EXPECT_EQ(outcome.loadingUpdates, 61);
    ASSERT_GT(rt_quzo_QUZO_EndofGame, 0) << "the honeycomb reached the floor";
    EXPECT_EQ(rt_quzo_QUZO_EndReason, 0);
    runEndSequenceToTheMenu();

    const int* row = rt_quzo_QUZO_Score.Data() + kNormalRow;
    EXPECT_EQ(row[5], outcome.score);
    EXPECT_EQ(row[6], 77);
    // Into the empty top five unless the run scored nothing (a 0 never enters a table of
    // zeros).
    EXPECT_EQ(row[0], outcome.score);
    EXPECT_EQ(rt_quzo_QUZO_LastRank, outcome.score > 0 ? 0 : -1);
    EXPECT_EQ(rt_quzo_QUZO_Set[5], 1);
    EXPECT_EQ(rt_quzo_QUZO_LastPlay, 2);
    for (int type : {1, 3}) {
        for (int col = 0; col < 20; ++col) EXPECT_EQ(rt_quzo_QUZO_Score[20 * type + col], 0);
    }

    // The state file: the record of the globals as they stand.
    const std::string saved = stateFile();
    ASSERT_FALSE(saved.empty());
    EXPECT_EQ(saved.rfind("QUZO_v2.0|", 0), 0u);
    EXPECT_EQ(String(saved.c_str()), persist::stateRecord());

    // It loads back with every check passing: settings, name and identity, and every block
    // of scores come back as they were rather than as defaults, a fresh identity or zeros.
    const Array<int> scores = rt_quzo_QUZO_Score.Slice(0, 10000);
    const Array<int> name = rt_quzo_QUZO_Username.Slice(0, 16);
    const int idA = rt_quzo_QUZO_UserIDA, idB = rt_quzo_QUZO_UserIDB;
    for (int k = 0; k < 10000; ++k) rt_quzo_QUZO_Score[k] = 0;
    for (int k = 0; k < 16; ++k) rt_quzo_QUZO_Username[k] = 0;
    rt_quzo_QUZO_Set[0] = 0;
    rt_quzo_QUZO_Set[5] = 0;
    rt_quzo_QUZO_UserIDA = rt_quzo_QUZO_UserIDB = 0;

    rt_quzo_Load();
    EXPECT_EQ(rt_quzo_QUZO_Set[0], 3);
    EXPECT_EQ(rt_quzo_QUZO_Set[5], 1);
    EXPECT_EQ(rt_quzo_QUZO_UserIDA, idA);
    EXPECT_EQ(rt_quzo_QUZO_UserIDB, idB);
    for (int k = 0; k < 16; ++k) EXPECT_EQ(rt_quzo_QUZO_Username[k], name[k]) << k;
    for (int k = 0; k < 10000; ++k) ASSERT_EQ(rt_quzo_QUZO_Score[k], scores[k]) << k;
}

TEST_F(WholeGameTest, TheSameInputPlaysTheSameGame) {
    const double startClock = game.system().now;
    const Outcome first = playNormalWithoutInput();
    ASSERT_GT(rt_quzo_QUZO_EndofGame, 0);

    // The whole system started afresh on a second host, in a fresh folder, on the clock as
    // the first one started.
    TempFolder again;
    InWorkingFolder inAgain(again.path());
    HeadlessGame second;
    second.system().now = startClock;
    host = &second;
    app = second.start<c_MyGame>(hexwend::game::registerModules);

    const Outcome replay = playNormalWithoutInput();
    host = &game;

    EXPECT_EQ(replay.loadingUpdates, first.loadingUpdates);
    EXPECT_EQ(replay.playUpdates, first.playUpdates);
    EXPECT_EQ(replay.score, first.score);
}

} // namespace
} // namespace hexwend::testing
