// The game's creation, its loading sequence and the assembling logo, the start of a game by
// difficulty, and a data folder with nothing in it.
#include "tests/game/game_session.h"

#include <filesystem>
#include <set>
#include <string>

namespace hexwend::testing {
namespace {

using namespace hexwend::framework;

class SetupTest : public GameSession {};

TEST_F(SetupTest, CreationLeavesLoadingAtStepOneWithTheMainListAndNothingToSend) {
    rt_quzo_QUZO_ForceSend = 1;
    app->p_OnCreate();

    EXPECT_EQ(rt_quzo_QUZO_GameNum, 506);
    EXPECT_EQ(rt_quzo_QUZO_Keyword, String("Rocks drop in rows. Guard each one"));
    EXPECT_EQ(rt_app__updateRate, 60);
    EXPECT_EQ(rt_quzo_QUZO_Loader, 1);
    EXPECT_EQ(rt_quzo_QUZO_GameMode, kModeMainMenu);
    EXPECT_EQ(rt_quzo_QUZO_OptCred, kOverlayNone);
    EXPECT_EQ(menu(0), 1);
    EXPECT_EQ(menu(2), 1);
    EXPECT_EQ(menu(5), rt_quzo_jscrw - 32);
    EXPECT_EQ(rt_quzo_QUZO_ForceSend, 0);
    for (int k = 0; k < 50; ++k) EXPECT_EQ(rt_quzo_kdis[k], 1) << k;
    // Black aimed at.
    EXPECT_EQ(rt_quzo_QUZO_DrawStyle[15], 0);
    EXPECT_EQ(rt_quzo_QUZO_DrawStyle[16], 0);
    EXPECT_EQ(rt_quzo_QUZO_DrawStyle[17], 0);
}

TEST_F(SetupTest, CreationEnablesEveryJoypad) {
    for (int k = 0; k < 10; ++k) rt_quzo_Joy_Disable[k] = 1;
    app->p_OnCreate();
    for (int k = 0; k < 10; ++k) EXPECT_EQ(rt_quzo_Joy_Disable[k], 0) << k;
}

struct ImageAsset {
    int step;
    int slot;
    int frameWidth;
    int frameHeight;
    int frames;
};

const ImageAsset kImages[] = {
    {2, 95, 32, 32, 1024}, {30, 96, 1024, 1024, 1}, {31, 70, 32, 32, 16},
    {32, 71, 32, 32, 16},  {33, 72, 32, 32, 16},    {34, 73, 32, 32, 16},
    {35, 74, 32, 32, 16},  {36, 80, 64, 64, 16},    {37, 90, 128, 128, 16},
    {38, 91, 256, 256, 4}, {39, 69, 1024, 512, 1},  {40, 68, 1024, 1024, 4},
    {41, 81, 68, 68, 49},  {42, 82, 256, 256, 1},   {43, 1, 64, 64, 64},
    {44, 2, 36, 36, 49},
};

// The step after which each effect slot is first filled.
const std::pair<int, int> kSounds[] = {{1, 96}, {30, 98}, {31, 99}, {45, 1},
                                       {46, 2}, {47, 3},  {48, 4},  {49, 5}};

TEST_F(SetupTest, LoadingFillsEverySlotAtItsStepInSixtyOneUpdates) {
    for (int step = 1; step <= 61; ++step) {
        SCOPED_TRACE("step " + std::to_string(step));
        ASSERT_EQ(rt_quzo_QUZO_Loader, step);
        update();

        for (const ImageAsset& image : kImages) {
            c_Image* loaded = rt_quzo_QUZO_Img[image.slot];
            EXPECT_EQ(loaded != nullptr, step >= image.step) << "image slot " << image.slot;
            if (step >= image.step) {
                EXPECT_EQ(rt_quzo_QUZO_ImgW[image.slot], image.frameWidth) << image.slot;
                EXPECT_EQ(rt_quzo_QUZO_ImgH[image.slot], image.frameHeight) << image.slot;
                EXPECT_EQ(rt_quzo_QUZO_ImgD[image.slot], image.frames) << image.slot;
            }
        }
        for (auto [soundStep, slot] : kSounds) {
            EXPECT_EQ(rt_quzo_QUZO_SFX[slot] != nullptr, step >= soundStep) << "sound " << slot;
        }
        EXPECT_EQ(rt_quzo_QUZO_Font, 99);
        EXPECT_EQ(rt_quzo_QUZO_Set[100], 1);
        // The loading sound, once.
        EXPECT_EQ(sounds(), step == 5 ? std::vector<int>{96} : std::vector<int>{});

        if (step <= 60) {
            EXPECT_EQ(rt_quzo_QUZO_Loader, step + 1);
            EXPECT_EQ(menu(10), -64);
        }
    }
    // The last step ends the loading and the main menu runs in the same update.
    EXPECT_EQ(rt_quzo_QUZO_Loader, 0);
    EXPECT_EQ(imagesOf(68).size(), 3u);
}

TEST_F(SetupTest, LoadingScreenShowsItsBackdropAndTheLoadingLine) {
    update(6); // the font is loaded; the loader stands at 7
    const std::vector<Record> drawn = lastUpdateRecords();
    ASSERT_FALSE(drawn.empty());
    const Record backdrop = drawn.front();
    EXPECT_EQ(backdrop.kind(), kKindRect);
    EXPECT_EQ(backdrop.red(), 180);
    EXPECT_EQ(backdrop.green(), 160);
    EXPECT_EQ(backdrop.blue(), 120);
    EXPECT_EQ(backdrop.x(), -128);
    EXPECT_EQ(backdrop.y(), -128);
    EXPECT_EQ(backdrop.w(), rt_quzo_jscrw + 256);
    EXPECT_EQ(backdrop.h(), rt_quzo_jscrh + 256);

    // "...Loading..." with (7 mod 4) + 1 = 4 dots each side: 15 glyphs on one line.
    const std::vector<Record> glyphs = imagesOf(99);
    ASSERT_EQ(glyphs.size(), 15u);
    for (const Record& g : glyphs) EXPECT_FLOAT_EQ(g.y(), float(rt_quzo_jscrh - 64));
    EXPECT_NEAR((glyphs.front().x() + glyphs.back().x()) / 2, rt_quzo_jscrw / 2, 12);
}

// Tile (i, j) of the logo: row i, column j, frame j + 32i.
struct TileCase {
    int loader; // after the update
    int row;
    int column;
    bool inPlace;
};

TEST_F(SetupTest, LogoTilesDropIntoPlaceBottomRowsAndLeftColumnsFirst) {
    update(2); // the tiles' image
    const float left = float(rt_quzo_jscrw / 2) - 239.85f;
    const float top = float(rt_quzo_jscrh / 2) - 239.85f;
    const TileCase cases[] = {
        {22, 31, 0, false}, {23, 31, 0, true},   {32, 0, 31, false},
        {33, 0, 31, true},  {20, 20, 10, false}, {60, 15, 16, true},
    };
    for (const TileCase& c : cases) {
        SCOPED_TRACE("loader " + std::to_string(c.loader) + ", tile " + std::to_string(c.row) +
                     ", " + std::to_string(c.column));
        rt_quzo_QUZO_Loader = c.loader - 1;
        update();
        ASSERT_EQ(rt_quzo_QUZO_Loader, c.loader);
        const std::vector<Record> tiles = imagesOf(95);
        ASSERT_EQ(tiles.size(), 1024u);
        const Record tile = tiles[32 * c.column + c.row]; // drawn column by column
        EXPECT_EQ(tile.frame(), c.column + 32 * c.row);
        EXPECT_FLOAT_EQ(tile.sizeX(), 0.5f);
        EXPECT_FLOAT_EQ(tile.x(), left + 15.99f * float(c.column));
        const float place = top + 15.99f * float(c.row);
        if (c.inPlace) {
            EXPECT_FLOAT_EQ(tile.y(), place);
        } else {
            EXPECT_LT(tile.y(), place);
        }
    }
}

TEST_F(SetupTest, LogoStartsAboveTheScreenAndStandsStillFromStepThirtyThree) {
    update();
    EXPECT_TRUE(imagesOf(95).empty()) << "no tiles before loader value 3";

    update();
    ASSERT_EQ(rt_quzo_QUZO_Loader, 3);
    for (const Record& tile : imagesOf(95)) EXPECT_LT(tile.y(), -128);

    update(30);
    ASSERT_EQ(rt_quzo_QUZO_Loader, 33);
    const std::vector<Record> at33 = imagesOf(95);
    update(20);
    const std::vector<Record> at53 = imagesOf(95);
    ASSERT_EQ(at33.size(), at53.size());
    for (size_t k = 0; k < at33.size(); ++k) {
        EXPECT_EQ(at33[k].x(), at53[k].x());
        EXPECT_EQ(at33[k].y(), at53[k].y());
    }
}

// --- The start of a game -------------------------------------------------------------------

struct DifficultyCase {
    const char* name;
    int entry; // of the difficulty list
    int gameType;
    float fieldSpeed;
    int colours;
};

void PrintTo(const DifficultyCase& c, std::ostream* os) {
    *os << c.name;
}

class StartOfGameTest : public GameSession, public ::testing::WithParamInterface<DifficultyCase> {};

TEST_P(StartOfGameTest, ChoosingADifficultyStartsItsGame) {
    const DifficultyCase& c = GetParam();
    finishLoading();
    tap(hexwend::testing::keys::kEnter); // "Start Game"
    ASSERT_EQ(menu(0), 2);
    rt_quzo_QUZO_MenuPos[2] = c.entry;
    game.press(keys::kEnter);
    update();
    EXPECT_EQ(rt_quzo_QUZO_GameMode, kModeToGame);
    EXPECT_EQ(rt_quzo_QUZO_GameType, c.gameType);

    update(); // the start of the game
    game.release(keys::kEnter);
    EXPECT_EQ(rt_quzo_QUZO_GameMode, kModePlaying);
    EXPECT_EQ(rt_quzo_QUZO_MusicPlaying, 1);
    EXPECT_EQ(rt_quzo_QUZO_LastTune, String("Days"));

    // The player record as the game set it (the play has not run yet).
    const float* player = rt_quzo_plr.Data();
    EXPECT_EQ(player[6], -1);
    EXPECT_EQ(player[7], -1);
    EXPECT_EQ(player[12], 0);
    EXPECT_FLOAT_EQ(player[13], c.fieldSpeed);
    EXPECT_EQ(player[15], c.colours);
    EXPECT_EQ(player[1], rt_quzo_jscrw / 2);
    EXPECT_EQ(player[2], rt_quzo_jscrh / 2);

    // Random hexes of the difficulty's colours in rows 0 ... 4 of all ten columns, nothing
    // below; each colour occurs.
    std::set<int> allowed;
    for (int k = 1; k <= c.colours; ++k) allowed.insert(2 * k - 1);
    std::set<int> seen;
    for (int col = 0; col < 10; ++col) {
        for (int row = 0; row < 26; ++row) {
            const float* cell = rt_quzo_grid.Data() + 10 * col + 200 * row;
            SCOPED_TRACE("cell " + std::to_string(col) + ", " + std::to_string(row));
            if (row < 5) {
                EXPECT_TRUE(allowed.count(int(cell[0])));
                EXPECT_GE(cell[1], 0);
                EXPECT_LE(cell[1], 7);
                seen.insert(int(cell[0]));
            } else {
                EXPECT_EQ(cell[0], -1);
                EXPECT_EQ(cell[1], 0);
            }
        }
    }
    EXPECT_EQ(seen, allowed);
    EXPECT_TRUE(allowed.count(int(player[21])));
    EXPECT_TRUE(allowed.count(int(player[22])));
}

INSTANTIATE_TEST_SUITE_P(Difficulties, StartOfGameTest,
                         ::testing::Values(DifficultyCase{"Easy", 0, 1, 0.1f, 3},
                                           DifficultyCase{"Normal", 1, 2, 0.15f, 3},
                                           DifficultyCase{"Hard", 2, 3, 0.2f, 4}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(SetupTest, StartingAGameClearsWhatTheLastOneLeft) {
    finishLoading();
    rt_quzo_QUZO_GameType = 2;
    rt_quzo_plr[50] = 1234;
    rt_quzo_plr[8] = 7;
    rt_quzo_obj[0] = 9;
    rt_quzo_grid[10 * 3 + 200 * 20] = 5;
    rt_quzo_QUZO_EndofGame = 120;
    rt_quzo_QUZO_GameMode = kModeToGame;
    app->p_GotoGame();
    EXPECT_EQ(rt_quzo_plr[50], 0);
    EXPECT_EQ(rt_quzo_plr[8], 0);
    EXPECT_EQ(rt_quzo_obj[0], 0);
    EXPECT_EQ(rt_quzo_grid[10 * 3 + 200 * 20], -1);
    EXPECT_EQ(rt_quzo_QUZO_EndofGame, 0);
}

// --- The tune ------------------------------------------------------------------------------

// A data folder with the tune alone, so that a test can take it away.
class TuneTest : public GameSession {
  protected:
    void prepare() override {
        tune = std::filesystem::path(folder / "data") / "506" / "sfx" / "Days.ogg";
        std::filesystem::create_directories(tune.parent_path());
        std::filesystem::copy_file(std::string(HEXWEND_BINARY_DIR) + "/data/506/sfx/Days.ogg",
                                   tune);
        game.dataDir = folder / "data";
    }
    std::filesystem::path tune;
};

TEST_F(TuneTest, TheTuneIsDecodedWhileLoadingAndStartsWithTheGameWithoutItsFile) {
    finishLoading();
    std::filesystem::remove(tune);
    tap(keys::kEnter);
    tap(keys::kEnter);
    ASSERT_EQ(rt_quzo_QUZO_GameMode, kModePlaying);
    const gxtkChannel& music = gxtkAudio::audio->channels[gxtkAudio::kMusicChannel];
    ASSERT_NE(music.sample, nullptr);
    EXPECT_NE(music.sample->buffer, 0u);
    EXPECT_EQ(gxtkAudio::audio->MusicState(), 1);

    // The same tune again in the next game.
    rt_quzo_QUZO_GameMode = kModeToMenu;
    update();
    EXPECT_EQ(gxtkAudio::audio->MusicState(), 0);
    tap(keys::kEnter);
    tap(keys::kEnter);
    ASSERT_EQ(rt_quzo_QUZO_GameMode, kModePlaying);
    EXPECT_EQ(gxtkAudio::audio->MusicState(), 1);
}

// --- Sending the scores ------------------------------------------------------------------

// The game with its score sending counted.
class CountingGame : public c_MyGame {
  public:
    int sends = 0;
    int p_SendScores(int mode) override {
        EXPECT_EQ(mode, 0);
        ++sends;
        return c_MyGame::p_SendScores(mode);
    }
};

class SendTest : public GameSession {
  protected:
    c_MyGame* startGame() override {
        return game.start<CountingGame>(hexwend::game::registerModules);
    }
    int sends() const { return static_cast<CountingGame*>(app)->sends; }
};

TEST_F(SendTest, CreationAndTheReturnFromAGameOfferTheScoresForSending) {
    EXPECT_EQ(sends(), 1) << "at creation";
    finishLoading();
    update(10);
    EXPECT_EQ(sends(), 1) << "nothing while the flag is clear";

    struct Case {
        const char* name;
        int gamesBefore;
        int bestBefore;
        float score;
        bool sends;
    };
    const Case cases[] = {
        {"the first game", 0, 0, 0, true},
        {"the second game, below the best", 1, 1000, 500, false},
        {"the second game, a new best", 1, 100, 500, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const int before = sends();
        rt_quzo_QUZO_Set[5] = c.gamesBefore;
        rt_quzo_QUZO_Score[40] = c.bestBefore;
        rt_quzo_QUZO_GameType = 2;
        rt_quzo_plr[50] = c.score;
        rt_quzo_QUZO_GameMode = kModeToMenu;
        update();
        EXPECT_EQ(rt_quzo_QUZO_GameMode, kModeMainMenu);
        EXPECT_EQ(rt_quzo_QUZO_Set[5], c.gamesBefore + 1);
        EXPECT_EQ(sends() - before, c.sends ? 1 : 0);
        // Saved on the way.
        EXPECT_TRUE(std::filesystem::exists(folder / ".vorpixstate"));
    }
}

// --- No assets at all --------------------------------------------------------------------

class NoDataTest : public GameSession {
  protected:
    void prepare() override { game.dataDir = folder / "no-data"; }
};

TEST_F(NoDataTest, MissingAssetsLeaveSlotsEmptyAndTheGameStillRuns) {
    finishLoading();
    for (const ImageAsset& image : kImages) {
        EXPECT_EQ(rt_quzo_QUZO_Img[image.slot], nullptr) << image.slot;
    }
    for (auto [step, slot] : kSounds) EXPECT_EQ(rt_quzo_QUZO_SFX[slot], nullptr) << slot;

    // Keys still lead into a game, which runs to its end and back to the menu.
    tap(keys::kEnter);
    ASSERT_EQ(menu(0), 2);
    tap(keys::kEnter);
    ASSERT_EQ(rt_quzo_QUZO_GameMode, kModePlaying);
    int updates = 0;
    while (rt_quzo_QUZO_EndofGame == 0 && updates < 60 * 60 * 10) {
        update();
        ++updates;
    }
    EXPECT_GT(rt_quzo_QUZO_EndofGame, 0) << "the honeycomb reached the floor";
    update(100);
    EXPECT_EQ(rt_quzo_QUZO_GameMode, kModeMainMenu);
}

} // namespace
} // namespace hexwend::testing
