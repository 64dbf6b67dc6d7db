// The hex field: one update of play.
//
// The honeycomb lives in rt_quzo_grid, seven columns of 26 rows. Cell (c, r) is the record of
// 10 floats at 10·c + 200·r: 0 colour (-1 empty, else 1, 3, 5 or 7), 1 variant 0 ... 7 (the
// image frame is 8·colour + variant), 2 pop countdown (0 resting, 30 ... 2 popping), 5 linked
// flag, 7 the points the cell's pop is worth. Even rows sit half a column to the right and
// the two hexes above and below a cell are two rows away, so a cell's six neighbours are:
//
//                 r even        r odd
//   up            (c, r-2)      (c, r-2)
//   down          (c, r+2)      (c, r+2)
//   up-left       (c, r-1)      (c-1, r-1)
//   up-right      (c+1, r-1)    (c, r-1)
//   down-left     (c, r+1)      (c-1, r+1)
//   down-right    (c+1, r+1)    (c, r+1)
//
// The figure is player 1's record in rt_quzo_plr; hexes falling off the field are the first
// 101 records of rt_quzo_obj (0 image frame + 1, or 0 when free; 1, 2 position; 4 speed).
//
// The rules and the drawing run in the same few fixed passes over the cells, with no
// allocation, no queue and no recursion.
#include "game/my_game.h"

#include "audio/sound.h"
#include "framework/quzo.h"
#include "runtime/random.h"

#include <algorithm>
#include <cmath>

using namespace hexwend::framework;

