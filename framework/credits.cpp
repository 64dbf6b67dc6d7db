// The credits screen and the name-entry screen.
#include "framework/credits.h"

#include "app/app.h"
#include "app/input_device.h"
#include "framework/quzo.h"

#include <algorithm>
#include <cmath>

using namespace hexwend::framework;

namespace {

constexpr double kRadiansPerDegree = 3.14159265358979323846 / 180.0;

// Room for the credit texts: whole rows only.
constexpr int kCreditTexts = 1024;
constexpr int kRowTexts = 5;

// Image slots and frames: the framework's icons (the game's mark, the framework's mark, the
// finish icon), the circles of the credits, and the options tiles behind both screens.
constexpr int kIconSlot = 90;
constexpr int kFrameworkMarkFrame = 9;
constexpr int kGameMarkFrame = 10;
constexpr int kFinishFrame = 11;
constexpr int kCircleSlot = 91;
constexpr int kTileSlot = 81;
constexpr int kTileFrame = 48;

constexpr int kMoveSound = 98;
constexpr int kChooseSound = 99;

// Keys and settings.
constexpr int kEnterKey = 13;

// Controls, summed over every block: the four directions and the buttons.
constexpr int kSelect = kControlButton1;      // 10
constexpr int kBack = kControlButton1 + 1;    // 11
constexpr int kButton3 = kControlButton1 + 2; // 12
constexpr int kButton4 = kControlButton1 + 3; // 13

// The repeat of a held step: at once, after this delay, then every update this much sooner,
// down to the fastest repeat.
constexpr int kFirstRepeatDelay = 30;
constexpr int kRepeatSpeedUp = 15;
constexpr int kFastestRepeat = 2;

// Codes (character minus 32) of the name's character steps.
constexpr int kSpace = 0;
constexpr int kExclamation = 1;
constexpr int kNine = 25;
constexpr int kGreater = 30;
constexpr int kAt = 32;
constexpr int kLetterA = 33;
constexpr int kTilde = 94;
// Name elements outside 0 ... 128 are drawn as the blank frame.
constexpr int kLastGlyph = 128;

// Texts of our own in the credits.
inline constexpr const char* kMaker = "The Hexwend team";
inline constexpr const char* kFrameworkText = "our framework";

bool held(int control) {
    return rt_quzo_PlayKey(control, -2) != 0;
}

bool anyHeld(std::initializer_list<int> controls) {
    for (int c : controls) {
        if (held(c)) return true;
    }
    return false;
}

bool enterKeyDown() {
    return rt_input_device && rt_input_KeyDown(kEnterKey);
}

float clampUnit(float v) {
    return v < 0 ? 0 : (v > 1 ? 1 : v);
}

float sinDeg(double degrees) {
    return float(std::sin(degrees * kRadiansPerDegree));
}

void text(float x, float y, const String& s, float alignX = 1, float alignY = 1) {
    rt_quzo_Text(x, y, s, alignX, alignY, 0, 0);
}

// The background of both screens (and of the options): a slowly turning background colour
// under a drifting pattern of faint tiles.
void background(int millis) {
    rt_quzo_BGRot(float(millis / 64), 1, 0.4f);
    int c = (millis / 64) % 64;
    if (c < 0) c += 64;
    rt_quzo_SetCol(255, 255, 255, 0.2f);
    for (int i = -1; i <= 14; ++i) {
        for (int j = 0; j <= 14; ++j)
            rt_quzo_DrawImg(kTileSlot, float(64 * i + c), float(64 * j - c), kTileFrame);
    }
    rt_quzo_ResetDraw();
}

void lockAll() {
    rt_quzo_LockKeys();
}

} // namespace

namespace hexwend::framework {

int nextNameChar(int v) {
    if (v < kSpace || v > kTilde) v = kSpace;
    if (v == kSpace || v == kTilde) return kLetterA;
    if (v == kGreater) return kSpace;
    return v + 1;
}

int previousNameChar(int v) {
    if (v < kSpace || v > kTilde) v = kSpace;
    if (v == kSpace) return kNine;
    if (v == kExclamation) return kTilde;
    if (v == kAt) return kSpace;
    return v - 1;
}

} // namespace hexwend::framework

