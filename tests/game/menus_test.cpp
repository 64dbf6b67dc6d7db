// The main menu and its lists, driven by keys and the pointer through the headless host.
#include "tests/game/game_session.h"

#include <string>

namespace hexwend::testing {
namespace {

using namespace hexwend::framework;

// The main list with the name entry: entry k at x = W/4, y = H - 200 + 40k (H - 160 + 40k
// without "Quit"); the difficulties at y = H - 144 + 48k; the back icon at (64, 64).
float mainEntryY(int k, bool hasQuit = true) {
    return float(rt_quzo_jscrh - (hasQuit ? 200 : 160) + 40 * k);
}
float difficultyY(int k) {
    return float(rt_quzo_jscrh - 144 + 48 * k);
}
float entryX() {
    return float(rt_quzo_jscrw / 4 + 10);
}

class MenuTest : public GameSession {
  protected:
    void SetUp() override {
        GameSession::SetUp();
        finishLoading();
        update(); // nothing held: the menu lock clears
    }

    // Shows a list with the given entry highlighted, and clears the lock.
    void show(int list, int highlighted) {
        rt_quzo_QUZO_OptCred = kOverlayNone;
        rt_quzo_QUZO_GameMode = kModeMainMenu;
        rt_quzo_QUZO_MenuPos[0] = list;
        rt_quzo_QUZO_MenuPos[list == 1 ? 1 : 2] = highlighted;
        update();
        ASSERT_EQ(rt_quzo_kdis[0], 0);
    }
};

// --- The pointer ---------------------------------------------------------------------------

struct PointerCase {
    const char* name;
    int list;
    int entry;
    // After the second press:
    int overlay;
    int mode;
    int gameType;
};

void PrintTo(const PointerCase& c, std::ostream* os) {
    *os << c.name;
}

class PointerTest : public MenuTest, public ::testing::WithParamInterface<PointerCase> {};

TEST_P(PointerTest, FirstPressHighlightsAndSecondChooses) {
    const PointerCase& c = GetParam();
    const int highlight = c.list == 1 ? 1 : 2;
    show(c.list, 0);
    const float y = c.list == 1 ? mainEntryY(c.entry) : difficultyY(c.entry);
    game.moveMouse(toWindow(entryX()), toWindow(y));

    game.mouseDown();
    update();
    EXPECT_EQ(menu(highlight), c.entry);
    EXPECT_EQ(sounds(), std::vector<int>{98});
    // Held on: nothing more.
    for (int i = 0; i < 5; ++i) {
        update();
        EXPECT_TRUE(sounds().empty());
    }
    EXPECT_EQ(rt_quzo_QUZO_OptCred, kOverlayNone);
    EXPECT_EQ(rt_quzo_QUZO_GameMode, kModeMainMenu);
    game.mouseUp();
    update();

    game.mouseDown();
    update();
    EXPECT_EQ(sounds(), std::vector<int>{99});
    EXPECT_EQ(rt_quzo_QUZO_OptCred, c.overlay);
    EXPECT_EQ(rt_quzo_QUZO_GameMode, c.mode);
    EXPECT_EQ(rt_quzo_QUZO_GameType, c.gameType);
}

INSTANTIATE_TEST_SUITE_P(Entries, PointerTest,
                         ::testing::Values(PointerCase{"Name", 1, 1, kOverlayNameEntry, 0, 0},
                                           PointerCase{"Options", 1, 2, kOverlayOptions, 0, 0},
                                           PointerCase{"Credits", 1, 3, kOverlayCredits, 0, 0},
                                           PointerCase{"Hard", 2, 2, kOverlayNone, kModeToGame, 3},
                                           PointerCase{"Normal", 2, 1, kOverlayNone, kModeToGame,
                                                       2}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(MenuTest, APressOnTheHighlightedEntryChoosesAtOnce) {
    show(1, 0);
    touch(entryX(), mainEntryY(0));
    EXPECT_EQ(menu(0), 2) << "\"Start Game\" shows the difficulties";
    EXPECT_EQ(menu(3), 1);
}

TEST_F(MenuTest, PressesBesideTheTextHitNothing) {
    show(1, 0);
    const float beside[][2] = {
        {float(rt_quzo_jscrw / 4 - 4), mainEntryY(2)}, // left of the text
        {entryX(), mainEntryY(2) - 17},                // above the box of height 32
        {float(rt_quzo_jscrw - 20), mainEntryY(2)},    // far right of the text
    };
    for (const auto& p : beside) {
        touch(p[0], p[1]);
        EXPECT_EQ(menu(1), 0) << p[0] << ", " << p[1];
        EXPECT_TRUE(sounds().empty());
    }
}

TEST_F(MenuTest, WithoutAFontButtonsReportNoHitsButKeysStillWork) {
    rt_quzo_QUZO_Font = 0;
    show(1, 0);
    touch(entryX(), mainEntryY(2));
    EXPECT_EQ(menu(1), 0);
    tap(keys::kDown);
    EXPECT_EQ(menu(1), 1);
}

// --- Keys ----------------------------------------------------------------------------------

TEST_F(MenuTest, HeldSelectChoosesOncePerPress) {
    show(1, 0);
    game.press(keys::kEnter);
    update();
    EXPECT_EQ(menu(0), 2) << "\"Start Game\" chosen";
    EXPECT_EQ(sounds(), std::vector<int>{99});
    // Still held in the difficulty list: "Normal" is not chosen.
    for (int i = 0; i < 10; ++i) {
        update();
        EXPECT_TRUE(sounds().empty());
    }
    EXPECT_EQ(rt_quzo_QUZO_GameMode, kModeMainMenu);

    game.release(keys::kEnter);
    update();
    game.press(keys::kEnter);
    update();
    EXPECT_EQ(rt_quzo_QUZO_GameMode, kModeToGame);
    EXPECT_EQ(rt_quzo_QUZO_GameType, 2);
    game.release(keys::kEnter);
}

TEST_F(MenuTest, TheNextChoiceWaitsForTheListsControlsAndThePointer) {
    struct Case {
        const char* name;
        int key; // 0: the pointer held on an empty spot instead
        bool blocks;
    };
    const Case cases[] = {
        {"up", keys::kUp, true},
        {"down", keys::kDown, true},
        {"button 2 (X)", 88, true},
        {"pointer", 0, true},
        {"back (Escape) is not a main-list control", keys::kEscape, false},
        {"button 3 (C) is not a main-list control", 67, false},
    };
    auto hold = [&](const Case& c, bool down) {
        if (c.key == 0) {
            game.moveMouse(toWindow(float(rt_quzo_jscrw - 40)), toWindow(200));
            down ? game.mouseDown() : game.mouseUp();
        } else {
            down ? game.press(c.key) : game.release(c.key);
        }
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        show(1, 0);
        game.press(keys::kEnter);
        update();
        ASSERT_EQ(menu(0), 2);
        rt_quzo_QUZO_MenuPos[0] = 1; // back on the main list, the lock still set
        game.release(keys::kEnter);
        hold(c, true);
        update();
        game.press(keys::kEnter);
        update();
        EXPECT_EQ(menu(0), c.blocks ? 1 : 2);

        // Everything released, the next press chooses.
        hold(c, false);
        game.release(keys::kEnter);
        rt_quzo_QUZO_MenuPos[0] = 1;
        update();
        game.press(keys::kEnter);
        update();
        EXPECT_EQ(menu(0), 2);
        game.release(keys::kEnter);
    }
}

TEST_F(MenuTest, TheDifficultiesWrapAndTheMainListStops) {
    struct Case {
        const char* name;
        int list;
        int from;
        int key;
        int to;
    };
    const Case cases[] = {
        {"down from Hard", 2, 2, keys::kDown, 0},       {"up from Easy", 2, 0, keys::kUp, 2},
        {"down from Normal", 2, 1, keys::kDown, 2},     {"up from Normal", 2, 1, keys::kUp, 0},
        {"down from Quit", 1, 4, keys::kDown, 4},       {"up from Start Game", 1, 0, keys::kUp, 0},
        {"down from Start Game", 1, 0, keys::kDown, 1}, {"up from Options", 1, 2, keys::kUp, 1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        show(c.list, c.from);
        game.press(c.key);
        update();
        EXPECT_EQ(menu(c.list == 1 ? 1 : 2), c.to);
        EXPECT_EQ(sounds(), c.to == c.from ? std::vector<int>{} : std::vector<int>{98});
        // Held: no further moves.
        update(5);
        EXPECT_EQ(menu(c.list == 1 ? 1 : 2), c.to);
        game.release(c.key);
        update();
    }
}

TEST_F(MenuTest, BackReturnsFromTheDifficultiesToTheMainList) {
    struct Case {
        const char* name;
        int key; // 0: the pointer on the back icon
    };
    const Case cases[] = {{"Escape", keys::kEscape}, {"X", 88}, {"C", 67}, {"back icon", 0}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        show(2, 1);
        if (c.key == 0) {
            touch(64 + 60, 64 - 60);
        } else {
            tap(c.key);
        }
        EXPECT_EQ(menu(0), 1);
        EXPECT_EQ(rt_quzo_QUZO_GameMode, kModeMainMenu);
    }
}

// The actions of both main lists, one entry at a time.
TEST_F(MenuTest, EachMainEntryActs) {
    struct Case {
        const char* name;
        int allowName;
        int entry;
        int list;
        int overlay;
        int opening; // element 47 afterwards (55 when untouched)
    };
    const Case cases[] = {
        {"Start Game", 1, 0, 2, kOverlayNone, 55},
        {"Name", 1, 1, 1, kOverlayNameEntry, 0},
        {"Options", 1, 2, 1, kOverlayOptions, 128},
        {"Credits", 1, 3, 1, kOverlayCredits, 55},
        {"Start Game without names", 0, 0, 2, kOverlayNone, 55},
        {"Options without names", 0, 1, 1, kOverlayOptions, 128},
        {"Credits without names", 0, 2, 1, kOverlayCredits, 55},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        rt_quzo_QUZO_AllowName = c.allowName;
        show(1, c.entry);
        rt_quzo_QUZO_MenuPos[3] = 0;
        rt_quzo_QUZO_MenuPos[47] = 55;
        // The controls of an update with select held, then the menu's own update alone (the
        // overlays it opens would run in the same update otherwise).
        game.press(keys::kEnter);
        rt_quzo_QUZO_GameMode = 7;
        update();
        rt_quzo_QUZO_GameMode = kModeMainMenu;
        app->p_MainMenu();
        game.release(keys::kEnter);
        EXPECT_EQ(menu(0), c.list);
        EXPECT_EQ(menu(3), c.list == 2 ? 1 : 0);
        EXPECT_EQ(rt_quzo_QUZO_OptCred, c.overlay);
        EXPECT_EQ(menu(47), c.opening);
    }
}

TEST_F(MenuTest, WithoutQuitTheMainListStartsLowerAndEndsAtCredits) {
    rt_quzo_HasQuit = 0;
    show(1, 0);
    // At H - 160 stands the first entry now, so a press there chooses it at once.
    touch(entryX(), mainEntryY(0, false));
    EXPECT_EQ(menu(0), 2);

    show(1, 3);
    tap(keys::kDown);
    EXPECT_EQ(menu(1), 3);

    rt_quzo_HasQuit = 1;
    show(1, 0);
    touch(entryX(), mainEntryY(1)); // the same point: the name entry, highlighted only
    EXPECT_EQ(menu(1), 1);
    EXPECT_EQ(menu(0), 1);
}

// --- Quit ----------------------------------------------------------------------------------

TEST_F(MenuTest, QuitEndsTheProcessWithStatusZero) {
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    for (int allowName : {1, 0}) {
        SCOPED_TRACE(allowName);
        EXPECT_EXIT(
            {
                rt_quzo_QUZO_AllowName = allowName;
                show(1, 0);
                for (int i = 0; i < 4; ++i) tap(keys::kDown);
                game.press(keys::kEnter);
                update();
                std::exit(3); // not reached when "Quit" ends the process
            },
            ::testing::ExitedWithCode(0), "");
    }
}

// --- The menu's pictures -------------------------------------------------------------------

TEST_F(MenuTest, MenuArtAndTitleSlideInAndSettle) {
    const int w = rt_quzo_jscrw, h = rt_quzo_jscrh;
    rt_quzo_QUZO_MenuPos[10] = -64;
    update();
    EXPECT_EQ(menu(10), -60);
    std::vector<Record> art = imagesOf(68);
    ASSERT_EQ(art.size(), 3u);
    // From above, the left and below.
    EXPECT_EQ(art[0].frame(), 0);
    EXPECT_EQ(art[0].y(), h / 2 - 8 * 204);
    EXPECT_EQ(art[1].frame(), 2);
    EXPECT_EQ(art[1].x(), w / 2 - 8 * 184);
    EXPECT_EQ(art[2].frame(), 1);
    EXPECT_EQ(art[2].y(), h / 2 + 8 * 164);
    EXPECT_FLOAT_EQ(art[0].sizeX(), 0.85f);

    update(60);
    EXPECT_EQ(menu(10), 140);
    art = imagesOf(68);
    for (const Record& r : art) {
        EXPECT_EQ(r.x(), w / 2);
        EXPECT_EQ(r.y(), h / 2);
    }
    const std::vector<Record> title = imagesOf(69);
    ASSERT_EQ(title.size(), 1u);
    EXPECT_EQ(title[0].x(), w / 2);
    EXPECT_EQ(title[0].y(), 128);
    EXPECT_FLOAT_EQ(title[0].sizeX(), 0.4f);
    const std::vector<Record> icons = imagesOf(90);
    ASSERT_EQ(icons.size(), 1u) << "the corner mark only, no back icon on the main list";
    EXPECT_EQ(icons[0].frame(), 10);
    EXPECT_EQ(icons[0].x(), w - 64);
    EXPECT_EQ(icons[0].y(), 48);
}

TEST_F(MenuTest, TheCurtainFollowsTheListThirtyTwoUnitsAnUpdate) {
    const int w = rt_quzo_jscrw;
    show(1, 0);
    update(40);
    EXPECT_EQ(menu(5), 0) << "closed under the main list";

    // "Start Game": the main list's update still closes (and clamps at 0), the difficulties'
    // next update opens by 32.
    tap(keys::kEnter);
    EXPECT_EQ(menu(5), 32);
    update(40);
    EXPECT_EQ(menu(5), w) << "open, and no further";

    // Open: the triangles lie outside the screen, and the score panel is centred on the right
    // edge (the list opens the curtain to W + 32 before it is drawn and clamped, so
    // x = 3W - 2(W + 32) + 64).
    for (const Record& r : lastUpdateRecords()) {
        if (r.kind() != kKindTriangle) continue;
        const float* f = r.f;
        const bool outside =
            (f[11] >= w && f[13] >= w && f[15] >= w) || (f[11] <= 0 && f[13] <= 0 && f[15] <= 0);
        EXPECT_TRUE(outside);
    }
    const std::vector<Record> panel = imagesOf(82);
    ASSERT_FALSE(panel.empty());
    EXPECT_EQ(panel[0].x(), w);
    EXPECT_EQ(panel[0].y(), rt_quzo_jscrh - 190);

    tap(keys::kEscape);
    EXPECT_EQ(menu(0), 1);
    // The back update opened (+32) and, back on the main list, closed (-32) it; the next
    // closed it by 32.
    EXPECT_EQ(menu(5), w - 32);
}

} // namespace
} // namespace hexwend::testing
