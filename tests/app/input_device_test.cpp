// The input device as the game sees it: events between updates, read inside an update.
#include "tests/app/test_app.h"
#include "tests/support/headless_game.h"

#include <gtest/gtest.h>

namespace hexwend::testing {
namespace {

class InputDeviceTest : public ::testing::Test {
  protected:
    void SetUp() override { app = game.start<TestApp>(); }

    // Runs one update with `read` inside it.
    void inUpdate(const std::function<void()>& read) {
        app->onUpdate = read;
        game.update();
        app->onUpdate = nullptr;
    }

    HeadlessGame game;
    TestApp* app = nullptr;
};

TEST_F(InputDeviceTest, PressesBetweenUpdatesAreCountedOnceEachAndClearedAfter) {
    game.tap(keys::kSpace);
    game.tap(keys::kSpace);
    inUpdate([] {
        EXPECT_EQ(rt_input_KeyHit(32), 2);
        EXPECT_FALSE(rt_input_KeyDown(32));
    });
    inUpdate([] { EXPECT_EQ(rt_input_KeyHit(32), 0); });
}

TEST_F(InputDeviceTest, AHeldKeyStaysDownAndItsRepeatsAreNoNewHits) {
    game.press('A');
    game.repeat('A');
    game.repeat('A');
    inUpdate([] {
        EXPECT_EQ(rt_input_KeyHit(65), 1);
        EXPECT_TRUE(rt_input_KeyDown(65));
    });
    inUpdate([] {
        EXPECT_EQ(rt_input_KeyHit(65), 0);
        EXPECT_TRUE(rt_input_KeyDown(65));
    });
    game.release('A');
    inUpdate([] { EXPECT_FALSE(rt_input_KeyDown(65)); });
}

TEST_F(InputDeviceTest, TheLeftButtonAndTheFirstTouchAreOnePointer) {
    game.moveMouse(10, 20);
    game.mouseDown(0);
    inUpdate([] {
        EXPECT_TRUE(rt_input_MouseDown(0));
        EXPECT_TRUE(rt_input_TouchDown(0));
        EXPECT_EQ(rt_input_KeyHit(1), 1);
        EXPECT_EQ(rt_input_KeyHit(384), 1);
        EXPECT_FLOAT_EQ(rt_input_MouseX(), 10);
        EXPECT_FLOAT_EQ(rt_input_TouchY(0), 20);
    });
    game.mouseUp(0);
    inUpdate([] {
        EXPECT_FALSE(rt_input_MouseDown(0));
        EXPECT_FALSE(rt_input_TouchDown(0));
    });

    // And the other way round.
    game.TouchEvent(c_RtGameEvent::TouchDown, 0, 5, 6);
    inUpdate([] {
        EXPECT_TRUE(rt_input_MouseDown(0));
        EXPECT_EQ(rt_input_KeyHit(1), 1);
        EXPECT_FLOAT_EQ(rt_input_MouseX(), 5);
    });
    game.TouchEvent(c_RtGameEvent::TouchUp, 0, 5, 6);
    inUpdate([] { EXPECT_FALSE(rt_input_MouseDown(0)); });
}

TEST_F(InputDeviceTest, OtherButtonsAndFingersAreNotMirrored) {
    game.mouseDown(1);
    game.TouchEvent(c_RtGameEvent::TouchDown, 3, 7, 8);
    inUpdate([] {
        EXPECT_TRUE(rt_input_KeyDown(2));
        EXPECT_FALSE(rt_input_KeyDown(384));
        EXPECT_TRUE(rt_input_TouchDown(3));
        EXPECT_FALSE(rt_input_KeyDown(1));
        EXPECT_FLOAT_EQ(rt_input_TouchX(3), 7);
        EXPECT_FLOAT_EQ(rt_input_MouseX(), 0);
    });
}

TEST_F(InputDeviceTest, MovingTheMouseMovesTheFirstTouch) {
    game.moveMouse(33, 44);
    inUpdate([] {
        EXPECT_FLOAT_EQ(rt_input_TouchX(0), rt_input_MouseX());
        EXPECT_FLOAT_EQ(rt_input_TouchY(0), 44);
    });
}

TEST_F(InputDeviceTest, CodesOutsideTheNumberingReadAsNothing) {
    game.KeyEvent(c_RtGameEvent::KeyDown, 0);
    game.KeyEvent(c_RtGameEvent::KeyDown, 512);
    game.KeyEvent(c_RtGameEvent::KeyDown, -3);
    game.TouchEvent(c_RtGameEvent::TouchDown, 40, 1, 1);
    inUpdate([] {
        EXPECT_FALSE(rt_input_KeyDown(0));
        EXPECT_FALSE(rt_input_KeyDown(512));
        EXPECT_EQ(rt_input_KeyHit(-1), 0);
        EXPECT_EQ(rt_input_KeyHit(512), 0);
        EXPECT_FLOAT_EQ(rt_input_TouchX(32), 0);
        EXPECT_FLOAT_EQ(rt_input_TouchY(-1), 0);
        EXPECT_EQ(rt_input_device->m_keyHitPut, 0);
    });
}

TEST_F(InputDeviceTest, HitsBeyondThirtyThreeAreDroppedButTheKeysReadDown) {
    const char keysPressed[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZ01234567";
    ASSERT_EQ(sizeof keysPressed - 1, 34u);
    for (const char* k = keysPressed; *k; ++k) game.press(*k);
    inUpdate([] {
        EXPECT_EQ(rt_input_KeyHit('6'), 1); // the 33rd
        EXPECT_EQ(rt_input_KeyHit('7'), 0); // the 34th
        EXPECT_TRUE(rt_input_KeyDown('7'));
    });
    inUpdate([] {
        for (int key = 1; key < 512; ++key) ASSERT_EQ(rt_input_KeyHit(key), 0) << key;
    });
}

TEST_F(InputDeviceTest, UpToThirtyTwoCharactersAreQueuedPerUpdate) {
    game.type(String("abcdefghijklmnopqrstuvwxyz0123456789"));
    inUpdate([] {
        EXPECT_EQ(rt_input_device->m_charPut, 32);
        EXPECT_EQ(rt_input_device->m_charQueue[0], 'a');
        EXPECT_EQ(rt_input_device->m_charQueue[31], '5');
    });
    game.tap(keys::kLeft);
    inUpdate([] {
        EXPECT_EQ(rt_input_device->m_charPut, 1);
        EXPECT_EQ(rt_input_device->m_charQueue[0], 65573);
    });
}

TEST_F(InputDeviceTest, WithoutJoysticksEveryJoystickKeyIsUpAndEveryAxisZero) {
    inUpdate([] {
        for (int joystick = 0; joystick < 4; ++joystick) {
            for (int button = 0; button < 32; ++button) {
                EXPECT_FALSE(rt_input_JoyDown(button, joystick));
            }
            for (int index = 0; index < 2; ++index) {
                EXPECT_FLOAT_EQ(rt_input_JoyX(index, joystick), 0);
                EXPECT_FLOAT_EQ(rt_input_JoyY(index, joystick), 0);
            }
        }
    });
}

TEST_F(InputDeviceTest, JoystickButtonsAreKeysOfTheirPort) {
    game.plugJoystick(2, 4, 16);         // port 0
    game.plugJoystick(7, 5, 14);         // port 1
    game.setJoystickButton(2, 1, true);  // the first button in this layout
    game.setJoystickButton(7, 13, true); // output button 8 in this layout
    game.setJoystickAxis(2, 0, -0.5f);
    game.setJoystickAxis(7, 1, 0.25f);
    inUpdate([] {
        EXPECT_TRUE(rt_input_JoyDown(0, 0));
        EXPECT_EQ(rt_input_KeyHit(256), 1);
        EXPECT_TRUE(rt_input_KeyDown(256 + 32 + 8));
        EXPECT_FLOAT_EQ(rt_input_JoyX(0, 0), -0.5f);
        EXPECT_FLOAT_EQ(rt_input_JoyY(0, 1), -0.25f);
        // Joystick buttons take no part in the pointer mirroring.
        EXPECT_FALSE(rt_input_KeyDown(1));
    });
    inUpdate([] {
        EXPECT_TRUE(rt_input_JoyDown(0, 0));
        EXPECT_EQ(rt_input_KeyHit(256), 0);
    });
    game.setJoystickButton(2, 1, false);
    inUpdate([] { EXPECT_FALSE(rt_input_JoyDown(0, 0)); });
}

// A host whose joystick ports have a gap at port 1.
class GappedJoystickGame : public HeadlessGame {
  public:
    std::vector<int> polled;
    bool PollJoystick(int port, Array<float>, Array<float>, Array<float>,
                      Array<bool> buttons) override {
        polled.push_back(port);
        if (port == 1) return false;
        buttons[0] = true;
        return true;
    }
};

TEST(InputDeviceJoystickTest, ThePollStopsAtTheFirstAbsentPort) {
    GappedJoystickGame game;
    game.start<TestApp>();
    game.update();
    EXPECT_EQ(game.polled, (std::vector<int>{0, 1}));
    EXPECT_FALSE(rt_input_KeyDown(256 + 64));
    EXPECT_TRUE(rt_input_KeyDown(256));
}

TEST_F(InputDeviceTest, AccelerometerReadingsAreKept) {
    game.MotionEvent(c_RtGameEvent::MotionAccel, 0, 0.1f, 0.2f, 0.3f);
    game.MotionEvent(99, 0, 9, 9, 9);
    EXPECT_FLOAT_EQ(rt_input_device->m_accelY, 0.2f);
    EXPECT_FLOAT_EQ(rt_input_device->m_accelZ, 0.3f);
}

} // namespace
} // namespace hexwend::testing