int rt_quzo_AddCredit(String heading, String line1, String line2, String line3, String line4) {
    // The array is not checked on indexing: a row beyond its end would overwrite memory.
    const int at = rt_quzo_QUZO_Creds;
    if (at < 0 || at + kRowTexts > std::min(kCreditTexts, rt_quzo_QUZO_Cred.Length())) return 0;
    rt_quzo_QUZO_Cred[at] = heading;
    rt_quzo_QUZO_Cred[at + 1] = line1;
    rt_quzo_QUZO_Cred[at + 2] = line2;
    rt_quzo_QUZO_Cred[at + 3] = line3;
    rt_quzo_QUZO_Cred[at + 4] = line4;
    rt_quzo_QUZO_Creds = at + kRowTexts;
    return 0;
}

int rt_quzo_DefaultCredits() {
    const String maker(kMaker);
    rt_quzo_AddCredit("A game by", "", maker, "", "made for Linux");
    rt_quzo_AddCredit("Developed", "using", "C++", "isocpp.org", "\\o/yeay\\o/");
    rt_quzo_AddCredit("Many thanks to", "", "Bjarne Stroustrup", "for the wonderful",
                      "C++ language");
    rt_quzo_AddCredit("Graphics", "", "Mostly by", maker, "");
    rt_quzo_AddCredit("Font", "", "DejaVu Sans", "by", "dejavu-fonts.github.io");
    rt_quzo_AddCredit("Audio", "Sound Effects", "created with", "our asset generator",
                      "tools/assetgen");
    rt_quzo_AddCredit("Sound Effects", "tweaked with", "plain C++ code", "", "");
    rt_quzo_AddCredit("Music", "Created with", "our asset generator", "", "on iOS");
    rt_quzo_AddCredit("Built on", "", "GLFW  glfw.org", "OpenAL Soft  openal-soft.org",
                      "stb  github.com/nothings/stb");
    rt_quzo_AddCredit("Campaign", "", "Join the Campaign", "", "once there is one");
    rt_quzo_AddCredit("Special Hello", "to", "you, the player", "whoever you are",
                      "Thanks for Playing!");
    rt_quzo_AddCredit("Hello to", "everyone at", "debian.org", "", "Thanks for sticking around!");
    rt_quzo_AddCredit("Thanks to", "the unit tests", "and the e2e scripts", "for help with",
                      "Line Collision");
    return 0;
}

