// The credits screen and the name-entry screen, two of the framework's full-screen overlays.
//
// The credits are a list of rows of five texts (a heading and four lines) in
// rt_quzo_QUZO_Cred. The screen shows one row at a time: a phase angle
// (rt_quzo_QUZO_CredTickA) turns once per row, and as its sine rises a set of spinning circles
// opens and the row grows out of them; at the phase's lowest point everything has shrunk away
// and the next row (rt_quzo_QUZO_CredTickB, the index of its heading) takes over. A fading
// ticker lists the headings of the rows to come. The last row of the list is never shown as
// the current row (the game ends its list with an empty one).
//
// The name entry spells the player's name (rt_quzo_QUZO_Username, each element a character
// code minus 32) in 13 slots with directions and buttons only: up and down step the character
// under the cursor through the character set, left and right move the cursor, and finishing
// saves the state record and asks for the scores to be sent.
//
// Both run while rt_quzo_QUZO_OptCred is 2 (credits) or 3 (name entry) and leave by setting it
// to 0. The globals live in framework/quzo.h.
#pragma once

#include "framework/settings.h"
#include "runtime/string.h"

// Stores one credit row (texts rt_quzo_QUZO_Creds ... +4) and counts it. A row that no longer
// fits in rt_quzo_QUZO_Cred is ignored. Returns 0.
int rt_quzo_AddCredit(String heading, String line1, String line2, String line3, String line4);

// Adds the framework's thirteen credit rows. Returns 0.
int rt_quzo_DefaultCredits();

// One update of the credits screen: the phase, the background, leaving (any select or back
// control or a pointer, once everything held when the screen opened has been released), the
// header, the circles, the current row, the ticker and two lines of statistics. Returns 0.
int rt_quzo_Credits();

// One update of the name-entry screen. Returns 0.
int rt_quzo_EnterName();

namespace hexwend::framework {

// rt_quzo_QUZO_MenuPos element of the name entry's cursor (0 ... 12).
constexpr int kNameCursor = 47;
// Slots of the name that the screen edits.
constexpr int kNameSlots = 13;

// rt_quzo_kdis elements: the name entry's move and finish lock (the menus' lock), its repeat
// timer and repeat delay, and the credits' leave lock.
constexpr int kNameEntryLock = locks::kMenu;
constexpr int kNameRepeatTimer = 1;
constexpr int kNameRepeatDelay = 2;
constexpr int kCreditsLeaveLock = 38;

// The phase of the credits stays within this range; one turn is one row.
constexpr int kCreditsPhaseTop = 270;

// The name entry's character steps over codes minus 32: up runs through the letters and the
// signs after them and back to "A", down from a space through the digits and the signs before
// them, then from "~" down to "@" and back to the space. A value outside 0 ... 94 (no
// character of the set) steps as a space does.
int nextNameChar(int v);
int previousNameChar(int v);

} // namespace hexwend::framework
