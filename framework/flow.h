// Frame flow and game modes.
//
// One update of the game runs the framework's housekeeping (rt_quzo_UpdateWorld), then the
// one piece of work the current mode asks for, then publishes the drawing. The mode is a
// handful of int globals (framework/quzo.h):
//
//   rt_quzo_QUZO_Loader     > 0 while assets load (the loading step), 0 once loaded
//   rt_quzo_QUZO_GameMode   0 main menu, 1 return to the menu (one update), 10 playing,
//                           11 start of a game (one update); any other value: no mode work
//   rt_quzo_QUZO_OptCred    the full-screen overlay: 0 none, 1 options, 2 credits, 3 name
//                           entry; while one is open it replaces all mode work
//   rt_quzo_QUZO_Paused     1 while play is paused (forced to 0 outside mode 10)
//   rt_quzo_QUZO_EndofGame  0, or the update count n >= 1 of the end-of-game sequence
//   rt_quzo_QUZO_EndReason  why the game ended: 1 level complete, 2 quit, 3 cuddled, any
//                           other value lost
//
// The game's application class drives the update in this order: the score sending, emptying
// the draw list, rt_quzo_UpdateWorld, one loading step while loading, the mode's work (play
// adds rt_quzo_InGame, and a running end sequence adds rt_quzo_GameOver), the overlays
// (runOverlays), rt_quzo_Buffer, and last the network event dispatch.
#pragma once

// The per-update housekeeping: update counting, leaving the pause outside play, the function
// keys (F1 statistics line, F2 screenshot mode, F11 full screen, F4 ends the program with
// status 0), background colour easing, the pointer and the control blocks, and clamping the
// volume settings (the music volume goes to the audio device). Returns 0.
int rt_quzo_UpdateWorld();

// Pause handling of one update of play, paused or not: the pause control toggles the pause
// once per press (pausing and resuming the music with it), the pause menu runs while paused,
// and while running the pause icon is drawn and a touch near the top-left corner pauses.
// Returns 0.
int rt_quzo_InGame();

// One update of the end-of-game overlay: two triangles and the two words of the end reason
// slide in and out again; the music stops at update 60, effect 96 plays at 70, the mode
// becomes the return to the menu at 90, and after 160 the sequence ends. Returns 0.
int rt_quzo_GameOver();

// Sets the mode, and the game type (difficulty) when type is 0 or more. Returns 0.
int rt_quzo_Goto(int mode, int type);

// Starts the end-of-game sequence with a reason, unless one is already running: the first
// reason wins. Returns 0.
int rt_quzo_EndGame(int reason);

// Clears the game pools and the particles, re-seeds the starfield (and with it the shared
// generator) and ends any end-of-game sequence. Returns 0.
int rt_quzo_FlushGame();

namespace hexwend::framework {

// Values of rt_quzo_QUZO_GameMode.
constexpr int kModeMainMenu = 0;
constexpr int kModeToMenu = 1;
constexpr int kModePlaying = 10;
constexpr int kModeToGame = 11;

// Values of rt_quzo_QUZO_OptCred.
constexpr int kOverlayNone = 0;
constexpr int kOverlayOptions = 1;
constexpr int kOverlayCredits = 2;
constexpr int kOverlayNameEntry = 3;

// Values of rt_quzo_QUZO_EndReason with words of their own.
constexpr int kEndLost = 0;
constexpr int kEndLevelComplete = 1;
constexpr int kEndQuit = 2;
constexpr int kEndCuddled = 3;

// The end-of-game sequence: the music stops, the closing effect plays, the mode returns to
// the menu, and the overlay ends after this many updates.
constexpr int kEndMusicStops = 60;
constexpr int kEndEffect = 70;
constexpr int kEndEffectSlot = 96;
constexpr int kEndToMenu = 90;
constexpr int kEndLast = 160;

// The overlays of one update, each test reading rt_quzo_QUZO_OptCred afresh, so that an
// overlay left in this update can hand over to the next one: options, then credits, then
// name entry. Runs whether or not the mode's work ran. Returns 0.
int runOverlays();

} // namespace hexwend::framework
