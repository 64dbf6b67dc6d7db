// Frame flow and game modes.
#include "framework/flow.h"

#include "app/app.h"
#include "audio/sound.h"
#include "framework/quzo.h"

#include <algorithm>
#include <cmath>

using namespace hexwend::framework;

namespace {

// Function keys.
constexpr int kKeyF1 = 112;
constexpr int kKeyF2 = 113;
constexpr int kKeyF4 = 115;
constexpr int kKeyF11 = 122;

// Elements of rt_quzo_QUZO_Data: updates counted in the last full second, the clock at the
// last one-second mark, updates since that mark, updates since start.
constexpr int kUpdatesPerSecond = 1;
constexpr int kUpdateClock = 6;
constexpr int kUpdatesThisSecond = 8;
constexpr int kTotalUpdates = 48;

// Draw-style slots: the background colour shown and the one aimed at.
constexpr int kShownBackground = 11;
constexpr int kAimedBackground = 15;
constexpr float kBackgroundEasing = 0.0625f;

// rt_quzo_QUZO_MenuPos elements: the main menu's slide-in, and the pause menu's selection,
// icon column and idle counter.
constexpr int kMainMenuSlide = 10;
constexpr int kPauseSelection = 40;
constexpr int kPauseColumnX = 41;
constexpr int kPauseIdle = 42;

// The pause icon, and how close to the top-left corner a touch pauses.
constexpr int kIconSlot = 90;
constexpr float kIconPosition = 24;
constexpr float kTouchPauseRadius = 48;
constexpr int kTouchSlots = 10;

// rt_quzo_QUZO_Touch: slot k is down at element 10k, at (10k + 1, 10k + 2).
constexpr int kTouchStride = 10;

int keyHit(int key) {
    return rt_input_device ? rt_input_KeyHit(key) : 0;
}

// The first touch slot that is down within the pause radius of the corner, or -1.
int cornerTouch() {
    const float* t = rt_quzo_QUZO_Touch.Data();
    for (int k = 0; k < kTouchSlots; ++k) {
        const float* slot = t + kTouchStride * k;
        if (slot[0] != 0 && rt_quzo_Dist(slot[1], slot[2], 0, 0) <= kTouchPauseRadius) return k;
    }
    return -1;
}

// The two words shown for an end reason.
void endWords(int reason, const char*& first, const char*& second) {
    switch (reason) {
    case kEndLevelComplete:
        first = "Level", second = "Complete";
        break;
    case kEndQuit:
        first = "Quit", second = "Game";
        break;
    case kEndCuddled:
        first = "You Got", second = "Cuddled";
        break;
    default:
        first = "Game", second = "Over";
        break;
    }
}

} // namespace

int rt_quzo_UpdateWorld() {
    // Update counting: at every one-second mark the count of the second just past is kept.
    float* data = rt_quzo_QUZO_Data.Data();
    data[kTotalUpdates] += 1;
    data[kUpdatesThisSecond] += 1;
    if (std::fabs(float(rt_app_Millisecs()) - data[kUpdateClock]) >= 1000) {
        data[kUpdatesPerSecond] = data[kUpdatesThisSecond];
        data[kUpdatesThisSecond] = 0;
        data[kUpdateClock] = float(rt_app_Millisecs());
    }

    // Outside play nothing is paused, and the pause menu opens on "resume" next time.
    if (rt_quzo_QUZO_GameMode != kModePlaying) {
        rt_quzo_QUZO_Paused = 0;
        rt_quzo_QUZO_MenuPos[kPauseSelection] = 1;
    }

    // Function keys, as presses since the last update.
    if (keyHit(kKeyF1) != 0) {
        rt_quzo_QUZO_DebugMode = 1 - rt_quzo_QUZO_DebugMode;
        rt_quzo_QUZO_Set[settings::kFrameRate] = rt_quzo_QUZO_DebugMode;
    }
    if (keyHit(kKeyF2) != 0) {
        rt_quzo_QUZO_ScreenshotMode = 1 - rt_quzo_QUZO_ScreenshotMode;
        rt_quzo_QUZO_Set[settings::kScreenshotMode] = rt_quzo_QUZO_ScreenshotMode;
    }
    if (keyHit(kKeyF11) != 0) rt_quzo_FullscreenFlip();
    if (keyHit(kKeyF4) != 0) rt_app_EndApp();

    // The background colour eases a sixteenth of the way toward the colour aimed at.
    float* style = rt_quzo_QUZO_DrawStyle.Data();
    for (int k = 0; k < 3; ++k) {
        float& shown = style[kShownBackground + k];
        shown -= (shown - style[kAimedBackground + k]) * kBackgroundEasing;
    }

    updatePointer();
    rt_quzo_DoControls();

    // Volumes: both settings are kept within 0 ... 10; the music follows its setting.
    float music = musicGain();
    clampedVolume(settings::kEffectsVolume);
    rt_audio_SetMusicVolume(music);
    return 0;
}

