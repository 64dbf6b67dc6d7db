// The controls driven through the headless host: keys, mouse, touches and joypads travel
// the host and the input device as they would in the game, and every update runs the
// pointer step and rebuilds the control blocks.
#include "framework/quzo.h"
#include "runtime/random.h"
#include "tests/support/headless_game.h"

#include <gtest/gtest.h>

#include <cmath>
#include <vector>

namespace {

using hexwend::testing::HeadlessGame;
namespace keys = hexwend::testing::keys;
using namespace hexwend::framework;

// Every update does what the frame flow does with the controls: the pointer, then the
// blocks.
class ControlsApp : public c_App {
  public:
    int p_OnUpdate() override {
        updatePointer();
        rt_quzo_DoControls();
        return 0;
    }
};

// The scripted joypads are devices of 6 axes and 16 buttons. The host maps such a device
// like this: left stick on axes 0 and 1, right stick x on axis 2 and y on axis 3 negated;
// joypad button b comes from device button kDeviceButton[b].
constexpr int kPadAxes = 6;
constexpr int kPadButtons = 16;
constexpr int kDeviceButton[14] = {1, 2, 0, 3, 4, 5, 8, 9, 15, 12, 13, 14, 10, 11};

class ControlsTest : public ::testing::Test {
  protected:
    void SetUp() override { game.startRuntime<ControlsApp>(registerModules); }

    // Joypads must be plugged before the first update: the host lists them once.
    void start(int pads = 0) {
        for (int jid = 0; jid < pads; ++jid) game.plugJoystick(jid, kPadAxes, kPadButtons);
        game.startGame();
    }

    void leftStick(int pad, float x, float y) {
        game.setJoystickAxis(pad, 0, x);
        game.setJoystickAxis(pad, 1, y);
    }
    void rightStick(int pad, float x, float y) {
        game.setJoystickAxis(pad, 2, x);
        game.setJoystickAxis(pad, 3, -y);
    }
    void padButton(int pad, int button, bool pressed) {
        game.setJoystickButton(pad, kDeviceButton[button], pressed);
    }

    static float block(int b, int element) { return rt_quzo_QUZO_Control[100 * b + element]; }

    // The digital controls of a block that read non-zero.
    static std::vector<int> digitalOn(int b) {
        std::vector<int> on;
        for (int e : {0, 3, 5, 8, 10, 11, 12, 13, 14, 15, 20}) {
            if (block(b, e) != 0) on.push_back(e);
        }
        return on;
    }

