// The joystick model of the host: which GLFW joysticks are used, and how a device's axes and
// buttons become two sticks, two triggers and 32 buttons.
#pragma once

#include <functional>

namespace hexwend::host {

// The GLFW joystick numbers that are tested, and the most that are used.
constexpr int kJoystickNumbers = 16;
constexpr int kMaxJoysticks = 4;

// Fills `list` with the present joysticks among numbers 0 ... 15, in that order, until four
// are found. Returns how many were found.
int findJoysticks(const std::function<bool(int)>& present, int list[kMaxJoysticks]);

// Maps one device's state: left x, y and trigger into entry 0 of `joyx`, `joyy`, `joyz`,
// right x, y and trigger into entry 1, and the device's buttons into `out`. A device with
// exactly 5 axes and 14 buttons uses one layout, every other device another. An axis or
// button beyond what the device reports reads as 0 or not pressed.
void mapJoystick(const float* axes, int axisCount, const unsigned char* buttons, int buttonCount,
                 float joyx[2], float joyy[2], float joyz[2], bool out[32]);

} // namespace hexwend::host
