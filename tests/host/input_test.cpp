// Host input: key translation, the characters of special keys, the event sequences of the
// key callback, the close request and the joystick list and layouts.
#include "host/joystick.h"
#include "tests/host/recording_delegate.h"
#include "tests/support/headless_game.h"

#include <GLFW/glfw3.h>
#include <gmock/gmock.h>
#include <gtest/gtest.h>

namespace hexwend::testing {
namespace {

using ::testing::ElementsAre;

struct KeyCase {
    int glfwKey;
    int code;
};

TEST(TransKeyTest, MapsGlfwKeysToRuntimeCodes) {
    const KeyCase cases[] = {
        {GLFW_KEY_0, 48},
        {GLFW_KEY_9, 57},
        {GLFW_KEY_A, 65},
        {GLFW_KEY_Z, 90},
        {GLFW_KEY_SPACE, 32},
        {GLFW_KEY_APOSTROPHE, 222},
        {GLFW_KEY_COMMA, 188},
        {GLFW_KEY_MINUS, 189},
        {GLFW_KEY_PERIOD, 190},
        {GLFW_KEY_SLASH, 191},
        {GLFW_KEY_SEMICOLON, 186},
        {GLFW_KEY_EQUAL, 187},
        {GLFW_KEY_LEFT_BRACKET, 219},
        {GLFW_KEY_BACKSLASH, 220},
        {GLFW_KEY_RIGHT_BRACKET, 221},
        {GLFW_KEY_GRAVE_ACCENT, 192},
        {GLFW_KEY_ESCAPE, 27},
        {GLFW_KEY_ENTER, 13},
        {GLFW_KEY_TAB, 9},
        {GLFW_KEY_BACKSPACE, 8},
        {GLFW_KEY_INSERT, 45},
        {GLFW_KEY_DELETE, 46},
        {GLFW_KEY_RIGHT, 39},
        {GLFW_KEY_LEFT, 37},
        {GLFW_KEY_DOWN, 40},
        {GLFW_KEY_UP, 38},
        {GLFW_KEY_PAGE_UP, 33},
        {GLFW_KEY_PAGE_DOWN, 34},
        {GLFW_KEY_HOME, 36},
        {GLFW_KEY_END, 35},
        {GLFW_KEY_F1, 112},
        {GLFW_KEY_F4, 115},
        {GLFW_KEY_F12, 123},
        {GLFW_KEY_KP_0, 96},
        {GLFW_KEY_KP_9, 105},
        {GLFW_KEY_KP_DECIMAL, 110},
        {GLFW_KEY_KP_DIVIDE, 111},
        {GLFW_KEY_KP_MULTIPLY, 106},
        {GLFW_KEY_KP_SUBTRACT, 109},
        {GLFW_KEY_KP_ADD, 107},
        {GLFW_KEY_LEFT_SHIFT, 16},
        {GLFW_KEY_RIGHT_SHIFT, 16},
        {GLFW_KEY_LEFT_CONTROL, 17},
        {GLFW_KEY_RIGHT_CONTROL, 17},
        // Keys the game never sees.
        {GLFW_KEY_KP_ENTER, 0},
        {GLFW_KEY_KP_EQUAL, 0},
        {GLFW_KEY_LEFT_ALT, 0},
        {GLFW_KEY_RIGHT_ALT, 0},
        {GLFW_KEY_LEFT_SUPER, 0},
        {GLFW_KEY_MENU, 0},
        {GLFW_KEY_CAPS_LOCK, 0},
        {GLFW_KEY_NUM_LOCK, 0},
        {GLFW_KEY_PRINT_SCREEN, 0},
        {GLFW_KEY_PAUSE, 0},
        {GLFW_KEY_F13, 0},
        {GLFW_KEY_F25, 0},
        {GLFW_KEY_WORLD_1, 0},
        {GLFW_KEY_WORLD_2, 0},
        {GLFW_KEY_UNKNOWN, 0},
    };
    for (const KeyCase& c : cases) {
        EXPECT_EQ(RtGlfwGame::TransKey(c.glfwKey), c.code) << "GLFW key " << c.glfwKey;
    }
}

TEST(KeyToCharTest, SpecialKeysCarryTheirOwnCharacters) {
    const KeyCase cases[] = {{8, 8},      {9, 9},      {13, 13},    {27, 27},
                             {33, 65569}, {36, 65572}, {37, 65573}, {40, 65576},
                             {45, 65581}, {46, 127},   {32, 0},     {65, 0},
                             {16, 0},     {112, 0},    {41, 0},     {432, 0}};
    for (const KeyCase& c : cases) {
        EXPECT_EQ(RtGlfwGame::KeyToChar(c.glfwKey), c.code) << "key " << c.glfwKey;
    }
}

class HostInputTest : public ::testing::Test {
  protected:
    void SetUp() override {
        startBareRuntime();
        delegate = new RecordingDelegate();
        game.SetDelegate(delegate);
        game.StartGame();
        delegate->calls.clear();
    }

