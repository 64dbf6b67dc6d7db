#include "game/my_game.h"

#include "framework/quzo.h"
#include "host/rt_game.h"
#include "net/thread.h"

using namespace hexwend::framework;

c_MyGame* c_MyGame::m_new() {
    c_App::m_new();
    return this;
}

void c_MyGame::mark() {
    c_App::mark();
    gc_mark_q(m_request);
}

bool c_MyGame::forcedSendDue() const {
    if (!lastRequestMs_) return true;
    const int since = rt_app_Millisecs() - *lastRequestMs_;
    // A clock that went back (a host started afresh) does not hold sending up.
    return since >= hexwend::game::kForcedSendGapMs || since < 0;
}

int c_MyGame::p_OnResume() {
    rt_quzo_QUZO_CanSend = 1;
    return 0;
}

int c_MyGame::p_OnUpdate() {
    // 1. While the send flag is set, the scores go out again, but not sooner than
    // kForcedSendGapMs after the last request: sending again the moment each reply arrives
    // would keep one request after another going to the server for as long as the game runs.
    if (rt_quzo_QUZO_ForceSend == 1 && forcedSendDue()) p_SendScores(0);

    // 2. A fresh draw list with the default style.
    rt_quzo_Sprtup = 0;
    rt_quzo_ResetDraw();

    // 3.
    rt_quzo_UpdateWorld();

    // 4. One loading step while the assets load.
    if (rt_quzo_QUZO_Loader > 0) p_LoadScreen();

    // 5. Once loaded (also when the step above has just finished), the mode's work unless
    // an overlay is open, then the overlays.
    if (rt_quzo_QUZO_Loader == 0) {
        // The main menu slides in afresh whenever mode 0 returns.
        if (rt_quzo_QUZO_GameMode != kModeMainMenu) rt_quzo_QUZO_MenuPos[10] = -64;

        if (rt_quzo_QUZO_OptCred == kOverlayNone) {
            switch (rt_quzo_QUZO_GameMode) {
            case kModeMainMenu:
                p_MainMenu();
                break;
            case kModeToMenu:
                p_GotoMenu();
                break;
            case kModePlaying:
                // The game keeps running through its end sequence, even if it was paused.
                if (rt_quzo_QUZO_EndofGame > 0) {
                    rt_quzo_QUZO_Paused = 0;
                    p_Game();
                } else if (rt_quzo_QUZO_Paused == 0) {
                    p_Game();
                }
                rt_quzo_InGame();
                break;
            case kModeToGame:
                p_GotoGame();
                break;
            default:
                break;
            }
            // The end-of-game overlay outlives the game: it runs on over the menu.
            if (rt_quzo_QUZO_EndofGame > 0) rt_quzo_GameOver();
        }
        runOverlays();
    }

    // 6. Particles, then the drawing is published for the renders.
    rt_quzo_Buffer();

    // 7. Finished network operations are delivered here, after all of the update's work
    // (the score replies among them), unless this update runs inside a dispatch pass.
    if (!rt_asyncevent__current) rt_asyncevent_UpdateAsyncEvents();
    return 0;
}

int c_MyGame::p_OnRender() {
    rt_quzo_RenderWorld();
    return 0;
}

// --- The game's own work -----------------------------------------------------------------
//
// Creation, loading, the score sending and the transitions into and out of a game are in
// game/setup.cpp, the main menu and its lists in game/menus.cpp, the play in game/field.cpp.

int rtMain() {
    (new c_MyGame())->m_new();
    return 0;
}

namespace hexwend::game {

void registerModules() {
    hexwend::framework::registerModules();
}

} // namespace hexwend::game
