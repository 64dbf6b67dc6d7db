#include "framework/controls.h"

#include "app/input_device.h"
#include "framework/quzo.h"
#include "framework/sprites.h"
#include "runtime/random.h"

#include <cmath>
#include <initializer_list>

using namespace hexwend::framework;

namespace {

// Pointer coordinates and drag-stick centres read −100 while no pointer is down; anything
// at or above −99 is a real position.
constexpr int kNoPosition = -100;
constexpr int kTouchSlots = 10;
// A full drag-stick deflection needs a drag of this many units; dragging further pulls the
// centre along by kPadFollow units per update.
constexpr float kPadRange = 64.0f;
constexpr int kPadFollow = 8;
// Dead zone and direction threshold of the sticks; the main axis returns to centre by
// kReturnStep per update and a held direction pushes it by kPushStep.
constexpr float kStickThreshold = 0.3f;
constexpr float kReturnStep = 0.25f;
constexpr float kPushStep = 0.4f;

// Truncation toward zero that stays defined for values no int can hold: those saturate
// and NaN reads 0.
int truncToInt(float v) {
    if (!(v == v)) return 0;
    if (v >= 2147483520.0f) return 2147483647;
    if (v <= -2147483648.0f) return -2147483647 - 1;
    return int(v);
}

float clampUnit(float v) {
    return v < -1 ? -1 : (v > 1 ? 1 : v);
}

// Moves v by step toward 0, stopping at 0.
float towardCentre(float v, float step) {
    if (v > 0) return v - step < 0 ? 0 : v - step;
    if (v < 0) return v + step > 0 ? 0 : v + step;
    return v;
}

bool keyDown(int key) {
    return rt_input_device && rt_input_KeyDown(key);
}

bool anyKeyDown(std::initializer_list<int> keys) {
    for (int key : keys) {
        if (keyDown(key)) return true;
    }
    return false;
}

bool joyDown(int button, int pad) {
    return rt_input_device && rt_input_JoyDown(button, pad);
}

float joyX(int stick, int pad) {
    return rt_input_device ? rt_input_JoyX(stick, pad) : 0.0f;
}

float joyY(int stick, int pad) {
    return rt_input_device ? rt_input_JoyY(stick, pad) : 0.0f;
}

// What one source says in one update, before it is turned into block values.
struct Source {
    bool up = false;
    bool left = false;
    bool right = false;
    bool down = false;
    bool buttons[6] = {};
    bool pause = false;
    float sx = 0; // left stick, 0 when centred
    float sy = 0;
    bool hasSecond = false; // the right stick is out of its dead zone
    float rx = 0;
    float ry = 0;
};

Source readKeyboard() {
    Source s;
    s.up = anyKeyDown({38, 87, 104});
    s.down = anyKeyDown({40, 83, 98, 101});
    s.left = anyKeyDown({37, 65, 100});
    s.right = anyKeyDown({39, 68, 102});
    s.buttons[0] = anyKeyDown({90, 74, 32, 13});
    s.buttons[1] = anyKeyDown({88, 75, 17});
    s.buttons[2] = anyKeyDown({67, 76, 16});
    s.buttons[3] = anyKeyDown({86, 73});
    s.buttons[4] = anyKeyDown({66, 85});
    s.buttons[5] = anyKeyDown({78, 79});
    s.pause = anyKeyDown({27, 192, 46, 8});
    return s;
}

Source readJoypad(int pad) {
    Source s;
    s.up = joyDown(9, pad);
    s.right = joyDown(10, pad);
    s.down = joyDown(11, pad);
    s.left = joyDown(8, pad);
    for (int b = 0; b < 6; ++b) s.buttons[b] = joyDown(b, pad);
    s.pause = joyDown(6, pad) || joyDown(7, pad) || joyDown(14, pad);

    float rx = joyX(1, pad);
    float ry = joyY(1, pad);
    if (rt_quzo_QUZO_Set[settings::kInvertRightStick] == 1) ry = -ry;
    if (std::fabs(rx) > kStickThreshold || std::fabs(ry) > kStickThreshold) {
        s.hasSecond = true;
        s.rx = rx;
        s.ry = ry;
    }

    float sx = joyX(0, pad);
    float sy = joyY(0, pad);
    if (rt_quzo_QUZO_Set[settings::kInvertLeftStick] == 1) sy = -sy;
    if (std::fabs(sx) < kStickThreshold && std::fabs(sy) < kStickThreshold) {
        sx = 0;
        sy = 0;
    }
    s.sx = sx;
    s.sy = sy;
    return s;
}

// Turns one source into the block starting at element `base`.
void buildBlock(int base, const Source& s) {
    float* c = &rt_quzo_QUZO_Control[base];
    for (int e : {kControlUp, kControlLeft, kControlRight, kControlDown, kControlPause,
                  kControlAxis2X, kControlAxis2Y}) {
        c[e] = 0;
    }
    for (int b = 0; b < 6; ++b) c[kControlButton1 + b] = 0;

    for (int b = 0; b < 6; ++b) {
        if (s.buttons[b]) c[kControlButton1 + b] = 1;
    }
    if (s.pause) c[kControlPause] = 1;
    if (s.hasSecond) {
        c[kControlAxis2X] = s.rx;
        c[kControlAxis2Y] = s.ry;
    }

    // The main axis drifts back to centre unless something holds it on that line.
    if (!s.left && !s.right && s.sx == 0) {
        c[kControlAxisX] = towardCentre(c[kControlAxisX], kReturnStep);
    }
    if (!s.up && !s.down && s.sy == 0) {
        c[kControlAxisY] = towardCentre(c[kControlAxisY], kReturnStep);
    }

    // Held directions sweep the axis to full deflection in three updates.
    if (s.left) c[kControlAxisX] -= kPushStep;
    if (s.right) c[kControlAxisX] += kPushStep;
    if (s.up) c[kControlAxisY] -= kPushStep;
    if (s.down) c[kControlAxisY] += kPushStep;
    c[kControlAxisX] = clampUnit(c[kControlAxisX]);
    c[kControlAxisY] = clampUnit(c[kControlAxisY]);

    // A stick out of its dead zone sets the axis outright.
    if (std::fabs(s.sx) >= kStickThreshold || std::fabs(s.sy) > kStickThreshold) {
        c[kControlAxisX] = s.sx;
        c[kControlAxisY] = s.sy;
    }

    if (s.up || s.sy < -kStickThreshold) c[kControlUp] = 1;
    if (s.left || s.sx < -kStickThreshold) c[kControlLeft] = 1;
    if (s.right || s.sx > kStickThreshold) c[kControlRight] = 1;
    if (s.down || s.sy > kStickThreshold) c[kControlDown] = 1;
}

// One axis of the drag stick: the deflection from the centre, the centre following a
// pointer dragged beyond full deflection.
void dragAxis(int pos, int& centre, float& pad) {
    float d = float(pos - centre) / kPadRange;
    if (d < -1) {
        pad = -1;
        centre -= kPadFollow;
    } else if (d > 1) {
        pad = 1;
        centre += kPadFollow;
    } else {
        pad = d;
    }
}

// The block PlayKey reads for a player other than −2, or −1 when there is none.
int blockOf(int player) {
    if (player == -3) return 0;
    if (player == -1) return rt_quzo_QUZO_MixControls == 1 ? 1 : 0;
    if (player >= 0 && player <= 3) return player + 1;
    return -1;
}

} // namespace