namespace {

constexpr int kColumns = 7;
constexpr int kRows = 26;
constexpr int kCellFloats = 10;
constexpr int kRowStride = 200;

// Elements of a cell.
constexpr int kColour = 0;
constexpr int kVariant = 1;
constexpr int kCountdown = 2;
constexpr int kLinked = 5;
constexpr int kChain = 7;

constexpr int kEmpty = -1;
// A pop starts at this countdown, spreads when it reaches kSpreadAt and the cell empties
// when it would reach kPopGone.
constexpr int kPopStart = 30;
constexpr int kSpreadAt = 22;
constexpr int kPopGone = 1;
// Each spreading step is worth this much more than the one before; a placed pop is worth it.
constexpr int kChainStep = 5;

// Elements of player 1's record.
constexpr int kX = 1;
constexpr int kY = 2;
constexpr int kSpeedY = 4;
constexpr int kCarried = 6;
constexpr int kFloor = 7;
constexpr int kPhase = 8;
constexpr int kFacing = 9;
constexpr int kOffset = 12;
constexpr int kFieldSpeed = 13;
constexpr int kLow = 14;
constexpr int kColourCount = 15;
constexpr int kLeftPile = 21;
constexpr int kRightPile = 22;
constexpr int kScore = 50;
constexpr int kPopped = 52;

// Falling hexes.
constexpr int kFallingRecords = 101;
constexpr int kObjFrame = 0;
constexpr int kObjX = 1;
constexpr int kObjY = 2;
constexpr int kObjSpeed = 4;

// Image slots.
constexpr int kHexSheet = 1;
constexpr int kFigureSheet = 2;
constexpr int kBackground = 68;

// Sound effects.
constexpr int kSoundTake = 1;
constexpr int kSoundPop = 2;
constexpr int kSoundFall = 3;
constexpr int kSoundPlace = 4;
constexpr int kSoundLost = 5;

// The six neighbours, in the order the pops and the placing scan them.
enum Direction { kUpLeft, kUpRight, kUp, kDown, kDownLeft, kDownRight };
constexpr Direction kScanOrder[] = {kUpLeft, kUpRight, kUp, kDown, kDownLeft, kDownRight};

inline float* cell(float* grid, int c, int r) {
    return grid + kCellFloats * c + kRowStride * r;
}

// The neighbour of (c, r) in a direction, or null when it lies outside the field.
float* neighbour(float* grid, int c, int r, Direction d) {
    const bool even = r % 2 == 0;
    int nc = c, nr = r;
    switch (d) {
    case kUp:
        nr = r - 2;
        break;
    case kDown:
        nr = r + 2;
        break;
    case kUpLeft:
        nr = r - 1;
        nc = even ? c : c - 1;
        break;
    case kUpRight:
        nr = r - 1;
        nc = even ? c + 1 : c;
        break;
    case kDownLeft:
        nr = r + 1;
        nc = even ? c : c - 1;
        break;
    case kDownRight:
        nr = r + 1;
        nc = even ? c + 1 : c;
        break;
    }
    if (nc < 0 || nc >= kColumns || nr < 0 || nr >= kRows) return nullptr;
    return cell(grid, nc, nr);
}

inline bool filled(const float* cellp) {
    return cellp[kColour] > kEmpty;
}

// A cell takes the linked flag of a neighbour that is filled and linked.
inline void takeLink(float* grid, int c, int r, Direction d) {
    const float* n = neighbour(grid, c, r, d);
    if (n && filled(n) && n[kLinked] > 0) cell(grid, c, r)[kLinked] = n[kLinked];
}

// Rebuilds every linked flag from nothing: five sweeps, each following links in two
// directions from the anchor cell (0, 0). The first also folds negative colours to empty.
void link(float* grid) {
    for (int c = 0; c < kColumns; ++c) {
        for (int r = 0; r < kRows; ++r) {
            float* p = cell(grid, c, r);
            if (p[kColour] < 0) p[kColour] = kEmpty;
            p[kLinked] = 0;
            if (c == 0 && r == 0) {
                p[kLinked] = 1;
            } else if (filled(p)) {
                takeLink(grid, c, r, kUp);
                takeLink(grid, c, r, kUpLeft);
            }
        }
    }
    auto sweep = [grid](bool leftToRight, bool topToBottom, Direction a, Direction b) {
        for (int i = 0; i < kColumns; ++i) {
            const int c = leftToRight ? i : kColumns - 1 - i;
            for (int j = 0; j < kRows; ++j) {
                const int r = topToBottom ? j : kRows - 1 - j;
                if ((c == 0 && r == 0) || !filled(cell(grid, c, r))) continue;
                takeLink(grid, c, r, a);
                takeLink(grid, c, r, b);
            }
        }
    };
    sweep(false, false, kDown, kDownRight);
    sweep(true, false, kDown, kDownLeft);
    sweep(false, true, kUp, kUpRight);
    sweep(true, true, kUp, kUpLeft);
}

// A new hex colour: 1, 3, 5 or 7 out of the first `count` colours.
inline float newColour(float count) {
    return float(2 * rt_quzo_Rand(1, count) - 1);
}

// The field moves down by two rows: colour, variant, countdown and the points of a pop in
// progress go with each hex, rows 24 and 25 are overwritten, and rows 0 and 1 get new hexes.
void shiftDown(float* grid, float colourCount) {
    for (int c = 0; c < kColumns; ++c) {
        for (int r = kRows - 3; r >= 0; --r) {
            const float* from = cell(grid, c, r);
            float* to = cell(grid, c, r + 2);
            to[kColour] = from[kColour];
            to[kVariant] = from[kVariant];
            to[kCountdown] = from[kCountdown];
            // A pop that is still to spread must keep its own worth, or the next step of
            // the chain would count on from whatever popped at the lower cell before.
            to[kChain] = from[kChain];
        }
    }
    for (int r = 0; r < 2; ++r) {
        for (int c = 0; c < kColumns; ++c) {
            float* p = cell(grid, c, r);
            p[kColour] = newColour(colourCount);
            p[kVariant] = float(rt_quzo_Rand(0, 7));
            p[kCountdown] = 0;
        }
    }
}

// Sixteen sparks thrown all round a point.
void burst(float x, float y) {
    for (int i = 0; i < 16; ++i) {
        const float u1 = rt_random_Rnd();
        const float u2 = rt_random_Rnd();
        rt_quzo_ThrowParticle(x, y, kKindStraight, int(std::floor(1 + 8.99f * u2)), 22.5f * i,
                              2 + 2 * u1);
    }
}

// A new colour for a pile, never the one just taken from it. With a single colour there is
// nothing else to show, so the pile keeps it rather than drawing for ever.
float refill(float taken, float colourCount) {
    float colour = newColour(colourCount);
    if (colourCount >= 2) {
        while (colour == taken) colour = newColour(colourCount);
    }
    return colour;
}

} // namespace