int rt_quzo_Credits() {
    const int millis = rt_app_Millisecs();
    const int w = rt_quzo_jscrw, h = rt_quzo_jscrh;
    const int creds = rt_quzo_QUZO_Creds;

    // 1. The phase: one turn per row, five times as fast while a direction is held. The row
    // changes at the lowest point, and the last row is never the current one.
    int& phase = rt_quzo_QUZO_CredTickA;
    int& row = rt_quzo_QUZO_CredTickB;
    phase += anyHeld({kControlUp, kControlLeft, kControlRight, kControlDown}) ? 5 : 1;
    if (phase > kCreditsPhaseTop) {
        phase -= 360;
        row += kRowTexts;
    }
    if (row < 0 || row >= creds - kRowTexts) row = 0;

    // 2.
    background(millis);

    // 3. Leaving, once everything held when the screen opened has been released.
    if (anyHeld({kSelect, kBack, kButton3, kControlPause}) || rt_quzo_mdAll != 0) {
        if (rt_quzo_kdis[kCreditsLeaveLock] == 0) {
            lockAll();
            rt_quzo_QUZO_OptCred = kOverlayNone;
            rt_quzo_PlaySFX(kChooseSound);
        }
    } else {
        rt_quzo_kdis[kCreditsLeaveLock] = 0;
    }

    // 4. The header: the maker and the game's mark at the top left, the framework's mark at
    // the bottom right.
    rt_quzo_ResetDraw();
    rt_quzo_SetSize(0.5f);
    text(96, 24, "A Game by");
    text(96, 52, kMaker);
    text(96, 80, "for");
    rt_quzo_SetSize(1);
    rt_quzo_DrawImg(kIconSlot, 96, 128, kGameMarkFrame);
    rt_quzo_SetSize(0.5f);
    text(float(w - 96), float(h - 128), "Created using");
    rt_quzo_SetSize(1);
    rt_quzo_DrawImg(kIconSlot, float(w - 96), float(h - 80), kFrameworkMarkFrame);
    rt_quzo_SetSize(0.5f);
    text(float(w - 96), float(h - 32), kFrameworkText);

    // 5. The circles open one after another as the phase's sine rises and close in the
    // opposite order.
    const float s = sinDeg(phase);
    const float cx = float(w / 2), cy = float(h / 2);
    rt_quzo_SetSize(clampUnit(10 * s + 9) * 1.9f);
    rt_quzo_SetCol(255, 255, 255, 0.1f);
    rt_quzo_DrawImg(kCircleSlot, cx, cy, 3);

    rt_quzo_SetSize(clampUnit(10 * s + 8.5f) * 1.7f);
    rt_quzo_SetCol(255, 255, 0, 0.4f);
    rt_quzo_SetRot(float(millis / 22));
    rt_quzo_DrawImg(kCircleSlot, cx, cy, 1);

    // The orange ring turns about its vertical axis: its width swings through 0.
    const float a = clampUnit(10 * s + 8);
    rt_quzo_SetSize(sinDeg(double(millis) / 27.5) * 1.5f * a, 1.5f * a);
    rt_quzo_SetCol(255, 128, 0, 0.4f);
    rt_quzo_SetRot(float(double(millis) / 11.5));
    rt_quzo_DrawImg(kCircleSlot, cx, cy, 0);

    rt_quzo_SetSize(clampUnit(10 * s + 7.5f) * 1.3f);
    rt_quzo_SetCol(0, 128, 255, 0.4f);
    rt_quzo_SetRot(float(-millis / 15));
    rt_quzo_DrawImg(kCircleSlot, cx, cy, 2);

    // A list without a row has nothing more to show.
    if (creds < kRowTexts) return 0;

    // 6. The current row grows out of the circles last and shrinks back first.
    rt_quzo_ResetDraw();
    const float k = clampUnit(10 * s + 6);
    rt_quzo_SetSize(0.75f * k);
    for (int line = 0; line < kRowTexts; ++line)
        text(cx, cy + 32 * k * float(line - 2), rt_quzo_QUZO_Cred[row + line]);

    // 7. The ticker: the headings of the coming rows, fading out, round past the list's end.
    rt_quzo_ResetDraw();
    rt_quzo_SetSize(0.25f);
    for (int n = 0; n <= 16; ++n) {
        rt_quzo_Alpha(0.8f - 0.05f * float(n));
        text(8, float(h - 192 + 12 * n), rt_quzo_QUZO_Cred[(row + kRowTexts * n) % creds], 0, 1);
    }

    // 8. Statistics: games finished, and the size of the last render.
    rt_quzo_ResetDraw();
    rt_quzo_SetSize(0.5f);
    text(float(w - 4), 4, String("Plays : ") + String(rt_quzo_QUZO_Set[settings::kFinishedGames]),
         2, 0);
    text(float(w - 4), 26, String(rt_quzo_RealW) + String(":") + String(rt_quzo_RealH), 2, 0);
    return 0;
}

