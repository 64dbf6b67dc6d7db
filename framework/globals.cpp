// The framework's module globals and their start-up values.
#include "framework/quzo.h"

#include "app/app.h"
#include "audio/sound.h"
#include "graphics/graphics.h"
#include "net/thread.h"
#include "runtime/init.h"

// --- Virtual screen and sprite buffer ----------------------------------------------------

int rt_quzo_QUZO_TargetSize;
float rt_quzo_QUZO_Scale;
int rt_quzo_jscrw;
int rt_quzo_jscrh;
int rt_quzo_RealW;
int rt_quzo_RealH;
int rt_quzo_WRealW;
int rt_quzo_WRealH;
int rt_quzo_QUZO_Orientation;
int rt_quzo_overscan;

Array<float> rt_quzo_QUZO_DrawStyle;
Array<float> rt_quzo_QUZO_Draw;
int rt_quzo_Sprtup;
Array<float> rt_quzo_QUZO_Buffer;
int rt_quzo_Bufferup;
Array<float> rt_quzo_QUZO_Data;

Array<c_Image*> rt_quzo_QUZO_Img;
Array<float> rt_quzo_QUZO_ImgW;
Array<float> rt_quzo_QUZO_ImgH;
Array<int> rt_quzo_QUZO_ImgD;

float rt_quzo_scrx;
float rt_quzo_scry;
float rt_quzo_aimx;
float rt_quzo_aimy;
float rt_quzo_QUZO_ScrollX;
float rt_quzo_QUZO_ScrollY;

// --- Bitmap text -------------------------------------------------------------------------

int rt_quzo_QUZO_Font;
Array<int> rt_quzo_QUZO_FontKern;
int rt_quzo_KeyPadMouse;

// --- Sound effects and music -------------------------------------------------------------

Array<c_Sound*> rt_quzo_QUZO_SFX;
int rt_quzo_QUZO_LChan;
int rt_quzo_QUZO_MusicPlaying;
String rt_quzo_QUZO_LastTune;

// --- Controls ----------------------------------------------------------------------------

Array<float> rt_quzo_QUZO_Touch;
Array<float> rt_quzo_QUZO_Control;
Array<int> rt_quzo_kdis;
Array<int> rt_quzo_mdis;
Array<int> rt_quzo_Joy_Disable;
int rt_quzo_mdAll;
int rt_quzo_mx;
int rt_quzo_my;
int rt_quzo_mwx;
int rt_quzo_mwy;
int rt_quzo_msx;
int rt_quzo_msy;
int rt_quzo_mPadcx;
int rt_quzo_mPadcy;
float rt_quzo_mPadx;
float rt_quzo_mPady;
int rt_quzo_QUZO_AllowMouseControl;
int rt_quzo_QUZO_MixControls;
int rt_quzo_isOuya;

// --- Particles, stars and pools ----------------------------------------------------------

Array<float> rt_quzo_grid;
Array<float> rt_quzo_plr;
Array<float> rt_quzo_obj;
Array<float> rt_quzo_part;
Array<float> rt_quzo_astar;
int rt_quzo_QUZO_Partto;
int rt_quzo_QUZO_Seed;

// --- Frame flow and game modes -----------------------------------------------------------

int rt_quzo_QUZO_Loader;
int rt_quzo_QUZO_GameMode;
int rt_quzo_QUZO_GameType;
int rt_quzo_QUZO_OptCred;
int rt_quzo_QUZO_Paused;
int rt_quzo_QUZO_EndofGame;
int rt_quzo_QUZO_EndReason;
int rt_quzo_QUZO_DebugMode;
int rt_quzo_QUZO_ScreenshotMode;
int rt_quzo_HasQuit;
Array<int> rt_quzo_QUZO_MenuPos;
Array<float> rt_quzo_paused;

// --- Options -----------------------------------------------------------------------------

int rt_quzo_QUZO_Fullscreen;

// --- Settings, identity and persistence --------------------------------------------------

Array<int> rt_quzo_QUZO_Set;
Array<int> rt_quzo_QUZO_Username;
int rt_quzo_QUZO_UserIDA;
int rt_quzo_QUZO_UserIDB;
int rt_quzo_QUZO_GameNum;
int rt_quzo_QUZO_AllowName;

// --- Local score tables ------------------------------------------------------------------

Array<int> rt_quzo_QUZO_Score;
int rt_quzo_QUZO_LastPlay;
int rt_quzo_QUZO_LastRank;
int rt_quzo_QUZO_OnlineBoard;
Array<int> rt_quzo_QUZO_OnScore;
Array<String> rt_quzo_QUZO_OnName;

// --- Online leaderboard ------------------------------------------------------------------

int rt_quzo_QUZO_CanSend;
int rt_quzo_QUZO_ForceSend;
int rt_quzo_QUZO_WebQueue;
String rt_quzo_QUZO_WebReceived;
String rt_quzo_QUZO_Keyword;
Array<int> rt_quzo_QUZO_Scramble;
int rt_quzo_QUZO_GameVersion;
int rt_quzo_QUZO_Levels;

