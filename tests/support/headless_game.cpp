#include "tests/support/headless_game.h"

#include <GLFW/glfw3.h>

namespace hexwend::testing {

HeadlessGame::HeadlessGame() : RtGlfwGame(fakeSystem) {
#ifdef HEXWEND_BINARY_DIR
    dataDir = HEXWEND_BINARY_DIR "/data";
#endif
}

HeadlessGame::~HeadlessGame() = default;

void HeadlessGame::update(int count) {
    for (int i = 0; i < count; ++i) {
        UpdateGame();
        if (_updateRate > 0) fakeSystem.now += 1.0 / _updateRate;
    }
}

void HeadlessGame::frame(int count) {
    for (int i = 0; i < count; ++i) {
        render();
        update();
    }
}

void HeadlessGame::runLoop(int passes) {
    fakeSystem.passesLeft = passes;
    Run();
}

int HeadlessGame::glfwKeyFor(int key) {
    for (int glfwKey = 0; glfwKey <= GLFW_KEY_LAST; ++glfwKey) {
        if (TransKey(glfwKey) == key) return glfwKey;
    }
    return -1;
}

void HeadlessGame::press(int key) {
    int glfwKey = glfwKeyFor(key);
    if (glfwKey < 0) {
        heldOtherKeys_.insert(key);
        KeyEvent(host::kKeyDown, key);
        return;
    }
    heldGlfwKeys_.insert(glfwKey);
    OnKey(nullptr, glfwKey, 0, GLFW_PRESS, 0);
}

void HeadlessGame::repeat(int key) {
    int glfwKey = glfwKeyFor(key);
    if (glfwKey < 0) {
        KeyEvent(host::kKeyDown, key);
        return;
    }
    OnKey(nullptr, glfwKey, 0, GLFW_REPEAT, 0);
}

void HeadlessGame::release(int key) {
    int glfwKey = glfwKeyFor(key);
    if (glfwKey < 0) {
        heldOtherKeys_.erase(key);
        KeyEvent(host::kKeyUp, key);
        return;
    }
    heldGlfwKeys_.erase(glfwKey);
    OnKey(nullptr, glfwKey, 0, GLFW_RELEASE, 0);
}

bool HeadlessGame::held(int key) const {
    int glfwKey = glfwKeyFor(key);
    return glfwKey < 0 ? heldOtherKeys_.count(key) > 0 : heldGlfwKeys_.count(glfwKey) > 0;
}

void HeadlessGame::type(const String& text) {
    for (int i = 0; i < text.Length(); ++i) OnChar(nullptr, unsigned(text[i]));
}

void HeadlessGame::moveMouse(float x, float y) {
    mouseX_ = x;
    mouseY_ = y;
    OnCursorPos(nullptr, x, y);
}

void HeadlessGame::mouseDown(int button) {
    MouseEvent(host::kMouseDown, button, mouseX_, mouseY_);
}

void HeadlessGame::mouseUp(int button) {
    MouseEvent(host::kMouseUp, button, mouseX_, mouseY_);
}

void HeadlessGame::click(float x, float y, int button) {
    moveMouse(x, y);
    mouseDown(button);
    mouseUp(button);
}

void HeadlessGame::closeWindow() {
    KeyEvent(host::kKeyDown, host::kCloseKey);
    KeyEvent(host::kKeyUp, host::kCloseKey);
}

void HeadlessGame::resize(int width, int height) {
    OnWindowSize(nullptr, width, height);
}

void HeadlessGame::loseFocus() {
    fakeSystem.isFocused = false;
    UpdateEvents();
}

void HeadlessGame::regainFocus() {
    fakeSystem.isFocused = true;
    UpdateEvents();
}

void HeadlessGame::plugJoystick(int jid, int axisCount, int buttonCount) {
    FakeJoystick& joystick = fakeSystem.joysticks[jid];
    joystick.present = true;
    joystick.axes.assign(size_t(axisCount), 0.0f);
    joystick.buttons.assign(size_t(buttonCount), 0);
}

void HeadlessGame::setJoystickAxis(int jid, int axis, float value) {
    fakeSystem.joysticks[jid].axes.at(size_t(axis)) = value;
}

void HeadlessGame::setJoystickButton(int jid, int button, bool pressed) {
    fakeSystem.joysticks[jid].buttons.at(size_t(button)) = pressed ? 1 : 0;
}

void HeadlessGame::SetDeviceWindow(int width, int height, int flags) {
    // As the desktop host does: a new window must be focused once before losing the focus
    // suspends, and no key stays down in the game across the change.
    _focus = false;
    if (!windowRequests_.empty()) {
        for (int glfwKey : heldGlfwKeys_) KeyEvent(host::kKeyUp, TransKey(glfwKey));
    }
    windowRequests_.push_back({width, height, flags});
    _width = width;
    _height = height;
}

void HeadlessGame::OpenUrl(String url) {
    openedUrls_.push_back(url.ToUtf8());
}

String HeadlessGame::PathToFilePath(String path) {
    String prefix("vorpix://data/");
    if (path.StartsWith(prefix)) {
        std::string full = dataDir + "/" + path.Slice(prefix.Length()).ToUtf8();
        return String::FromBytes(reinterpret_cast<const unsigned char*>(full.data()), full.size());
    }
    return RtGlfwGame::PathToFilePath(path);
}

} // namespace hexwend::testing
