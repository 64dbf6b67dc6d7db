#include "tests/support/fake_window_system.h"

#include <cmath>

namespace hexwend::testing {

void FakeWindowSystem::sleep(double seconds) {
    if (!(seconds > 0)) return;
    int ms = int(std::trunc(seconds * 1000));
    sleepsMs.push_back(ms);
    now += ms / 1000.0;
}

void FakeWindowSystem::swapBuffers() {
    ++swaps;
    now += swapSeconds;
}

void FakeWindowSystem::pollEvents() {
    ++polls;
    now += pollSeconds;
    if (onEvents) onEvents();
}

void FakeWindowSystem::waitEvents() {
    ++waits;
    if (onEvents) onEvents();
}

bool FakeWindowSystem::shouldClose() {
    if (closeRequested) return true;
    if (passesLeft < 0) return false;
    if (passesLeft == 0) return true;
    --passesLeft;
    return false;
}

bool FakeWindowSystem::joystickPresent(int jid) {
    return jid >= 0 && jid < 16 && joysticks[jid].present;
}

const float* FakeWindowSystem::joystickAxes(int jid, int* count) {
    *count = 0;
    if (!joystickPresent(jid) || !joysticks[jid].readable) return nullptr;
    FakeJoystick& joystick = joysticks[jid];
    ++joystick.reads;
    *count = int(joystick.axes.size());
    static const float none = 0;
    return joystick.axes.empty() ? &none : joystick.axes.data();
}

const unsigned char* FakeWindowSystem::joystickButtons(int jid, int* count) {
    *count = 0;
    if (!joystickPresent(jid) || !joysticks[jid].readable) return nullptr;
    FakeJoystick& joystick = joysticks[jid];
    *count = int(joystick.buttons.size());
    static const unsigned char none = 0;
    return joystick.buttons.empty() ? &none : joystick.buttons.data();
}

bool FakeWindowSystem::desktopMode(host::VideoMode& mode) {
    if (!hasDesktopMode) return false;
    mode = desktop;
    return true;
}

int FakeWindowSystem::videoModes(host::VideoMode* out, int capacity) {
    int n = 0;
    for (const host::VideoMode& mode : modes) {
        if (n == capacity) break;
        out[n++] = mode;
    }
    return n;
}

} // namespace hexwend::testing