    void key(int glfwKey, int action) { RtGlfwGame::OnKey(nullptr, glfwKey, 0, action, 0); }

    HeadlessGame game;
    RecordingDelegate* delegate = nullptr;
};

TEST_F(HostInputTest, ALetterGivesDownThenItsTypedCharacterThenUp) {
    key(GLFW_KEY_A, GLFW_PRESS);
    RtGlfwGame::OnChar(nullptr, 'a');
    key(GLFW_KEY_A, GLFW_RELEASE);
    EXPECT_THAT(delegate->calls, ElementsAre("key 1 65", "key 3 97", "key 2 65"));
}

TEST_F(HostInputTest, HeldKeysRepeatTheirCharacter) {
    key(GLFW_KEY_BACKSPACE, GLFW_PRESS);
    key(GLFW_KEY_BACKSPACE, GLFW_REPEAT);
    key(GLFW_KEY_BACKSPACE, GLFW_REPEAT);
    key(GLFW_KEY_BACKSPACE, GLFW_RELEASE);
    EXPECT_THAT(delegate->calls, ElementsAre("key 1 8", "key 3 8", "key 1 8", "key 3 8", "key 1 8",
                                             "key 3 8", "key 2 8"));
}

TEST_F(HostInputTest, CursorKeysAndDeleteGiveTheirCharacterCodes) {
    key(GLFW_KEY_LEFT, GLFW_PRESS);
    key(GLFW_KEY_DELETE, GLFW_PRESS);
    key(GLFW_KEY_ENTER, GLFW_PRESS);
    EXPECT_THAT(delegate->calls, ElementsAre("key 1 37", "key 3 65573", "key 1 46", "key 3 127",
                                             "key 1 13", "key 3 13"));
}

TEST_F(HostInputTest, KeysWithoutACodeAndUnknownActionsAreDropped) {
    key(GLFW_KEY_KP_ENTER, GLFW_PRESS);
    key(GLFW_KEY_KP_ENTER, GLFW_RELEASE);
    key(GLFW_KEY_LEFT_ALT, GLFW_PRESS);
    key(GLFW_KEY_A, 7);
    EXPECT_TRUE(delegate->calls.empty());
}

TEST_F(HostInputTest, BothShiftKeysAreOneKey) {
    key(GLFW_KEY_LEFT_SHIFT, GLFW_PRESS);
    key(GLFW_KEY_RIGHT_SHIFT, GLFW_PRESS);
    key(GLFW_KEY_RIGHT_SHIFT, GLFW_RELEASE);
    EXPECT_THAT(delegate->calls, ElementsAre("key 1 16", "key 1 16", "key 2 16"));
}

TEST_F(HostInputTest, CursorMovesAreMouseMovesOfNoButton) {
    RtGlfwGame::OnCursorPos(nullptr, 12.75, 30.5);
    EXPECT_THAT(delegate->calls, ElementsAre("mouse 6 -1 12 30"));
}

TEST_F(HostInputTest, ResizingChangesTheDeviceSizeAtOnce) {
    game.SetDeviceWindow(640, 480, 6);
    RtGlfwGame::OnWindowSize(nullptr, 800, 500);
    EXPECT_EQ(game.GetDeviceWidth(), 800);
    EXPECT_EQ(game.GetDeviceHeight(), 500);
}

// --- Joysticks ----------------------------------------------------------------------------

TEST(JoystickListTest, TakesTheFirstFourPresentNumbersWithoutGaps) {
    struct Case {
        std::vector<int> present;
        std::vector<int> expected;
    };
    const Case cases[] = {
        {{}, {}},
        {{3}, {3}},
        {{1, 4, 15}, {1, 4, 15}},
        {{0, 2, 5, 7, 9, 11}, {0, 2, 5, 7}},
    };
    for (const Case& c : cases) {
        int tested = 0;
        int list[4] = {-1, -1, -1, -1};
        int count = host::findJoysticks(
            [&](int jid) {
                ++tested;
                return std::find(c.present.begin(), c.present.end(), jid) != c.present.end();
            },
            list);
        EXPECT_EQ(std::vector<int>(list, list + count), c.expected);
        // The search stops at the fourth joystick found, otherwise after number 15.
        EXPECT_EQ(tested, c.expected.size() == 4 ? c.expected[3] + 1 : 16);
    }
}

struct Mapped {
    float joyx[2], joyy[2], joyz[2];
    bool buttons[32];
};

Mapped mapDevice(std::vector<float> axes, std::vector<unsigned char> buttons) {
    Mapped m{};
    host::mapJoystick(axes.data(), int(axes.size()), buttons.data(), int(buttons.size()), m.joyx,
                      m.joyy, m.joyz, m.buttons);
    return m;
}

TEST(JoystickLayoutTest, FiveAxesAndFourteenButtonsUseTheirOwnLayout) {
    Mapped m = mapDevice({0.25f, -0.5f, 0.75f, 0.4f, -0.3f}, std::vector<unsigned char>(14, 0));
    EXPECT_FLOAT_EQ(m.joyx[0], 0.25f);
    EXPECT_FLOAT_EQ(m.joyy[0], 0.5f); // axis 1 negated
    EXPECT_FLOAT_EQ(m.joyz[0], 0.75f);
    EXPECT_FLOAT_EQ(m.joyx[1], -0.3f);  // axis 4
    EXPECT_FLOAT_EQ(m.joyy[1], -0.4f);  // axis 3 negated
    EXPECT_FLOAT_EQ(m.joyz[1], -0.75f); // axis 2 negated
}

TEST(JoystickLayoutTest, OtherDevicesKeepTheAxisAndReadTriggersFromButtons) {
    std::vector<unsigned char> buttons(16, 0);
    buttons[7] = 1;
    Mapped m = mapDevice({0.25f, -0.5f, 0.1f, 0.2f}, buttons);
    EXPECT_FLOAT_EQ(m.joyx[0], 0.25f);
    EXPECT_FLOAT_EQ(m.joyy[0], -0.5f);
    EXPECT_FLOAT_EQ(m.joyz[0], 0.0f); // button 6 up
    EXPECT_FLOAT_EQ(m.joyx[1], 0.1f);
    EXPECT_FLOAT_EQ(m.joyy[1], -0.2f);
    EXPECT_FLOAT_EQ(m.joyz[1], 1.0f); // button 7 down
}

TEST(JoystickLayoutTest, ButtonsFollowEachLayoutsOrder) {
    const int orderA[14] = {0, 1, 2, 3, 4, 5, 6, 7, 13, 10, 11, 12, 8, 9};
    const int orderB[14] = {1, 2, 0, 3, 4, 5, 8, 9, 15, 12, 13, 14, 10, 11};
    for (int out = 0; out < 14; ++out) {
        std::vector<unsigned char> a(14, 0);
        a[size_t(orderA[out])] = 1;
        Mapped ma = mapDevice(std::vector<float>(5, 0), a);
        std::vector<unsigned char> b(16, 0);
        b[size_t(orderB[out])] = 1;
        Mapped mb = mapDevice(std::vector<float>(2, 0), b);
        for (int m = 0; m < 32; ++m) {
            EXPECT_EQ(ma.buttons[m], m == out) << "layout A, output " << m;
            EXPECT_EQ(mb.buttons[m], m == out) << "layout B, output " << m;
        }
    }
}

TEST(JoystickLayoutTest, InputsTheDeviceLacksReadAsZero) {
    // Two axes and three buttons: the right stick, the triggers and most buttons are absent.
    Mapped m = mapDevice({0.5f, 0.5f}, {1, 1, 1});
    EXPECT_FLOAT_EQ(m.joyx[1], 0.0f);
    EXPECT_FLOAT_EQ(m.joyy[1], 0.0f);
    EXPECT_FLOAT_EQ(m.joyz[0], 0.0f);
    EXPECT_FLOAT_EQ(m.joyz[1], 0.0f);
    EXPECT_TRUE(m.buttons[0]);  // device button 1
    EXPECT_TRUE(m.buttons[1]);  // device button 2
    EXPECT_TRUE(m.buttons[2]);  // device button 0
    EXPECT_FALSE(m.buttons[3]); // device button 3 does not exist
}

class HostJoystickTest : public ::testing::Test {
  protected:
    // The arrays are made after the runtime start, which destroys every collected object.
    void SetUp() override {
        startBareRuntime();
        joyx = Array<float>(2);
        joyy = Array<float>(2);
        joyz = Array<float>(2);
        buttons = Array<bool>(32);
    }

