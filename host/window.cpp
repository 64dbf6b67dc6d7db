// The device window with its OpenGL context, and the primary monitor's display modes.
#include "host/rt_game.h"

#include "host/picture.h"
#include "runtime/errors.h"

#include <GLFW/glfw3.h>

#include <cstdlib>

namespace {

constexpr int kFullscreen = 1;
constexpr int kResizable = 2;
constexpr int kDecorated = 4;
constexpr int kFloating = 8;
constexpr int kDepthBuffer = 16;
constexpr int kSingleBuffer = 32;
constexpr int kSecondMonitor = 64;

// More modes than any monitor reports.
constexpr int kMaxModes = 1024;

// The monitor a full-screen window goes on: the second one when asked for and present,
// otherwise the first; the last one when the list is shorter. Null without monitors.
GLFWmonitor* fullscreenMonitor(int flags) {
    int count = 0;
    GLFWmonitor** monitors = glfwGetMonitors(&count);
    if (!monitors || count <= 0) return nullptr;
    int wanted = (flags & kSecondMonitor) ? 1 : 0;
    return monitors[wanted < count ? wanted : count - 1];
}

} // namespace

int RtGlfwGame::GetDeviceWidth() {
    return _width;
}

int RtGlfwGame::GetDeviceHeight() {
    return _height;
}

void RtGlfwGame::SetDeviceWindow(int width, int height, int flags) {
    _focus = false;

    if (_window) {
        // No key may stay down in the game across the change of window.
        for (int key = 0; key <= GLFW_KEY_LAST; ++key) {
            int code = TransKey(key);
            if (code != 0 && glfwGetKey(_window, key) == GLFW_PRESS) {
                KeyEvent(hexwend::host::kKeyUp, code);
            }
        }
        // The renderer reads what it still needs from the old context while it exists.
        glfwMakeContextCurrent(_window);
        hexwend::host::contextEnding();
        glfwDestroyWindow(_window);
        _window = nullptr;
    }

    glfwDefaultWindowHints();
    glfwWindowHint(GLFW_RED_BITS, 8);
    glfwWindowHint(GLFW_GREEN_BITS, 8);
    glfwWindowHint(GLFW_BLUE_BITS, 8);
    glfwWindowHint(GLFW_ALPHA_BITS, 0);
    glfwWindowHint(GLFW_DEPTH_BITS, (flags & kDepthBuffer) ? 32 : 0);
    glfwWindowHint(GLFW_STENCIL_BITS, 0);
    glfwWindowHint(GLFW_RESIZABLE, (flags & kResizable) ? GLFW_TRUE : GLFW_FALSE);
    glfwWindowHint(GLFW_DECORATED, (flags & kDecorated) ? GLFW_TRUE : GLFW_FALSE);
    glfwWindowHint(GLFW_FLOATING, (flags & kFloating) ? GLFW_TRUE : GLFW_FALSE);
    glfwWindowHint(GLFW_VISIBLE, (flags & kFullscreen) ? GLFW_TRUE : GLFW_FALSE);
    glfwWindowHint(GLFW_DOUBLEBUFFER, (flags & kSingleBuffer) ? GLFW_FALSE : GLFW_TRUE);
    glfwWindowHint(GLFW_SAMPLES, 0);
    glfwWindowHint(GLFW_REFRESH_RATE, 60);

    // Without any monitor a full-screen request falls back to a centred window.
    GLFWmonitor* monitor = (flags & kFullscreen) ? fullscreenMonitor(flags) : nullptr;
    if (monitor) {
        _window = glfwCreateWindow(width, height, "Hexwend", monitor, nullptr);
    } else {
        _window = glfwCreateWindow(width, height, "Hexwend", nullptr, nullptr);
        if (_window) {
            glfwSetWindowPos(_window, (_desktopMode[0] - width) / 2,
                             (_desktopMode[1] - height) / 2);
            glfwShowWindow(_window);
        }
    }
    if (!_window) {
        rtPrint(String("glfwCreateWindow FAILED!"));
        std::abort();
    }

    ++glfwGraphicsSeq;
    _width = width;
    _height = height;

    glfwMakeContextCurrent(_window);
    if (_swapInterval >= 0) glfwSwapInterval(_swapInterval);

    glfwSetKeyCallback(_window, OnKey);
    glfwSetCharCallback(_window, OnChar);
    glfwSetMouseButtonCallback(_window, OnMouseButton);
    glfwSetCursorPosCallback(_window, OnCursorPos);
    glfwSetWindowCloseCallback(_window, OnWindowClose);
    glfwSetWindowSizeCallback(_window, OnWindowSize);
    // The renderer leaves an unchanged picture alone; an exposed window needs it again.
    glfwSetWindowRefreshCallback(_window, [](GLFWwindow*) { hexwend::host::notePictureLost(); });
    hexwend::host::notePictureLost();
}

void RtGlfwGame::OnWindowSize(GLFWwindow* /*window*/, int width, int height) {
    _glfwGame->_width = width;
    _glfwGame->_height = height;
}

void RtGlfwGame::SetSwapInterval(int interval) {
    _swapInterval = interval;
    if (interval >= 0 && _window) glfwSwapInterval(interval);
}

void RtGlfwGame::SetMouseVisible(bool visible) {
    if (!_window) return;
    glfwSetInputMode(_window, GLFW_CURSOR, visible ? GLFW_CURSOR_NORMAL : GLFW_CURSOR_HIDDEN);
}

Array<RtDisplayMode*> RtGlfwGame::GetDisplayModes() {
    hexwend::host::VideoMode modes[kMaxModes];
    int count = _system->videoModes(modes, kMaxModes);

    int kept = 0;
    for (int i = 0; i < count; ++i) {
        if (modes[i].refreshRate == 0 || modes[i].refreshRate == 60) ++kept;
    }
    Array<RtDisplayMode*> result(kept);
    int n = 0;
    for (int i = 0; i < count; ++i) {
        if (modes[i].refreshRate != 0 && modes[i].refreshRate != 60) continue;
        auto* mode = new RtDisplayMode();
        mode->width = modes[i].width;
        mode->height = modes[i].height;
        gc_assign(result[n++], mode);
    }
    return result;
}

RtDisplayMode* RtGlfwGame::GetDesktopMode() {
    // A monitor without a current mode has no desktop mode; the application layer then
    // uses the window's size, so a full-screen switch never asks for a 0 x 0 window.
    if (_desktopMode[0] <= 0 || _desktopMode[1] <= 0) return nullptr;
    auto* mode = new RtDisplayMode();
    mode->width = _desktopMode[0];
    mode->height = _desktopMode[1];
    return mode;
}
