// Particles, pop-ups, scoring, the object search, the pool resets and the starfield seeding,
// on the headless host with its scripted clock.
#include "tests/framework/framework_support.h"

#include "runtime/random.h"

#include <cmath>
#include <cstdlib>
#include <cstdint>
#include <vector>

namespace hexwend::testing {
namespace {

using namespace hexwend::framework;

// The shared generator's recurrence, written out again so that the tests do not lean on the
// runtime's own step.
struct Lcg {
    uint32_t s;
    float next() {
        s = s * 1664525u + 1013904223u;
        return float(s >> 8) / 16777216.0f;
    }
    int seed() const { return int(s); }
};

float* particle(int k) {
    return rt_quzo_part.Data() + 10 * k;
}

// Writes a particle record directly: kind, position, velocity, rotation, spin, alpha,
// element 8 and colour.
void place(int k, int kind, float x, float y, float vx = 0, float vy = 0, float alpha = 1,
           float extra = 0, int colour = 9, float rotation = 0, float spin = 0) {
    float* p = particle(k);
    const float values[10] = {float(kind), x,    y,     vx,    vy,
                              rotation,    spin, alpha, extra, float(colour)};
    std::copy(values, values + 10, p);
}

class ParticlesTest : public FrameworkTest {
  protected:
    void SetUp() override {
        FrameworkTest::SetUp();
        // The font lays out and records glyphs without an image behind it.
        rt_quzo_QUZO_Font = 99;
        rt_quzo_QUZO_ImgD[99] = 128;
        for (int slot : {70, 71, 72}) rt_quzo_QUZO_ImgD[slot] = 16;
    }

