// The options screen, the pause menu, the full-screen switch and the settings accessor.
#include "framework/options.h"

#include "app/app.h"
#include "framework/quzo.h"
#include "runtime/random.h"

#include <algorithm>
#include <cmath>

using namespace hexwend::framework;

namespace {

// Sound effects: a move of the highlight or a value, and a choice.
constexpr int kMoveSound = 98;
constexpr int kChooseSound = 99;

// Image slots: the options icons (also the tile of the background), the pause icons and the
// backdrop circles.
constexpr int kOptionsSlot = 81;
constexpr int kTileFrame = 48;
constexpr int kIconsSlot = 90;
constexpr int kCircleSlot = 91;

// Frames of the pause icons.
constexpr int kQuitFrame = 1;
constexpr int kResumeFrame = 3;
constexpr int kSelectionFrame = 6;
constexpr int kOptionsGearMiddle = 12;
constexpr int kOptionsGearOuter = 13;
constexpr int kOptionsGearInner = 14;

// Locks in rt_quzo_kdis.
constexpr int kPauseMenuLock = 1;
constexpr int kChooseLock = 30;
constexpr int kSideLock = 31;
constexpr int kUpDownLock = 32;
constexpr int kPointerToggleLock = 33;
constexpr int kPointerLock = 34;
constexpr int kLeaveLock = 38;
constexpr int kNoFollowLock = 47;
// Values of the pointer lock besides 0 and 1.
constexpr int kDragging = -1;
constexpr int kSliderHeld = -2;

// Controls read by the screens.
constexpr int kControlButton2 = 11;
constexpr int kControlButton3 = 12;

// The settings element of rows without a value.
constexpr int kNoSetting = 99;

// Layout of the options list.
constexpr int kRowSpacing = 116;
constexpr int kHighestFirstRow = 128;
constexpr int kMaxVelocity = 8;

// The pause toy.
constexpr float kRingRadius = 196;
constexpr int kColumnHidden = -64;
constexpr int kColumnShown = 64;
constexpr int kIdleLimit = 600;

constexpr float kDegrees = 3.14159265f / 180.0f;

float summed(int control) {
    return rt_quzo_PlayKey(control, -2);
}

bool held(int control) {
    return summed(control) != 0;
}

int& lock(int element) {
    return rt_quzo_kdis[element];
}

int& menuPos(int element) {
    return rt_quzo_QUZO_MenuPos[element];
}

float sinDeg(float degrees) {
    return std::sin(degrees * kDegrees);
}

float cosDeg(float degrees) {
    return std::cos(degrees * kDegrees);
}

} // namespace

// --- One row of the options list -----------------------------------------------------------

