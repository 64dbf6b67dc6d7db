// The game's application class.
#pragma once

#include "app/app.h"

class c_MyGame : public c_App {
  public:
    c_MyGame* m_new();

    int p_OnCreate() override;
};

namespace hexwend::game {

// Adds the module initialisations of the game and of every layer below it to the runtime
// start-up, in order.
void registerModules();

} // namespace hexwend::game
