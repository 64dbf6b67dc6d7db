// The host object: the process's one connection between the operating system's window,
// clock, input and files and the game. RtGame is the platform-neutral host that forwards
// every per-frame call to the game delegate; RtGlfwGame is the desktop host built on GLFW
// with the fixed-rate main loop; RtVorpixGame is the class main() creates.
#pragma once

#include "runtime/gc.h"
#include "runtime/string.h"

#include <cstdio>
#include <mutex>

struct GLFWwindow;

// The receiver of every call from the host into the game. The application layer derives
// the game delegate from it; each operation does nothing here.
class RtGameDelegate : public Object {
  public:
    virtual void StartGame() {}
    virtual void SuspendGame() {}
    virtual void ResumeGame() {}
    virtual void UpdateGame() {}
    virtual void RenderGame() {}
    virtual void KeyEvent(int /*event*/, int /*data*/) {}
    virtual void MouseEvent(int /*event*/, int /*data*/, float /*x*/, float /*y*/) {}
    virtual void TouchEvent(int /*event*/, int /*data*/, float /*x*/, float /*y*/) {}
    virtual void MotionEvent(int /*event*/, int /*data*/, float /*x*/, float /*y*/, float /*z*/) {}
    virtual void DiscardGraphics() {}
};

// The base of everything the game throws. A ThrowableObject* that escapes a call into the
// game ends the process (RtGame::Die).
class ThrowableObject : public Object {};

// A display mode as the host reports it; this host fills only width and height.
class RtDisplayMode : public Object {
  public:
    int width = 0;
    int height = 0;
    int depth = 0;
    int hertz = 0;
    int flags = 0;
};

class RtGame {
  public:
    RtGameDelegate* _delegate = nullptr;
    bool _keyboardEnabled = false;
    int _updateRate = 0;
    bool _started = false;
    bool _suspended = false;

    // The host object of the process, set by the constructor.
    static RtGame* _game;

    RtGame();
    virtual ~RtGame();
    RtGame(const RtGame&) = delete;
    RtGame& operator=(const RtGame&) = delete;

    virtual void SetDelegate(RtGameDelegate* delegate);
    virtual RtGameDelegate* Delegate();
    virtual void SetKeyboardEnabled(bool enabled);
    virtual bool KeyboardEnabled();
    virtual void SetUpdateRate(int hertz);
    virtual int UpdateRate();
    virtual bool Started();
    virtual bool Suspended();
    virtual int Millisecs();
    virtual void GetDate(Array<int> date);
    virtual int SaveState(String state);
    virtual String LoadState();
    virtual String LoadString(String path);
    virtual int CountJoysticks(bool update);
    virtual bool PollJoystick(int port, Array<float> joyx, Array<float> joyy, Array<float> joyz,
                              Array<bool> buttons);
    virtual void OpenUrl(String url);
    virtual void SetMouseVisible(bool visible);
    virtual int GetDeviceWidth();
    virtual int GetDeviceHeight();
    virtual void SetDeviceWindow(int width, int height, int flags);
    virtual Array<RtDisplayMode*> GetDisplayModes();
    virtual RtDisplayMode* GetDesktopMode();
    virtual void SetSwapInterval(int interval);
    virtual String PathToFilePath(String path);
    virtual FILE* OpenFile(String path, String mode);
    // The whole file; the caller owns the buffer (free it with std::free).
    virtual unsigned char* LoadData(String path, int* size);
    // Decoded 8-bit pixels of an image file, `depth` bytes per pixel; null on failure. The
    // caller owns the buffer.
    virtual unsigned char* LoadImageData(String path, int* width, int* height, int* depth);
    // Decoded samples of a sound file; null on failure. The caller owns the buffer.
    virtual unsigned char* LoadAudioData(String path, int* length, int* channels,
                                         int* bytesPerSample, int* hertz);
    [[noreturn]] virtual void Die(ThrowableObject* ex);
    virtual void gc_collect();
    virtual void StartGame();
    virtual void SuspendGame();
    virtual void ResumeGame();
    virtual void UpdateGame();
    virtual void RenderGame();
    virtual void KeyEvent(int event, int data);
    virtual void MouseEvent(int event, int data, float x, float y);
    virtual void TouchEvent(int event, int data, float x, float y);
    virtual void MotionEvent(int event, int data, float x, float y, float z);
    virtual void DiscardGraphics();
};

namespace hexwend::host {

// The event codes the host passes to the game.
constexpr int kKeyDown = 1;
constexpr int kKeyUp = 2;
constexpr int kKeyChar = 3;
constexpr int kMouseDown = 4;
constexpr int kMouseUp = 5;
constexpr int kMouseMove = 6;

// The key code of the window's close request.
constexpr int kCloseKey = 432;

// A video mode of a monitor.
struct VideoMode {
    int width = 0;
    int height = 0;
    int redBits = 0;
    int greenBits = 0;
    int blueBits = 0;
    int refreshRate = 0;
};

// The window-system calls the host makes outside window creation: the main loop's clock,
// sleep, buffer swap, event processing, focus and close queries, the joysticks and the
// primary monitor's modes. The desktop host answers them with GLFW; tests answer them with
// a fake clock, a fake window and scripted devices, so the loop's pacing and the joystick
// and mode handling can be checked without a display.
class WindowSystem {
  public:
    virtual ~WindowSystem() = default;
    // Seconds since the window system started.
    virtual double time() = 0;
    // Blocks the calling thread for the given seconds in whole milliseconds.
    virtual void sleep(double seconds) = 0;
    virtual void swapBuffers() = 0;
    // Delivers pending window events through the host's callbacks.
    virtual void pollEvents() = 0;
    // Blocks until at least one window event arrives, then delivers the pending ones.
    virtual void waitEvents() = 0;
    virtual bool focused() = 0;
    virtual bool shouldClose() = 0;