    // One pass of the particles into an empty draw list.
    static void step() {
        rt_quzo_Sprtup = 0;
        rt_quzo_DoParticles();
    }
};

// --- Throwing ----------------------------------------------------------------------------

TEST_F(ParticlesTest, FirstThrowTakesRecordOneAndTheRingWrapsAfter250) {
    rt_quzo_ThrowParticle(10, 20, 4, 1, 0, 1);
    EXPECT_EQ(rt_quzo_QUZO_Partto, 1);
    EXPECT_EQ(particle(0)[0], 0.0f);
    EXPECT_EQ(particle(1)[0], 4.0f);
    EXPECT_EQ(particle(1)[1], 10.0f);

    for (int i = 2; i <= 249; ++i) rt_quzo_ThrowParticle(float(i), 0, 4, 1, 0, 1);
    EXPECT_EQ(rt_quzo_QUZO_Partto, 249);
    rt_quzo_ThrowParticle(250, 0, 2, 1, 0, 1);
    EXPECT_EQ(rt_quzo_QUZO_Partto, 0);
    EXPECT_EQ(particle(0)[0], 2.0f);
    EXPECT_EQ(particle(0)[1], 250.0f);

    // The next throw reuses record 1, alive or not; record 250 is never thrown into.
    rt_quzo_ThrowParticle(251, 0, 3, 1, 0, 1);
    EXPECT_EQ(particle(1)[0], 3.0f);
    EXPECT_EQ(particle(1)[1], 251.0f);
    EXPECT_EQ(particle(250)[0], 0.0f);
}

TEST_F(ParticlesTest, ThrowAimsByAngleAndDrawsRotationSpinAndNumberInOrder) {
    struct Case {
        float angle, speed, vx, vy;
    };
    const Case cases[] = {
        {0, 2, 0, -2}, {90, 2, 2, 0}, {180, 2, 0, 2}, {270, 3, -3, 0}, {45, std::sqrt(2.0f), 1, -1},
    };
    for (const Case& c : cases) {
        rt_random_Seed = 4321;
        Lcg lcg{4321};
        rt_quzo_ThrowParticle(100, 200, 4, 7, c.angle, c.speed);
        const float* p = particle(rt_quzo_QUZO_Partto);
        SCOPED_TRACE(c.angle);
        EXPECT_NEAR(p[3], c.vx, 1e-5);
        EXPECT_NEAR(p[4], c.vy, 1e-5);
        EXPECT_EQ(p[7], 1.0f);
        EXPECT_EQ(p[9], 7.0f);
        const float u1 = lcg.next(), u2 = lcg.next(), u3 = lcg.next();
        EXPECT_FLOAT_EQ(p[5], 360 * u1);
        EXPECT_FLOAT_EQ(p[6], 6 * u2 - 3);
        EXPECT_EQ(p[8], std::floor(15.99f * u3));
        EXPECT_EQ(rt_random_Seed, lcg.seed()) << "three draws";
    }
}

TEST_F(ParticlesTest, BouncingKindTakesAFourthDrawForItsFloor) {
    for (int seed : {1, 99, 123456, -7}) {
        rt_random_Seed = seed;
        Lcg lcg{uint32_t(seed)};
        rt_quzo_ThrowParticle(100, 300, 3, 1, 0, 1);
        for (int i = 0; i < 3; ++i) lcg.next();
        const float u4 = lcg.next();
        const float floorY = particle(rt_quzo_QUZO_Partto)[8];
        EXPECT_FLOAT_EQ(floorY, 300 + 32 * u4 - 16);
        EXPECT_GE(floorY, 284.0f);
        EXPECT_LE(floorY, 316.0f);
        EXPECT_EQ(rt_random_Seed, lcg.seed());
    }
}

// --- Moving and drawing ------------------------------------------------------------------

TEST_F(ParticlesTest, EachKindTakesItsDrawsFadesAndDrawsWithItsSheetAndScale) {
    struct Case {
        int kind;
        int draws;
        float fade;
        int slot; // 99: the pop-up's text in the font
        float scale;
    };
    const Case cases[] = {
        {1, 2, 0.02f, 72, 1.8f}, {11, 2, 0.01f, 72, 1.8f}, {2, 2, 0.02f, 70, 0.3f},
        {3, 2, 0.02f, 70, 0.3f}, {4, 0, 0.015f, 71, 0.3f}, {10, 0, 0.02f, 99, 0.3f},
        {7, 0, 0.02f, 70, 1.0f},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.kind);
        rt_quzo_ResetParticles();
        // Record 5, alpha 0.8, floor far below (no bounce), number 1000, green.
        place(5, c.kind, 400, 300, 1, -1, 0.8f, 1000, 4, 10, 5);
        rt_random_Seed = 77;
        Lcg lcg{77};
        step();
        for (int i = 0; i < c.draws; ++i) lcg.next();
        EXPECT_EQ(rt_random_Seed, lcg.seed());

        const float* p = particle(5);
        EXPECT_NEAR(p[7], 0.8f - c.fade, 1e-6);
        EXPECT_EQ(p[0], float(c.kind));
        EXPECT_EQ(p[5], 15.0f);
        EXPECT_EQ(p[2], 299.0f);

        ASSERT_GE(rt_quzo_Sprtup, 1);
        Record r = drawRecord(0);
        EXPECT_EQ(r.kind(), 1);
        EXPECT_EQ(r.slot(), c.slot);
        EXPECT_FLOAT_EQ(r.sizeX(), c.scale);
        EXPECT_FLOAT_EQ(r.sizeY(), c.scale);
        EXPECT_FLOAT_EQ(r.alpha(), 0.8f);
        EXPECT_EQ(r.red(), 25.5f);
        EXPECT_EQ(r.green(), 255.0f);
        EXPECT_EQ(r.blue(), 25.5f);
        if (c.slot == 99) {
            EXPECT_EQ(rt_quzo_Sprtup, 4) << "the digits of 1000";
        } else {
            EXPECT_EQ(rt_quzo_Sprtup, 1);
            EXPECT_EQ(r.frame(), 5) << "frame = record mod 16";
            EXPECT_EQ(r.rotation(), 15.0f);
        }
    }
    // The style is left reset for whatever draws next.
    EXPECT_EQ(rt_quzo_QUZO_DrawStyle[4], 1.0f);
    EXPECT_EQ(rt_quzo_QUZO_DrawStyle[1], 255.0f);
}

TEST_F(ParticlesTest, MotionUsesTheDrawsInTheirOrder) {
    const int t = game.millisecs();
    // Smoke rises, drags and sways with the clock.
    place(5, 1, 400, 300, 1, -1);
    rt_random_Seed = 5;
    Lcg lcg{5};
    step();
    float u1 = lcg.next(), u2 = lcg.next();
    EXPECT_FLOAT_EQ(particle(5)[4], -1 - (0.025f + 0.075f * u1));
    EXPECT_FLOAT_EQ(particle(5)[3], 0.95f + 0.03f * u2);
    const double sway = 0.3 * std::sin((t / 24 + 35 * 5) * M_PI / 180);
    EXPECT_NEAR(particle(5)[1], 401 + sway, 1e-4);

    // Falling: gravity first, then drag.
    rt_quzo_ResetParticles();
    place(6, 2, 400, 300, 1, -1);
    lcg = Lcg{uint32_t(rt_random_Seed)};
    step();
    u1 = lcg.next();
    u2 = lcg.next();
    EXPECT_FLOAT_EQ(particle(6)[4], -1 + 0.1f + 0.15f * u1);
    EXPECT_FLOAT_EQ(particle(6)[3], 0.95f + 0.03f * u2);

    // Bouncing below its floor: gravity, the bounce, then drag with the third draw.
    rt_quzo_ResetParticles();
    place(7, 3, 400, 300, 1, 1, 1, 250);
    lcg = Lcg{uint32_t(rt_random_Seed)};
    step();
    lcg.next();
    u2 = lcg.next();
    const float u3 = lcg.next();
    EXPECT_FLOAT_EQ(particle(7)[4], -(2.5f + 1.5f * u2));
    EXPECT_FLOAT_EQ(particle(7)[3], 0.985f + 0.014f * u3);
    EXPECT_EQ(rt_random_Seed, lcg.seed());
}

TEST_F(ParticlesTest, ColourNumbers) {
    struct Case {
        int colour;
        float r, g, b;
    };
    const Case cases[] = {
        {1, 255, 25.5f, 25.5f},   {2, 255, 127.5f, 25.5f},   {3, 255, 255, 25.5f},
        {4, 25.5f, 255, 25.5f},   {5, 25.5f, 255, 255},      {6, 25.5f, 25.5f, 255},
        {7, 127.5f, 25.5f, 255},  {8, 255, 25.5f, 127.5f},   {9, 255, 255, 255},
        {0, 76.5f, 76.5f, 76.5f}, {10, 76.5f, 76.5f, 76.5f}, {-1, 76.5f, 76.5f, 76.5f},
    };
    for (const Case& c : cases) {
        rt_quzo_ResetParticles();
        place(3, 4, 400, 300, 0, 0, 1, 0, c.colour);
        step();
        Record r = drawRecord(0);
        SCOPED_TRACE(c.colour);
        EXPECT_EQ(r.red(), c.r);
        EXPECT_EQ(r.green(), c.g);
        EXPECT_EQ(r.blue(), c.b);
    }
}

TEST_F(ParticlesTest, PopupRisesAcceleratingToItsLimitAndVanishesAfterAbout50Updates) {
    rt_random_Seed = 99;
    rt_quzo_Gimme(10, 400, 300, 1);
    EXPECT_EQ(rt_random_Seed, 99) << "a pop-up draws no random number";
    const float* p = particle(1);
    EXPECT_EQ(p[0], 10.0f);
    EXPECT_EQ(p[8], 10.0f);
    EXPECT_EQ(p[9], 3.0f);

    step();
    // "10": two yellow glyphs, '1' and '0', centred on the pop-up.
    ASSERT_EQ(rt_quzo_Sprtup, 2);
    EXPECT_EQ(drawRecord(0).frame(), '1' - 32);
    EXPECT_EQ(drawRecord(1).frame(), '0' - 32);
    EXPECT_EQ(drawRecord(0).blue(), 25.5f);

    std::vector<float> speeds{p[4]};
    std::vector<float> heights{p[2]};
    int updates = 1;
    while (p[0] != 0 && updates < 200) {
        step();
        ++updates;
        speeds.push_back(p[4]);
        heights.push_back(p[2]);
    }
    EXPECT_GE(updates, 49);
    EXPECT_LE(updates, 51);
    EXPECT_EQ(p[7], 0.0f);
    for (size_t i = 1; i < speeds.size(); ++i) {
        EXPECT_LE(speeds[i], speeds[i - 1]);
        EXPECT_LT(heights[i], heights[i - 1]) << "rises every update";
    }
    EXPECT_FLOAT_EQ(speeds.front(), -0.02f);
    EXPECT_FLOAT_EQ(speeds.back(), -0.35f);
}

TEST_F(ParticlesTest, GimmeCreditsPlayersOneToSevenAndMayShowNoPopup) {
    struct Case {
        int points;
        float x;
        int player;
        bool popup;
    };
    const Case cases[] = {
        {10, 400, 1, true}, {5, -3717, 2, false}, {3, 100, 7, true},
        {7, 400, 0, true},  {7, 400, 8, true},    {4, -3717, 0, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.player);
        rt_quzo_ResetPlrs();
        rt_quzo_ResetParticles();
        rt_quzo_QUZO_Partto = 0;
        rt_quzo_Gimme(c.points, c.x, 50, c.player);
        rt_quzo_Gimme(c.points, c.x, 50, c.player);
        EXPECT_EQ(rt_quzo_QUZO_Partto, c.popup ? 2 : 0);
        EXPECT_EQ(particle(1)[0], c.popup ? 10.0f : 0.0f);
        float total = 0;
        for (int i = 0; i < rt_quzo_plr.Length(); ++i) total += rt_quzo_plr[i];
        if (c.player >= 1 && c.player <= 7) {
            const int base = 100 * (c.player - 1);
            EXPECT_EQ(rt_quzo_plr[base + 50], 2.0f * c.points);
            EXPECT_EQ(rt_quzo_plr[base + 52], 2.0f);
            EXPECT_EQ(total, 2.0f * c.points + 2);
        } else {
            EXPECT_EQ(total, 0.0f);
        }
    }
}

TEST_F(ParticlesTest, BouncingParticleStaysNearItsOwnFloor) {
    rt_random_Seed = 2024;
    rt_quzo_ThrowParticle(400, 300, 3, 5, 90, 1);
    const int k = rt_quzo_QUZO_Partto;
    float* p = particle(k);
    const float floorY = p[8];
    int bounces = 0;
    while (p[0] != 0) {
        const float vy = p[4];
        step();
        if (p[0] == 0) break;
        if (p[2] > floorY) {
            ++bounces;
            EXPECT_LE(p[4], -2.5f);
            EXPECT_GE(p[4], -4.0f);
        } else {
            EXPECT_GE(p[4] - vy, 0.15f - 1e-5f);
            EXPECT_LE(p[4] - vy, 0.3f + 1e-5f);
        }
        // Never further below the floor than one fall, never higher than a bounce carries.
        EXPECT_LT(p[2], floorY + 4.5f);
        EXPECT_GT(p[2], floorY - 60);
    }
    EXPECT_GE(bounces, 2);
}

TEST_F(ParticlesTest, KilledAt128UnitsBeyondAnyEdgeNotAtTheEdge) {
    struct Case {
        float x, y, cameraX;
        bool alive;
    };
    // The virtual screen is 800 x 600 before the first render.
    const Case cases[] = {
        {-20, 300, 0, true},      {-128, 300, 0, true},    {-128.5f, 300, 0, false},
        {928, 300, 0, true},      {928.5f, 300, 0, false}, {400, -128, 0, true},
        {400, -128.5f, 0, false}, {400, 728, 0, true},     {400, 728.5f, 0, false},
        {72, 300, 200, true},     {71, 300, 200, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(::testing::Message() << c.x << ", " << c.y);
        rt_quzo_ResetParticles();
        rt_quzo_scrx = c.cameraX;
        place(9, 4, c.x, c.y);
        step();
        EXPECT_EQ(particle(9)[0] != 0, c.alive);
        // Drawn in this update either way, relative to the camera.
        ASSERT_EQ(rt_quzo_Sprtup, 1);
        EXPECT_EQ(drawRecord(0).x(), c.x - c.cameraX);
    }
}

TEST_F(ParticlesTest, DeadRecordsAreSkipped) {
    place(3, 0, 400, 300, 1, 1);
    place(4, -2, 400, 300, 1, 1);
    rt_random_Seed = 8;
    step();
    EXPECT_EQ(rt_quzo_Sprtup, 0);
    EXPECT_EQ(particle(3)[1], 400.0f);
    EXPECT_EQ(particle(4)[1], 400.0f);
    EXPECT_EQ(rt_random_Seed, 8);
}

// --- Pools -------------------------------------------------------------------------------

TEST_F(ParticlesTest, ResetsClearTheirRangesOnly) {
    struct Case {
        Array<float>* pool;
        int (*reset)();
        int cleared;
    };
    const Case cases[] = {
        {&rt_quzo_grid, rt_quzo_ResetGrid, 5000000},
        {&rt_quzo_plr, rt_quzo_ResetPlrs, 1024},
        {&rt_quzo_obj, rt_quzo_ResetObjs, 5100},
        {&rt_quzo_part, rt_quzo_ResetParticles, 2501},
    };
    for (const Case& c : cases) {
        Array<float>& pool = *c.pool;
        std::fill_n(pool.Data(), pool.Length(), 1.0f);
        c.reset();
        SCOPED_TRACE(c.cleared);
        EXPECT_EQ(pool[0], 0.0f);
        EXPECT_EQ(pool[c.cleared - 1], 0.0f);
        if (c.cleared < pool.Length()) {
            EXPECT_EQ(pool[c.cleared], 1.0f);
        }
        EXPECT_EQ(pool[pool.Length() - 1], c.cleared < pool.Length() ? 1.0f : 0.0f);
    }
}

TEST_F(ParticlesTest, FreeObjFindsTheFirstEmptyRecord) {
    struct Case {
        std::vector<int> used; // elements set to 1
        int count, stride, result;
    };
    const Case cases[] = {
        {{}, 5, 10, 0},
        {{0, 10}, 5, 10, 20},
        {{0, 10, 20}, 2, 10, -1}, // records 0 ... 2 searched, all in use
        {{0, 10, 20}, 3, 10, 30},
        {{0, 5}, 4, 5, 20}, // the result counts records of 10 whatever the stride
        {{}, -1, 10, -1},
        {{0}, 0, 10, -1},
        // A search that runs past the pool's end reports nothing free.
        {{0}, 1000000, 100000, -1},
        {{0}, 3, -10, -1},
    };
    for (const Case& c : cases) {
        rt_quzo_ResetObjs();
        for (int e : c.used) rt_quzo_obj[e] = 1;
        EXPECT_EQ(rt_quzo_FreeObj(c.count, c.stride), c.result)
            << "count " << c.count << " stride " << c.stride;
    }
}

// --- Stars -------------------------------------------------------------------------------

TEST_F(ParticlesTest, ResetStarsSeedsFromTheClockAndLeavesTheGeneratorThere) {
    for (int advance : {0, 1234, 86400000}) {
        game.advance(advance);
        const int clock = game.millisecs();
        rt_random_Seed = 1;
        rt_quzo_ResetStars();
        EXPECT_EQ(rt_quzo_QUZO_Seed, clock);

        Lcg lcg{uint32_t(clock)};
        for (int i = 0; i < 21; ++i) lcg.next();
        for (int k = 0; k <= 250; ++k) {
            const float* star = rt_quzo_astar.Data() + 10 * k;
            float u[6];
            for (float& v : u) v = lcg.next();
            if (k == 0 || k == 250) {
                EXPECT_EQ(star[0], std::floor(15.99f * u[0]));
                EXPECT_FLOAT_EQ(star[1], 1056 * u[1] - 128);
                EXPECT_FLOAT_EQ(star[2], 856 * u[2] - 128);
                EXPECT_FLOAT_EQ(star[3], 0.25f + 0.65f * u[3]);
                EXPECT_FLOAT_EQ(star[5], 360 * u[4]);
                EXPECT_FLOAT_EQ(star[6], 4 * u[5] - 2);
            }
        }
        EXPECT_EQ(rt_random_Seed, lcg.seed()) << "clock " << clock;
    }
}

// --- A whole update ----------------------------------------------------------------------

// Each update keeps all 250 ring records alive with a mix of kinds, then runs the end of the
// frame as the game does.
class ParticleFountain : public c_App {
  public:
    int p_OnUpdate() override {
        static constexpr int kKinds[] = {1, 11, 2, 3, 4, 10};
        for (int k = 0; k < kParticleRing; ++k) {
            float* p = rt_quzo_part.Data() + 10 * k;
            if (p[0] != 0) continue;
            rt_quzo_QUZO_Partto = k - 1;
            if (kKinds[k % 6] == 10) {
                rt_quzo_Gimme(k, 400, 300, 1);
            } else {
                rt_quzo_ThrowParticle(400, 300, kKinds[k % 6], k % 10, float(k), 2);
            }
        }
        rt_quzo_Sprtup = 0;
        rt_quzo_ResetDraw();
        rt_quzo_Buffer();
        return 0;
    }
};

TEST(ParticleUpdateTest, UpdatesWith250LiveParticlesAllocateNoCollectedObjects) {
    useSilentAudio();
    HeadlessGame game;
    game.startRuntime<ParticleFountain>(registerModules);
    rt_quzo_QUZO_Font = 99;
    rt_quzo_QUZO_ImgD[99] = 128;
    game.startGame();
    game.update(10);
    int live = 0;
    for (int k = 0; k < kParticleRing; ++k) live += rt_quzo_part[10 * k] != 0;
    EXPECT_EQ(live, 250);
    EXPECT_GT(rt_quzo_Bufferup, 250);

    const int before = gc_new_bytes;
    game.update(1000);
    EXPECT_EQ(gc_new_bytes, before);

    gc_clear_roots();
    gc_reset(); // closes the audio device
}

} // namespace
} // namespace hexwend::testing