// --- Credits and name entry --------------------------------------------------------------

Array<String> rt_quzo_QUZO_Cred;
int rt_quzo_QUZO_Creds;
int rt_quzo_QUZO_CredTickA;
int rt_quzo_QUZO_CredTickB;

// --- Start-up ----------------------------------------------------------------------------

namespace {

// Advance widths in font pixels of the characters 32 ... 143: 22 for every printable ASCII
// character except the narrow and wide ones below; 0 beyond the tilde.
void fillFontKern(Array<int> kern) {
    for (int c = 32; c <= 143; ++c) kern[c - 32] = c <= 126 ? 22 : 0;
    struct Width {
        char c;
        int advance;
    };
    static constexpr Width kWidths[] = {
        {' ', 24}, {'!', 9},  {'"', 17}, {'\'', 9}, {'(', 15}, {')', 15}, {'*', 23},
        {',', 9},  {'.', 9},  {':', 9},  {';', 9},  {'[', 15}, {']', 15}, {'`', 9},
        {'i', 11}, {'j', 18}, {'l', 9},  {'{', 18}, {'}', 18}, {'|', 9},
    };
    for (const Width& w : kWidths) kern[w.c - 32] = w.advance;
}

template <class T> void newArray(Array<T>& global, int length) {
    gc_assign(global, Array<T>(length));
}

} // namespace