int rt_quzo_Option(int y, int setting, int row, int icon, String label, int lo, int hi, int style) {
    const int w = rt_quzo_jscrw, h = rt_quzo_jscrh;
    const int x0 = w / 2 - 210;
    // Whether the row is highlighted as the call begins: a press that highlights the row
    // does nothing else in the same update.
    const bool highlighted = menuPos(kOptionsHighlight) == row;
    int& value = rt_quzo_QUZO_Set[setting];

    // 1. Keep the highlight in view, unless a fast drag has taken the list away from it.
    if (highlighted && lock(kNoFollowLock) == 0) {
        if (y <= 63) menuPos(kOptionsTarget) += 16;
        if (y >= h - 63) menuPos(kOptionsTarget) -= 16;
    }

    // 2. Rows off-screen are neither drawn nor run.
    if (y < -96 || y > h + 96) return 0;

    // 3. The row.
    rt_quzo_Ink(row % 9 + 1, highlighted ? 1.25f : 0.6f);
    rt_quzo_Alpha(highlighted ? 0.75f : 0.5f);
    rt_quzo_Rect(float(x0), float(y - 34), 420, 68);

    // 4. A pointer on the row highlights it.
    if (rt_quzo_MouseIn(float(x0), float(y - 34), 420, 68) != 0 && lock(kPointerLock) == 0) {
        lock(kNoFollowLock) = 0;
        if (!highlighted) {
            menuPos(kOptionsHighlight) = row;
            lock(kPointerLock) = 1;
            lock(kPointerToggleLock) = 1;
            rt_quzo_PlaySFX(kMoveSound);
        }
    }

    // 5. Icon and label.
    rt_quzo_SetCol(0, 0, 0, 0.5f);
    rt_quzo_Rect(float(x0 + 1), float(y - 33), 66, 66);
    rt_quzo_SetCol(255, 255, 255, 1);
    rt_quzo_DrawImg(kOptionsSlot, float(x0 + 33), float(y), icon);
    rt_quzo_SetSize(0.5f);
    rt_quzo_Text(float(x0 + 4), float(y - 44), label, 0, 1, 0, 0);
    rt_quzo_SetSize(1);

    const float valueX = float(w / 2 + 72);

    // 6. A switch, with its texts, toggled by a press on its box.
    if (lo == 0 && hi == 1) {
        static const String texts[2][2] = {{String("Off   "), String("    On")},
                                           {String("   Standard"), String("Inverted   ")}};
        const int set = style == 0 ? 0 : style == 2 ? 1 : -1;
        if (set >= 0 && (value == 0 || value == 1))
            rt_quzo_Text(valueX, float(y - 8), texts[set][value], 1, 1, 0, 0);
        const int pointer = lock(kPointerLock);
        if (highlighted && rt_quzo_MouseIn_Centered(valueX, float(y), 220, 62) != 0 &&
            lock(kPointerToggleLock) == 0 && (pointer == 0 || pointer == kSliderHeld)) {
            lock(kPointerLock) = 1;
            lock(kPointerToggleLock) = 1;
            value = 1 - value;
            rt_quzo_PlaySFX(kMoveSound);
        }
    }

    // 7. A slider: a rising ramp of dots with "#" at the value; a press on a dot sets it.
    if (lo == 0 && hi == 10) {
        static const String mark("#");
        static const String dot(".");
        for (int i = 0; i <= 10; ++i) {
            const int x = w / 2 + 22 * i - 88;
            if (i == value) {
                rt_quzo_Text(float(x), float(y + 2), mark, 1, 1, 0, 0);
            } else {
                rt_quzo_Text(float(x), float(y + 2 - 2 * i), dot, 1, 1, 0, 0);
            }
            if (highlighted && rt_quzo_MouseIn_Centered(float(x - 6), float(y), 22, 46) != 0) {
                lock(kPointerLock) = kSliderHeld;
                if (value != i) {
                    value = i;
                    rt_quzo_PlaySFX(kMoveSound);
                }
            }
        }
    }

    // 8. Keys on the highlighted row: left and right step the value (left first), the
    // select keys choose the row.
    if (highlighted) {
        if (held(kControlLeft) && lock(kSideLock) == 0) {
            lock(kSideLock) = 1;
            value -= 1;
            rt_quzo_PlaySFX(kMoveSound);
        }
        if (held(kControlRight) && lock(kSideLock) == 0) {
            lock(kSideLock) = 1;
            value += 1;
            rt_quzo_PlaySFX(kMoveSound);
        }
        value = std::clamp(value, lo, hi);
        if (lock(kChooseLock) == 0 && (held(kControlButton1) || held(kControlButton2))) {
            value = value == lo ? hi : lo;
            rt_quzo_PlaySFX(kChooseSound);
            rt_quzo_LockKeys();
            return 1;
        }
    }

    // 9. A fresh press on the highlighted first row ("Back") chooses it.
    if (rt_quzo_MouseIn(64, float(y - 34), float(w - 128), 68) != 0 && lock(kPointerLock) == 0)
        return row == 0 && highlighted ? 1 : 0;
    return 0;
}

// --- The options screen ------------------------------------------------------------------

namespace {

// Closes the options and keeps the settings.
void leaveOptions() {
    rt_quzo_LockKeys();
    rt_quzo_QUZO_OptCred = kOverlayNone;
    rt_quzo_PlaySFX(kChooseSound);
    rt_quzo_Save();
}

// The labels of the rows, made once.
enum Label {
    kLabelBack,
    kLabelOverscan,
    kLabelFullscreen,
    kLabelSfx,
    kLabelMusic,
    kLabelInvertLeft,
    kLabelInvertRight,
    kLabelScreenshot,
    kLabelFramerate,
};

const String& rowLabel(Label label) {
    static const String labels[] = {
        String("Back"),
        String("Overscan"),
        String("Fullscreen [F11]"),
        String("SFX"),
        String("Music"),
        String("Invert Y - Left Stick"),
        String("Invert Y - Right Stick"),
        String("Screenshot Mode [F2]"),
        String("Framerate [F1]"),
    };
    return labels[label];
}

void overscanMarks() {
    const float w = float(rt_quzo_jscrw), h = float(rt_quzo_jscrh);
    rt_quzo_SetCol(255, 255, 255, 1);
    rt_quzo_Rect(0, 0, 64, 24);
    rt_quzo_Rect(0, 0, 24, 64);
    rt_quzo_Rect(w - 64, h - 24, 64, 24);
    rt_quzo_Rect(w - 24, h - 64, 24, 64);
    rt_quzo_Rect(w - 64, 0, 64, 24);
    rt_quzo_Rect(w - 24, 0, 24, 64);
    rt_quzo_Rect(0, h - 24, 64, 24);
    rt_quzo_Rect(0, h - 64, 24, 64);
}

} // namespace

