// The hex field's rules on small hand-built fields: one update of play at a time on the
// headless host (the virtual screen is 800 × 600), with the effects loaded from short tones
// and played through OpenAL Soft's silent driver, so that what was played, and at which rate,
// is read back from the channels.
#include "audio/sound.h"
#include "framework/quzo.h"
#include "game/my_game.h"
#include "runtime/gc.h"
#include "runtime/random.h"
#include "tests/audio/audio_support.h"
#include "tests/support/headless_game.h"
#include "tests/support/openal_config.h"
#include "tests/support/temp_folder.h"

#include <AL/al.h>
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <set>
#include <string>
#include <utility>
#include <vector>

namespace hexwend::testing {
namespace {

using namespace hexwend::framework;
using ::testing::ElementsAre;
using ::testing::IsEmpty;

// The game with nothing of its own creation: no state file, no loading sequence.
class FieldGame : public c_MyGame {
  public:
    int p_OnCreate() override {
        rt_app_SetUpdateRate(60);
        return 0;
    }
    int p_SendScores(int) override { return 0; }
};

constexpr int W = 800;
constexpr int H = 600;

// Player 1's record.
enum Player {
    kX = 1,
    kY = 2,
    kSpeedY = 4,
    kCarried = 6,
    kFloor = 7,
    kPhase = 8,
    kFacing = 9,
    kOffset = 12,
    kFieldSpeed = 13,
    kLow = 14,
    kColourCount = 15,
    kLeftPile = 21,
    kRightPile = 22,
    kScore = 50,
    kPopped = 52,
};

float& plr(int element) {
    return rt_quzo_plr[element];
}

float* cell(int c, int r) {
    return rt_quzo_grid.Data() + 10 * c + 200 * r;
}
float colourAt(int c, int r) {
    return cell(c, r)[0];
}
float countdownAt(int c, int r) {
    return cell(c, r)[2];
}
float chainAt(int c, int r) {
    return cell(c, r)[7];
}
void put(int c, int r, int colour, int variant = 0, int countdown = 0) {
    float* p = cell(c, r);
    p[0] = float(colour);
    p[1] = float(variant);
    p[2] = float(countdown);
}

// Where a cell's centre is on the screen for the field offset F.
float cellX(int c, int r) {
    return W / 2 - 308.75f + 95 * c + (r % 2 == 0 ? 47.5f : 0);
}
float cellY(int r, float offset) {
    return (H - 32) - 800 + 32 * r + offset;
}

float* falling(int i) {
    return rt_quzo_obj.Data() + 10 * i;
}
int fallingCount() {
    int n = 0;
    for (int i = 0; i < 101; ++i) n += falling(i)[0] > 0;
    return n;
}
int particlesOfKind(int kind) {
    int n = 0;
    for (int k = 0; k < 251; ++k) n += int(rt_quzo_part[10 * k]) == kind;
    return n;
}

// The shared generator's recurrence and rt_quzo_Rand, written out again for expectations.
struct Lcg {
    uint32_t s;
    float next() {
        s = s * 1664525u + 1013904223u;
        return float(s >> 8) / 16777216.0f;
    }
    int rand(float lo, float hi) { return int(std::floor(lo + next() * (hi + 0.99f - lo))); }
};

struct Played {
    int slot;
    float rate;
};

class FieldTest : public ::testing::Test {
  protected:
    void SetUp() override {
        useSilentAudio();
        for (int n = 1; n <= 5; ++n) {
            const std::string name = "506/sfx/00" + std::to_string(n) + ".wav";
            std::filesystem::create_directories(std::filesystem::path(data / name).parent_path());
            ASSERT_TRUE(writeFile(data / name, toneWav(200 + 100 * n, 0.05)));
        }
        app = game.startRuntime<FieldGame>(hexwend::game::registerModules);
        game.dataDir = data.path();
        game.startGame();
        ASSERT_NE(rt_audio_device, nullptr);

        rt_quzo_QUZO_GameNum = 506;
        rt_quzo_QUZO_Set[1] = 10;
        for (int n = 1; n <= 5; ++n) {
            rt_quzo_LoadSFX(n);
            ASSERT_NE(rt_quzo_QUZO_SFX[n], nullptr);
        }
        // Frame counts as the loading sequence gives them, so frames are recorded unchanged.
        rt_quzo_QUZO_ImgD[1] = 64;
        rt_quzo_QUZO_ImgD[2] = 49;
        rt_quzo_QUZO_ImgD[68] = 4;

        resetField();
    }
    void TearDown() override {
        gc_clear_roots();
        gc_reset(); // closes the audio device
    }

    // An empty field in play, the figure standing still in the middle of the floor with
    // empty hands, the field not moving, no end sequence, no input, a fixed random seed.
    void resetField() {
        rt_quzo_ResetGrid();
        rt_quzo_ResetPlrs();
        rt_quzo_ResetObjs();
        rt_quzo_ResetParticles();
        for (int c = 0; c < 10; ++c) {
            for (int r = 0; r < 26; ++r) put(c, r, -1);
        }
        rt_quzo_QUZO_Loader = 0;
        rt_quzo_QUZO_GameMode = kModePlaying;
        rt_quzo_QUZO_EndofGame = 0;
        rt_quzo_QUZO_EndReason = 0;
        rt_quzo_QUZO_MusicPlaying = 0;
        rt_quzo_QUZO_MixControls = 1;
        for (int i = 0; i < 500; ++i) rt_quzo_QUZO_Control[i] = 0;
        rt_quzo_mdAll = 0;
        rt_quzo_mPadx = 0;
        plr(kX) = W / 2;
        plr(kY) = H - 32;
        plr(kFloor) = 3;
        plr(kCarried) = -1;
        plr(kLow) = 1;
        plr(kColourCount) = 3;
        plr(kLeftPile) = 1;
        plr(kRightPile) = 3;
        rt_random_Seed = 1234;
        sounds.clear();
    }

