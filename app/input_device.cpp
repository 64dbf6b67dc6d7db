#include "app/input_device.h"

#include "app/app.h"

c_InputDevice* rt_input_device = nullptr;

namespace {

constexpr int kLeftMouse = 1;
constexpr int kFirstTouch = 384;
constexpr int kFirstJoystickKey = 256;

} // namespace

c_JoyState* c_JoyState::m_new() {
    gc_assign(m_joyx, Array<float>(2));
    gc_assign(m_joyy, Array<float>(2));
    gc_assign(m_joyz, Array<float>(2));
    gc_assign(m_buttons, Array<bool>(32));
    return this;
}

void c_JoyState::mark() {
    gc_mark_q(m_joyx);
    gc_mark_q(m_joyy);
    gc_mark_q(m_joyz);
    gc_mark_q(m_buttons);
}

c_InputDevice* c_InputDevice::m_new() {
    gc_assign(m_joyStates, Array<c_JoyState*>(kJoysticks));
    gc_assign(m_keyDown, Array<bool>(kKeys));
    gc_assign(m_keyHitQueue, Array<int>(kHitQueue));
    gc_assign(m_keyHit, Array<int>(kKeys));
    gc_assign(m_charQueue, Array<int>(kCharQueue));
    gc_assign(m_touchX, Array<float>(kFingers));
    gc_assign(m_touchY, Array<float>(kFingers));
    for (int i = 0; i < kJoysticks; ++i) gc_assign(m_joyStates[i], (new c_JoyState())->m_new());
    return this;
}

void c_InputDevice::mark() {
    gc_mark_q(m_joyStates);
    gc_mark_q(m_keyDown);
    gc_mark_q(m_keyHitQueue);
    gc_mark_q(m_keyHit);
    gc_mark_q(m_charQueue);
    gc_mark_q(m_touchX);
    gc_mark_q(m_touchY);
}

int c_InputDevice::p_PutKeyHit(int key) {
    if (m_keyHitPut == m_keyHitQueue.Length()) return 0;
    m_keyHit[key] += 1;
    m_keyHitQueue[m_keyHitPut] = key;
    m_keyHitPut += 1;
    return 0;
}

void c_InputDevice::keyDown(int key) {
    if (m_keyDown[key]) return;
    m_keyDown[key] = true;
    p_PutKeyHit(key);
    // The left button and the first touch are one pointer.
    if (key == kLeftMouse) {
        m_keyDown[kFirstTouch] = true;
        p_PutKeyHit(kFirstTouch);
    } else if (key == kFirstTouch) {
        m_keyDown[kLeftMouse] = true;
        p_PutKeyHit(kLeftMouse);
    }
}

void c_InputDevice::keyUp(int key) {
    if (!m_keyDown[key]) return;
    m_keyDown[key] = false;
    if (key == kLeftMouse) {
        m_keyDown[kFirstTouch] = false;
    } else if (key == kFirstTouch) {
        m_keyDown[kLeftMouse] = false;
    }
}

int c_InputDevice::p_KeyEvent(int event, int key) {
    // Codes from outside the numbering are not keys.
    bool valid = key > 0 && key < kKeys;
    switch (event) {
    case c_RtGameEvent::KeyDown:
        if (valid) keyDown(key);
        break;
    case c_RtGameEvent::KeyUp:
        if (valid) keyUp(key);
        break;
    case c_RtGameEvent::KeyChar:
        if (m_charPut < m_charQueue.Length()) {
            m_charQueue[m_charPut] = key;
            m_charPut += 1;
        }
        break;
    default:
        break;
    }
    return 0;
}

int c_InputDevice::p_MouseEvent(int event, int button, float x, float y) {
    auto moveTo = [&] {
        m_mouseX = x;
        m_mouseY = y;
        m_touchX[0] = x;
        m_touchY[0] = y;
    };
    switch (event) {
    case c_RtGameEvent::MouseDown:
        if (button >= 0 && button < 3) keyDown(button + 1);
        moveTo();
        break;
    case c_RtGameEvent::MouseUp:
        if (button >= 0 && button < 3) keyUp(button + 1);
        break;
    case c_RtGameEvent::MouseMove:
        moveTo();
        break;
    default:
        break;
    }
    return 0;
}