int rt_quzo_Options() {
    const int t = rt_app_Millisecs();
    const int h = rt_quzo_jscrh;

    // 1. A slowly turning background colour under a drifting tile pattern.
    rt_quzo_BGRot(float(t / 64), 1, 0.4f);
    int c = (t / 64) % 64;
    if (c < 0) c += 64;
    rt_quzo_SetCol(255, 255, 255, 0.2f);
    for (int i = -1; i <= 14; ++i) {
        for (int j = 0; j <= 14; ++j)
            rt_quzo_DrawImg(kOptionsSlot, float(64 * i + c), float(64 * j - c), kTileFrame);
    }
    rt_quzo_ResetDraw();

    // 2. The first row eases toward the target; the target moves with the velocity (never
    // below 128), and the velocity (at most 8 either way) dies down by one per update.
    {
        const int e = menuPos(kOptionsFirstY);
        const int f = menuPos(kOptionsTarget);
        const int g = int(float(e) - float(e - f) * 0.125f);
        menuPos(kOptionsFirstY) = std::abs(g - f) < 1 ? f : g;
        menuPos(kOptionsTarget) = std::min(f, kHighestFirstRow) + menuPos(kOptionsVelocity);
        int v = std::clamp(menuPos(kOptionsVelocity), -kMaxVelocity, kMaxVelocity);
        if (v > 0) v -= 1;
        if (v < 0) v += 1;
        menuPos(kOptionsVelocity) = v;
    }

    // 3. The rows.
    const bool console = rt_quzo_isOuya == 1;
    const int first = menuPos(kOptionsFirstY);
    int row = 0;
    auto option = [&](int setting, int icon, Label label, int lo, int hi, int style) {
        const int r = row++;
        return rt_quzo_Option(first + kRowSpacing * r, setting, r, icon, rowLabel(label), lo, hi,
                              style);
    };

    const bool back = option(kNoSetting, 0, kLabelBack, 0, 0, 0) == 1;
    if (console) {
        const int overscanRow = row;
        option(settings::kOverscan, 3, kLabelOverscan, 0, 10, 0);
        if (menuPos(kOptionsHighlight) == overscanRow) overscanMarks();
    }
    if (option(kNoSetting, 3, kLabelFullscreen, 0, 0, 0) == 1) rt_quzo_FullscreenFlip();
    option(settings::kEffectsVolume, 1, kLabelSfx, 0, 10, 0);
    option(settings::kMusicVolume, 2, kLabelMusic, 0, 10, 0);
    option(settings::kInvertLeftStick, 4, kLabelInvertLeft, 0, 1, 2);
    option(settings::kInvertRightStick, 5, kLabelInvertRight, 0, 1, 2);
    // The two display switches take effect at once, however their value changed: choosing,
    // a press on the switch or left and right.
    option(settings::kScreenshotMode, 3, kLabelScreenshot, 0, 1, 0);
    rt_quzo_QUZO_ScreenshotMode = rt_quzo_QUZO_Set[settings::kScreenshotMode];
    option(settings::kFrameRate, 47, kLabelFramerate, 0, 1, 0);
    rt_quzo_QUZO_DebugMode = rt_quzo_QUZO_Set[settings::kFrameRate];
    const int rows = row;

    // 4. "Back" leaves; the rest of the update still runs.
    if (back) {
        menuPos(kOptionsHighlight) = 0;
        leaveOptions();
    }

    // 5. The list never leaves its end above the middle of the screen.
    if (first + kRowSpacing * rows < h / 2) menuPos(kOptionsTarget) += 8;

    // 6. A held pointer drags the list; a fast drag stops it following the highlight.
    const int pointer = lock(kPointerLock);
    if (rt_quzo_mdAll > 0 && (pointer == 0 || pointer == kDragging)) {
        lock(kPointerLock) = kDragging;
        menuPos(kOptionsVelocity) += 2 * rt_quzo_msy;
        if (std::abs(menuPos(kOptionsVelocity)) > 3) lock(kNoFollowLock) = 1;
    }

    // 7. Locks clear once their controls are released.
    if (!held(kControlButton1) && !held(kControlButton2)) lock(kChooseLock) = 0;
    if (!held(kControlLeft) && !held(kControlRight)) lock(kSideLock) = 0;
    if (!held(kControlUp) && !held(kControlDown)) lock(kUpDownLock) = 0;
    if (rt_quzo_mdAll == 0) {
        lock(kPointerToggleLock) = 0;
        lock(kPointerLock) = 0;
    }

    // 8. Up and down move the highlight, without wrapping round.
    if (held(kControlUp) && lock(kUpDownLock) == 0 && menuPos(kOptionsHighlight) > 0) {
        menuPos(kOptionsHighlight) -= 1;
        lock(kUpDownLock) = 1;
        rt_quzo_PlaySFX(kMoveSound);
        lock(kNoFollowLock) = 0;
    }
    if (held(kControlDown) && lock(kUpDownLock) == 0 && menuPos(kOptionsHighlight) < rows - 1) {
        menuPos(kOptionsHighlight) += 1;
        lock(kUpDownLock) = 1;
        rt_quzo_PlaySFX(kMoveSound);
        lock(kNoFollowLock) = 0;
    }

    // 9. A back key leaves.
    if (held(kControlButton3) || held(kControlPause)) {
        if (lock(kLeaveLock) == 0) {
            leaveOptions();
            lock(kNoFollowLock) = 0;
        }
    } else {
        lock(kLeaveLock) = 0;
    }
    return 0;
}

