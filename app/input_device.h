// The input device: key, mouse, touch, motion and joystick input gathered between two
// updates, and the input functions through which the game reads it. Every button of every
// kind has a key code 1 ... 511: mouse buttons 1 ... 3, keyboard keys 8 ... 222, joystick
// buttons 256 + 32 * joystick + button, touches 384 + finger, back 416, close 432.
#pragma once

#include "runtime/gc.h"

// One joystick's sticks, triggers and buttons, refreshed by every poll.
class c_JoyState : public Object {
  public:
    Array<float> m_joyx;
    Array<float> m_joyy;
    Array<float> m_joyz;
    Array<bool> m_buttons;

    c_JoyState* m_new();
    void mark() override;
};

class c_InputDevice : public Object {
  public:
    static constexpr int kKeys = 512;
    static constexpr int kHitQueue = 33;
    static constexpr int kCharQueue = 32;
    static constexpr int kFingers = 32;
    static constexpr int kJoysticks = 4;

    Array<c_JoyState*> m_joyStates;
    Array<bool> m_keyDown;
    int m_keyHitPut = 0;
    Array<int> m_keyHitQueue;
    Array<int> m_keyHit;
    int m_charGet = 0;
    int m_charPut = 0;
    Array<int> m_charQueue;
    float m_mouseX = 0;
    float m_mouseY = 0;
    Array<float> m_touchX;
    Array<float> m_touchY;
    float m_accelX = 0;
    float m_accelY = 0;
    float m_accelZ = 0;

    c_InputDevice* m_new();
    void mark() override;

    int p_PutKeyHit(int key);
    int p_BeginUpdate();
    int p_EndUpdate();
    int p_KeyEvent(int event, int key);
    int p_MouseEvent(int event, int button, float x, float y);
    int p_TouchEvent(int event, int finger, float x, float y);
    int p_MotionEvent(int event, int data, float x, float y, float z);
    bool p_KeyDown(int key);
    int p_KeyHit(int key);
    float p_MouseX();
    float p_MouseY();
    float p_TouchX(int finger);
    float p_TouchY(int finger);
    float p_JoyX(int index, int joystick);
    float p_JoyY(int index, int joystick);

  private:
    void keyDown(int key);
    void keyUp(int key);
};

// The device in use; null before the game starts.
extern c_InputDevice* rt_input_device;

int rt_input_SetInputDevice(c_InputDevice* device);
bool rt_input_KeyDown(int key);
int rt_input_KeyHit(int key);
bool rt_input_MouseDown(int button);
float rt_input_MouseX();
float rt_input_MouseY();
bool rt_input_TouchDown(int finger);
float rt_input_TouchX(int finger);
float rt_input_TouchY(int finger);
bool rt_input_JoyDown(int button, int joystick);
float rt_input_JoyX(int index, int joystick);
float rt_input_JoyY(int index, int joystick);