    virtual bool joystickPresent(int jid) = 0;
    // The joystick's axes (-1 ... 1) and button states (non-zero when pressed), each with
    // its count; null when the joystick cannot be read.
    virtual const float* joystickAxes(int jid, int* count) = 0;
    virtual const unsigned char* joystickButtons(int jid, int* count) = 0;

    // The primary monitor's current mode; false when there is none.
    virtual bool desktopMode(VideoMode& mode) = 0;
    // Every mode of the primary monitor, in the window system's order.
    virtual int videoModes(VideoMode* modes, int capacity) = 0;
};

// The GLFW answers, for the host's current window.
WindowSystem& glfwWindowSystem();

} // namespace hexwend::host

// Incremented each time a window with a new OpenGL context is created; the render device
// compares it with the value it last saw to know when textures must be rebuilt.
extern int glfwGraphicsSeq;

class RtGlfwGame : public RtGame {
  public:
    int _desktopMode[6] = {}; // width, height, red bits, green bits, blue bits, refresh rate
    GLFWwindow* _window = nullptr;
    int _width = 0;
    int _height = 0;
    int _swapInterval = 1;
    bool _focus = true;
    double _updatePeriod = 0;
    double _nextUpdate = 0;
    String _appDir;
    String _internalDir;
    int _joysticks[4] = {};
    int _joystickCount = 0;
    bool _joysticksCounted = false;

    // The same object as RtGame::_game, seen as the desktop host; the GLFW callbacks reach
    // the host through it.
    static RtGlfwGame* _glfwGame;

    // A host on GLFW.
    RtGlfwGame();
    // A host on the given window system (kept, not owned).
    explicit RtGlfwGame(hexwend::host::WindowSystem& system);
    ~RtGlfwGame() override;

    void SetUpdateRate(int hertz) override;
    int Millisecs() override;
    int CountJoysticks(bool update) override;
    bool PollJoystick(int port, Array<float> joyx, Array<float> joyy, Array<float> joyz,
                      Array<bool> buttons) override;
    void OpenUrl(String url) override;
    void SetMouseVisible(bool visible) override;
    int GetDeviceWidth() override;
    int GetDeviceHeight() override;
    void SetDeviceWindow(int width, int height, int flags) override;
    Array<RtDisplayMode*> GetDisplayModes() override;
    RtDisplayMode* GetDesktopMode() override;
    void SetSwapInterval(int interval) override;
    String PathToFilePath(String path) override;
    unsigned char* LoadImageData(String path, int* width, int* height, int* depth) override;
    unsigned char* LoadAudioData(String path, int* length, int* channels, int* bytesPerSample,
                                 int* hertz) override;

    // The main loop; returns when the window system says the window should close.
    void Run();
    double GetTime();
    void Sleep(double seconds);
    // The loop's event and focus step.
    void UpdateEvents();

    static int TransKey(int glfwKey);
    static int KeyToChar(int key);

    static void OnKey(GLFWwindow* window, int key, int scancode, int action, int mods);
    static void OnChar(GLFWwindow* window, unsigned int codepoint);
    static void OnMouseButton(GLFWwindow* window, int button, int action, int mods);
    static void OnCursorPos(GLFWwindow* window, double x, double y);
    static void OnWindowClose(GLFWwindow* window);
    static void OnWindowSize(GLFWwindow* window, int width, int height);

  private:
    hexwend::host::WindowSystem* _system;
    // The folders are computed once, by whichever thread maps a path first.
    std::once_flag _foldersOnce;
};

class RtVorpixGame : public RtGlfwGame {
  public:
    RtVorpixGame();
    ~RtVorpixGame() override;

    // The whole life of the process: GLFW start-up, the host object, the runtime start-up,
    // the main loop and GLFW's end.
    static void Main(int argc, const char** argv);
};

// The GLFW error callback: prints the code and text and carries on.
void onGlfwError(int code, const char* text);

// The command line, as the runtime start-up recorded it.
extern int argc;
extern const char** argv;

// The runtime start-up: records the command line, installs the signal handlers, sets the
// locale, resets the collector, assigns every module global its default, marks the roots
// and runs the game's main function. Returns 0.
int rt_std_main(int argc, const char** argv);
// The game's main function, defined by the game: creates its application object.
int rtMain();

namespace hexwend::host {

// The runtime start-up with another main function in place of rtMain (the start-up of
// test programs, which create their own application objects).
int startRuntime(int argc, const char** argv, int (*gameMain)());

} // namespace hexwend::host

// The data-module function that turns a plain asset name into a data path.
String rt_data_FixDataPath(String path);
