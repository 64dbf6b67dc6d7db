// Particles, stars and the game's object pools.
#include "framework/particles.h"

#include "framework/quzo.h"
#include "host/rt_game.h"
#include "platform/memory.h"
#include "runtime/random.h"

#include <algorithm>
#include <cmath>

using namespace hexwend::framework;

namespace {

// Elements of a particle record.
constexpr int kKind = 0;
constexpr int kX = 1;
constexpr int kY = 2;
constexpr int kVX = 3;
constexpr int kVY = 4;
constexpr int kRotation = 5;
constexpr int kSpin = 6;
constexpr int kAlpha = 7;
constexpr int kExtra = 8; // bounce floor, number shown, or a random 0 ... 15
constexpr int kColour = 9;

// Elements of a star record.
constexpr int kStarFrame = 0;
constexpr int kStarX = 1;
constexpr int kStarY = 2;
constexpr int kStarSize = 3;
constexpr int kStarRotation = 5;
constexpr int kStarSpin = 6;

// Elements of a player record that a score touches.
constexpr int kPlayerFloats = 100;
constexpr int kPlayerScore = 50;
constexpr int kPlayerScoringEvents = 52;
constexpr int kScoringPlayers = 7;

// Image slots of the particle sheets.
constexpr int kShapeSheet = 70;
constexpr int kLineSheet = 71;
constexpr int kSmokeSheet = 72;
constexpr int kSheetFrames = 16;

// The ranges the resets clear.
constexpr int kGridCleared = 5000000;
constexpr int kObjCleared = 5100;
constexpr int kPartCleared = 2501;

// The angle factor, as a single-precision float.
constexpr float kDegrees = 0.0174532924f;

// Colour numbers 1 ... 9; entry 0 is every other number.
constexpr float kColours[10][3] = {
    {76.5f, 76.5f, 76.5f}, // grey
    {255, 25.5f, 25.5f},   // red
    {255, 127.5f, 25.5f},  // orange
    {255, 255, 25.5f},     // yellow
    {25.5f, 255, 25.5f},   // green
    {25.5f, 255, 255},     // cyan
    {25.5f, 25.5f, 255},   // blue
    {127.5f, 25.5f, 255},  // purple
    {255, 25.5f, 127.5f},  // pink
    {255, 255, 255},       // white
};

float draw() {
    return rt_random_Step(rt_random_Seed);
}

int millisecs() {
    return RtGame::_game ? RtGame::_game->Millisecs() : 0;
}

// Zeroes elements [0, count) of a pool, or the whole pool when it is shorter. The field pool
// is far larger than what the game writes: its untouched pages are given back rather than
// written, so clearing it costs next to nothing and keeps it out of memory.
void clearPool(Array<float>& pool, int count) {
    const int n = std::max(0, std::min(count, pool.Length()));
    hexwend::platform::zeroMemory(pool.Data(), size_t(n) * sizeof(float));
}

// The next record of the particle ring; the index moves before it is used.
float* nextParticle() {
    rt_quzo_QUZO_Partto = (rt_quzo_QUZO_Partto + 1) % kParticleRing;
    if (rt_quzo_QUZO_Partto < 0) rt_quzo_QUZO_Partto += kParticleRing;
    return rt_quzo_part.Data() + rt_quzo_QUZO_Partto * kParticleFloats;
}

// The pop-up texts last drawn for each record, so that a pop-up makes its text once rather
// than in every update of its life.
struct PopupText {
    int value = 0;
    String text;
};
PopupText popupTexts[kParticleRecords];

const String& popupText(int record, int value) {
    PopupText& cached = popupTexts[record];
    if (cached.value != value || cached.text.Length() == 0) {
        cached.value = value;
        cached.text = String(value);
    }
    return cached.text;
}

// Kind 1 and 11: smoke rising at `lift` + 3·`lift`·u, dragged sideways and swaying.
void smoke(float* p, int record, float lift) {
    p[kVY] -= lift + 3 * lift * draw();
    p[kVX] *= 0.95f + 0.03f * draw();
    const int sway = millisecs() / 24 + 35 * record;
    p[kX] += float(0.3 * std::sin(double(sway) * kDegrees));
}

// One particle's update: move, its kind's motion, draw, fade, and the margin.
void updateParticle(float* p, int record) {
    const int kind = int(p[kKind]);

    p[kX] += p[kVX];
    p[kY] += p[kVY];
    p[kRotation] = std::fmod(p[kRotation] + p[kSpin], 360.0f);

    // Scale before the fade: kinds 1 and 11 grow as they fade.
    const float alpha = p[kAlpha];
    float scale = 1;
    float fade = 0.02f;
    int sheet = kShapeSheet;
    switch (kind) {
    case kKindSmoke:
        smoke(p, record, 0.025f);
        scale = 5 - 4 * alpha;
        sheet = kSmokeSheet;
        break;
    case kKindSlowSmoke:
        smoke(p, record, 0.0125f);
        scale = 5 - 4 * alpha;
        fade = 0.01f;
        sheet = kSmokeSheet;
        break;
    case kKindFalling:
        p[kVY] += 0.1f + 0.15f * draw();
        p[kVX] *= 0.95f + 0.03f * draw();
        scale = 0.3f;
        break;
    case kKindBouncing:
        p[kVY] += 0.15f + 0.15f * draw();
        if (p[kY] > p[kExtra]) p[kVY] = -(2.5f + 1.5f * draw());
        p[kVX] *= 0.985f + 0.014f * draw();
        scale = 0.3f;
        break;
    case kKindStraight:
        scale = 0.3f;
        fade = 0.015f;
        sheet = kLineSheet;
        break;
    case kKindPopup:
        p[kVY] = std::max(p[kVY] - 0.02f, -0.35f);
        scale = 0.3f;
        break;
    default:
        break;
    }

    const int colour = int(p[kColour]);
    const float* rgb = kColours[colour >= 1 && colour <= 9 ? colour : 0];
    rt_quzo_SetCol(rgb[0], rgb[1], rgb[2], std::clamp(alpha, 0.0f, 1.0f));
    rt_quzo_SetSize(scale, scale);
    rt_quzo_SetRot(p[kRotation]);

    const float x = p[kX] - rt_quzo_scrx;
    const float y = p[kY] - rt_quzo_scry;
    if (kind == kKindPopup) {
        rt_quzo_Text(x, y, popupText(record, int(p[kExtra])), 1, 1, 0, 0);
    } else {
        rt_quzo_DrawImg(sheet, x, y, record % kSheetFrames);
    }

    p[kAlpha] -= fade;
    if (p[kAlpha] <= 0) {
        p[kAlpha] = 0;
        p[kKind] = 0;
    }
    if (x < -kParticleMargin || y < -kParticleMargin ||
        x > float(rt_quzo_jscrw) + kParticleMargin || y > float(rt_quzo_jscrh) + kParticleMargin) {
        p[kKind] = 0;
    }
}

} // namespace