// --- The pause menu ------------------------------------------------------------------------

namespace {

enum PauseEntry { kEntryQuit = 0, kEntryResume = 1, kEntryOptions = 2 };

void pauseAction(int entry) {
    rt_quzo_LockKeys();
    switch (entry) {
    case kEntryQuit:
        rt_quzo_QUZO_Paused = 0;
        rt_quzo_PlaySFX(kChooseSound);
        rt_quzo_EndGame(kEndQuit);
        break;
    case kEntryResume:
        rt_quzo_QUZO_Paused = 0;
        rt_quzo_PlaySFX(kChooseSound);
        if (rt_quzo_QUZO_MusicPlaying == 2) rt_quzo_ResumeTune();
        break;
    default:
        // Play stays paused behind the options.
        rt_quzo_PlaySFX(kChooseSound);
        rt_quzo_QUZO_OptCred = kOverlayOptions;
        break;
    }
}

// The ring-and-ball toy beside the pause menu.
void pauseToy(int t, float cx, float cy) {
    const int w = rt_quzo_jscrw, h = rt_quzo_jscrh;
    float* p = rt_quzo_paused.Data();

    // The main axis of the first player, or the drag stick while a pointer is down.
    const float a = rt_quzo_mdAll > 0 ? rt_quzo_mPadx : rt_quzo_PlayKey(kControlAxisX, -1);

    // 1. The ring turns with the axis; its momentum swings the trail.
    float m = p[kToyMomentum] + 0.25f * a;
    if (m > 0) m = std::max(0.0f, m - 0.02f);
    if (m < 0) m = std::min(0.0f, m + 0.02f);
    p[kToyMomentum] = std::clamp(m, -4.0f, 4.0f);
    p[kToyRingAngle] = std::fmod(p[kToyRingAngle] + 4 * a, 360.0f);

    // 2. A lost ball (or none yet) starts again from the centre.
    float& bx = p[kToyBallX];
    float& by = p[kToyBallY];
    if (bx < -32 || bx > float(w + 32) || by < -32 || by > float(h + 32) || (bx == 0 && by == 0)) {
        const float u1 = rt_random_Rnd();
        const float u2 = rt_random_Rnd();
        bx = cx;
        by = cy;
        p[kToySpeed] = 3;
        const float direction = 360 * u1;
        const float speed = 1 + 1.5f * u2;
        p[kToyBallVX] = sinDeg(direction) * speed;
        p[kToyBallVY] = -cosDeg(direction) * speed;
        if (p[kToyHits] > p[kToyBest]) p[kToyBest] = p[kToyHits];
        p[kToyHits] = 0;
    }

    // 3. The ring of segments; a segment the ball touches strikes it back across the ring.
    rt_quzo_SetCol(100, 255, 100, -100);
    for (int i = -16; i <= 16; ++i) {
        const float angle = float(i) + p[kToyRingAngle];
        const float sx = cx + kRingRadius * sinDeg(angle);
        const float sy = cy - kRingRadius * cosDeg(angle);
        rt_quzo_Rect(sx - 4, sy - 4, 9, 9);
        if (std::fabs(bx - sx) >= 10 || std::fabs(by - sy) >= 10) continue;
        const float u = rt_random_Rnd();
        if (p[kToyCooldown] < 1) {
            rt_quzo_PlaySFX(kMoveSound);
            const float s = p[kToySpeed] - 1.5f + 1.5f * u;
            const float back = p[kToyRingAngle] + 180;
            p[kToyBallVX] = sinDeg(back) * s;
            p[kToyBallVY] = -cosDeg(back) * s;
            p[kToySpeed] += 0.1f;
            p[kToyHits] += 1;
            if (p[kToyHits] < kToyMaxHits + 1) {
                const int k = int(p[kToyHits]);
                float* hit = p + toyHitElement(k);
                hit[0] = std::atan2(bx - cx, cy - by) / kDegrees;
                hit[1] = 0.5f + rt_random_Rnd();
                hit[2] = 20 * p[kToyHits];
            }
        }
        p[kToyCooldown] = 20;
    }

    // 4. The ball moves; the cool-down runs out.
    bx += p[kToyBallVX];
    by += p[kToyBallVY];
    const float cool = p[kToyCooldown];
    p[kToyCooldown] = cool < 1 || cool > 20 ? -1 : cool - 1;
    rt_quzo_Rect(bx, by, 13, 13, 1, 1);

    // 5. The trail of hits, one line from each hit's place on the ring to the next, swinging
    // with the ring.
    const int hits = std::min(int(p[kToyHits]), kToyMaxHits);
    float fromX = cx, fromY = cy;
    for (int k = 1; k <= hits; ++k) {
        float* hit = p + toyHitElement(k);
        rt_quzo_InkRot(float(t / 24) + hit[2], 1, 1);
        const float toX = cx + kRingRadius * sinDeg(hit[0]);
        const float toY = cy - kRingRadius * cosDeg(hit[0]);
        rt_quzo_Line(fromX, fromY, toX, toY);
        fromX = toX, fromY = toY;
        hit[0] += hit[1] * p[kToyMomentum] * 0.05f;
    }

    // 6. Hits since the ball was last lost, and the best such run.
    rt_quzo_ResetDraw();
    rt_quzo_SetSize(0.5f);
    rt_quzo_Text(float(w - 8), float(h - 8),
                 String(int(p[kToyHits])) + String(":") + String(int(p[kToyBest])), 2, 2, 0, 0);
}

} // namespace