int c_InputDevice::p_TouchEvent(int event, int finger, float x, float y) {
    if (finger < 0 || finger >= kFingers) return 0;
    auto moveTo = [&] {
        m_touchX[finger] = x;
        m_touchY[finger] = y;
        if (finger == 0) {
            m_mouseX = x;
            m_mouseY = y;
        }
    };
    switch (event) {
    case c_RtGameEvent::TouchDown:
        keyDown(kFirstTouch + finger);
        moveTo();
        break;
    case c_RtGameEvent::TouchUp:
        keyUp(kFirstTouch + finger);
        break;
    case c_RtGameEvent::TouchMove:
        moveTo();
        break;
    default:
        break;
    }
    return 0;
}

int c_InputDevice::p_MotionEvent(int event, int /*data*/, float x, float y, float z) {
    if (event == c_RtGameEvent::MotionAccel) {
        m_accelX = x;
        m_accelY = y;
        m_accelZ = z;
    }
    return 0;
}

int c_InputDevice::p_BeginUpdate() {
    if (!rt_app__game) return 0;
    for (int joystick = 0; joystick < kJoysticks; ++joystick) {
        c_JoyState* state = m_joyStates[joystick];
        // The host's joystick list has no gaps: the first absent port ends the poll.
        if (!rt_app__game->PollJoystick(joystick, state->m_joyx, state->m_joyy, state->m_joyz,
                                        state->m_buttons)) {
            break;
        }
        for (int b = 0; b < 32; ++b) {
            int key = kFirstJoystickKey + 32 * joystick + b;
            if (!state->m_buttons[b]) {
                m_keyDown[key] = false;
            } else if (!m_keyDown[key]) {
                m_keyDown[key] = true;
                p_PutKeyHit(key);
            }
        }
    }
    return 0;
}

int c_InputDevice::p_EndUpdate() {
    for (int i = 0; i < m_keyHitPut; ++i) m_keyHit[m_keyHitQueue[i]] = 0;
    m_keyHitPut = 0;
    m_charGet = 0;
    m_charPut = 0;
    return 0;
}

bool c_InputDevice::p_KeyDown(int key) {
    return key > 0 && key < kKeys && m_keyDown[key];
}

int c_InputDevice::p_KeyHit(int key) {
    return key > 0 && key < kKeys ? m_keyHit[key] : 0;
}

float c_InputDevice::p_MouseX() {
    return m_mouseX;
}

float c_InputDevice::p_MouseY() {
    return m_mouseY;
}

float c_InputDevice::p_TouchX(int finger) {
    return finger >= 0 && finger < kFingers ? m_touchX[finger] : 0;
}

float c_InputDevice::p_TouchY(int finger) {
    return finger >= 0 && finger < kFingers ? m_touchY[finger] : 0;
}

float c_InputDevice::p_JoyX(int index, int joystick) {
    return m_joyStates[joystick]->m_joyx[index];
}

float c_InputDevice::p_JoyY(int index, int joystick) {
    return m_joyStates[joystick]->m_joyy[index];
}

int rt_input_SetInputDevice(c_InputDevice* device) {
    gc_assign(rt_input_device, device);
    return 0;
}

bool rt_input_KeyDown(int key) {
    return rt_input_device->p_KeyDown(key);
}

int rt_input_KeyHit(int key) {
    return rt_input_device->p_KeyHit(key);
}

bool rt_input_MouseDown(int button) {
    return rt_input_device->p_KeyDown(button + 1);
}

float rt_input_MouseX() {
    return rt_input_device->p_MouseX();
}

float rt_input_MouseY() {
    return rt_input_device->p_MouseY();
}

bool rt_input_TouchDown(int finger) {
    return rt_input_device->p_KeyDown(384 + finger);
}

float rt_input_TouchX(int finger) {
    return rt_input_device->p_TouchX(finger);
}

float rt_input_TouchY(int finger) {
    return rt_input_device->p_TouchY(finger);
}

bool rt_input_JoyDown(int button, int joystick) {
    return rt_input_device->p_KeyDown(256 | (joystick * 32) | button);
}

float rt_input_JoyX(int index, int joystick) {
    return rt_input_device->p_JoyX(index, joystick);
}

float rt_input_JoyY(int index, int joystick) {
    return rt_input_device->p_JoyY(index, joystick);
}