    // One update of play on its own, with a fresh draw list; what it played goes to `sounds`.
    void step(int count = 1) {
        for (int i = 0; i < count; ++i) {
            rt_quzo_Sprtup = 0;
            rt_quzo_ResetDraw();
            const int before = rt_quzo_QUZO_LChan;
            app->p_Game();
            sounds = playedSince(before);
        }
    }

    // The effects started since the channel `before`: each took the next channel.
    static std::vector<Played> playedSince(int before) {
        std::vector<Played> out;
        const int n = (rt_quzo_QUZO_LChan - before + kEffectChannels) % kEffectChannels;
        for (int i = 1; i <= n; ++i) {
            const gxtkChannel& ch = rt_audio_device->channels[(before + i) % kEffectChannels];
            Played p{-1, 0};
            for (int slot = 1; slot <= 5; ++slot) {
                if (rt_quzo_QUZO_SFX[slot]->m_sample == ch.sample) p.slot = slot;
            }
            alGetSourcef(ch.source, AL_PITCH, &p.rate);
            out.push_back(p);
        }
        return out;
    }
    std::vector<int> soundSlots() const {
        std::vector<int> out;
        for (const Played& p : sounds) out.push_back(p.slot);
        return out;
    }
    std::vector<float> ratesOf(int slot) const {
        std::vector<float> out;
        for (const Played& p : sounds) {
            if (p.slot == slot) out.push_back(p.rate);
        }
        return out;
    }

    // Rows 0 ... last of every column filled with one colour: a ceiling held by the anchor.
    static void ceiling(int last, int colour = 5) {
        for (int r = 0; r <= last; ++r) {
            for (int c = 0; c < 7; ++c) put(c, r, colour, (c + r) % 8);
        }
    }

    // The figure holding a hex of `colour` so that it sits on the centre of cell (c, r).
    static void carryUnder(int c, int r, int colour, float dx = 0, float dy = 0) {
        plr(kCarried) = float(colour);
        plr(kX) = cellX(c, r) + dx;
        plr(kY) = cellY(r, plr(kOffset)) + 24 + dy;
        plr(kFloor) = 0;
    }

    // Control 10 (jump) and the main axis, set as the controls step leaves them.
    static void holdJump(bool held) { rt_quzo_QUZO_Control[10] = held ? 1.0f : 0.0f; }

