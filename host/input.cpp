// Host input: GLFW keys, characters, mouse buttons, the cursor, the close request and
// joysticks, turned into the runtime's events.
#include "host/joystick.h"
#include "host/rt_game.h"

#include <GLFW/glfw3.h>

namespace hexwend::host {
namespace {

constexpr int kEnd = 999;

struct Layout {
    int axes[6];     // left x, left y, left trigger, right x, right y, right trigger
    int buttons[15]; // device button of each output button, ended by kEnd
};

// The layout of devices with 5 axes and 14 buttons.
constexpr Layout kLayoutA = {{0, 65, 2, 4, 67, 66},
                             {0, 1, 2, 3, 4, 5, 6, 7, 13, 10, 11, 12, 8, 9, kEnd}};
// The layout of every other device.
constexpr Layout kLayoutB = {{0, 1, 134, 2, 67, 135},
                             {1, 2, 0, 3, 4, 5, 8, 9, 15, 12, 13, 14, 10, 11, kEnd}};

float axisValue(int code, const float* axes, int axisCount, const unsigned char* buttons,
                int buttonCount) {
    int index = code & 15;
    int conversion = code & ~15;
    if (conversion == 128) {
        return index < buttonCount && buttons[index] != 0 ? 1.0f : 0.0f;
    }
    float axis = index < axisCount ? axes[index] : 0.0f;
    switch (conversion) {
    case 16:
        return (axis + 1) / 2;
    case 32:
        return (1 - axis) / 2;
    case 64:
        return -axis;
    default:
        return axis;
    }
}

} // namespace

int findJoysticks(const std::function<bool(int)>& present, int list[kMaxJoysticks]) {
    int count = 0;
    for (int jid = 0; jid < kJoystickNumbers && count < kMaxJoysticks; ++jid) {
        if (present(jid)) list[count++] = jid;
    }
    return count;
}

void mapJoystick(const float* axes, int axisCount, const unsigned char* buttons, int buttonCount,
                 float joyx[2], float joyy[2], float joyz[2], bool out[32]) {
    const Layout& layout = (axisCount == 5 && buttonCount == 14) ? kLayoutA : kLayoutB;
    float values[6] = {};
    for (int i = 0; i < 6 && layout.axes[i] != kEnd; ++i) {
        values[i] = axisValue(layout.axes[i], axes, axisCount, buttons, buttonCount);
    }
    joyx[0] = values[0];
    joyy[0] = values[1];
    joyz[0] = values[2];
    joyx[1] = values[3];
    joyy[1] = values[4];
    joyz[1] = values[5];
    for (int m = 0; m < 32; ++m) out[m] = false;
    for (int m = 0; m < 32 && layout.buttons[m] != kEnd; ++m) {
        int device = layout.buttons[m];
        out[m] = device < buttonCount && buttons[device] != 0;
    }
}

} // namespace hexwend::host

int RtGlfwGame::TransKey(int key) {
    if ((key >= '0' && key <= '9') || (key >= 'A' && key <= 'Z')) return key;
    if (key >= GLFW_KEY_F1 && key <= GLFW_KEY_F12) return key - GLFW_KEY_F1 + 112;
    if (key >= GLFW_KEY_KP_0 && key <= GLFW_KEY_KP_9) return key - GLFW_KEY_KP_0 + 96;
    switch (key) {
    case GLFW_KEY_SPACE:
        return 32;
    case GLFW_KEY_APOSTROPHE:
        return 222;
    case GLFW_KEY_COMMA:
        return 188;
    case GLFW_KEY_MINUS:
        return 189;
    case GLFW_KEY_PERIOD:
        return 190;
    case GLFW_KEY_SLASH:
        return 191;
    case GLFW_KEY_SEMICOLON:
        return 186;
    case GLFW_KEY_EQUAL:
        return 187;
    case GLFW_KEY_LEFT_BRACKET:
        return 219;
    case GLFW_KEY_BACKSLASH:
        return 220;
    case GLFW_KEY_RIGHT_BRACKET:
        return 221;
    case GLFW_KEY_GRAVE_ACCENT:
        return 192;
    case GLFW_KEY_ESCAPE:
        return 27;
    case GLFW_KEY_ENTER:
        return 13;
    case GLFW_KEY_TAB:
        return 9;
    case GLFW_KEY_BACKSPACE:
        return 8;
    case GLFW_KEY_INSERT:
        return 45;
    case GLFW_KEY_DELETE:
        return 46;
    case GLFW_KEY_RIGHT:
        return 39;
    case GLFW_KEY_LEFT:
        return 37;
    case GLFW_KEY_DOWN:
        return 40;
    case GLFW_KEY_UP:
        return 38;
    case GLFW_KEY_PAGE_UP:
        return 33;
    case GLFW_KEY_PAGE_DOWN:
        return 34;
    case GLFW_KEY_HOME:
        return 36;
    case GLFW_KEY_END:
        return 35;
    case GLFW_KEY_KP_DECIMAL:
        return 110;
    case GLFW_KEY_KP_DIVIDE:
        return 111;
    case GLFW_KEY_KP_MULTIPLY:
        return 106;
    case GLFW_KEY_KP_SUBTRACT:
        return 109;
    case GLFW_KEY_KP_ADD:
        return 107;
    case GLFW_KEY_LEFT_SHIFT:
    case GLFW_KEY_RIGHT_SHIFT:
        return 16;
    case GLFW_KEY_LEFT_CONTROL:
    case GLFW_KEY_RIGHT_CONTROL:
        return 17;
    default:
        return 0;
    }
}