    HeadlessGame game;
};

// --- Keyboard ----------------------------------------------------------------------------

TEST_F(ControlsTest, EveryMappedKeySetsItsControlAndNoOther) {
    struct Case {
        int key;
        int control;
    };
    const Case cases[] = {
        {38, 0},  {87, 0},  {104, 0}, {40, 8},   {83, 8},  {98, 8},  {101, 8}, {37, 3},  {65, 3},
        {100, 3}, {39, 5},  {68, 5},  {102, 5},  {90, 10}, {74, 10}, {32, 10}, {13, 10}, {88, 11},
        {75, 11}, {17, 11}, {67, 12}, {76, 12},  {16, 12}, {86, 13}, {73, 13}, {66, 14}, {85, 14},
        {78, 15}, {79, 15}, {27, 20}, {192, 20}, {46, 20}, {8, 20},
    };
    start();
    rt_quzo_MixControls(0);
    for (const Case& c : cases) {
        SCOPED_TRACE(::testing::Message() << "key " << c.key);
        game.press(c.key);
        game.update();
        EXPECT_EQ(digitalOn(0), std::vector<int>{c.control});
        EXPECT_EQ(rt_quzo_PlayKey(c.control, -3), 1.0f);
        for (int b = 1; b < 5; ++b) EXPECT_EQ(digitalOn(b), std::vector<int>{});
        game.release(c.key);
        game.update();
        EXPECT_EQ(digitalOn(0), std::vector<int>{});
    }
}

TEST_F(ControlsTest, KeysNotInTheMapDriveNothing) {
    start();
    for (int key : {keys::kTab, keys::kF1, 49, 81, 69}) {
        game.press(key);
        game.update();
        for (int b = 0; b < 5; ++b) EXPECT_EQ(digitalOn(b), std::vector<int>{}) << key;
        game.release(key);
    }
}

TEST_F(ControlsTest, HoldingRightSweepsTheAxisAndMixesIntoTheFirstPlayer) {
    start();
    game.press(keys::kRight);
    const float keyboard[] = {0.4f, 0.8f, 1.0f, 1.0f};
    // Block 1 keeps its mixed value: it first drifts 0.25 back toward centre, then the
    // keyboard's value is added.
    const float mixed[] = {0.4f, 0.95f, 1.0f, 1.0f};
    for (int i = 0; i < 4; ++i) {
        game.update();
        EXPECT_FLOAT_EQ(block(0, 21), keyboard[i]) << i;
        EXPECT_FLOAT_EQ(block(1, 21), mixed[i]) << i;
        EXPECT_EQ(block(0, 5), 1.0f);
        EXPECT_EQ(rt_quzo_PlayKey(5, -2), 2.0f);
        EXPECT_EQ(rt_quzo_PlayKey(5, -1), 1.0f);
        EXPECT_EQ(rt_quzo_PlayKey(5, -3), 1.0f);
        EXPECT_EQ(rt_quzo_PlayKey(5, 0), 1.0f);
        EXPECT_EQ(rt_quzo_PlayKey(5, 1), 0.0f);
    }

    game.release(keys::kRight);
    const float back[] = {0.75f, 0.5f, 0.25f, 0.0f, 0.0f};
    for (float expected : back) {
        game.update();
        EXPECT_FLOAT_EQ(block(0, 21), expected);
        EXPECT_EQ(block(0, 5), 0.0f);
    }
}

TEST_F(ControlsTest, OppositeDirectionsAndTheVerticalAxis) {
    start();
    rt_quzo_MixControls(0);
    game.press(keys::kUp);
    game.update(2);
    EXPECT_FLOAT_EQ(block(0, 22), -0.8f);
    EXPECT_FLOAT_EQ(block(0, 21), 0.0f);

    // Down held as well cancels the push; the axis holds where it is, since a direction on
    // that line is pressed.
    game.press(keys::kDown);
    game.update(3);
    EXPECT_NEAR(block(0, 22), -0.8f, 1e-5);
    EXPECT_EQ(block(0, 0), 1.0f);
    EXPECT_EQ(block(0, 8), 1.0f);

    // Left and right on the other line do not stop the vertical return.
    game.release(keys::kUp);
    game.release(keys::kDown);
    game.press(keys::kLeft);
    game.update();
    EXPECT_NEAR(block(0, 22), -0.55f, 1e-5);
    EXPECT_FLOAT_EQ(block(0, 21), -0.4f);
}

// --- Joypads -----------------------------------------------------------------------------

TEST_F(ControlsTest, LeftStickDeadZoneOverrideAndDirections) {
    struct Case {
        float x, y;
        float axisX, axisY;
        std::vector<int> on;
    };
    const std::vector<Case> cases = {
        {0.25f, 0.25f, 0, 0, {}},          // inside the dead zone: centred
        {0.3f, 0.0f, 0.3f, 0, {}},         // overrides the axis, but right needs more
        {0.31f, 0.0f, 0.31f, 0, {5}},      // right
        {-0.5f, 0.0f, -0.5f, 0, {3}},      // left
        {0.0f, -0.8f, 0, -0.8f, {0}},      // up
        {0.0f, 0.9f, 0, 0.9f, {8}},        // down
        {0.7f, 0.7f, 0.7f, 0.7f, {5, 8}},  // diagonal
        {0.29f, 0.31f, 0.29f, 0.31f, {8}}, // out of the dead zone on y only
    };
    start(1);
    rt_quzo_MixControls(0);
    for (const Case& c : cases) {
        SCOPED_TRACE(::testing::Message() << "stick " << c.x << ", " << c.y);
        // Each case starts from rest.
        leftStick(0, 0, 0);
        game.update(5);
        leftStick(0, c.x, c.y);
        game.update();
        EXPECT_FLOAT_EQ(block(1, 21), c.axisX);
        EXPECT_FLOAT_EQ(block(1, 22), c.axisY);
        EXPECT_EQ(digitalOn(1), c.on);
        EXPECT_EQ(digitalOn(0), std::vector<int>{});
    }
}

TEST_F(ControlsTest, StickAtTheEdgeOfTheDeadZoneOnYHoldsTheAxis) {
    // A y of exactly 0.3 is out of the dead zone but does not override the axis: the axis
    // keeps its value instead of returning to centre.
    start(1);
    rt_quzo_MixControls(0);
    padButton(0, 11, true); // direction pad down
    game.update(2);
    EXPECT_FLOAT_EQ(block(1, 22), 0.8f);
    padButton(0, 11, false);
    leftStick(0, 0, 0.3f);
    game.update(3);
    EXPECT_FLOAT_EQ(block(1, 22), 0.8f);
    EXPECT_EQ(block(1, 8), 0.0f);
    leftStick(0, 0, 0);
    game.update();
    EXPECT_FLOAT_EQ(block(1, 22), 0.55f);
}

TEST_F(ControlsTest, ReleasedStickReturnsToCentre) {
    start(1);
    rt_quzo_MixControls(0);
    leftStick(0, -0.9f, 0.6f);
    game.update();
    leftStick(0, 0.1f, 0.1f);
    const float xs[] = {-0.65f, -0.4f, -0.15f, 0.0f};
    const float ys[] = {0.35f, 0.1f, 0.0f, 0.0f};
    for (int i = 0; i < 4; ++i) {
        game.update();
        EXPECT_FLOAT_EQ(block(1, 21), xs[i]) << i;
        EXPECT_FLOAT_EQ(block(1, 22), ys[i]) << i;
    }
}

TEST_F(ControlsTest, JoypadButtonsMapToTheirControls) {
    struct Case {
        int button;
        int control;
    };
    const Case cases[] = {{9, 0},  {10, 5}, {11, 8}, {8, 3},  {0, 10}, {1, 11},
                          {2, 12}, {3, 13}, {4, 14}, {5, 15}, {6, 20}, {7, 20}};
    start(1);
    rt_quzo_MixControls(0);
    for (const Case& c : cases) {
        SCOPED_TRACE(::testing::Message() << "button " << c.button);
        padButton(0, c.button, true);
        game.update();
        EXPECT_EQ(digitalOn(1), std::vector<int>{c.control});
        EXPECT_EQ(rt_quzo_PlayKey(c.control == 20 ? 99 : c.control, 0), 1.0f);
        EXPECT_EQ(digitalOn(0), std::vector<int>{});
        padButton(0, c.button, false);
        game.update();
        EXPECT_EQ(digitalOn(1), std::vector<int>{});
    }
    // Buttons the control model does not use.
    for (int b : {12, 13}) padButton(0, b, true);
    game.update();
    EXPECT_EQ(digitalOn(1), std::vector<int>{});
}

TEST_F(ControlsTest, DirectionPadSweepsTheAxisLikeKeys) {
    start(1);
    rt_quzo_MixControls(0);
    padButton(0, 8, true); // left
    const float xs[] = {-0.4f, -0.8f, -1.0f};
    for (float x : xs) {
        game.update();
        EXPECT_FLOAT_EQ(block(1, 21), x);
    }
    // A stick out of its dead zone wins over the direction pad.
    leftStick(0, 0.5f, 0);
    game.update();
    EXPECT_FLOAT_EQ(block(1, 21), 0.5f);
    EXPECT_EQ(block(1, 3), 1.0f);
    EXPECT_EQ(block(1, 5), 1.0f);
}

TEST_F(ControlsTest, RightStickFillsTheSecondAxisOutsideItsDeadZone) {
    struct Case {
        float x, y;
        float ax, ay;
    };
    const Case cases[] = {{0.2f, -0.25f, 0, 0},
                          {0.31f, 0.0f, 0.31f, 0},
                          {0.1f, -0.5f, 0.1f, -0.5f},
                          {-1.0f, 1.0f, -1.0f, 1.0f},
                          {0.3f, 0.3f, 0, 0}};
    start(1);
    rt_quzo_MixControls(0);
    for (const Case& c : cases) {
        SCOPED_TRACE(::testing::Message() << "stick " << c.x << ", " << c.y);
        rightStick(0, c.x, c.y);
        game.update();
        EXPECT_FLOAT_EQ(block(1, 31), c.ax);
        EXPECT_FLOAT_EQ(block(1, 32), c.ay);
        EXPECT_FLOAT_EQ(block(1, 21), 0.0f);
        EXPECT_EQ(digitalOn(1), std::vector<int>{});
    }
}

TEST_F(ControlsTest, InversionSettingsFlipEachStickOnItsOwn) {
    start(1);
    rt_quzo_MixControls(0);
    leftStick(0, 0, 0.8f);
    rightStick(0, 0, 0.6f);

    struct Case {
        int invertLeft, invertRight;
        float axisY, secondY;
        std::vector<int> on;
    };
    const Case cases[] = {{0, 0, 0.8f, 0.6f, {8}},
                          {1, 0, -0.8f, 0.6f, {0}},
                          {0, 1, 0.8f, -0.6f, {8}},
                          {1, 1, -0.8f, -0.6f, {0}}};
    for (const Case& c : cases) {
        SCOPED_TRACE(::testing::Message() << "invert " << c.invertLeft << c.invertRight);
        rt_quzo_QUZO_Set[11] = c.invertLeft;
        rt_quzo_QUZO_Set[12] = c.invertRight;
        game.update();
        EXPECT_FLOAT_EQ(block(1, 22), c.axisY);
        EXPECT_FLOAT_EQ(block(1, 32), c.secondY);
        EXPECT_EQ(digitalOn(1), c.on);
    }
}

TEST_F(ControlsTest, EachJoypadDrivesItsOwnBlock) {
    start(4);
    rt_quzo_MixControls(0);
    for (int pad = 0; pad < 4; ++pad) padButton(pad, pad, true); // pad u holds button u
    leftStick(3, -0.6f, 0);
    game.update();
    for (int pad = 0; pad < 4; ++pad) {
        std::vector<int> expected = {10 + pad};
        if (pad == 3) expected = {3, 13};
        EXPECT_EQ(digitalOn(pad + 1), expected) << pad;
        EXPECT_EQ(rt_quzo_PlayKey(10 + pad, pad), 1.0f);
    }
    EXPECT_FLOAT_EQ(rt_quzo_ControlX(3, 0), -0.6f);
    EXPECT_FLOAT_EQ(rt_quzo_ControlX(2, 0), 0.0f);
    EXPECT_EQ(digitalOn(0), std::vector<int>{});
    // Summed over every block, as the menus read.
    EXPECT_EQ(rt_quzo_PlayKey(13, -2), 1.0f);
}

TEST_F(ControlsTest, DisabledJoypadLeavesItsBlockToTheKeyboard) {
    start(2);
    rt_quzo_Joy_Disable[0] = 1;
    rt_quzo_Joy_Disable[1] = 1;
    padButton(0, 8, true); // pad 0 holds left and button 1, pad 1 button 1
    padButton(0, 0, true);
    padButton(1, 0, true);
    leftStick(0, -1, 0);
    game.press(keys::kRight);
    // Block 1 is cleared before the keyboard is mixed in, so it follows the keyboard
    // exactly (no carried-over value).
    const float xs[] = {0.4f, 0.8f, 1.0f};
    for (float x : xs) {
        game.update();
        EXPECT_FLOAT_EQ(block(1, 21), x);
        EXPECT_FLOAT_EQ(block(0, 21), x);
        EXPECT_EQ(digitalOn(1), std::vector<int>{5});
        EXPECT_EQ(digitalOn(2), std::vector<int>{});
        EXPECT_FLOAT_EQ(block(2, 21), 0.0f);
    }
    EXPECT_EQ(rt_quzo_PlayKey(5, -1), 1.0f);

    // Switched back on, the pad drives its block again.
    rt_quzo_Joy_Disable[0] = 0;
    game.release(keys::kRight);
    game.update();
    EXPECT_EQ(block(1, 3), 1.0f);
    EXPECT_EQ(block(1, 10), 1.0f);
    EXPECT_FLOAT_EQ(block(1, 21), -1.0f + block(0, 21));
}

TEST_F(ControlsTest, MixingAddsTheKeyboardIntoTheFirstPadAndClampsItsAxes) {
    start(1);
    padButton(0, 0, true);
    leftStick(0, 0.9f, -0.9f);
    game.press(keys::kSpace);
    game.press(keys::kRight);
    game.press(keys::kUp);
    game.update(3);
    EXPECT_EQ(block(1, 10), 2.0f); // digital controls may read 2
    EXPECT_EQ(block(1, 5), 2.0f);
    EXPECT_FLOAT_EQ(block(1, 21), 1.0f);
    EXPECT_FLOAT_EQ(block(1, 22), -1.0f);
    EXPECT_EQ(rt_quzo_PlayKey(10, -2), 3.0f);

    rt_quzo_MixControls(0);
    game.update();
    EXPECT_EQ(block(1, 10), 1.0f);
    EXPECT_FLOAT_EQ(block(1, 21), 0.9f);
    EXPECT_EQ(rt_quzo_PlayKey(10, -1), 1.0f); // unmixed, player -1 is the keyboard
    EXPECT_FLOAT_EQ(rt_quzo_ControlX(-1, 0), 1.0f);
}

// --- Reading controls --------------------------------------------------------------------

TEST_F(ControlsTest, PlayKeyReadsTheBlockOfEachPlayer) {
    start();
    // Element e of block b holds b + 1, so a read tells which block it came from.
    for (int b = 0; b < 5; ++b) {
        for (int e = 0; e < 100; ++e) rt_quzo_QUZO_Control[100 * b + e] = float(b + 1);
    }
    struct Case {
        int player;
        int mix;
        float value;
    };
    const Case cases[] = {
        {-2, 1, 15}, {-3, 1, 1}, {-1, 1, 2}, {-1, 0, 1}, {0, 1, 2}, {1, 1, 3},    {2, 0, 4},
        {3, 1, 5},   {4, 1, 0},  {5, 1, 0},  {-4, 1, 0}, {6, 1, 0}, {-100, 1, 0},
    };
    for (const Case& c : cases) {
        rt_quzo_MixControls(c.mix);
        EXPECT_EQ(rt_quzo_PlayKey(10, c.player), c.value) << c.player << " mix " << c.mix;
    }
    rt_quzo_QUZO_Control[100 * 2 + 20] = 7;
    EXPECT_EQ(rt_quzo_PlayKey(99, 1), 7.0f);
    EXPECT_EQ(rt_quzo_PlayKey(20, 1), 7.0f);
    // Controls outside a block read nothing rather than another block's elements.
    for (int control : {-1, 100, 120, 1000}) EXPECT_EQ(rt_quzo_PlayKey(control, 0), 0.0f);
}

TEST_F(ControlsTest, ControlXReadsTheDragStickWhilePointerIsDown) {
    start();
    rt_quzo_QUZO_Control[100 * 0 + 21] = 0.1f;
    rt_quzo_QUZO_Control[100 * 1 + 21] = 0.2f;
    rt_quzo_QUZO_Control[100 * 1 + 31] = 0.3f;
    rt_quzo_QUZO_Control[100 * 2 + 21] = 0.4f;
    rt_quzo_mPadx = -0.7f;

    struct Case {
        int mdAll;
        int player, stick;
        float value;
    };
    const Case cases[] = {
        {0, -1, 0, 0.2f}, {0, 0, 0, 0.2f},   {0, 0, 1, 0.3f},  {0, 1, 0, 0.4f},   {0, -3, 0, 0.1f},
        {0, 0, 2, 0.0f},  {1, -1, 0, -0.7f}, {1, 0, 1, -0.7f}, {1, -3, 0, -0.7f}, {1, 1, 0, 0.4f},
    };
    for (const Case& c : cases) {
        rt_quzo_mdAll = c.mdAll;
        EXPECT_FLOAT_EQ(rt_quzo_ControlX(c.player, c.stick), c.value)
            << "down " << c.mdAll << " player " << c.player << " stick " << c.stick;
    }
}

TEST_F(ControlsTest, LockKeysLocksAllAndOnlyThePointerLockClearsItself) {
    start();
    rt_quzo_LockKeys();
    for (int i = 0; i < 50; ++i) {
        EXPECT_EQ(rt_quzo_kdis[i], 1);
        EXPECT_EQ(rt_quzo_mdis[i], 1);
    }
    game.moveMouse(10, 10);
    game.mouseDown();
    game.update(3);
    EXPECT_EQ(rt_quzo_mdis[0], 1); // held: still locked
    game.mouseUp();
    game.update();
    EXPECT_EQ(rt_quzo_mdis[0], 0);
    EXPECT_EQ(rt_quzo_mdis[1], 1);
    EXPECT_EQ(rt_quzo_kdis[0], 1);
    EXPECT_EQ(rt_quzo_kdis[20], 1);
}

TEST_F(ControlsTest, SwitchesSetTheirGlobals) {
    start();
    rt_quzo_AllowMouseAnalogue(0);
    EXPECT_EQ(rt_quzo_QUZO_AllowMouseControl, 0);
    rt_quzo_AllowMouseAnalogue(1);
    rt_quzo_SetOUYA(0);
    EXPECT_EQ(rt_quzo_isOuya, 0);
    EXPECT_EQ(rt_quzo_HasQuit, 0);
    EXPECT_EQ(rt_quzo_QUZO_AllowMouseControl, 1);
    rt_quzo_SetOUYA(1);
    EXPECT_EQ(rt_quzo_isOuya, 1);
    EXPECT_EQ(rt_quzo_HasQuit, 1);
    EXPECT_EQ(rt_quzo_QUZO_AllowMouseControl, 0);
}

// --- Pointer -----------------------------------------------------------------------------

TEST_F(ControlsTest, MouseIsTheFirstTouchInVirtualUnits) {
    start();
    rt_quzo_QUZO_Scale = 1.25f;
    game.moveMouse(250, 126);
    game.update();
    EXPECT_EQ(rt_quzo_mdAll, 0);
    EXPECT_EQ(rt_quzo_QUZO_Touch[0], 0.0f);
    EXPECT_FLOAT_EQ(rt_quzo_QUZO_Touch[101], 200.0f); // the position is kept while up
    EXPECT_EQ(rt_quzo_mx, 200);
    EXPECT_EQ(rt_quzo_my, 100); // 100.8 truncated

    game.mouseDown();
    game.update();
    EXPECT_EQ(rt_quzo_mdAll, 1);
    EXPECT_EQ(rt_quzo_QUZO_Touch[0], 1.0f);
    EXPECT_FLOAT_EQ(rt_quzo_QUZO_Touch[1], 200.0f);
    EXPECT_FLOAT_EQ(rt_quzo_QUZO_Touch[2], 100.8f);
    EXPECT_EQ(rt_quzo_QUZO_Touch[100], 1.0f);
    EXPECT_EQ(rt_quzo_mwx, 200);
    EXPECT_EQ(rt_quzo_mwy, 100);

    // Buttons other than the left one are no pointer.
    game.mouseUp();
    game.mouseDown(1);
    game.update();
    EXPECT_EQ(rt_quzo_mdAll, 0);
    EXPECT_EQ(rt_quzo_mwx, -100);
    EXPECT_EQ(rt_quzo_mPadcx, -100);
}

TEST_F(ControlsTest, LowestTouchIsThePrimaryPointer) {
    start();
    rt_quzo_QUZO_Scale = 2;
    game.TouchEvent(c_RtGameEvent::TouchDown, 5, 500, 100);
    game.update();
    EXPECT_EQ(rt_quzo_mdAll, 1);
    EXPECT_EQ(rt_quzo_mx, 250);
    EXPECT_EQ(rt_quzo_QUZO_Touch[50], 1.0f);
    EXPECT_FLOAT_EQ(rt_quzo_QUZO_Touch[51], 250.0f);
    EXPECT_FLOAT_EQ(rt_quzo_QUZO_Touch[52], 50.0f);

    game.TouchEvent(c_RtGameEvent::TouchDown, 2, 60, 80);
    game.update();
    EXPECT_EQ(rt_quzo_mx, 30);
    EXPECT_EQ(rt_quzo_my, 40);
    EXPECT_EQ(rt_quzo_QUZO_Touch[20], 1.0f);
    EXPECT_EQ(rt_quzo_QUZO_Touch[50], 1.0f);
    // Touches beyond the tenth are not part of the model.
    game.TouchEvent(c_RtGameEvent::TouchUp, 2, 0, 0);
    game.TouchEvent(c_RtGameEvent::TouchUp, 5, 0, 0);
    game.TouchEvent(c_RtGameEvent::TouchDown, 10, 60, 80);
    game.update();
    EXPECT_EQ(rt_quzo_mdAll, 0);
    EXPECT_EQ(rt_quzo_MouseIn(0, 0, 800, 800), 0);
}

TEST_F(ControlsTest, ConsoleHostIgnoresTouchPositions) {
    start();
    rt_quzo_SetOUYA(1);
    game.moveMouse(100, 100);
    game.mouseDown();
    game.TouchEvent(c_RtGameEvent::TouchDown, 3, 50, 50);
    game.update();
    EXPECT_EQ(rt_quzo_mdAll, 1);
    EXPECT_EQ(rt_quzo_mx, -100);
    EXPECT_EQ(rt_quzo_my, -100);
    EXPECT_EQ(rt_quzo_QUZO_Touch[0], 0.0f);
    EXPECT_EQ(rt_quzo_QUZO_Touch[30], 0.0f);
    EXPECT_EQ(rt_quzo_QUZO_Touch[31], -100.0f);
    EXPECT_EQ(rt_quzo_MouseIn(-1000, -1000, 2000, 2000), 0);
    EXPECT_EQ(rt_quzo_MouseIn_Radius(-100, -100, 1), 0);
}

TEST_F(ControlsTest, MovementIsMeasuredOnlyWithinOnePress) {
    start();
    rt_quzo_QUZO_Scale = 1;
    game.moveMouse(100, 200);
    game.update();
    game.mouseDown();
    game.update();
    EXPECT_EQ(rt_quzo_msx, 0);
    game.moveMouse(150, 190);
    game.update();
    EXPECT_EQ(rt_quzo_msx, 50);
    EXPECT_EQ(rt_quzo_msy, -10);
    game.update();
    EXPECT_EQ(rt_quzo_msx, 0);

    game.moveMouse(140, 190);
    game.update();
    game.mouseUp();
    game.update();
    EXPECT_EQ(rt_quzo_mwx, -100);
    EXPECT_EQ(rt_quzo_mwy, -100);
    // A new press far away is no movement; the last movement stays until there is one.
    game.moveMouse(600, 500);
    game.mouseDown();
    game.update();
    EXPECT_EQ(rt_quzo_msx, -10);
    EXPECT_EQ(rt_quzo_msy, 0);
    game.moveMouse(610, 503);
    game.update();
    EXPECT_EQ(rt_quzo_msx, 10);
    EXPECT_EQ(rt_quzo_msy, 3);
}

TEST_F(ControlsTest, DragStickDeflectsAndPullsItsCentreAlong) {
    start();
    rt_quzo_QUZO_Scale = 1;
    game.moveMouse(300, 300);
    game.update(); // no pointer yet: the centre is unset
    game.mouseDown();
    game.update();
    EXPECT_EQ(rt_quzo_mPadcx, 300);
    EXPECT_EQ(rt_quzo_mPadcy, 300);
    EXPECT_FLOAT_EQ(rt_quzo_mPadx, 0.0f);

    game.moveMouse(332, 284);
    game.update();
    EXPECT_FLOAT_EQ(rt_quzo_mPadx, 0.5f);
    EXPECT_FLOAT_EQ(rt_quzo_mPady, -0.25f);
    EXPECT_EQ(rt_quzo_mPadcx, 300);
    EXPECT_FLOAT_EQ(rt_quzo_ControlX(-1, 0), 0.5f);

    // 100 units right and 100 up: full deflection while the centre follows 8 units per
    // update, until the pointer is within 64 units of it.
    game.moveMouse(400, 200);
    const int centres[] = {308, 316, 324, 332, 340, 340};
    const float pads[] = {1, 1, 1, 1, 1, 60.0f / 64};
    for (int i = 0; i < 6; ++i) {
        game.update();
        EXPECT_FLOAT_EQ(rt_quzo_mPadx, pads[i]) << i;
        EXPECT_FLOAT_EQ(rt_quzo_mPady, -pads[i]) << i;
        EXPECT_EQ(rt_quzo_mPadcx, centres[i]) << i;
        EXPECT_EQ(rt_quzo_mPadcy, 600 - centres[i]) << i;
    }

    // Released, the deflection keeps its last value and the centre is forgotten; a new
    // press starts a new centre.
    game.mouseUp();
    game.update();
    EXPECT_EQ(rt_quzo_mPadcx, -100);
    EXPECT_FLOAT_EQ(rt_quzo_mPadx, 60.0f / 64);
    game.moveMouse(50, 60);
    game.mouseDown();
    game.update();
    EXPECT_EQ(rt_quzo_mPadcx, 50);
    EXPECT_EQ(rt_quzo_mPadcy, 60);
    EXPECT_FLOAT_EQ(rt_quzo_mPadx, 0.0f);
}

TEST_F(ControlsTest, DragStickOffLeavesTheDeflectionAlone) {
    start();
    rt_quzo_QUZO_Scale = 1;
    rt_quzo_AllowMouseAnalogue(0);
    game.moveMouse(300, 300);
    game.update();
    game.mouseDown();
    game.update();
    game.moveMouse(400, 300);
    game.update(3);
    EXPECT_FLOAT_EQ(rt_quzo_mPadx, 0.0f);
    EXPECT_EQ(rt_quzo_mPadcx, 300);
    EXPECT_EQ(rt_quzo_msx, 0);
    EXPECT_EQ(rt_quzo_mx, 400);
}

TEST_F(ControlsTest, PointerWithoutMeasuredWindowUsesPixels) {
    // Before the first render there is no scale; positions must still be sane.
    start();
    rt_quzo_QUZO_Scale = 0;
    game.moveMouse(123, 45);
    game.mouseDown();
    game.update();
    EXPECT_EQ(rt_quzo_mx, 123);
    EXPECT_EQ(rt_quzo_my, 45);
    EXPECT_EQ(rt_quzo_MouseIn_Radius(123, 45, 0.5f), 1);
}

TEST_F(ControlsTest, NoInputDeviceReadsAsNothingHeld) {
    // Runtime started, game not: there is no input device yet.
    ASSERT_EQ(rt_input_device, nullptr);
    rt_quzo_QUZO_Control[21] = 0.5f;
    updatePointer();
    rt_quzo_DoControls();
    EXPECT_EQ(rt_quzo_mdAll, 0);
    EXPECT_EQ(rt_quzo_mwx, -100);
    EXPECT_FLOAT_EQ(rt_quzo_QUZO_Control[21], 0.25f);
    EXPECT_EQ(rt_quzo_PlayKey(10, -2), 0.0f);
}

// --- Hit tests ---------------------------------------------------------------------------

TEST_F(ControlsTest, HitTestsSeeOnlyHeldPointers) {
    struct Case {
        const char* what;
        int result;
        int (*test)();
    };
    const Case cases[] = {
        {"inside", 1, [] { return rt_quzo_MouseIn(90, 90, 20, 20); }},
        {"on the top-left corner", 1, [] { return rt_quzo_MouseIn(100, 100, 30, 30); }},
        {"on the bottom-right corner", 1, [] { return rt_quzo_MouseIn(70, 80, 30, 20); }},
        {"empty area at the point", 1, [] { return rt_quzo_MouseIn(100, 100, 0, 0); }},
        {"right of it", 0, [] { return rt_quzo_MouseIn(100.5f, 90, 20, 20); }},
        {"above it", 0, [] { return rt_quzo_MouseIn(90, 60, 20, 39.5f); }},
        {"negative size", 0, [] { return rt_quzo_MouseIn(110, 110, -20, -20); }},
        {"centred", 1, [] { return rt_quzo_MouseIn_Centered(110, 110, 20, 20); }},
        {"centred, just missed", 0, [] { return rt_quzo_MouseIn_Centered(111, 110, 20, 20); }},
        {"circle edge", 1, [] { return rt_quzo_MouseIn_Radius(103, 104, 5); }},
        {"circle, just outside", 0, [] { return rt_quzo_MouseIn_Radius(103, 104, 4.99f); }},
    };
    start();
    rt_quzo_QUZO_Scale = 1;
    game.moveMouse(100, 100);
    game.update();
    for (const Case& c : cases) EXPECT_EQ(c.test(), 0) << "up: " << c.what;
    game.mouseDown();
    game.update();
    for (const Case& c : cases) EXPECT_EQ(c.test(), c.result) << "held: " << c.what;
    game.mouseUp();
    game.update();
    for (const Case& c : cases) EXPECT_EQ(c.test(), 0) << "released: " << c.what;
}

TEST_F(ControlsTest, HitTestsSeeEveryTouchSlot) {
    start();
    rt_quzo_QUZO_Scale = 1;
    game.moveMouse(700, 500);
    game.mouseDown();
    game.TouchEvent(c_RtGameEvent::TouchDown, 9, 20, 30);
    game.update();
    EXPECT_EQ(rt_quzo_MouseIn(0, 0, 40, 40), 1);
    EXPECT_EQ(rt_quzo_MouseIn_Radius(700, 500, 1), 1);
    EXPECT_EQ(rt_quzo_MouseIn(100, 100, 500, 300), 0);
    EXPECT_EQ(rt_quzo_mx, 700); // the primary pointer is the mouse (slot 0)
}

TEST_F(ControlsTest, ButtonDrawsItsFrameAndTestsItsScaledBox) {
    start();
    rt_quzo_QUZO_Scale = 1;
    rt_quzo_QUZO_ImgW[5] = 64;
    rt_quzo_QUZO_ImgH[5] = 16; // the box is square: the height plays no part
    rt_quzo_QUZO_ImgD[5] = 4;
    game.moveMouse(100, 100);
    game.mouseDown();
    game.update();

    struct Case {
        float x, y, size;
        int result;
    };
    const Case cases[] = {
        {120, 100, 1, 1},   {132, 100, 1, 1},   {133, 100, 1, 0}, {100, 131, 1, 1},
        {120, 100, 0.5, 0}, {116, 100, 0.5, 1}, {160, 100, 2, 1}, {165, 100, 2, 0},
    };
    for (const Case& c : cases) {
        rt_quzo_Sprtup = 0;
        rt_quzo_ResetDraw();
        rt_quzo_SetSize(c.size, -37171);
        EXPECT_EQ(rt_quzo_Button(5, c.x, c.y, 6), c.result) << c.x << ", " << c.y << " x" << c.size;
        ASSERT_EQ(rt_quzo_Sprtup, 1);
        const float* r = &rt_quzo_QUZO_Draw[0];
        EXPECT_EQ(r[9], 1.0f);  // an image
        EXPECT_EQ(r[10], 5.0f); // of slot 5
        EXPECT_EQ(r[11], c.x);
        EXPECT_EQ(r[13], 2.0f); // frame 6 of 4
    }
    for (int slot : {0, 100, -1}) {
        rt_quzo_Sprtup = 0;
        EXPECT_EQ(rt_quzo_Button(slot, 100, 100, 0), 0) << slot;
        EXPECT_EQ(rt_quzo_Sprtup, 0) << slot;
    }
}

// --- Numbers -----------------------------------------------------------------------------

TEST_F(ControlsTest, DistIsExactWhereFloatsWouldOverflow) {
    EXPECT_FLOAT_EQ(rt_quzo_Dist(0, 0, 3, 4), 5.0f);
    EXPECT_FLOAT_EQ(rt_quzo_Dist(-1, 7, 2, 3), 5.0f);
    EXPECT_FLOAT_EQ(rt_quzo_Dist(1, 1, 1, 1), 0.0f);
    // The squares of these overflow a float.
    EXPECT_FLOAT_EQ(rt_quzo_Dist(0, 0, 3e20f, 4e20f), 5e20f);
}

// The generator state whose next draw returns `state` >> 8 scaled: one step backwards.
int stateBefore(unsigned state) {
    unsigned inverse = 1664525u; // Newton's iteration for the inverse modulo 2^32
    for (int i = 0; i < 5; ++i) inverse *= 2u - 1664525u * inverse;
    return int((state - 1013904223u) * inverse);
}

TEST_F(ControlsTest, RandCoversLoToHiAtTheExtremesOfTheGenerator) {
    struct Case {
        float lo, hi;
        int atZero, atTop;
    };
    const Case cases[] = {{1, 3, 1, 3}, {0, 7, 0, 7},    {-3, -1, -3, -1},
                          {5, 5, 5, 5}, {2.5f, 4, 2, 4}, {0, 1000, 0, 1000}};
    for (const Case& c : cases) {
        rt_random_Seed = stateBefore(0); // the next draw is 0
        EXPECT_EQ(rt_quzo_Rand(c.lo, c.hi), c.atZero) << c.lo << " .. " << c.hi;
        EXPECT_EQ(rt_random_Seed, 0);
        rt_random_Seed = stateBefore(0xFFFFFFFFu); // the next draw is 1 - 2^-24
        EXPECT_EQ(rt_quzo_Rand(c.lo, c.hi), c.atTop) << c.lo << " .. " << c.hi;
    }
}

TEST_F(ControlsTest, RandDrawsOnceAndGivesTheTopValueAboutOnePercentLess) {
    rt_random_Seed = 1234;
    int seed = 1234;
    rt_quzo_Rand(0, 7);
    rt_random_Step(seed);
    EXPECT_EQ(rt_random_Seed, seed);

    for (float hi : {3.0f, 7.0f}) {
        const int draws = 799000;
        std::vector<int> counts(size_t(hi) + 1, 0);
        for (int i = 0; i < draws; ++i) {
            int v = rt_quzo_Rand(hi == 3 ? 1 : 0, hi);
            ASSERT_GE(v, hi == 3 ? 1 : 0);
            ASSERT_LE(v, int(hi));
            ++counts[size_t(v)];
        }
        int first = hi == 3 ? 1 : 0;
        double others = 0;
        for (int v = first; v < int(hi); ++v) {
            EXPECT_GT(counts[size_t(v)], 0);
            others += counts[size_t(v)];
        }
        others /= (int(hi) - first);
        double ratio = counts[size_t(hi)] / others;
        EXPECT_NEAR(ratio, 0.99, 0.01) << "top " << hi;
        EXPECT_LT(ratio, 1.0);
    }
}

} // namespace
