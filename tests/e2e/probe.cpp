// A test program that runs the real desktop host with a probe application instead of the
// game. It prints what reaches the application, one line per fact, flushed at once:
//
//   ready <device width> <device height>
//   update <seconds>          (with --updates) the host clock at each update
//   hit <key code> <count>    a key was hit since the previous update
//   char <code>               a character arrived since the previous update
//   click <x> <y>             the left button went down at this pointer position
//
// Options: --updates prints every update; --seconds N ends the program after N seconds;
// --no-app creates no application object; --throw-at-start throws a game exception out of
// the game's main function.
#include "app/app.h"
#include "host/rt_game.h"

#include <GLFW/glfw3.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace {

bool printUpdates = false;
double endAfter = 0;
bool createApp = true;
bool throwAtStart = false;

class ProbeApp : public c_App {
  public:
    ProbeApp* m_new() {
        c_App::m_new();
        return this;
    }

    int p_OnCreate() override {
        rt_app_SetUpdateRate(60);
        std::printf("ready %d %d\n", rt_app_DeviceWidth(), rt_app_DeviceHeight());
        std::fflush(stdout);
        return 0;
    }

    int p_OnUpdate() override {
        double now = glfwGetTime();
        if (printUpdates) std::printf("update %.6f\n", now);
        for (int key = 1; key < 512; ++key) {
            if (int hits = rt_input_KeyHit(key)) std::printf("hit %d %d\n", key, hits);
        }
        if (rt_input_KeyHit(1)) {
            std::printf("click %d %d\n", int(rt_input_MouseX()), int(rt_input_MouseY()));
        }
        for (int i = 0; i < rt_input_device->m_charPut; ++i) {
            std::printf("char %d\n", rt_input_device->m_charQueue[i]);
        }
        std::fflush(stdout);
        if (endAfter > 0 && now >= endAfter) rt_app_EndApp();
        return 0;
    }
};

} // namespace

int rtMain() {
    if (createApp) (new ProbeApp())->m_new();
    if (throwAtStart) throw new ThrowableObject();
    return 0;
}

int main(int argc, char** argv) {
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--updates") == 0) printUpdates = true;
        if (std::strcmp(argv[i], "--seconds") == 0 && i + 1 < argc) endAfter = std::atof(argv[++i]);
        if (std::strcmp(argv[i], "--no-app") == 0) createApp = false;
        if (std::strcmp(argv[i], "--throw-at-start") == 0) throwAtStart = true;
    }
    hexwend::app::registerModules();
    RtVorpixGame::Main(argc, const_cast<const char**>(argv));
    return 0;
}
