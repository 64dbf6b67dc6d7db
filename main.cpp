// The hexwend executable.
#include "game/my_game.h"
#include "host/rt_game.h"

#include <cstdio>
#include <cstring>

namespace {

constexpr const char* kHelp =
    "Usage: hexwend [--help | --version]\n"
    "\n"
    "Hexwend, an action puzzle game: stick coloured hexes under the creeping honeycomb\n"
    "and pop them in chains before a hex reaches the floor.\n"
    "\n"
    "  Run            Left, Right (or A, D)\n"
    "  Jump, choose   Space, Enter (or Z, J)\n"
    "  Menus          Up, Down (or W, S)\n"
    "  Pause, back    Escape\n"
    "  Full screen    F11\n"
    "  Quit           F4\n"
    "\n"
    "The game keeps its record in the file .vorpixstate of the folder it runs in; the\n"
    "installed command runs it in ${XDG_DATA_HOME:-~/.local/share}/hexwend.\n"
    "More in the manual page hexwend(6).\n";

// --help and --version answer without opening a window; any other argument is ignored.
bool answeredCommandLine(int argc, char** argv) {
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--help") == 0) {
            std::fputs(kHelp, stdout);
            return true;
        }
        if (std::strcmp(argv[i], "--version") == 0) {
            std::puts("hexwend " HEXWEND_VERSION);
            return true;
        }
    }
    return false;
}

} // namespace

int main(int argc, char** argv) {
    if (answeredCommandLine(argc, argv)) return std::fflush(stdout) == 0 ? 0 : 1;
    hexwend::game::registerModules();
    RtVorpixGame::Main(argc, const_cast<const char**>(argv));
    return 0;
}
