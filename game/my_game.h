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

    // The main menu's lists. Each draws its entries as text buttons, moves its highlight by
    // pointer or keys and acts on a chosen entry; a press acts once until it is released.
    //
    // The main list with the name entry, and without it.
    int p_Menu_A_Plus();
    int p_Menu_A();
    // A vertical list of items (the difficulties); the chosen entry counted from 1, or -1.
    int p_Menu_Basic(Array<String> items);
    // One text button: text starting at x, centred on y, with "> " before it in state 1 and
    // nothing drawn in any state but 0 and 1. 1 while a pointer is held inside its box of
    // the text's width and height - 8, else 0.
    int p_TBut(float x, float y, String text, int state, int height);
    // The same with the height 48.
    int p_TBut2(float x, float y, String text, int state);
};

namespace hexwend::game {

// Adds the module initialisations of the game and of every layer below it to the runtime
// start-up, in order.
void registerModules();

} // namespace hexwend::game