int RtGlfwGame::KeyToChar(int key) {
    switch (key) {
    case 8:
    case 9:
    case 13:
    case 27:
        return key;
    case 46:
        return 127;
    default:
        if ((key >= 33 && key <= 40) || key == 45) return key + 65536;
        return 0;
    }
}

void RtGlfwGame::OnKey(GLFWwindow* /*window*/, int key, int /*scancode*/, int action,
                       int /*mods*/) {
    int code = TransKey(key);
    if (code == 0) return;
    if (action == GLFW_RELEASE) {
        _glfwGame->KeyEvent(hexwend::host::kKeyUp, code);
    } else if (action == GLFW_PRESS || action == GLFW_REPEAT) {
        _glfwGame->KeyEvent(hexwend::host::kKeyDown, code);
        if (int c = KeyToChar(code)) _glfwGame->KeyEvent(hexwend::host::kKeyChar, c);
    }
}

void RtGlfwGame::OnChar(GLFWwindow* /*window*/, unsigned int codepoint) {
    _glfwGame->KeyEvent(hexwend::host::kKeyChar, int(codepoint));
}

void RtGlfwGame::OnMouseButton(GLFWwindow* window, int button, int action, int /*mods*/) {
    if (button < 0 || button > 2) return;
    double x = 0, y = 0;
    glfwGetCursorPos(window, &x, &y);
    if (action == GLFW_PRESS) {
        _glfwGame->MouseEvent(hexwend::host::kMouseDown, button, float(x), float(y));
    } else if (action == GLFW_RELEASE) {
        _glfwGame->MouseEvent(hexwend::host::kMouseUp, button, float(x), float(y));
    }
}

void RtGlfwGame::OnCursorPos(GLFWwindow* /*window*/, double x, double y) {
    _glfwGame->MouseEvent(hexwend::host::kMouseMove, -1, float(x), float(y));
}

void RtGlfwGame::OnWindowClose(GLFWwindow* window) {
    glfwSetWindowShouldClose(window, GLFW_FALSE);
    _glfwGame->KeyEvent(hexwend::host::kKeyDown, hexwend::host::kCloseKey);
    _glfwGame->KeyEvent(hexwend::host::kKeyUp, hexwend::host::kCloseKey);
}

int RtGlfwGame::CountJoysticks(bool update) {
    if (!update && _joysticksCounted) return _joystickCount;
    _joysticksCounted = true;
    _joystickCount = hexwend::host::findJoysticks(
        [this](int jid) { return _system->joystickPresent(jid); }, _joysticks);
    return _joystickCount;
}

bool RtGlfwGame::PollJoystick(int port, Array<float> joyx, Array<float> joyy, Array<float> joyz,
                              Array<bool> buttons) {
    int count = CountJoysticks(false);
    if (port < 0 || port >= count) return false;
    if (joyx.Length() < 2 || joyy.Length() < 2 || joyz.Length() < 2 || buttons.Length() < 32) {
        return false;
    }
    int axisCount = 0;
    int buttonCount = 0;
    const float* axes = _system->joystickAxes(_joysticks[port], &axisCount);
    const unsigned char* pressed = _system->joystickButtons(_joysticks[port], &buttonCount);
    if (!axes || !pressed) return false;
    hexwend::host::mapJoystick(axes, axisCount, pressed, buttonCount, joyx.Data(), joyy.Data(),
                               joyz.Data(), buttons.Data());
    return true;
}