namespace hexwend::framework {

int updatePointer() {
    Array<float>& t = rt_quzo_QUZO_Touch;
    // Window pixels per virtual unit; before the first render has measured the window
    // there is no scale yet, and pixels are taken as units rather than dividing by zero.
    float scale = rt_quzo_QUZO_Scale > 0 ? rt_quzo_QUZO_Scale : 1.0f;
    bool haveDevice = rt_input_device != nullptr;

    t[100] = haveDevice && rt_input_MouseDown(0) ? 1 : 0;
    t[101] = haveDevice ? rt_input_MouseX() / scale : 0;
    t[102] = haveDevice ? rt_input_MouseY() / scale : 0;
    t[0] = 0;

    bool first = true;
    for (int k = 0; k < kTouchSlots; ++k) {
        bool down = haveDevice && rt_input_TouchDown(k);
        if (rt_quzo_isOuya == 1) {
            // Touch reports of a console host carry no usable position.
            t[10 * k] = 0;
            if (down) {
                t[10 * k + 1] = kNoPosition;
                t[10 * k + 2] = kNoPosition;
                if (first) {
                    first = false;
                    t[100] = 1;
                    t[101] = kNoPosition;
                    t[102] = kNoPosition;
                }
            }
            continue;
        }
        t[10 * k] = down ? 1 : 0;
        if (down) {
            t[10 * k + 1] = rt_input_TouchX(k) / scale;
            t[10 * k + 2] = rt_input_TouchY(k) / scale;
            if (first) {
                first = false;
                t[100] = 1;
                t[101] = t[10 * k + 1];
                t[102] = t[10 * k + 2];
            }
        }
    }

    rt_quzo_mdAll = truncToInt(t[100]);
    rt_quzo_mx = truncToInt(t[101]);
    rt_quzo_my = truncToInt(t[102]);

    if (rt_quzo_mdAll > 0) {
        if (rt_quzo_mPadcx == kNoPosition) {
            rt_quzo_mPadcx = rt_quzo_mx;
            rt_quzo_mPadcy = rt_quzo_my;
        }
        if (rt_quzo_mPadcx >= kNoPosition + 1 && rt_quzo_QUZO_AllowMouseControl == 1) {
            dragAxis(rt_quzo_mx, rt_quzo_mPadcx, rt_quzo_mPadx);
            dragAxis(rt_quzo_my, rt_quzo_mPadcy, rt_quzo_mPady);
        }
        if (rt_quzo_mwx >= kNoPosition + 1) {
            rt_quzo_msx = rt_quzo_mx - rt_quzo_mwx;
            rt_quzo_msy = rt_quzo_my - rt_quzo_mwy;
        }
        rt_quzo_mwx = rt_quzo_mx;
        rt_quzo_mwy = rt_quzo_my;
    } else {
        rt_quzo_mwx = kNoPosition;
        rt_quzo_mwy = kNoPosition;
        rt_quzo_mPadcx = kNoPosition;
        rt_quzo_mdis[locks::kPointer] = 0;
    }
    return 0;
}

} // namespace hexwend::framework