// --- Pools -------------------------------------------------------------------------------

int rt_quzo_ResetGrid() {
    clearPool(rt_quzo_grid, kGridCleared);
    return 0;
}

int rt_quzo_ResetPlrs() {
    clearPool(rt_quzo_plr, rt_quzo_plr.Length());
    return 0;
}

int rt_quzo_ResetObjs() {
    clearPool(rt_quzo_obj, kObjCleared);
    return 0;
}

int rt_quzo_ResetParticles() {
    clearPool(rt_quzo_part, kPartCleared);
    return 0;
}

int rt_quzo_FreeObj(int count, int stride) {
    const float* obj = rt_quzo_obj.Data();
    const long long length = rt_quzo_obj.Length();
    for (int i = 0; i <= count; ++i) {
        // Records that would lie outside the pool are never free.
        const long long at = (long long)stride * i;
        if (at < 0 || at >= length) break;
        if (obj[at] == 0) return 10 * i;
    }
    return -1;
}

// --- Particles ---------------------------------------------------------------------------

int rt_quzo_ThrowParticle(float x, float y, int kind, int colour, float angle, float speed) {
    float* p = nextParticle();
    p[kKind] = float(kind);
    p[kX] = x;
    p[kY] = y;
    const float a = angle * kDegrees;
    p[kVX] = float(std::sin(double(a))) * speed;
    p[kVY] = -float(std::cos(double(a))) * speed;
    p[kAlpha] = 1;
    p[kRotation] = 360 * draw();
    p[kSpin] = 6 * draw() - 3;
    p[kExtra] = std::floor(15.99f * draw());
    if (kind == kKindBouncing) p[kExtra] = y + 32 * draw() - 16;
    p[kColour] = float(colour);
    return 0;
}

int rt_quzo_DoParticles() {
    rt_quzo_ResetDraw();
    float* part = rt_quzo_part.Data();
    const int records = std::min(kParticleRecords, rt_quzo_part.Length() / kParticleFloats);
    for (int k = 0; k < records; ++k) {
        float* p = part + k * kParticleFloats;
        if (p[kKind] > 0) updateParticle(p, k);
    }
    rt_quzo_ResetDraw();
    return 0;
}

int rt_quzo_Gimme(int points, float x, float y, int player) {
    if (x != kNoPopup) {
        float* p = nextParticle();
        std::fill_n(p, kParticleFloats, 0.0f);
        p[kKind] = kKindPopup;
        p[kX] = x;
        p[kY] = y;
        p[kAlpha] = 1;
        p[kExtra] = float(points);
        p[kColour] = 3; // yellow
    }
    if (player >= 1 && player <= kScoringPlayers) {
        float* plr = rt_quzo_plr.Data() + kPlayerFloats * (player - 1);
        plr[kPlayerScore] += float(points);
        plr[kPlayerScoringEvents] += 1;
    }
    return 0;
}

// --- Stars -------------------------------------------------------------------------------

int rt_quzo_ResetStars() {
    rt_quzo_QUZO_Seed = millisecs();
    int s = rt_quzo_QUZO_Seed;
    for (int i = 0; i < 21; ++i) rt_random_Step(s);
    const float w = float(rt_quzo_jscrw + 256);
    const float h = float(rt_quzo_jscrh + 256);
    const int records = std::min(kStarRecords, rt_quzo_astar.Length() / kParticleFloats);
    for (int k = 0; k < records; ++k) {
        float* star = rt_quzo_astar.Data() + k * kParticleFloats;
        star[kStarFrame] = std::floor(15.99f * rt_random_Step(s));
        star[kStarX] = w * rt_random_Step(s) - 128;
        star[kStarY] = h * rt_random_Step(s) - 128;
        star[kStarSize] = 0.25f + 0.65f * rt_random_Step(s);
        star[kStarRotation] = 360 * rt_random_Step(s);
        star[kStarSpin] = 4 * rt_random_Step(s) - 2;
    }
    rt_random_Seed = s;
    return 0;
}