int rt_quzo_InGame() {
    // The pause control toggles once per press: its lock clears only once it is released.
    int& pauseLock = rt_quzo_kdis[locks::kPauseControl];
    if (rt_quzo_PlayKey(kControlPause, -2) == 0) {
        pauseLock = 0;
    } else if (pauseLock == 0) {
        pauseLock = 1;
        rt_quzo_QUZO_Paused = 1 - rt_quzo_QUZO_Paused;
        if (rt_quzo_QUZO_Paused == 1 && rt_quzo_QUZO_MusicPlaying == 1) rt_quzo_PauseTune();
        if (rt_quzo_QUZO_Paused == 0 && rt_quzo_QUZO_MusicPlaying == 2) rt_quzo_ResumeTune();
        rt_quzo_LockKeys();
    }

    if (rt_quzo_QUZO_EndofGame >= 1) {
        // A game that is ending cannot be paused.
        rt_quzo_QUZO_Paused = 0;
    } else if (rt_quzo_QUZO_Paused == 1) {
        rt_quzo_Pause_Menu();
        if (rt_quzo_QUZO_Paused != 0) return 0;
    }

    // Running: the pause menu starts afresh next time.
    rt_quzo_QUZO_MenuPos[kPauseColumnX] = -64;
    rt_quzo_QUZO_MenuPos[kPauseIdle] = 0;
    for (int e : {0, 1, 2, 8, 9}) rt_quzo_paused[e] = 0;

    // The pause icon, hidden in screenshot mode.
    rt_quzo_ResetDraw();
    rt_quzo_SetSize(0.4f, 0.4f);
    rt_quzo_Alpha(0.1f);
    if (rt_quzo_QUZO_ScreenshotMode == 0)
        rt_quzo_DrawImg(kIconSlot, kIconPosition, kIconPosition, 0);

    // A touch on the icon's corner pauses (a click there too: touch slot 0 follows the left
    // mouse button). It never unpauses.
    if (cornerTouch() >= 0 && rt_quzo_mdis[locks::kPointer] == 0) {
        rt_quzo_QUZO_Paused = 1;
        rt_quzo_mdis[locks::kPointer] = 1;
        rt_quzo_LockKeys();
        if (rt_quzo_QUZO_MusicPlaying == 1) rt_quzo_PauseTune();
    }
    return 0;
}

int rt_quzo_GameOver() {
    rt_quzo_ResetDraw();
    const int t = ++rt_quzo_QUZO_EndofGame;
    const int w = rt_quzo_jscrw, h = rt_quzo_jscrh;

    // Slide: b runs from -1280 to 0 by t = 41, stays 0 until t = 120, then back; the
    // triangles (c) lead the words.
    const int v = t <= kEndToMenu ? t - 1 : kEndLast - t;
    const int b = std::min(0, (v - 40) * 32);
    const int c = std::min(0, 2 * b + 320);

    rt_quzo_SetRot(45);
    rt_quzo_SetCol(50, 50, 0, 0.75f);
    rt_quzo_Triangle(float(c - 124), -128, float(w + 132 + c), float(h + 128), float(c - 124),
                     float(h + 128));
    rt_quzo_SetCol(50, 25, 0, rt_quzo_QUZO_DrawStyle[0]);
    rt_quzo_Triangle(float(-128 - c), -128, float(w + 132 - c), -128, float(w + 132 - c),
                     float(h + 128));

    rt_quzo_ResetDraw();
    rt_quzo_SetCol(255, 255, 255, 1);
    rt_quzo_SetSize(2, 2);
    const char* first;
    const char* second;
    endWords(rt_quzo_QUZO_EndReason, first, second);
    rt_quzo_Text(0.35f * float(w), float(h / 2 - b - 36), String(first), 1, 1, 0, 0);
    rt_quzo_Text(0.65f * float(w), float(h / 2 + b + 36), String(second), 1, 1, 0, 0);

    if (t == kEndMusicStops) {
        rt_audio_StopMusic();
        rt_quzo_QUZO_MusicPlaying = 0;
    }
    if (t == kEndEffect) rt_quzo_PlaySFX(kEndEffectSlot);
    if (t == kEndToMenu) rt_quzo_QUZO_GameMode = kModeToMenu;
    if (t > kEndLast) {
        rt_quzo_QUZO_EndofGame = 0;
        rt_quzo_QUZO_EndReason = 0;
    }
    return 0;
}

int rt_quzo_Goto(int mode, int type) {
    rt_quzo_QUZO_GameMode = mode;
    if (type >= 0) rt_quzo_QUZO_GameType = type;
    return 0;
}

int rt_quzo_EndGame(int reason) {
    if (rt_quzo_QUZO_EndofGame == 0) {
        rt_quzo_QUZO_EndofGame = 1;
        rt_quzo_QUZO_EndReason = reason;
    }
    return 0;
}

int rt_quzo_FlushGame() {
    rt_quzo_ResetGrid();
    rt_quzo_ResetPlrs();
    rt_quzo_ResetObjs();
    rt_quzo_ResetParticles();
    rt_quzo_ResetStars();
    rt_quzo_QUZO_EndofGame = 0;
    rt_quzo_QUZO_EndReason = 0;
    return 0;
}

namespace hexwend::framework {

int runOverlays() {
    if (rt_quzo_QUZO_OptCred == kOverlayOptions) rt_quzo_Options();
    if (rt_quzo_QUZO_OptCred == kOverlayCredits) rt_quzo_Credits();
    if (rt_quzo_QUZO_OptCred == kOverlayNameEntry) rt_quzo_EnterName();
    return 0;
}

} // namespace hexwend::framework