int rt_quzo_DoControls() {
    buildBlock(0, readKeyboard());
    for (int pad = 0; pad < 4; ++pad) {
        int base = (pad + 1) * kControlBlockSize;
        buildBlock(base, readJoypad(pad));
        if (rt_quzo_Joy_Disable[pad] == 1) {
            for (int e = 0; e <= kControlAxis2Y; ++e) rt_quzo_QUZO_Control[base + e] = 0;
        }
    }
    if (rt_quzo_QUZO_MixControls == 1) {
        // The first player plays with the keyboard and the first joypad together.
        float* c = &rt_quzo_QUZO_Control[0];
        for (int e = 0; e < kControlBlockSize; ++e) c[kControlBlockSize + e] += c[e];
        c[kControlBlockSize + kControlAxisX] = clampUnit(c[kControlBlockSize + kControlAxisX]);
        c[kControlBlockSize + kControlAxisY] = clampUnit(c[kControlBlockSize + kControlAxisY]);
    }
    return 0;
}

float rt_quzo_PlayKey(int control, int player) {
    if (control == 99) control = kControlPause;
    if (control < 0 || control >= kControlBlockSize) return 0;
    if (player == -2) {
        float sum = 0;
        for (int b = 0; b < kControlBlocks; ++b) {
            sum += rt_quzo_QUZO_Control[b * kControlBlockSize + control];
        }
        return sum;
    }
    // Players 4 and 5 would name blocks past the five; they read 0 like any other.
    int block = blockOf(player);
    if (block < 0) return 0;
    return rt_quzo_QUZO_Control[block * kControlBlockSize + control];
}

float rt_quzo_ControlX(int player, int stick) {
    if (rt_quzo_mdAll > 0 && player <= 0) return rt_quzo_mPadx;
    if (stick != 0 && stick != 1) return 0;
    return rt_quzo_PlayKey(kControlAxisX + 10 * stick, player);
}

int rt_quzo_LockKeys() {
    for (int i = 0; i < 50; ++i) {
        rt_quzo_kdis[i] = 1;
        rt_quzo_mdis[i] = 1;
    }
    return 0;
}

int rt_quzo_MixControls(int v) {
    rt_quzo_QUZO_MixControls = v;
    return 0;
}

int rt_quzo_AllowMouseAnalogue(int v) {
    rt_quzo_QUZO_AllowMouseControl = v;
    return 0;
}

int rt_quzo_SetOUYA(int v) {
    rt_quzo_isOuya = v;
    if (v == 1) {
        rt_quzo_HasQuit = 1;
        rt_quzo_QUZO_AllowMouseControl = 0;
    }
    return 0;
}

int rt_quzo_MouseIn(float x, float y, float w, float h) {
    for (int k = 0; k < kTouchSlots; ++k) {
        if (rt_quzo_QUZO_Touch[10 * k] == 0) continue;
        float px = rt_quzo_QUZO_Touch[10 * k + 1];
        float py = rt_quzo_QUZO_Touch[10 * k + 2];
        if (px >= x && px <= x + w && py >= y && py <= y + h) return 1;
    }
    return 0;
}

int rt_quzo_MouseIn_Centered(float cx, float cy, float w, float h) {
    return rt_quzo_MouseIn(cx - w * 0.5f, cy - h * 0.5f, w, h);
}

int rt_quzo_MouseIn_Radius(float cx, float cy, float r) {
    for (int k = 0; k < kTouchSlots; ++k) {
        if (rt_quzo_QUZO_Touch[10 * k] == 0) continue;
        if (rt_quzo_Dist(rt_quzo_QUZO_Touch[10 * k + 1], rt_quzo_QUZO_Touch[10 * k + 2], cx, cy) <=
            r) {
            return 1;
        }
    }
    return 0;
}

int rt_quzo_Button(int slot, float x, float y, int frame) {
    if (slot < 1 || slot > 99) return 0;
    rt_quzo_DrawImg(slot, x, y, frame);
    float w = rt_quzo_QUZO_ImgW[slot];
    return rt_quzo_MouseIn_Centered(x, y, w * rt_quzo_QUZO_DrawStyle[4],
                                    w * rt_quzo_QUZO_DrawStyle[5]);
}

float rt_quzo_Dist(float x1, float y1, float x2, float y2) {
    double dx = double(x1) - double(x2);
    double dy = double(y1) - double(y2);
    return float(std::sqrt(dx * dx + dy * dy));
}

int rt_quzo_Rand(float lo, float hi) {
    float u = rt_random_Rnd();
    return truncToInt(std::floor(lo + u * (hi + 0.99f - lo)));
}
