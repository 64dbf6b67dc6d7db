// The desktop host: construction, the clock and the fixed-rate main loop.
#include "host/rt_game.h"

#include "host/picture.h"
#include "platform/sleep.h"

#include <GLFW/glfw3.h>

#include <cstdio>

RtGlfwGame* RtGlfwGame::_glfwGame = nullptr;
int glfwGraphicsSeq = 0;

void onGlfwError(int code, const char* text) {
    std::printf("GLFW Error: err=%i, msg=%s\n", code, text ? text : "");
    std::fflush(stdout);
}

namespace hexwend::host {
namespace {

class GlfwWindowSystem : public WindowSystem {
  public:
    double time() override { return glfwGetTime(); }
    void sleep(double seconds) override { platform::sleepSeconds(seconds); }
    void swapBuffers() override { glfwSwapBuffers(window()); }
    void pollEvents() override { glfwPollEvents(); }
    void waitEvents() override { glfwWaitEvents(); }
    bool focused() override { return glfwGetWindowAttrib(window(), GLFW_FOCUSED) != 0; }
    bool shouldClose() override { return glfwWindowShouldClose(window()) != 0; }

    bool joystickPresent(int jid) override { return glfwJoystickPresent(jid) == GLFW_TRUE; }
    const float* joystickAxes(int jid, int* count) override {
        return glfwGetJoystickAxes(jid, count);
    }
    const unsigned char* joystickButtons(int jid, int* count) override {
        return glfwGetJoystickButtons(jid, count);
    }

    bool desktopMode(VideoMode& mode) override {
        GLFWmonitor* monitor = glfwGetPrimaryMonitor();
        const GLFWvidmode* current = monitor ? glfwGetVideoMode(monitor) : nullptr;
        if (!current) return false;
        mode = convert(*current);
        return true;
    }

    int videoModes(VideoMode* modes, int capacity) override {
        GLFWmonitor* monitor = glfwGetPrimaryMonitor();
        int count = 0;
        const GLFWvidmode* all = monitor ? glfwGetVideoModes(monitor, &count) : nullptr;
        if (!all) return 0;
        int n = count < capacity ? count : capacity;
        for (int i = 0; i < n; ++i) modes[i] = convert(all[i]);
        return n;
    }

  private:
    static GLFWwindow* window() { return RtGlfwGame::_glfwGame->_window; }

    static VideoMode convert(const GLFWvidmode& m) {
        return VideoMode{m.width, m.height, m.redBits, m.greenBits, m.blueBits, m.refreshRate};
    }
};

} // namespace

WindowSystem& glfwWindowSystem() {
    static GlfwWindowSystem system;
    return system;
}

} // namespace hexwend::host

RtGlfwGame::RtGlfwGame() : RtGlfwGame(hexwend::host::glfwWindowSystem()) {}

RtGlfwGame::RtGlfwGame(hexwend::host::WindowSystem& system) : _system(&system) {
    _glfwGame = this;
    hexwend::host::VideoMode mode;
    if (_system->desktopMode(mode)) {
        _desktopMode[0] = mode.width;
        _desktopMode[1] = mode.height;
        _desktopMode[2] = mode.redBits;
        _desktopMode[3] = mode.greenBits;
        _desktopMode[4] = mode.blueBits;
        _desktopMode[5] = mode.refreshRate;
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
        // A render that found nothing to change left the window's picture as it was; the
        // window keeps showing it without a swap.
        if (!hexwend::host::takePictureKept()) _system->swapBuffers();
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