int rt_quzo_Init() {
    // Numbers and flags.
    rt_quzo_QUZO_GameNum = 0;
    rt_quzo_QUZO_AllowName = 0;
    rt_quzo_HasQuit = 0;
    rt_quzo_isOuya = 0;
    rt_quzo_Sprtup = 0;
    rt_quzo_QUZO_GameMode = 0;
    rt_quzo_QUZO_UserIDA = 0;
    rt_quzo_QUZO_UserIDB = 0;
    rt_quzo_QUZO_DebugMode = 0;
    rt_quzo_QUZO_ScreenshotMode = 0;
    rt_quzo_QUZO_OptCred = 0;
    rt_quzo_QUZO_EndofGame = 0;
    rt_quzo_QUZO_EndReason = 0;
    rt_quzo_QUZO_Creds = 0;
    rt_quzo_QUZO_WebQueue = 0;
    rt_quzo_QUZO_ForceSend = 0;
    rt_quzo_QUZO_Orientation = 0;
    rt_quzo_Bufferup = 0;
    rt_quzo_RealW = 0;
    rt_quzo_RealH = 0;
    rt_quzo_WRealW = 0;
    rt_quzo_WRealH = 0;
    rt_quzo_QUZO_Scale = 0;
    rt_quzo_QUZO_Paused = 0;
    rt_quzo_scrx = 0;
    rt_quzo_scry = 0;
    rt_quzo_aimx = 0;
    rt_quzo_aimy = 0;
    rt_quzo_QUZO_ScrollX = 0;
    rt_quzo_QUZO_ScrollY = 0;
    rt_quzo_QUZO_Fullscreen = 0;
    rt_quzo_mdAll = 0;
    rt_quzo_mx = 0;
    rt_quzo_my = 0;
    rt_quzo_mPadcx = 0;
    rt_quzo_mPadcy = 0;
    rt_quzo_mPadx = 0;
    rt_quzo_mPady = 0;
    rt_quzo_mwx = 0;
    rt_quzo_mwy = 0;
    rt_quzo_msx = 0;
    rt_quzo_msy = 0;
    rt_quzo_QUZO_Font = 0;
    rt_quzo_QUZO_LChan = 0;
    rt_quzo_KeyPadMouse = 0;
    rt_quzo_overscan = 0;
    rt_quzo_QUZO_GameType = 0;
    rt_quzo_QUZO_LastPlay = 0;
    rt_quzo_QUZO_LastRank = 0;
    rt_quzo_QUZO_OnlineBoard = 0;
    rt_quzo_QUZO_MusicPlaying = 0;
    rt_quzo_QUZO_Partto = 0;
    rt_quzo_QUZO_CredTickA = 0;
    rt_quzo_QUZO_CredTickB = 0;

    rt_quzo_QUZO_AllowMouseControl = 1;
    rt_quzo_QUZO_MixControls = 1;
    rt_quzo_QUZO_Loader = 1;
    rt_quzo_QUZO_CanSend = 1;
    rt_quzo_QUZO_GameVersion = 1;
    rt_quzo_QUZO_Levels = 3;
    rt_quzo_QUZO_Seed = 123456;
    rt_quzo_jscrw = 800;
    rt_quzo_QUZO_TargetSize = 800;
    rt_quzo_jscrh = 600;

    // Strings.
    rt_quzo_QUZO_WebReceived = String();
    rt_quzo_QUZO_LastTune = String();
    rt_quzo_QUZO_Keyword = String("Tagline");

    // Arrays, every element 0, null or "".
    newArray(rt_quzo_QUZO_Scramble, 64);
    newArray(rt_quzo_QUZO_DrawStyle, 50);
    newArray(rt_quzo_QUZO_Data, 50);
    newArray(rt_quzo_QUZO_Draw, 150000);
    newArray(rt_quzo_QUZO_Buffer, 150000);
    newArray(rt_quzo_QUZO_Set, 256);
    newArray(rt_quzo_QUZO_Username, 16);
    newArray(rt_quzo_QUZO_Score, 10000);
    newArray(rt_quzo_QUZO_OnScore, 10000);
    newArray(rt_quzo_QUZO_OnName, 10000);
    newArray(rt_quzo_kdis, 50);
    newArray(rt_quzo_mdis, 50);
    newArray(rt_quzo_QUZO_MenuPos, 50);
    newArray(rt_quzo_grid, 5500000);
    newArray(rt_quzo_plr, 1024);
    newArray(rt_quzo_obj, 10240);
    newArray(rt_quzo_part, 2600);
    newArray(rt_quzo_astar, 2600);
    newArray(rt_quzo_QUZO_Cred, 1024);
    newArray(rt_quzo_Joy_Disable, 10);
    newArray(rt_quzo_QUZO_ImgD, 150);
    newArray(rt_quzo_QUZO_ImgW, 150);
    newArray(rt_quzo_QUZO_ImgH, 150);
    newArray(rt_quzo_QUZO_Img, 150);
    newArray(rt_quzo_QUZO_Touch, 128);
    newArray(rt_quzo_QUZO_Control, 500);
    newArray(rt_quzo_QUZO_SFX, 100);
    newArray(rt_quzo_paused, 5200);
    newArray(rt_quzo_QUZO_FontKern, 112);
    fillFontKern(rt_quzo_QUZO_FontKern);

    // Collector roots, in the collector's root order.
    gc_add_root("rt_quzo_QUZO_Scramble", rt_quzo_QUZO_Scramble);
    gc_add_root("rt_quzo_QUZO_DrawStyle", rt_quzo_QUZO_DrawStyle);
    gc_add_root("rt_quzo_QUZO_Draw", rt_quzo_QUZO_Draw);
    gc_add_root("rt_quzo_QUZO_Set", rt_quzo_QUZO_Set);
    gc_add_root("rt_quzo_QUZO_Username", rt_quzo_QUZO_Username);
    gc_add_root("rt_quzo_QUZO_Score", rt_quzo_QUZO_Score);
    gc_add_root("rt_quzo_kdis", rt_quzo_kdis);
    gc_add_root("rt_quzo_mdis", rt_quzo_mdis);
    gc_add_root("rt_quzo_QUZO_MenuPos", rt_quzo_QUZO_MenuPos);
    gc_add_root("rt_quzo_grid", rt_quzo_grid);
    gc_add_root("rt_quzo_plr", rt_quzo_plr);
    gc_add_root("rt_quzo_obj", rt_quzo_obj);
    gc_add_root("rt_quzo_part", rt_quzo_part);
    gc_add_root("rt_quzo_astar", rt_quzo_astar);
    gc_add_root("rt_quzo_QUZO_Cred", rt_quzo_QUZO_Cred);
    gc_add_root("rt_quzo_Joy_Disable", rt_quzo_Joy_Disable);
    gc_add_root("rt_quzo_QUZO_ImgD", rt_quzo_QUZO_ImgD);
    gc_add_root("rt_quzo_QUZO_Data", rt_quzo_QUZO_Data);
    gc_add_root("rt_quzo_QUZO_Buffer", rt_quzo_QUZO_Buffer);
    gc_add_root("rt_quzo_QUZO_Img", rt_quzo_QUZO_Img);
    gc_add_root("rt_quzo_QUZO_Touch", rt_quzo_QUZO_Touch);
    gc_add_root("rt_quzo_QUZO_Control", rt_quzo_QUZO_Control);
    gc_add_root("rt_quzo_QUZO_SFX", rt_quzo_QUZO_SFX);
    gc_add_root("rt_quzo_QUZO_ImgW", rt_quzo_QUZO_ImgW);
    gc_add_root("rt_quzo_QUZO_ImgH", rt_quzo_QUZO_ImgH);
    gc_add_root("rt_quzo_QUZO_FontKern", rt_quzo_QUZO_FontKern);
    gc_add_root("rt_quzo_QUZO_OnScore", rt_quzo_QUZO_OnScore);
    gc_add_root("rt_quzo_QUZO_OnName", rt_quzo_QUZO_OnName);
    gc_add_root("rt_quzo_paused", rt_quzo_paused);
    return 0;
}

namespace hexwend::framework {

void registerModules() {
    hexwend::app::registerModules();
    // The event dispatch that the update pumps, with the sockets and requests behind it.
    hexwend::net::registerModules();
    // The framework draws through the graphics module and plays through the sound module;
    // adding a module that is already there changes nothing.
    rtAddModuleInit(rt_graphics_Init);
    rtAddModuleInit(rt_audio_Init);
    rtAddModuleInit(rt_quzo_Init);
}

} // namespace hexwend::framework