    TempFolder data;
    HeadlessGame game;
    FieldGame* app = nullptr;
    std::vector<Played> sounds;
};

// --- The advance -------------------------------------------------------------------------

TEST_F(FieldTest, FieldComesDownNineTimesAsFastUntilAHexIsLow) {
    // Column 0 down to row 12 stays above the line H - 432 (y 152 at offset 0); a hex in row
    // 14 lies below it.
    for (int r = 0; r <= 12; r += 2) put(0, r, 3);
    plr(kFieldSpeed) = 0.1f;
    plr(kOffset) = 1;
    plr(kLow) = 0;

    step();
    EXPECT_NEAR(plr(kOffset), 1.9f, 1e-5);
    EXPECT_EQ(plr(kLow), 0);

    put(0, 14, 3);
    step();
    EXPECT_NEAR(plr(kOffset), 2.8f, 1e-5) << "the flag is read before it is raised";
    EXPECT_EQ(plr(kLow), 1);
    step();
    EXPECT_NEAR(plr(kOffset), 2.9f, 1e-5);
}

TEST_F(FieldTest, PassingTwoRowsMovesTheHexesDownAndBringsTwoNewRows) {
    // Rows 0 ... 5 full; a pop in progress at (3, 4) that is worth 15 and will spread to
    // its colour-7 neighbour, which is (3, 7) once both have moved down.
    ceiling(5, 1);
    put(3, 4, 7, 2, 26);
    cell(3, 4)[7] = 15;
    put(3, 5, 7, 4);
    plr(kOffset) = 63.95f;
    plr(kFieldSpeed) = 0.1f;

    Lcg lcg{uint32_t(rt_random_Seed)};
    step();

    EXPECT_NEAR(plr(kOffset), 0.05f, 1e-4);
    EXPECT_NEAR(plr(kFieldSpeed), 0.11f, 1e-6);
    for (int r = 0; r < 2; ++r) {
        for (int c = 0; c < 7; ++c) {
            SCOPED_TRACE(::testing::Message() << "new cell " << c << ", " << r);
            const int colour = 2 * lcg.rand(1, 3) - 1;
            const int variant = lcg.rand(0, 7);
            EXPECT_EQ(colourAt(c, r), colour);
            EXPECT_EQ(cell(c, r)[1], variant);
            EXPECT_EQ(countdownAt(c, r), 0);
        }
    }
    for (int r = 2; r <= 7; ++r) {
        for (int c = 0; c < 7; ++c) {
            if ((c == 3 && r == 6) || (c == 3 && r == 7)) continue;
            SCOPED_TRACE(::testing::Message() << "moved cell " << c << ", " << r);
            EXPECT_EQ(colourAt(c, r), 1);
            EXPECT_EQ(cell(c, r)[1], (c + r - 2) % 8);
        }
    }
    EXPECT_EQ(colourAt(3, 6), 7);
    EXPECT_EQ(cell(3, 6)[1], 2);
    EXPECT_EQ(countdownAt(3, 6), 25) << "moved, then counted down in the same update";
    EXPECT_EQ(colourAt(3, 7), 7);
    EXPECT_EQ(colourAt(0, 8), -1);
    EXPECT_EQ(plr(kScore), 0);

    // The pop keeps its worth across the move: its next step is worth 20.
    step(2);
    EXPECT_EQ(plr(kScore), 0);
    step();
    EXPECT_EQ(countdownAt(3, 6), 22);
    EXPECT_EQ(countdownAt(3, 7), 29) << "later in the same pass, it counts down at once";
    EXPECT_EQ(chainAt(3, 7), 20);
    EXPECT_EQ(plr(kScore), 20);
    ASSERT_EQ(ratesOf(2).size(), 1u);
    EXPECT_NEAR(ratesOf(2)[0], 20.0f / 50 + 0.75f, 1e-5);
}

TEST_F(FieldTest, OnlyHardBringsTheFourthColour) {
    for (int count : {3, 4}) {
        SCOPED_TRACE(count);
        std::set<int> seen;
        plr(kColourCount) = float(count);
        for (int i = 0; i < 60; ++i) {
            // A deep honeycomb of one colour, so that the new rows hang on to it.
            for (int r = 0; r < 26; ++r) {
                for (int c = 0; c < 7; ++c) put(c, r, r <= 13 ? 5 : -1);
            }
            plr(kOffset) = 64.5f;
            step();
            for (int r = 0; r < 2; ++r) {
                for (int c = 0; c < 7; ++c) seen.insert(int(colourAt(c, r)));
            }
        }
        const std::set<int> expected =
            count == 4 ? std::set<int>{1, 3, 5, 7} : std::set<int>{1, 3, 5};
        EXPECT_EQ(seen, expected);
    }
}

// --- Linking and dropping ----------------------------------------------------------------

TEST_F(FieldTest, HexesNotLinkedToTheAnchorFallOff) {
    struct Case {
        const char* name;
        std::vector<std::pair<int, int>> hexes;
        std::vector<std::pair<int, int>> falling;
        int points; // rows 0 ... 2 lie above y = -128 at offset 20 and score nothing
    };
    const Case cases[] = {
        {"held down-left, down, down-right", {{0, 0}, {0, 1}, {0, 3}, {0, 4}}, {}, 0},
        {"held down-right, then up-right", {{0, 0}, {1, 1}, {1, 2}, {2, 3}, {2, 2}}, {}, 0},
        // (1, 3) touches (0, 4), but following the path there needs a turn more than the
        // five sweeps make.
        {"beyond the sweeps", {{0, 0}, {0, 1}, {0, 3}, {0, 4}, {1, 3}}, {{1, 3}}, 10},
        {"apart from the rest", {{0, 0}, {0, 2}, {5, 10}}, {{5, 10}}, 10},
        {"no anchor", {{0, 2}, {0, 4}, {1, 1}}, {{0, 2}, {0, 4}, {1, 1}}, 10},
    };
    for (const Case& k : cases) {
        SCOPED_TRACE(k.name);
        resetField();
        plr(kOffset) = 20;
        for (auto [c, r] : k.hexes) {
            put(c, r, 3, 5);
            cell(c, r)[5] = 1; // last update's flag counts for nothing
        }
        step();
        std::vector<std::pair<int, int>> fell;
        for (auto [c, r] : k.hexes) {
            if (colourAt(c, r) == -1) fell.push_back({c, r});
        }
        EXPECT_EQ(fell, k.falling);
        EXPECT_EQ(fallingCount(), k.points / 10) << "those above the screen are gone at once";
        EXPECT_EQ(plr(kScore), k.points);
        EXPECT_EQ(plr(kPopped), k.points / 10);
        EXPECT_EQ(ratesOf(3).size(), k.points > 0 ? 1u : 0u);
    }
}

TEST_F(FieldTest, AFallingHexTakesTheFirstFreeRecordAndFallsOutOfTheScreen) {
    put(0, 0, 1);
    put(2, 10, 5, 3); // unlinked, at (328.75, 88)
    falling(0)[0] = 9;
    falling(0)[1] = 100;
    falling(0)[2] = 300;

    step();
    EXPECT_EQ(colourAt(2, 10), -1);
    const float* o = falling(1);
    EXPECT_EQ(o[0], 8 * 5 + 3 + 1);
    EXPECT_EQ(o[1], cellX(2, 10));
    EXPECT_EQ(o[2], cellY(10, 0) + 0.25f) << "it starts falling in the same update";
    EXPECT_EQ(o[4], 0.25f);
    EXPECT_EQ(plr(kScore), 10);
    EXPECT_EQ(plr(kPopped), 1);
    EXPECT_EQ(particlesOfKind(2), 4);
    EXPECT_EQ(particlesOfKind(10), 1) << "the pop-up";
    EXPECT_THAT(soundSlots(), ElementsAre(3));

    // Each update it falls faster, until it is 128 below the screen.
    int updates = 1;
    while (falling(1)[0] > 0 && updates < 200) {
        const float y = falling(1)[2];
        const float v = falling(1)[4];
        step();
        ++updates;
        if (falling(1)[0] > 0) {
            EXPECT_EQ(falling(1)[4], v + 0.25f);
            EXPECT_EQ(falling(1)[2], y + v + 0.25f);
        }
    }
    EXPECT_EQ(falling(1)[0], 0);
    EXPECT_GT(falling(1)[2], H + 128);
    EXPECT_LT(updates, 200);
}

TEST_F(FieldTest, WithEveryFallingRecordBusyAnUnlinkedHexWaits) {
    put(0, 0, 1);
    put(4, 12, 3, 1);
    for (int i = 0; i < 101; ++i) {
        falling(i)[0] = 9;
        falling(i)[2] = -100;
        falling(i)[4] = -8; // rising slowly, so it stays on the screen
    }
    step();
    EXPECT_EQ(colourAt(4, 12), 3);
    EXPECT_EQ(plr(kScore), 0);
    bool drawn = false;
    for (int i = 0; i < rt_quzo_Sprtup; ++i) {
        const float* rec = rt_quzo_QUZO_Draw.Data() + 20 * i;
        if (rec[10] == 1 && rec[11] == cellX(4, 12) && rec[12] == cellY(12, 0)) {
            drawn = true;
            EXPECT_EQ(rec[13], 25);
        }
    }
    EXPECT_TRUE(drawn);

    falling(57)[0] = 0;
    step();
    EXPECT_EQ(colourAt(4, 12), -1);
    EXPECT_EQ(falling(57)[0], 8 * 3 + 1 + 1);
    EXPECT_EQ(plr(kScore), 10);
}

TEST_F(FieldTest, PoppingTheHexThatHoldsAGroupDropsTheGroupWithOneSound) {
    ceiling(8);
    put(3, 10, 1, 0, 2); // about to vanish
    put(3, 12, 3);
    put(3, 13, 3);
    put(3, 14, 3);

    step();
    EXPECT_EQ(colourAt(3, 10), -1);
    EXPECT_EQ(colourAt(3, 12), 3) << "linked when this update began";
    EXPECT_EQ(plr(kScore), 0);

    step();
    EXPECT_EQ(colourAt(3, 12), -1);
    EXPECT_EQ(colourAt(3, 13), -1);
    EXPECT_EQ(colourAt(3, 14), -1);
    EXPECT_EQ(fallingCount(), 3);
    EXPECT_EQ(plr(kScore), 30);
    EXPECT_EQ(plr(kPopped), 3);
    EXPECT_THAT(soundSlots(), ElementsAre(3));
    EXPECT_EQ(colourAt(2, 8), 5) << "the ceiling stays";
}

TEST_F(FieldTest, AnEmptyAnchorDropsEverything) {
    ceiling(8);
    put(0, 0, -1);
    step();
    for (int r = 0; r <= 8; ++r) {
        for (int c = 0; c < 7; ++c) EXPECT_EQ(colourAt(c, r), -1) << c << ", " << r;
    }
    // Only rows 4 ... 8 are on the screen (y > -128); the falling hexes above it are gone
    // at once.
    EXPECT_EQ(fallingCount(), 5 * 7);
    EXPECT_EQ(plr(kScore), 5 * 7 * 10);
    EXPECT_THAT(soundSlots(), ElementsAre(3));
}

TEST_F(FieldTest, HexesDroppedAboveTheScreenScoreNothing) {
    put(0, 0, 1);
    put(5, 2, 3); // y -168
    step();
    EXPECT_EQ(colourAt(5, 2), -1);
    EXPECT_EQ(falling(0)[1], cellX(5, 2)) << "it took a falling record";
    EXPECT_EQ(fallingCount(), 0) << "and left the screen at once";
    EXPECT_EQ(plr(kScore), 0);
    EXPECT_EQ(plr(kPopped), 0);
    EXPECT_EQ(particlesOfKind(10), 0);
    EXPECT_THAT(soundSlots(), IsEmpty());
}

// --- Placing -----------------------------------------------------------------------------

TEST_F(FieldTest, ACarriedHexSticksUnderTheHoneycombOnlyDuringAJump) {
    // The target is the empty cell (3, 11) under a ceiling of rows 0 ... 8; its upper
    // neighbours are up-left (2, 10), up-right (3, 10) and up (3, 9). The carried hex is 1.
    struct Neighbour {
        int c, r, colour, countdown;
    };
    struct Case {
        const char* name;
        std::vector<Neighbour> around;
        float floor;
        float dx, dy;
        bool sticks;
        bool pops;
    };
    const Case cases[] = {
        {"no neighbour", {}, 0, 0, 0, false, false},
        {"another colour", {{2, 10, 3, 0}}, 0, 0, 0, true, false},
        {"its own colour", {{3, 10, 1, 0}}, 0, 0, 0, true, true},
        {"own colour among others",
         {{2, 10, 3, 0}, {3, 10, 1, 0}, {3, 9, 5, 0}},
         0,
         0,
         0,
         true,
         true},
        {"own colour first", {{2, 10, 1, 0}, {3, 10, 3, 0}}, 0, 0, 0, true, true},
        {"own colour popping, another resting",
         {{3, 10, 1, 10}, {3, 9, 3, 0}},
         0,
         0,
         0,
         true,
         false},
        {"only a popping neighbour", {{3, 10, 1, 10}}, 0, 0, 0, false, false},
        {"standing on the floor", {{3, 10, 1, 0}}, 3, 0, 0, false, false},
        {"before the first landing", {{3, 10, 1, 0}}, -1, 0, 0, false, false},
        {"23 to the side", {{3, 10, 1, 0}}, 0, 23, 0, true, true},
        {"24 to the side", {{3, 10, 1, 0}}, 0, -24, 0, false, false},
        {"13 below", {{3, 10, 1, 0}}, 0, 0, 13, true, true},
        {"14 above", {{3, 10, 1, 0}}, 0, 0, -14, false, false},
    };
    for (const Case& k : cases) {
        SCOPED_TRACE(k.name);
        resetField();
        ceiling(8);
        for (const Neighbour& n : k.around) put(n.c, n.r, n.colour, 6, n.countdown);
        carryUnder(3, 11, 1, k.dx, k.dy);
        plr(kFloor) = k.floor;
        const int particlesBefore = particlesOfKind(4);

        step();

        EXPECT_EQ(colourAt(3, 11), k.sticks ? 1 : -1);
        EXPECT_EQ(plr(kCarried), k.sticks ? -1 : 1);
        if (k.sticks) {
            EXPECT_EQ(cell(3, 11)[1], 0) << "placed hexes have variant 0";
        }
        EXPECT_EQ(countdownAt(3, 11), k.pops ? 30 : 0) << "handled from the next update on";
        EXPECT_EQ(plr(kScore), k.pops ? 5 : 0);
        EXPECT_EQ(plr(kPopped), k.pops ? 1 : 0);
        EXPECT_EQ(particlesOfKind(4) - particlesBefore, k.pops ? 16 : 0);
        if (k.pops) {
            EXPECT_EQ(chainAt(3, 11), 5);
            EXPECT_THAT(soundSlots(), ElementsAre(4, 2));
            EXPECT_NEAR(ratesOf(2)[0], 0.85f, 1e-5);
        } else {
            EXPECT_EQ(soundSlots(), k.sticks ? std::vector<int>{4} : std::vector<int>{});
        }
    }
}

TEST_F(FieldTest, APopSpreadsEveryEightUpdatesWorthFiveMoreEachStep) {
    // A column of colour 1 hanging from the ceiling: (3, 8), (3, 10); the hex is placed at
    // (3, 11), touching (3, 10).
    ceiling(8);
    put(3, 8, 1);
    put(3, 10, 1);
    carryUnder(3, 11, 1);

    std::vector<std::pair<int, float>> popped; // update, score after it
    std::vector<float> rates;
    for (int u = 0; u <= 50; ++u) {
        const float before = plr(kScore);
        step();
        if (plr(kScore) != before) popped.push_back({u, plr(kScore) - before});
        for (float r : ratesOf(2)) rates.push_back(r);
        if (u == 28) {
            EXPECT_EQ(colourAt(3, 11), 1) << "still popping";
        }
        if (u == 29) {
            EXPECT_EQ(colourAt(3, 11), -1) << "gone 29 updates after it began";
        }
    }
    EXPECT_EQ(popped, (std::vector<std::pair<int, float>>{{0, 5}, {8, 10}, {16, 15}}));
    ASSERT_EQ(rates.size(), 3u);
    EXPECT_NEAR(rates[0], 0.85f, 1e-5);
    EXPECT_NEAR(rates[1], 0.95f, 1e-5);
    EXPECT_NEAR(rates[2], 1.05f, 1e-5);
    EXPECT_EQ(plr(kPopped), 3);
    EXPECT_EQ(colourAt(3, 8), -1);
    EXPECT_EQ(colourAt(3, 10), -1);
    EXPECT_EQ(fallingCount(), 0) << "nothing hung from the popped hexes";
}

TEST_F(FieldTest, APopAboveTheScreenDoesNotSpread) {
    // At offset 0, row 2 is at y -168.
    put(0, 0, 5);
    put(3, 1, 5);
    put(3, 2, 1, 0, 23);
    put(3, 0, 1);
    step();
    EXPECT_EQ(countdownAt(3, 2), 22);
    EXPECT_EQ(countdownAt(3, 0), 0);
    EXPECT_EQ(plr(kScore), 0);
}

// --- The loss and the end sequence -------------------------------------------------------

TEST_F(FieldTest, TheGameIsLostWhenAHexPassesTheFloorLine) {
    struct Case {
        int row;
        float offset;
        bool lost;
    };
    const Case cases[] = {
        {25, 0, false}, {25, 0.5f, true}, {24, 32, false}, {24, 32.5f, true}, {23, 64, false},
    };
    for (const Case& k : cases) {
        SCOPED_TRACE(::testing::Message() << "row " << k.row << " offset " << k.offset);
        resetField();
        // A column from the anchor down to the row, so that nothing falls.
        for (int r = k.row % 2; r <= k.row; r += 2) put(0, r, 3);
        put(0, 0, 3);
        put(0, 1, 3);
        plr(kOffset) = k.offset;
        rt_quzo_QUZO_MusicPlaying = 1;
        step();
        EXPECT_EQ(rt_quzo_QUZO_EndofGame, k.lost ? 1 : 0);
        EXPECT_EQ(rt_quzo_QUZO_EndReason, 0);
        EXPECT_EQ(rt_quzo_QUZO_MusicPlaying, k.lost ? 0 : 1);
        EXPECT_EQ(ratesOf(5).size(), k.lost ? 1u : 0u);
    }
}

TEST_F(FieldTest, ALaterLossKeepsTheFirstEndReason) {
    put(0, 0, 3);
    put(0, 1, 3);
    for (int r = 1; r <= 25; r += 2) put(0, r, 3);
    plr(kOffset) = 10;
    rt_quzo_QUZO_EndofGame = 3;
    rt_quzo_QUZO_EndReason = kEndQuit;
    rt_quzo_QUZO_MusicPlaying = 1;
    step();
    EXPECT_EQ(rt_quzo_QUZO_EndofGame, 3);
    EXPECT_EQ(rt_quzo_QUZO_EndReason, kEndQuit);
    EXPECT_EQ(rt_quzo_QUZO_MusicPlaying, 1);
    EXPECT_THAT(soundSlots(), IsEmpty());
}

TEST_F(FieldTest, WhileTheGameEndsTheFieldIsShownButFrozen) {
    ceiling(8);
    put(3, 10, 1, 0, 23); // would spread to (3, 12) in this update
    put(3, 12, 1);
    put(6, 14, 3); // unlinked, on the screen
    falling(0)[0] = 9;
    falling(0)[2] = 300;
    falling(0)[4] = 1;
    plr(kOffset) = 10;
    plr(kFieldSpeed) = 0.2f;
    plr(kLow) = 0;
    plr(kX) = 400;
    plr(kY) = H - 32;
    plr(kFloor) = 3;
    rt_quzo_QUZO_Control[121] = 1; // running right
    holdJump(true);
    rt_quzo_QUZO_EndofGame = 1;

    step();
    EXPECT_EQ(plr(kOffset), 10) << "no advance";
    EXPECT_EQ(countdownAt(3, 10), 23) << "no countdown";
    EXPECT_EQ(countdownAt(3, 12), 0) << "no spreading";
    EXPECT_EQ(colourAt(6, 14), -1) << "the cut-off hex still comes away";
    EXPECT_EQ(plr(kScore), 0) << "but scores nothing once the game is lost";
    EXPECT_EQ(particlesOfKind(10), 0);
    EXPECT_EQ(falling(0)[2], 300) << "no falling movement";
    EXPECT_EQ(falling(0)[4], 1.25f) << "the falling speed still grows";
    EXPECT_EQ(plr(kX), 400) << "no running";
    EXPECT_EQ(plr(kFloor), 3) << "no jump";
    EXPECT_THAT(soundSlots(), IsEmpty());
}

TEST_F(FieldTest, HexesCutOffInTheUpdateOfTheLossScoreOnlyBeforeIt) {
    // Column 0 reaches the floor line; the cut-off hexes at (2, 6) and (5, 6) come after it
    // in the pass.
    put(0, 0, 3);
    for (int r = 1; r <= 25; r += 2) put(0, r, 3);
    put(2, 6, 5);
    put(5, 6, 5);
    plr(kOffset) = 1;
    step();
    EXPECT_EQ(rt_quzo_QUZO_EndofGame, 1);
    EXPECT_EQ(colourAt(2, 6), -1);
    EXPECT_EQ(colourAt(5, 6), -1);
    EXPECT_EQ(plr(kScore), 0);
    EXPECT_EQ(ratesOf(3).size(), 0u);

    // Before the loss: a cut-off hex in column 2, the loss in column 6.
    resetField();
    ceiling(8, 3);
    for (int r = 9; r <= 25; r += 2) put(6, r, 3);
    put(2, 12, 5);
    plr(kOffset) = 1;
    step();
    EXPECT_EQ(rt_quzo_QUZO_EndofGame, 1);
    EXPECT_EQ(colourAt(2, 12), -1);
    EXPECT_EQ(plr(kScore), 10);
    EXPECT_EQ(ratesOf(3).size(), 1u);
}

// --- The figure --------------------------------------------------------------------------

TEST_F(FieldTest, TheFigureRunsByTheMainAxisOrThePointersDragStick) {
    struct Case {
        const char* name;
        float x;
        float axis;   // block 1's main axis x
        float axis0;  // block 0's
        int mixed;    // rt_quzo_QUZO_MixControls
        int pointer;  // rt_quzo_mdAll
        float stick;  // rt_quzo_mPadx
        float facing; // before
        float xAfter, phaseAfter, facingAfter;
    };
    const Case cases[] = {
        {"full right", 400, 1, 0, 1, 0, 0, -1, 408, 0.25f, 1},
        {"half left", 400, -0.5f, 0, 1, 0, 0, 1, 396, 0.125f, -1},
        {"a little right keeps the facing", 400, 0.2f, 0, 1, 0, 0, -1, 401.6f, 0.05f, -1},
        {"the pointer's stick wins", 400, 1, 0, 1, 1, -1, 1, 392, 0.25f, -1},
        {"the stick is not read without a pointer", 400, 0, 0, 1, 0, -1, 1, 400, 0, 1},
        {"the keyboard block when not mixed", 400, 1, -1, 0, 0, 0, 1, 392, 0.25f, -1},
        {"stops at the right edge", 795, 1, 0, 1, 0, 0, 1, W - 8, 0.25f, 1},
        {"stops at the left edge", 10, -1, 0, 1, 0, 0, 1, 8, 0.25f, -1},
    };
    for (const Case& k : cases) {
        SCOPED_TRACE(k.name);
        resetField();
        plr(kX) = k.x;
        plr(kFacing) = k.facing;
        rt_quzo_QUZO_Control[121] = k.axis;
        rt_quzo_QUZO_Control[21] = k.axis0;
        rt_quzo_QUZO_MixControls = k.mixed;
        rt_quzo_mdAll = k.pointer;
        rt_quzo_mPadx = k.stick;
        step();
        EXPECT_NEAR(plr(kX), k.xAfter, 1e-4);
        EXPECT_NEAR(plr(kPhase), k.phaseAfter, 1e-6);
        EXPECT_EQ(plr(kFacing), k.facingAfter);
    }
}

TEST_F(FieldTest, HoldingTheJumpControlJumpsHigher) {
    // From above the floor before the first landing.
    plr(kY) = H / 2;
    plr(kFloor) = -1;
    int updates = 0;
    while (plr(kFloor) != 3 && updates < 100) step(), ++updates;
    EXPECT_EQ(plr(kY), H - 32);
    EXPECT_LT(updates, 100);

    // Held, the jump starts in the update that finds the figure on the floor and rises with
    // gravity 0.8; a tap rises with 1.3. Held on, it jumps again as it lands.
    struct Case {
        bool held;
        float firstSpeed;
        float peak;
    };
    for (const Case& k : {Case{true, -15.2f, 232}, Case{false, -14.7f, 354.8f}}) {
        SCOPED_TRACE(k.held);
        holdJump(true);
        step();
        EXPECT_EQ(plr(kFloor), 0);
        EXPECT_EQ(plr(kSpeedY), -16);
        EXPECT_EQ(plr(kY), H - 32);
        holdJump(k.held);
        step();
        EXPECT_EQ(plr(kY), H - 32 - 32);
        EXPECT_NEAR(plr(kSpeedY), k.firstSpeed, 1e-5);
        float peak = plr(kY);
        int air = 1;
        while (plr(kY) < H - 32 && air < 200) {
            step();
            ++air;
            peak = std::min(peak, plr(kY));
        }
        EXPECT_NEAR(peak, k.peak, 0.01f);
        EXPECT_EQ(plr(kFloor), k.held ? 0 : 3) << "held, it takes off again as it lands";
        if (k.held) {
            EXPECT_EQ(plr(kSpeedY), -16);
        }
        holdJump(false);
        while (plr(kFloor) != 3 && air < 400) step(), ++air;
        EXPECT_EQ(plr(kY), H - 32);
    }

    // However far it falls, no faster than 16 per update (32 units).
    plr(kY) = -2000;
    plr(kSpeedY) = 0;
    plr(kFloor) = 0;
    step(40);
    EXPECT_EQ(plr(kSpeedY), 16);
}

TEST_F(FieldTest, AtAnEdgeOfTheFloorTheFigureTakesThePilesHex) {
    struct Case {
        const char* name;
        float x;
        float floor;
        float carried;
        int takenFrom; // 0 none, 21 left, 22 right
    };
    const Case cases[] = {
        {"left edge", 40, 3, -1, kLeftPile}, {"right edge", 760, 3, -1, kRightPile},
        {"not quite left", 48, 3, -1, 0},    {"not quite right", 752, 3, -1, 0},
        {"in the middle", 400, 3, -1, 0},    {"in the air", 40, 0, -1, 0},
        {"before landing", 40, -1, -1, 0},   {"hands full", 40, 3, 5, 0},
    };
    for (const Case& k : cases) {
        SCOPED_TRACE(k.name);
        resetField();
        plr(kX) = k.x;
        plr(kFloor) = k.floor;
        plr(kY) = k.floor == 3 ? H - 32 : 300;
        plr(kCarried) = k.carried;
        plr(kLeftPile) = 3;
        plr(kRightPile) = 5;
        step();
        if (k.takenFrom == 0) {
            EXPECT_EQ(plr(kCarried), k.carried);
            EXPECT_EQ(plr(kLeftPile), 3);
            EXPECT_EQ(plr(kRightPile), 5);
            EXPECT_THAT(soundSlots(), IsEmpty());
        } else {
            EXPECT_EQ(plr(kCarried), k.takenFrom == kLeftPile ? 3 : 5);
            EXPECT_NE(plr(k.takenFrom), plr(kCarried));
            EXPECT_THAT(soundSlots(), ElementsAre(1));
        }
    }
}

TEST_F(FieldTest, APileNeverShowsTheColourJustTakenFromIt) {
    for (int count : {3, 4}) {
        SCOPED_TRACE(count);
        resetField();
        plr(kColourCount) = float(count);
        std::set<int> shown;
        for (int i = 0; i < 300; ++i) {
            plr(kX) = i % 2 ? 40.0f : 760.0f;
            plr(kCarried) = -1;
            const int pile = i % 2 ? kLeftPile : kRightPile;
            const float before = plr(pile);
            step();
            ASSERT_EQ(plr(kCarried), before);
            ASSERT_NE(plr(pile), before) << "take " << i;
            shown.insert(int(plr(pile)));
        }
        EXPECT_EQ(int(shown.size()), count);
    }

    // With a single colour there is no other to show: the pile keeps it (and the update
    // ends).
    resetField();
    plr(kColourCount) = 1;
    plr(kLeftPile) = 1;
    plr(kX) = 40;
    step();
    EXPECT_EQ(plr(kCarried), 1);
    EXPECT_EQ(plr(kLeftPile), 1);
}

// --- The drawing -------------------------------------------------------------------------

TEST_F(FieldTest, OneUpdateDrawsBackgroundHexesPilesFigureAndFallingHexes) {
    put(0, 0, 3, 2);
    put(0, 2, 5, 7, 20); // popping
    falling(4)[0] = 13;
    falling(4)[1] = 222;
    falling(4)[2] = 333;
    plr(kCarried) = 7;
    plr(kFacing) = -1;
    plr(kPhase) = 6.5f;
    plr(kX) = 300;
    plr(kLeftPile) = 1;
    plr(kRightPile) = 5;
    step();

    struct Drawn {
        int slot, frame;
        float x, y, sx, sy, alpha;
    };
    std::vector<Drawn> drawn;
    for (int i = 0; i < rt_quzo_Sprtup; ++i) {
        const float* r = rt_quzo_QUZO_Draw.Data() + 20 * i;
        const int slot = int(r[10]);
        if (int(r[9]) != kKindImage || (slot != 1 && slot != 2 && slot != 68)) continue;
        drawn.push_back({int(r[10]), int(r[13]), r[11], r[12], r[4], r[5], r[0]});
    }
    const float y0 = cellY(0, 0), y2 = cellY(2, 0);
    const std::vector<Drawn> expected = {
        {68, 0, W / 2, H / 2, 1, 1, 0.5f},                             // background
        {1, 8 * 3 + 2, cellX(0, 0), y0, 1, 1, 1},                      // resting
        {1, 8 * 5 + 7, cellX(0, 2), y2, 20.0f / 15, 20.0f / 15, 0.5f}, // popping
        {1, 8, 32, H - 32, 1, 1, 1},                                   // left pile
        {1, 40, W - 32, H - 32, 1, 1, 1},                              // right pile
        {2, 2 + 7, 300, H - 32, -2, 2, 1},                             // the figure, carrying
        {1, 56, 300, H - 32 - 24, 1, 1, 1},                            // the carried hex
        {1, 12, 222, 333.25f, 1, 1, 1},                                // falling
    };
    ASSERT_EQ(drawn.size(), expected.size());
    for (size_t i = 0; i < drawn.size(); ++i) {
        SCOPED_TRACE(i);
        EXPECT_EQ(drawn[i].slot, expected[i].slot);
        EXPECT_EQ(drawn[i].frame, expected[i].frame);
        EXPECT_FLOAT_EQ(drawn[i].x, expected[i].x);
        EXPECT_FLOAT_EQ(drawn[i].y, expected[i].y);
        EXPECT_FLOAT_EQ(drawn[i].sx, expected[i].sx);
        EXPECT_FLOAT_EQ(drawn[i].sy, expected[i].sy);
        EXPECT_FLOAT_EQ(drawn[i].alpha, expected[i].alpha);
    }
}

// --- Through the game's update -----------------------------------------------------------

TEST_F(FieldTest, KeysRunAndJumpTheFigureThroughTheGamesUpdate) {
    ceiling(3);
    game.press(keys::kRight);
    game.update(10);
    game.release(keys::kRight);
    EXPECT_GT(plr(kX), W / 2 + 60);
    EXPECT_EQ(plr(kFacing), 1);

    game.press(keys::kSpace);
    game.update();
    EXPECT_EQ(plr(kFloor), 0);
    game.update(5);
    EXPECT_LT(plr(kY), H - 32 - 100);
    game.release(keys::kSpace);
    game.update(60);
    EXPECT_EQ(plr(kFloor), 3);
}

TEST_F(FieldTest, PlayAllocatesNoCollectedObjects) {
    // A busy game: a deep honeycomb coming down, the figure running between the piles and
    // jumping under it, so that hexes are taken, placed, popped and dropped.
    for (int r = 0; r <= 13; ++r) {
        for (int c = 0; c < 7; ++c) put(c, r, 2 * ((c * 7 + r * 3) % 3) + 1, r % 8);
    }
    plr(kFieldSpeed) = 0.15f;
    auto play = [this](int from, int count) {
        for (int i = from; i < from + count; ++i) {
            // Left for a while, then right; jumping in bursts, standing in between.
            if (i % 160 == 0) game.release(keys::kRight), game.press(keys::kLeft);
            if (i % 160 == 80) game.release(keys::kLeft), game.press(keys::kRight);
            if (i % 40 == 0) game.press(keys::kSpace);
            if (i % 40 == 25) game.release(keys::kSpace);
            game.update();
        }
    };
    play(0, 200);
    const int bytes = gc_new_bytes;
    const float scoreBefore = plr(kScore);
    play(200, 1000);
    EXPECT_EQ(gc_new_bytes, bytes);
    EXPECT_GT(plr(kScore), scoreBefore) << "the run did score";
    EXPECT_EQ(rt_quzo_QUZO_EndofGame, 0) << "and was not lost";
}

} // namespace
} // namespace hexwend::testing