int rt_quzo_EnterName() {
    const int millis = rt_app_Millisecs();
    const int w = rt_quzo_jscrw, h = rt_quzo_jscrh;
    int* name = rt_quzo_QUZO_Username.Data();
    // The cursor's element is shared with the options screen: a value that is no slot of the
    // name (which would index past the name) starts at the first slot.
    int& cursor = rt_quzo_QUZO_MenuPos[kNameCursor];
    if (cursor < 0 || cursor >= kNameSlots) cursor = 0;

    // 1.
    background(millis);

    // 2. The lock clears once nothing of this screen is held.
    if (!anyHeld({kSelect, kBack, kButton3, kButton4, kControlPause, kControlUp, kControlLeft,
                  kControlRight, kControlDown})) {
        rt_quzo_kdis[kNameEntryLock] = 0;
    }

    // 3.
    rt_quzo_SetSize(1.25f);
    text(float(w / 2), float(h / 2 - 128), "Enter Your Name");

    // 4. The slots; the one under the cursor is raised and carries the two step arrows.
    bool nextPressed = false, previousPressed = false;
    const int font = rt_quzo_QUZO_Font;
    for (int i = 0; i < kNameSlots; ++i) {
        const float x = float(w / 2 - 192 + 32 * i);
        const float y = float(h / 2) - (i == cursor ? 8 : 0);
        if (i == cursor) {
            rt_quzo_SetCol(100, 200, 100, 0.75f);
        } else {
            rt_quzo_SetCol(180, 100, 0, 0.5f);
        }
        rt_quzo_Rect(x - 16, y - 16, 30, 30);
        rt_quzo_SetSize(1);
        if (rt_quzo_mdAll > 0 && rt_quzo_MouseIn(x - 16, y - 16, 30, 30) != 0) cursor = i;

        if (font >= 1 && font <= 99) {
            const int v = name[i];
            rt_quzo_SetCol(255, 255, 255, 1);
            rt_quzo_DrawImg(font, x + 8, y - 8, v < 0 || v > kLastGlyph ? 0 : v);
        }

        if (i == cursor) {
            rt_quzo_SetRot(90);
            text(x, y - 60, ">");
            text(x, y + 60, "<");
            if (rt_quzo_kdis[kNameEntryLock] == 0) {
                if (rt_quzo_MouseIn_Centered(x - 8, y - 60, 64, 40) != 0) nextPressed = true;
                if (rt_quzo_MouseIn_Centered(x - 8, y + 60, 64, 40) != 0) previousPressed = true;
            }
            rt_quzo_SetRot(0);
        }
    }

    // 5. Stepping the character: at once, again after 30 updates, after 15 more, then every
    // 2 updates while held. Down wins over up.
    int& timer = rt_quzo_kdis[kNameRepeatTimer];
    int& delay = rt_quzo_kdis[kNameRepeatDelay];
    timer = std::max(0, timer - 1);
    const bool down = held(kControlDown) || previousPressed;
    const bool up = held(kControlUp) || nextPressed;
    if (!down && !up) {
        timer = 0;
        delay = kFirstRepeatDelay;
    } else if (timer == 0) {
        int& v = name[cursor];
        v = down ? previousNameChar(v) : nextNameChar(v);
        timer = delay;
        delay = std::max(kFastestRepeat, delay - kRepeatSpeedUp);
        rt_quzo_PlaySFX(kMoveSound);
    }

    // 6. Moving and editing, once per press.
    if (rt_quzo_kdis[kNameEntryLock] == 0) {
        bool acted = true, wrap = true;
        if (held(kControlLeft)) {
            --cursor;
        } else if (held(kControlRight)) {
            ++cursor;
        } else if (held(kBack)) {
            // Rubbing out: the slot becomes a space and the cursor steps back, stopping at
            // the first slot.
            name[cursor] = kSpace;
            cursor = std::max(0, cursor - 1);
            wrap = false;
        } else if (held(kSelect) && !enterKeyDown()) {
            // Extending: an empty next slot takes the character, ready to be stepped.
            const int c = name[cursor];
            cursor = std::min(kNameSlots - 1, cursor + 1);
            int& next = name[cursor];
            if (next == kSpace) next = c;
        } else {
            acted = wrap = false;
        }
        if (acted) {
            rt_quzo_kdis[kNameEntryLock] = 1;
            rt_quzo_PlaySFX(kMoveSound);
        }
        if (wrap) {
            if (cursor < 0) cursor = kNameSlots - 1;
            if (cursor > kNameSlots - 1) cursor = 0;
        }
    }

    // 7. The finish icon, with the button that finishes beneath it; the button's picture
    // changes between its two forms every second.
    rt_quzo_ResetDraw();
    rt_quzo_SetSize(0.75f);
    rt_quzo_DrawImg(kIconSlot, 48, 38, kFinishFrame);
    const float side = rt_quzo_QUZO_ImgW[kIconSlot] * 0.75f;
    const bool finishPressed =
        rt_quzo_mdAll > 0 && rt_quzo_MouseIn_Centered(48, 38, side, side) != 0;
    rt_quzo_KeyPadMouse = millis % 2000 < 1000 ? 1 : 0;
    rt_quzo_SetSize(0.5f);
    text(48, 84, "Finish");
    static const String finishButton = String::FromChar(172) + String("I");
    text(48, 66, finishButton);

    // 8. Finishing saves the name and asks for the scores to be sent.
    if (rt_quzo_kdis[kNameEntryLock] == 0 &&
        (held(kButton4) || held(kControlPause) || enterKeyDown() || finishPressed)) {
        rt_quzo_QUZO_ForceSend = 1;
        rt_quzo_QUZO_OptCred = kOverlayNone;
        rt_quzo_PlaySFX(kChooseSound);
        lockAll();
        rt_quzo_Save();
    }
    return 0;
}
