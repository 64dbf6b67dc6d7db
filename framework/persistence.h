// Settings, identity and the state record.
//
// Everything that survives a restart lives in framework globals (framework/quzo.h): the
// settings array rt_quzo_QUZO_Set (elements 0 ... 200 persist), the player's name
// rt_quzo_QUZO_Username (16 elements, each a character code minus 32), the user identity
// rt_quzo_QUZO_UserIDA (a date, YYYYMMDD) and rt_quzo_QUZO_UserIDB (a time and a random
// number), and the score table rt_quzo_QUZO_Score. rt_quzo_Save writes them as one line of
// decimal numbers, each followed by "|", through the host's state store:
//
//   "QUZO_v2.0" | 201 settings | S | 16 name elements | UserIDA | UserIDB | U |
//   10000 scores, with a block check after every 32nd score (312 checks; the last 16 scores
//   have none) |
//
// Every group carries a check number keyed by the game number, so that rt_quzo_Load throws
// away only the group that fails: the settings fall back to their defaults, the identity is
// made afresh, or a block of 32 scores becomes 0. A record of another game number brings in
// nothing but its settings (under the defaults).
#pragma once

#include "runtime/string.h"

// Builds the state record and hands it to the host's state store. Stores the game number in
// settings element 6 first. Returns 0.
int rt_quzo_Save();
// Reads the state record from the host's state store and restores what survives its checks;
// whatever is missing or thrown away keeps the defaults and a fresh identity. Returns 0.
int rt_quzo_Load();
// The defaults of the settings with a meaning: volumes 7, both stick inversions on, overscan
// 0 and the frame-rate display off (the console host has no inversion and an overscan of
// 5). Nothing else changes. Returns 0.
int rt_quzo_SetDefaults();
// A fresh user identity from the date, the time and the shared generator (seeded from the
// clock); the name's first four characters become "Name". Returns 0.
int rt_quzo_NewUser();
// The player's display name, always 13 characters; the default name shows as "Enter Name".
String rt_quzo_MyName();
// The user identity as 17 decimal digits: UserIDA in 8, UserIDB in 9.
String rt_quzo_MyUserID();
// 1 lets the player enter a name. Returns 0.
int rt_quzo_AllowName(int allow);
// Seeds the shared generator: 21 generator steps from the seed. The seed -37171650 stands
// for the host's millisecond clock. Returns 0.
int rt_quzo_SeedRnd(int seed);

namespace hexwend::framework::persist {

// The seed that rt_quzo_SeedRnd replaces with the clock.
constexpr int kSeedFromClock = -37171650;

// Sizes of the record's groups.
constexpr int kSettings = 201;
constexpr int kNameLength = 16;
constexpr int kShownNameLength = 13;
constexpr int kScores = 10000;
constexpr int kScoreBlock = 32;

// Positions of the record's elements, split at "|".
constexpr int kSettingsCheckElement = 202;
constexpr int kFirstNameElement = 203;
constexpr int kUserIdAElement = 219;
constexpr int kUserIdBElement = 220;
constexpr int kIdentityCheckElement = 221;
constexpr int kFirstScoreElement = 222;
// The element after the last score: the record's count of elements less the empty one
// after its last "|".
constexpr int kRecordElements = 10534;

// The header that opens every record.
inline constexpr const char* kHeader = "QUZO_v2.0";

// The element at which score m stands: every full block before it adds its check.
constexpr int scoreElement(int m) {
    return kFirstScoreElement + m + m / kScoreBlock;
}

// The state record of the current globals, as rt_quzo_Save hands it to the host (it stores
// the game number in settings element 6 first, as rt_quzo_Save does).
String stateRecord();
// Restores the globals from a record, exactly as rt_quzo_Load does with the host's text.
void loadStateRecord(const String& record);

} // namespace hexwend::framework::persist
