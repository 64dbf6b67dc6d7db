// The desktop host: construction, the clock and the fixed-rate main loop.
#include "host/rt_game.h"

#include "platform/sleep.h"

#include <GLFW/glfw3.h>

RtGlfwGame* RtGlfwGame::_glfwGame = nullptr;
int glfwGraphicsSeq = 0;

namespace hexwend::host {
namespace {

class GlfwLoopSystem : public LoopSystem {
  public:
    double time() override { return glfwGetTime(); }
    void sleep(double seconds) override { platform::sleepSeconds(seconds); }
    void swapBuffers() override { glfwSwapBuffers(window()); }
    void pollEvents() override { glfwPollEvents(); }
    void waitEvents() override { glfwWaitEvents(); }
    bool focused() override { return glfwGetWindowAttrib(window(), GLFW_FOCUSED) != 0; }
    bool shouldClose() override { return glfwWindowShouldClose(window()) != 0; }

  private:
    static GLFWwindow* window() { return RtGlfwGame::_glfwGame->_window; }
};

} // namespace

LoopSystem& glfwLoopSystem() {
    static GlfwLoopSystem system;
    return system;
}

} // namespace hexwend::host

RtGlfwGame::RtGlfwGame() : RtGlfwGame(hexwend::host::glfwLoopSystem()) {}

RtGlfwGame::RtGlfwGame(hexwend::host::LoopSystem& system) : _system(&system) {
    _glfwGame = this;
    // Without an initialised GLFW (as in tests) there is no monitor and the mode stays zero.
    if (GLFWmonitor* monitor = glfwGetPrimaryMonitor()) {
        if (const GLFWvidmode* mode = glfwGetVideoMode(monitor)) {
            _desktopMode[0] = mode->width;
            _desktopMode[1] = mode->height;
            _desktopMode[2] = mode->redBits;
            _desktopMode[3] = mode->greenBits;
            _desktopMode[4] = mode->blueBits;
            _desktopMode[5] = mode->refreshRate;
        }
    }
}

RtGlfwGame::~RtGlfwGame() {
    if (_glfwGame == this) _glfwGame = nullptr;
}

void RtGlfwGame::SetUpdateRate(int hertz) {
    RtGame::SetUpdateRate(hertz);
    if (hertz != 0) _updatePeriod = 1.0 / hertz;
    _nextUpdate = 0;
}

int RtGlfwGame::Millisecs() {
    return int(GetTime() * 1000);
}

double RtGlfwGame::GetTime() {
    return _system->time();
}

void RtGlfwGame::Sleep(double seconds) {
    _system->sleep(seconds);
}

void RtGlfwGame::UpdateEvents() {
    if (_suspended) {
        _system->waitEvents();
    } else {
        _system->pollEvents();
    }
    if (_system->focused()) {
        _focus = true;
        if (_suspended) {
            ResumeGame();
            _nextUpdate = 0;
        }
    } else if (_focus && !_suspended) {
        // Only a window that has had the focus suspends the game when it loses it.
        SuspendGame();
        _nextUpdate = 0;
    }
}

void RtGlfwGame::Run() {
    SetDeviceWindow(640, 480, 6);
    StartGame();

    while (!_system->shouldClose()) {
        RenderGame();
        _system->swapBuffers();
        if (_nextUpdate != 0) {
            double delay = _nextUpdate - GetTime();
            if (delay > 0) Sleep(delay);
        }

        UpdateEvents();
        if (_suspended) continue;

        if (_updateRate == 0) {
            UpdateGame();
            continue;
        }

        // Catch up with the schedule, at most four updates; a larger backlog is dropped and
        // the schedule restarts from the current time on the next pass.
        if (_nextUpdate == 0) _nextUpdate = GetTime();
        int updates = 0;
        while (updates < 4) {
            UpdateGame();
            ++updates;
            if (_nextUpdate == 0) break; // the update changed the rate
            _nextUpdate += _updatePeriod;
            if (_nextUpdate > GetTime()) break;
            if (updates == 4) _nextUpdate = 0;
        }
    }
}
