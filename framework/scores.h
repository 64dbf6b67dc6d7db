// Local score tables, the score panel and the in-game score line.
//
// rt_quzo_QUZO_Score holds 500 rows of 20 columns; row g belongs to game type g (rows 1 ...
// rt_quzo_QUZO_Levels are used). Columns 0 ... 4 are the five best scores, best first;
// 5 ... 9 the last five finished games, the most recent first; 10 is an extra value sent
// beside the best score and otherwise only stored; 11 ... 19 are reserved. The online top five
// (rt_quzo_QUZO_OnScore, rt_quzo_QUZO_OnName) use the same rows. The globals live in
// framework/quzo.h; the table is saved with the settings (framework/persistence.h).
#pragma once

#include "runtime/string.h"

// Enters the finished game's score (element 50 of the player pool) into the table of
// rt_quzo_QUZO_GameType: the five best (a score equal to an entry goes below it) and the
// recent games, whatever its rank. Sets rt_quzo_QUZO_LastPlay and rt_quzo_QUZO_LastRank
// (0 ... 4, or -1 outside the five best), counts the game in settings element 5, calls
// sendScores(0) when the new count is one more than a multiple of 5 or the score is a new
// best (a null sender sends nothing), and saves the state. Returns 0.
int rt_quzo_AddScore(int (*sendScores)(int mode));

// Draws the score panel at (x, y) for the game type highlighted in the main menu's
// difficulty list (rt_quzo_QUZO_MenuPos element 2, plus 1): the five best with the last
// game's entry wobbling, a chart of the recent games scaled to the best score, and, while an
// online table is held, the mirrored online panel at the other side of the screen. Returns 0.
int rt_quzo_Draw_Scoreboard(float x, float y);

// Draws the in-game score line across the top of the screen: one column per player (player
// 1, and players 2 ... 5 where p2 ... p5 are above 0), each with its score and, in mode 1, up
// to three life icons. Nothing in screenshot mode. Returns 0.
int rt_quzo_ShowScores(int mode, int ignored, int p2, int p3, int p4, int p5);

namespace hexwend::framework::scores {

constexpr int kRowLength = 20;
constexpr int kRows = 500;
constexpr int kBestColumns = 5;
constexpr int kFirstRecentColumn = 5;
constexpr int kRecentColumns = 5;
// The element of the player pool that holds player 1's final score.
constexpr int kFinalScoreElement = 50;

// Image slots the panel and the score line draw.
constexpr int kPanelSlot = 82;
constexpr int kStarsSlot = 74;
constexpr int kIconsSlot = 90;
constexpr int kLifeFrame = 8;

// A number right-aligned in eight characters, filled with spaces on the left; a number of
// more than eight characters shows only its last eight.
String rightAligned(int value);

} // namespace hexwend::framework::scores