int rt_quzo_Pause_Menu() {
    const int t = rt_app_Millisecs();
    const int w = rt_quzo_jscrw, h = rt_quzo_jscrh;
    const float cx = float(w - 256), cy = float(h / 2);

    // 1. Three turning circles behind the toy.
    rt_quzo_ResetDraw();
    rt_quzo_Alpha(0.2f);
    rt_quzo_SetRot(float(t) / 48);
    rt_quzo_DrawImg(kCircleSlot, cx, cy, 1);
    rt_quzo_SetSize(1.5f);
    rt_quzo_SetRot(-float(t) / 51);
    rt_quzo_DrawImg(kCircleSlot, cx, cy, 2);
    rt_quzo_SetSize(2);
    rt_quzo_SetRot(float(t) / 62);
    rt_quzo_DrawImg(kCircleSlot, cx, cy, 1);

    // 2. The waving title.
    rt_quzo_ResetDraw();
    static const String title("Paused");
    rt_quzo_Text(cx + 64 * sinDeg(float(t / 40)), cy - 32 * cosDeg(float(t / 30)), title, 1, 1,
                 float(t / 4), 16);

    // 3. The toy.
    pauseToy(t, cx, cy);

    // 4. The icon column: quit, resume and the turning options icon, and the selection mark.
    rt_quzo_ResetDraw();
    rt_quzo_SetSize(0.75f);
    const float x = float(menuPos(kPauseMenuColumnX));
    const float iconY[3] = {cy - 128, cy, cy + 128};
    const int angle = menuPos(kPauseMenuIconAngle);
    rt_quzo_DrawImg(kIconsSlot, x, iconY[kEntryQuit], kQuitFrame);
    rt_quzo_DrawImg(kIconsSlot, x, iconY[kEntryResume], kResumeFrame);
    rt_quzo_SetRot(float(angle));
    rt_quzo_DrawImg(kIconsSlot, x, iconY[kEntryOptions], kOptionsGearOuter);
    rt_quzo_SetRot(float(-2 * angle));
    rt_quzo_DrawImg(kIconsSlot, x, iconY[kEntryOptions], kOptionsGearMiddle);
    rt_quzo_SetRot(float(4 * angle));
    rt_quzo_DrawImg(kIconsSlot, x, iconY[kEntryOptions], kOptionsGearInner);
    rt_quzo_SetRot(0);
    int& selection = menuPos(kPauseMenuSelection);
    if (selection == kEntryOptions) menuPos(kPauseMenuIconAngle) = (angle + 1) % 360;
    rt_quzo_SetSize(1.025f);
    rt_quzo_Alpha(0.5f);
    rt_quzo_DrawImg(kIconsSlot, x, cy - 128 + 128 * float(selection), kSelectionFrame);

    // 5. Keys move the selection and choose; the lock clears once they are all released.
    int& idle = menuPos(kPauseMenuIdle);
    if (held(kControlUp) && lock(kPauseMenuLock) == 0 && selection > 0) {
        selection -= 1;
        lock(kPauseMenuLock) = 1;
        idle = 0;
        rt_quzo_PlaySFX(kMoveSound);
    }
    if (held(kControlDown) && lock(kPauseMenuLock) == 0 && selection < 2) {
        selection += 1;
        lock(kPauseMenuLock) = 1;
        idle = 0;
        rt_quzo_PlaySFX(kMoveSound);
    }
    if (!held(kControlUp) && !held(kControlDown) && !held(kControlButton1) &&
        !held(kControlButton2))
        lock(kPauseMenuLock) = 0;

    // 6. A choice by key, or a press on an icon, acts at once. A press still held from
    // before the last lock-all (say, the one that left the options screen) must be released
    // first, so that it cannot go on to act on an icon it happens to lie on.
    int entry = -1;
    if ((held(kControlButton1) || held(kControlButton2)) && lock(kPauseMenuLock) == 0)
        entry = selection;
    if (entry < 0 && rt_quzo_mdis[locks::kPointer] == 0) {
        const float side = 0.75f * rt_quzo_QUZO_ImgW[kIconsSlot];
        for (int e = kEntryQuit; e <= kEntryOptions && entry < 0; ++e) {
            if (rt_quzo_MouseIn_Centered(x, iconY[e], side, side) != 0) entry = e;
        }
    }
    if (entry >= 0) pauseAction(entry);

    // 7. The column slides in while a pointer is down or for the first half second, and out
    // again after ten idle seconds.
    int& columnX = menuPos(kPauseMenuColumnX);
    if (rt_quzo_mdAll > 0) {
        idle = 0;
        columnX += 8;
    } else if (idle < 30) {
        columnX += 8;
    } else if (idle >= kPauseMenuHideAfter) {
        columnX -= 4;
    }
    columnX = std::clamp(columnX, kColumnHidden, kColumnShown);
    idle = std::min(idle + 1, kIdleLimit);
    return 0;
}

// --- Small switches ------------------------------------------------------------------------

int rt_quzo_FullscreenFlip() {
    if (!rt_app__game) return 0;
    if (rt_quzo_QUZO_Fullscreen == 0) {
        // Full screen takes the desktop's size; without one (no monitor) the window stays.
        c_DisplayMode* desktop = rt_app__desktopMode;
        if (!desktop || desktop->m_width <= 0 || desktop->m_height <= 0) return 0;
        rt_quzo_QUZO_Fullscreen = 1;
        rt_app__game->SetDeviceWindow(desktop->m_width, desktop->m_height, 1);
    } else {
        rt_quzo_QUZO_Fullscreen = 0;
        rt_app__game->SetDeviceWindow(640, 480, 6);
    }
    rt_app_ValidateDeviceWindow(false);
    return 0;
}

int rt_quzo_ShowQuitButton(int v) {
    rt_quzo_HasQuit = v;
    return 0;
}

int rt_quzo_SetSet(int index, int value) {
    if (index < 0 || index > 249) return 0;
    if (value == kSetSetRead) return rt_quzo_QUZO_Set[index];
    rt_quzo_QUZO_Set[index] = value;
    return value;
}
