// The hexwend executable.
#include "game/my_game.h"
#include "host/rt_game.h"

int main(int argc, char** argv) {
    hexwend::game::registerModules();
    RtVorpixGame::Main(argc, const_cast<const char**>(argv));
    return 0;
}
