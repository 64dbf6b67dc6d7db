// The game's application class.
#pragma once

#include "app/app.h"

class c_MyGame : public c_App {
  public:
    c_MyGame* m_new();

    int p_OnCreate() override;
    // Returning after a suspension allows the scores to be sent again.
    int p_OnResume() override;
    // One update: the framework's housekeeping, then the work of the current mode or the
    // open overlay, then publishing the drawing.
    int p_OnUpdate() override;
    // Replays the drawing of the last update.
    int p_OnRender() override;

    // The game's own work, called by the update as the mode asks. Virtual so that a
    // subclass (a test) can watch or replace it.
    //
    // Sends the scores while the send flag is set (mode 0 as the update passes it).
    virtual int p_SendScores(int mode);
    // One step of loading the assets, while rt_quzo_QUZO_Loader > 0.
    virtual int p_LoadScreen();
    // Mode 0, the main menu.
    virtual int p_MainMenu();
    // Mode 1, the one update that returns from a game to the menu.
    virtual int p_GotoMenu();
    // Mode 11, the one update that starts a game.
    virtual int p_GotoGame();
    // Mode 10, one update of play.
    virtual int p_Game();
};

namespace hexwend::game {

// Adds the module initialisations of the game and of every layer below it to the runtime
// start-up, in order.
void registerModules();

} // namespace hexwend::game
