// The process's start-up: GLFW, the host object, the runtime start-up and the main loop.
#include "host/rt_game.h"

#include "runtime/errors.h"

#include <GLFW/glfw3.h>

#include <cstdlib>

int rt_std_main(int argCount, const char** args) {
    return hexwend::host::startRuntime(argCount, args, rtMain);
}

RtVorpixGame::RtVorpixGame() = default;

RtVorpixGame::~RtVorpixGame() = default;

void RtVorpixGame::Main(int argCount, const char** args) {
    glfwSetErrorCallback(onGlfwError);
    if (!glfwInit()) {
        rtPrint(String("glfwInit failed"));
        std::exit(-1);
    }

    // The one host object lives as long as the process.
    auto* game = new RtVorpixGame();
    try {
        rt_std_main(argCount, args);
    } catch (ThrowableObject* ex) {
        glfwTerminate();
        game->Die(ex);
    }

    if (game->Delegate()) game->Run();
    glfwTerminate();
}