    bool poll(int port) { return game.PollJoystick(port, joyx, joyy, joyz, buttons); }

    HeadlessGame game;
    Array<float> joyx, joyy, joyz;
    Array<bool> buttons;
};

TEST_F(HostJoystickTest, PortsNumberThePresentJoysticksInOrder) {
    for (int jid : {3, 6, 8, 9, 12}) game.plugJoystick(jid, 4, 16);
    game.setJoystickAxis(3, 0, 0.5f);
    game.setJoystickAxis(12, 0, 0.9f);
    ASSERT_TRUE(poll(0));
    EXPECT_FLOAT_EQ(joyx[0], 0.5f);
    EXPECT_TRUE(poll(3));
    EXPECT_FALSE(poll(4));
    EXPECT_FALSE(poll(-1));
    EXPECT_EQ(game.system().joysticks[12].reads, 0); // the fifth is never polled
}

TEST_F(HostJoystickTest, TheListIsBuiltOnceAtTheFirstPoll) {
    game.plugJoystick(0, 4, 16);
    EXPECT_TRUE(poll(0));
    EXPECT_FALSE(poll(1));
    game.plugJoystick(1, 4, 16);
    EXPECT_FALSE(poll(1));
    EXPECT_EQ(game.CountJoysticks(true), 2);
    EXPECT_TRUE(poll(1));
}

TEST_F(HostJoystickTest, AnUnreadableJoystickPollsAsAbsent) {
    game.plugJoystick(0, 4, 16);
    game.system().joysticks[0].readable = false;
    EXPECT_FALSE(poll(0));
}

TEST_F(HostJoystickTest, APollRefreshesEveryButton) {
    game.plugJoystick(0, 2, 16);
    game.setJoystickButton(0, 1, true);
    ASSERT_TRUE(poll(0));
    EXPECT_TRUE(buttons[0]);
    game.setJoystickButton(0, 1, false);
    game.setJoystickButton(0, 2, true);
    ASSERT_TRUE(poll(0));
    EXPECT_FALSE(buttons[0]);
    EXPECT_TRUE(buttons[1]);
}

// --- Display modes ------------------------------------------------------------------------

TEST(HostDisplayModesTest, KeepsModesOfSixtyHertzOrUnknownRateInOrder) {
    startBareRuntime();
    HeadlessGame game;
    game.system().modes = {{1024, 768, 8, 8, 8, 60},
                           {1024, 768, 8, 8, 8, 75},
                           {1024, 768, 8, 8, 8, 0},
                           {800, 600, 8, 8, 8, 60}};
    Array<RtDisplayMode*> modes = game.GetDisplayModes();
    ASSERT_EQ(modes.Length(), 3);
    EXPECT_EQ(modes[0]->width, 1024);
    EXPECT_EQ(modes[1]->height, 768);
    EXPECT_EQ(modes[2]->width, 800);
    EXPECT_EQ(modes[2]->depth + modes[2]->hertz + modes[2]->flags, 0);

    game.system().modes.clear();
    EXPECT_EQ(game.GetDisplayModes().Length(), 0);
}

TEST(HostDisplayModesTest, TheDesktopModeIsCopiedAtConstruction) {
    startBareRuntime();
    HeadlessGame game;
    RtDisplayMode* desktop = game.GetDesktopMode();
    ASSERT_NE(desktop, nullptr);
    EXPECT_EQ(desktop->width, 1920);
    EXPECT_EQ(desktop->height, 1080);
    EXPECT_EQ(game._desktopMode[5], 60);
}

} // namespace
} // namespace hexwend::testing
