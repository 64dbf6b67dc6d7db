// A window system without a window: a clock that moves only when told (or when the host
// sleeps), scripted focus and close requests, scripted joysticks and monitor modes, and a
// record of what the host asked for.
#pragma once

#include "host/rt_game.h"

#include <functional>
#include <vector>

namespace hexwend::testing {

struct FakeJoystick {
    bool present = false;
    // False makes the joystick present but unreadable (its axes and buttons are null).
    bool readable = true;
    std::vector<float> axes;
    std::vector<unsigned char> buttons;
    int reads = 0; // how often its axes were read
};

class FakeWindowSystem : public host::WindowSystem {
  public:
    // The clock, in seconds. Sleeping advances it by the whole milliseconds slept. It starts
    // at 1 s, as a real clock is never exactly 0 when the loop first reads it (the loop takes
    // a next update due at time 0 for "nothing scheduled").
    double now = 1.0;
    // Time that each buffer swap takes.
    double swapSeconds = 0;
    // Time that each event poll takes.
    double pollSeconds = 0;

    bool isFocused = true;
    // The window asks to close once shouldClose() has been asked this many times more
    // (negative: never), or as soon as `closeRequested` is set.
    int passesLeft = -1;
    bool closeRequested = false;

    // Runs inside every event poll and wait, where the window system runs its callbacks.
    std::function<void()> onEvents;

    FakeJoystick joysticks[16];
    bool hasDesktopMode = true;
    host::VideoMode desktop{1920, 1080, 8, 8, 8, 60};
    std::vector<host::VideoMode> modes{{1920, 1080, 8, 8, 8, 60}, {1280, 720, 8, 8, 8, 60}};

    // What the host did.
    std::vector<int> sleepsMs;
    int swaps = 0;
    int polls = 0;
    int waits = 0;

    double time() override { return now; }
    void sleep(double seconds) override;
    void swapBuffers() override;
    void pollEvents() override;
    void waitEvents() override;
    bool focused() override { return isFocused; }
    bool shouldClose() override;

    bool joystickPresent(int jid) override;
    const float* joystickAxes(int jid, int* count) override;
    const unsigned char* joystickButtons(int jid, int* count) override;

    bool desktopMode(host::VideoMode& mode) override;
    int videoModes(host::VideoMode* out, int capacity) override;
};

} // namespace hexwend::testing
