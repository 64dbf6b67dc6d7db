// The headless host: the desktop host with a fake window system, driven by a test.
//
//     HeadlessGame game;
//     auto* app = game.start<MyTestApp>();   // runtime start-up, then the game's start
//     game.press(keys::kEnter);
//     game.update(30);
//     game.release(keys::kEnter);
//
// The clock is scripted: it starts at 1 s and moves only by update() (one update period per
// update), advance() or the host's own sleeps. Key presses travel the real host path (GLFW
// key code, translation, characters), so the game sees exactly what the desktop host would
// deliver. No window and no OpenGL context exist; a device window request only records its
// size and flags.
#pragma once

#include "app/app.h"
#include "host/rt_game.h"
#include "runtime/init.h"
#include "tests/support/fake_window_system.h"

#include <set>
#include <vector>

namespace hexwend::testing {

// Runtime key codes, for tests that read like the keyboard.
namespace keys {
constexpr int kBackspace = 8;
constexpr int kTab = 9;
constexpr int kEnter = 13;
constexpr int kShift = 16;
constexpr int kControl = 17;
constexpr int kEscape = 27;
constexpr int kSpace = 32;
constexpr int kPageUp = 33;
constexpr int kPageDown = 34;
constexpr int kEnd = 35;
constexpr int kHome = 36;
constexpr int kLeft = 37;
constexpr int kUp = 38;
constexpr int kRight = 39;
constexpr int kDown = 40;
constexpr int kInsert = 45;
constexpr int kDelete = 46;
constexpr int kF1 = 112;
constexpr int kF4 = 115;
constexpr int kF12 = 123;
constexpr int kBack = 416;
constexpr int kClose = 432;
} // namespace keys

namespace detail {
// Constructed before the host so that the host can ask it for the desktop mode.
struct FakeWindowSystemHolder {
    FakeWindowSystem fakeSystem;
};
} // namespace detail

class HeadlessGame : private detail::FakeWindowSystemHolder, public RtGlfwGame {
  public:
    HeadlessGame();
    ~HeadlessGame() override;

    FakeWindowSystem& system() { return fakeSystem; }

    // --- Start-up ---

    // The runtime start-up (module defaults, collector reset) with an `App` as the game's
    // application object. `registerModules` adds the layers' initialisations; by default
    // those of the application layer and below.
    template <class App> App* startRuntime(void (*registerModules)() = app::registerModules) {
        rtClearModuleInits();
        registerModules();
        host::startRuntime(0, nullptr, [] {
            (new App())->m_new();
            return 0;
        });
        return static_cast<App*>(rt_app__app);
    }
    // The game's start: the delegate creates the devices and calls the application's
    // p_OnCreate.
    void startGame() { StartGame(); }
    // Both.
    template <class App> App* start(void (*registerModules)() = app::registerModules) {
        App* app = startRuntime<App>(registerModules);
        startGame();
        return app;
    }

    // --- Time ---

    int millisecs() { return Millisecs(); }
    void advance(int milliseconds) { fakeSystem.now += milliseconds / 1000.0; }
    // Runs `count` updates, moving the clock on by one update period after each.
    void update(int count = 1);
    void render() { RenderGame(); }
    // `count` loop passes in their steady state: a render, then one update.
    void frame(int count = 1);
    // Runs the real main loop for `passes` passes (the window is the fake one).
    void runLoop(int passes);

    // --- Keyboard (runtime key codes) ---

    void press(int key);
    // The repeat the system sends while a key is held.
    void repeat(int key);
    void release(int key);
    void tap(int key) {
        press(key);
        release(key);
    }
    // Characters as the system's text input delivers them.
    void type(const String& text);
    bool held(int key) const;

    // --- Mouse and window ---

    void moveMouse(float x, float y);
    // Button 0 left, 1 right, 2 middle, at the current pointer position.
    void mouseDown(int button = 0);
    void mouseUp(int button = 0);
    void click(float x, float y, int button = 0);
    // The window manager's close request (ends the process through the application).
    void closeWindow();
    // The user resizes the window.
    void resize(int width, int height);
    void loseFocus();
    void regainFocus();

    // --- Joysticks (GLFW joystick numbers 0 ... 15) ---

    void plugJoystick(int jid, int axisCount, int buttonCount);
    void setJoystickAxis(int jid, int axis, float value);
    void setJoystickButton(int jid, int button, bool pressed);

    // --- What the game asked of the host ---

    struct WindowRequest {
        int width;
        int height;
        int flags;
    };
    const std::vector<WindowRequest>& windowRequests() const { return windowRequests_; }
    const std::vector<std::string>& openedUrls() const { return openedUrls_; }
    bool mouseVisible() const { return mouseVisible_; }

    // --- Host operations without a window system ---

    void SetDeviceWindow(int width, int height, int flags) override;
    void SetMouseVisible(bool visible) override { mouseVisible_ = visible; }
    void OpenUrl(String url) override;
    // Data paths map into `dataDir` (the build's data folder by default).
    String PathToFilePath(String path) override;
    std::string dataDir;

  private:
    static int glfwKeyFor(int key);

    std::set<int> heldGlfwKeys_;
    std::set<int> heldOtherKeys_;
    float mouseX_ = 0;
    float mouseY_ = 0;
    bool mouseVisible_ = true;
    std::vector<WindowRequest> windowRequests_;
    std::vector<std::string> openedUrls_;
};

} // namespace hexwend::testing
