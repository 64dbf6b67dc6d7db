// The options screen, the pause menu and three small framework switches.
//
// The options screen is a vertical list of setting rows, each run by one row widget
// (rt_quzo_Option): a label, an icon and one element of the settings array edited as an
// on/off switch, a two-way choice or a 0 ... 10 slider. The list scrolls with momentum under
// a dragged pointer and follows the highlighted row under the keys. Its state lives in
// rt_quzo_QUZO_MenuPos: 46 scroll velocity, 47 scroll target (the y the first row moves
// toward), 48 the first row's y as drawn, 49 the highlighted row (0 is "Back").
//
// The pause menu runs while play is paused: a column of three icons (quit, resume, options)
// that slides in from the left edge and hides itself after ten idle seconds, beside a small
// toy, a ring of paddle segments turned with the main axis to keep a bouncing ball inside.
// Its state: rt_quzo_QUZO_MenuPos 40 the selected icon, 41 the column's x, 42 the idle
// counter, 43 the turning options icon's angle; the toy's values in rt_quzo_paused.
//
// Locks in rt_quzo_kdis: 1 the pause menu's move and choose lock; 30 the options' choose
// lock, 31 left/right, 32 up/down, 33 and 34 the pointer (34 is also -1 while the list is
// dragged and -2 while a slider is pressed), 38 leaving; 47 is 1 while a fast drag keeps the
// list from following the highlight.
#pragma once

#include "runtime/string.h"

// Draws and runs one row of the options list at y: the settings element `setting` edited
// within lo ... hi (0 ... 1 a switch whose texts `style` picks, 0 ... 10 a slider; 0 ... 0 a
// row without a value), with the icon frame `icon` and the label. Returns 1 when the row is
// chosen by the select keys (or, for row 0, by a press on it while it is highlighted),
// else 0.
int rt_quzo_Option(int y, int setting, int row, int icon, String label, int lo, int hi, int style);

// One update of the options screen, while rt_quzo_QUZO_OptCred is 1. Leaving it (by "Back"
// or a back key) closes the overlay and saves the settings. Returns 0.
int rt_quzo_Options();

// One update of the pause menu, while play is paused. Returns 0.
int rt_quzo_Pause_Menu();

// Switches between a full-screen window of the desktop size and the default 640 x 480
// window. Returns 0.
int rt_quzo_FullscreenFlip();

// Whether the main menu offers "Quit". Returns 0.
int rt_quzo_ShowQuitButton(int v);

// Settings accessor: for index 0 ... 249, value -3717 reads the element, any other value is
// stored and returned; other indexes return 0.
int rt_quzo_SetSet(int index, int value);

namespace hexwend::framework {

// The value of rt_quzo_SetSet that reads instead of writing.
constexpr int kSetSetRead = -3717;

// rt_quzo_QUZO_MenuPos elements of the options screen.
constexpr int kOptionsVelocity = 46;
constexpr int kOptionsTarget = 47;
constexpr int kOptionsFirstY = 48;
constexpr int kOptionsHighlight = 49;

// rt_quzo_QUZO_MenuPos elements of the pause menu (the selection's values: 0 quit,
// 1 resume, 2 options).
constexpr int kPauseMenuSelection = 40;
constexpr int kPauseMenuColumnX = 41;
constexpr int kPauseMenuIdle = 42;
constexpr int kPauseMenuIconAngle = 43;

// The pause toy's values in rt_quzo_paused.
constexpr int kToyRingAngle = 0;
constexpr int kToyBallX = 1;
constexpr int kToyBallY = 2;
constexpr int kToyBallVX = 3;
constexpr int kToyBallVY = 4;
constexpr int kToySpeed = 5;
constexpr int kToyCooldown = 6;
constexpr int kToyMomentum = 7;
constexpr int kToyHits = 8;
constexpr int kToyBest = 9;
// Hit k (1 ... kToyMaxHits) keeps its angle, drift factor and colour offset at 5k + 10 ...
constexpr int kToyMaxHits = 899;
constexpr int toyHitElement(int k) {
    return 5 * k + 10;
}

// The idle updates after which the pause menu's column slides out.
constexpr int kPauseMenuHideAfter = 581;

} // namespace hexwend::framework
