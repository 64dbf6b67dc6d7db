#include "game/my_game.h"

#include "framework/quzo.h"
#include "host/rt_game.h"

c_MyGame* c_MyGame::m_new() {
    c_App::m_new();
    return this;
}

int c_MyGame::p_OnCreate() {
    rt_app_SetUpdateRate(60);
    return 0;
}

int rtMain() {
    (new c_MyGame())->m_new();
    return 0;
}

namespace hexwend::game {

void registerModules() {
    hexwend::framework::registerModules();
}

} // namespace hexwend::game
