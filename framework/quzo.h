// The game framework: every module global of the framework, its module initialisation, and
// (through the headers included at the end) the functions of each of its subjects.
//
// All framework and game state lives in these globals; most of them are fixed-size collected
// arrays created once by rt_quzo_Init and never resized. rt_quzo_Init runs as part of rtInit,
// so running the start-up again resets the whole framework.
#pragma once

#include "runtime/gc.h"
#include "runtime/string.h"

class c_Image;
class c_Sound;

// --- Virtual screen and sprite buffer ----------------------------------------------------

extern int rt_quzo_QUZO_TargetSize; // virtual length of the longer window side (800)
extern float rt_quzo_QUZO_Scale;    // window pixels per virtual pixel
extern int rt_quzo_jscrw;           // virtual screen width
extern int rt_quzo_jscrh;           // virtual screen height
extern int rt_quzo_RealW;
extern int rt_quzo_RealH;
extern int rt_quzo_WRealW;
extern int rt_quzo_WRealH;
extern int rt_quzo_QUZO_Orientation; // 1 when the last virtual screen was taller than wide
extern int rt_quzo_overscan;

extern Array<float>
    rt_quzo_QUZO_DrawStyle;            // 50 floats: colour, alpha, size, rotation, skew, background
extern Array<float> rt_quzo_QUZO_Draw; // the draw list of the current update (records of 20)
extern int rt_quzo_Sprtup;             // records in the draw list
extern Array<float> rt_quzo_QUZO_Buffer; // the published render buffer
extern int rt_quzo_Bufferup;             // records in the render buffer
extern Array<float> rt_quzo_QUZO_Data;   // frame statistics

extern Array<c_Image*> rt_quzo_QUZO_Img; // image slots
extern Array<float> rt_quzo_QUZO_ImgW;   // frame width per slot
extern Array<float> rt_quzo_QUZO_ImgH;   // frame height per slot
extern Array<int> rt_quzo_QUZO_ImgD;     // frame count per slot

extern float rt_quzo_scrx; // camera
extern float rt_quzo_scry;
extern float rt_quzo_aimx;
extern float rt_quzo_aimy;
extern float rt_quzo_QUZO_ScrollX;
extern float rt_quzo_QUZO_ScrollY;

// --- Bitmap text -------------------------------------------------------------------------

extern int rt_quzo_QUZO_Font;            // image slot of the current font; 0 = none
extern Array<int> rt_quzo_QUZO_FontKern; // advance widths of the characters 32 ... 143
extern int rt_quzo_KeyPadMouse;          // button icon set of the text escapes

// --- Sound effects and music -------------------------------------------------------------

extern Array<c_Sound*> rt_quzo_QUZO_SFX;
extern int rt_quzo_QUZO_LChan;
extern int rt_quzo_QUZO_MusicPlaying;
extern String rt_quzo_QUZO_LastTune;

// --- Controls ----------------------------------------------------------------------------

extern Array<float> rt_quzo_QUZO_Touch;   // ten touch slots and the primary pointer
extern Array<float> rt_quzo_QUZO_Control; // five control blocks of 100
extern Array<int> rt_quzo_kdis;           // key locks
extern Array<int> rt_quzo_mdis;           // pointer locks
extern Array<int> rt_quzo_Joy_Disable;    // joypads switched off
extern int rt_quzo_mdAll;
extern int rt_quzo_mx;
extern int rt_quzo_my;
extern int rt_quzo_mwx;
extern int rt_quzo_mwy;
extern int rt_quzo_msx;
extern int rt_quzo_msy;
extern int rt_quzo_mPadcx;
extern int rt_quzo_mPadcy;
extern float rt_quzo_mPadx;
extern float rt_quzo_mPady;
extern int rt_quzo_QUZO_AllowMouseControl;
extern int rt_quzo_QUZO_MixControls;
extern int rt_quzo_isOuya;

// --- Particles, stars and pools ----------------------------------------------------------

extern Array<float> rt_quzo_grid;
extern Array<float> rt_quzo_plr;
extern Array<float> rt_quzo_obj;
extern Array<float> rt_quzo_part;
extern Array<float> rt_quzo_astar;
extern int rt_quzo_QUZO_Partto;
extern int rt_quzo_QUZO_Seed;

// --- Frame flow and game modes -----------------------------------------------------------

extern int rt_quzo_QUZO_Loader;
extern int rt_quzo_QUZO_GameMode;
extern int rt_quzo_QUZO_GameType;
extern int rt_quzo_QUZO_OptCred;
extern int rt_quzo_QUZO_Paused;
extern int rt_quzo_QUZO_EndofGame;
extern int rt_quzo_QUZO_EndReason;
extern int rt_quzo_QUZO_DebugMode;
extern int rt_quzo_QUZO_ScreenshotMode;
extern int rt_quzo_HasQuit;
extern Array<int> rt_quzo_QUZO_MenuPos;
extern Array<float> rt_quzo_paused; // the pause menu's working values

// --- Options -----------------------------------------------------------------------------

extern int rt_quzo_QUZO_Fullscreen;

// --- Settings, identity and persistence --------------------------------------------------

extern Array<int> rt_quzo_QUZO_Set;
extern Array<int> rt_quzo_QUZO_Username;
extern int rt_quzo_QUZO_UserIDA;
extern int rt_quzo_QUZO_UserIDB;
extern int rt_quzo_QUZO_GameNum;
extern int rt_quzo_QUZO_AllowName;

// --- Local score tables ------------------------------------------------------------------

extern Array<int> rt_quzo_QUZO_Score;
extern int rt_quzo_QUZO_LastPlay;
extern int rt_quzo_QUZO_LastRank;
extern int rt_quzo_QUZO_OnlineBoard;
extern Array<int> rt_quzo_QUZO_OnScore;
extern Array<String> rt_quzo_QUZO_OnName;

// --- Online leaderboard ------------------------------------------------------------------

extern int rt_quzo_QUZO_CanSend;
extern int rt_quzo_QUZO_ForceSend;
extern int rt_quzo_QUZO_WebQueue;
extern String rt_quzo_QUZO_WebReceived;
extern String rt_quzo_QUZO_Keyword;
extern Array<int> rt_quzo_QUZO_Scramble;
extern int rt_quzo_QUZO_GameVersion;
extern int rt_quzo_QUZO_Levels;

// --- Credits and name entry --------------------------------------------------------------

extern Array<String> rt_quzo_QUZO_Cred;
extern int rt_quzo_QUZO_Creds;
extern int rt_quzo_QUZO_CredTickA;
extern int rt_quzo_QUZO_CredTickB;

// --- Start-up ----------------------------------------------------------------------------

// Gives every framework global its default (arrays are created anew at their sizes) and
// registers the globals that hold objects or arrays as collector roots.
int rt_quzo_Init();

namespace hexwend::framework {

// Adds the module initialisations of the layers below the framework and then the framework's
// own to the runtime start-up (rtAddModuleInit), in order.
void registerModules();

} // namespace hexwend::framework

// --- The framework's subjects ------------------------------------------------------------

#include "framework/settings.h"
#include "framework/sprites.h"
#include "framework/text.h"
#include "framework/sfx.h"
#include "framework/controls.h"
#include "framework/particles.h"
#include "framework/flow.h"
#include "framework/options.h"
#include "framework/persistence.h"
#include "framework/scores.h"
#include "framework/leaderboard.h"
#include "framework/credits.h"