int c_MyGame::p_Game() {
    const int w = rt_quzo_jscrw;
    const int h = rt_quzo_jscrh;
    // The game is ending once the end sequence has started, also from the moment of the loss
    // in this update's cell pass on.
    auto ending = [] { return rt_quzo_QUZO_EndofGame != 0; };
    float* grid = rt_quzo_grid.Data();
    float* plr = rt_quzo_plr.Data();
    float* obj = rt_quzo_obj.Data();

    // 1. Background.
    rt_quzo_SetCLSCol(0, 0, 0, 1);
    rt_quzo_SetCol(255, 255, 255, 0.5f);
    rt_quzo_DrawImg(kBackground, float(w / 2), float(h / 2), 0);

    // 2. The honeycomb creeps down, nine times as fast while no hex is low on the screen,
    // and two new rows enter at the top whenever it has come down by two rows.
    if (!ending()) {
        plr[kOffset] += plr[kFieldSpeed];
        if (plr[kLow] == 0) plr[kOffset] += 8 * plr[kFieldSpeed];
        if (plr[kOffset] > 64) {
            shiftDown(grid, plr[kColourCount]);
            plr[kOffset] -= 64;
            plr[kFieldSpeed] += 0.01f;
        }
    }

    // 3. The cell pass raises the low-hex flag again for the next update.
    plr[kLow] = 0;

    // 4. Which hexes still hang from the anchor.
    link(grid);

    // 5. The cell pass: placing the carried hex, popping, dropping, drawing and the loss.
    const float offset = plr[kOffset];
    const float left = float(w / 2) - 308.75f;
    const float top = float(h - 32) - 800;
    bool fellVisibly = false;
    int attach = -1;
    for (int c = 0; c < kColumns; ++c) {
        for (int r = 0; r < kRows; ++r) {
            float* p = cell(grid, c, r);
            const float x = left + 95 * float(c) + (r % 2 == 0 ? 47.5f : 0);
            const float y = top + 32 * float(r) + offset;
            const int frame = int(std::floor(8 * p[kColour] + p[kVariant]));

            // The carried hex, 24 above the figure, sticks to an empty cell under it that
            // touches a resting hex, during a jump; on a hex of its own colour it pops.
            if (std::fabs(x - plr[kX]) < 24 && p[kColour] == kEmpty &&
                std::fabs(y - (plr[kY] - 24)) < 14) {
                const float carried = plr[kCarried];
                for (Direction d : kScanOrder) {
                    const float* n = neighbour(grid, c, r, d);
                    if (n && filled(n) && n[kCountdown] == 0 && float(attach) != carried) {
                        attach = int(n[kColour]);
                    }
                }
                if (attach >= 0 && plr[kFloor] == 0) {
                    rt_quzo_PlaySFX(kSoundPlace);
                    p[kColour] = carried;
                    p[kVariant] = 0;
                    if (float(attach) == carried) {
                        p[kCountdown] = kPopStart;
                        p[kChain] = kChainStep;
                        rt_quzo_PlaySFX(kSoundPop, 0.85f, 1, 0);
                        burst(x, y);
                        plr[kScore] += float(int(p[kChain]));
                        plr[kPopped] += 1;
                    }
                    plr[kCarried] = kEmpty;
                }
            }

            // Only hexes present at the start of the cell's turn go on.
            if (frame < 0 || frame > 63) continue;

            if (y > float(h - 432)) plr[kLow] = 1;

            rt_quzo_Alpha(1);
            rt_quzo_SetSize(1, 1);
            bool shown = true;
            if (p[kCountdown] > 0) {
                // A popping hex shows at up to twice its size and shrinks away.
                const float s = p[kCountdown] / 15;
                rt_quzo_SetSize(s, s);
                rt_quzo_Alpha(0.5f);
                if (!ending()) p[kCountdown] -= 1;
                if (y > -128 && !ending() && p[kCountdown] == kSpreadAt) {
                    for (Direction d : kScanOrder) {
                        float* n = neighbour(grid, c, r, d);
                        if (!n || n[kColour] != p[kColour] || n[kCountdown] != 0) continue;
                        n[kChain] = p[kChain] + kChainStep;
                        rt_quzo_PlaySFX(kSoundPop, n[kChain] / 50 + 0.75f, 1, 0);
                        plr[kScore] += float(int(n[kChain]));
                        plr[kPopped] += 1;
                        n[kCountdown] = kPopStart;
                        burst(x, y);
                    }
                }
                if (p[kCountdown] == kPopGone) {
                    p[kColour] = kEmpty;
                    p[kCountdown] = 0;
                    p[kLinked] = 1;
                    shown = false;
                }
            } else if (p[kLinked] == 0) {
                // Cut off from the anchor: the hex falls away if a falling record is free.
                int i = 0;
                while (i < kFallingRecords && obj[kCellFloats * i + kObjFrame] != 0) ++i;
                if (i < kFallingRecords) {
                    for (int k = 0; k < 4; ++k) {
                        const float u1 = rt_random_Rnd();
                        const float u2 = rt_random_Rnd();
                        rt_quzo_ThrowParticle(x, y, kKindFalling, int(std::floor(1 + 8.99f * u2)),
                                              135 + 90 * u1, 1);
                    }
                    float* o = obj + kCellFloats * i;
                    o[kObjFrame] = float(frame + 1);
                    o[kObjX] = x;
                    o[kObjY] = y;
                    o[kObjSpeed] = 0;
                    p[kColour] = kEmpty;
                    shown = false;
                    // Points only for hexes seen to fall, and none once the game is lost.
                    if (y > -128 && !ending()) {
                        rt_quzo_Gimme(10, x, y, 1);
                        fellVisibly = true;
                    }
                }
            }
            if (shown) rt_quzo_DrawImg(kHexSheet, x, y, frame);

            // A hex on the floor line loses the game.
            if (y > float(h - 32) && !ending()) {
                rt_quzo_EndGame(kEndLost);
                rt_audio_StopMusic();
                rt_quzo_QUZO_MusicPlaying = 0;
                rt_quzo_PlaySFX(kSoundLost);
            }
        }
    }

    // 6. Running, by the pointer's drag stick while a pointer is down, else by the main axis
    // of the player's controls.
    if (!ending()) {
        const float a = rt_quzo_mdAll > 0 ? rt_quzo_mPadx : rt_quzo_PlayKey(kControlAxisX, -1);
        plr[kX] += 8 * a;
        plr[kPhase] += std::fabs(a) / 4;
        if (a > 0.3f) plr[kFacing] = 1;
        if (a < -0.3f) plr[kFacing] = -1;
        plr[kX] = std::clamp(plr[kX], 8.0f, float(w - 8));
    }

    // 7. Jumping: holding the jump control lightens the gravity, so the jump goes higher, and
    // jumps again on landing.
    rt_quzo_ResetDraw();
    const bool jumpHeld = rt_quzo_PlayKey(kControlButton1, -2) != 0;
    plr[kY] += 2 * plr[kSpeedY];
    plr[kSpeedY] += 0.8f;
    if (!jumpHeld) plr[kSpeedY] += 0.5f;
    plr[kSpeedY] = std::min(plr[kSpeedY], 16.0f);
    if (plr[kY] > float(h - 32)) {
        plr[kY] = float(h - 32);
        plr[kFloor] = 3;
    }
    if (jumpHeld && !ending() && plr[kFloor] > 0) {
        plr[kFloor] = 0;
        plr[kSpeedY] = -16;
    }

    // 8. The piles.
    rt_quzo_DrawImg(kHexSheet, 32, float(h - 32), int(std::floor(8 * plr[kLeftPile])));
    rt_quzo_DrawImg(kHexSheet, float(w - 32), float(h - 32), int(std::floor(8 * plr[kRightPile])));

    // 9. Standing at an edge with empty hands takes the pile's hex.
    if (plr[kCarried] == kEmpty && plr[kFloor] > 0) {
        if (plr[kX] < 48) {
            plr[kCarried] = plr[kLeftPile];
            rt_quzo_PlaySFX(kSoundTake);
            plr[kLeftPile] = refill(plr[kCarried], plr[kColourCount]);
        }
        if (plr[kX] > float(w - 48)) {
            plr[kCarried] = plr[kRightPile];
            rt_quzo_PlaySFX(kSoundTake);
            plr[kRightPile] = refill(plr[kCarried], plr[kColourCount]);
        }
    }

    // 10. The figure, running or carrying, and the hex over its head.
    const bool carrying = plr[kCarried] != kEmpty;
    float phase = std::fmod(plr[kPhase], 4.0f);
    if (phase < 0) phase += 4;
    rt_quzo_SetSize(plr[kFacing] < 0 ? -2.0f : 2.0f, 2);
    rt_quzo_DrawImg(kFigureSheet, plr[kX], plr[kY], int(std::floor(phase)) + (carrying ? 7 : 0));
    rt_quzo_SetSize(1, 1);
    if (carrying) {
        rt_quzo_DrawImg(kHexSheet, plr[kX], plr[kY] - 24, int(std::floor(8 * plr[kCarried])));
    }

    // 11. Falling hexes speed up, fall (not while the game ends) and leave the screen.
    for (int i = 0; i < kFallingRecords; ++i) {
        float* o = obj + kCellFloats * i;
        if (o[kObjFrame] <= 0) continue;
        o[kObjSpeed] += 0.25f;
        if (!ending()) o[kObjY] += o[kObjSpeed];
        rt_quzo_DrawImg(kHexSheet, o[kObjX], o[kObjY], int(o[kObjFrame]) - 1);
        if (o[kObjY] < -128 || o[kObjY] > float(h + 128)) o[kObjFrame] = 0;
    }

    // 12. However many hexes fell, one sound.
    if (fellVisibly) rt_quzo_PlaySFX(kSoundFall);

    // 13. The score line.
    rt_quzo_ShowScores(1, 1, 0, 0, 0, 0);
    return 0;
}
