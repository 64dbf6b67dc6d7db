// The application layer: the application object the game derives from, the game delegate
// that stands between it and the host, and the application functions.
#pragma once

#include "app/input_device.h"
#include "host/rt_game.h"
#include "runtime/containers.h"

class gxtkGraphics;
class gxtkAudio;

// The event codes the host passes with its key, mouse, touch and motion events.
class c_RtGameEvent {
  public:
    static constexpr int KeyDown = 1;
    static constexpr int KeyUp = 2;
    static constexpr int KeyChar = 3;
    static constexpr int MouseDown = 4;
    static constexpr int MouseUp = 5;
    static constexpr int MouseMove = 6;
    static constexpr int TouchDown = 7;
    static constexpr int TouchUp = 8;
    static constexpr int TouchMove = 9;
    static constexpr int MotionAccel = 10;
};

// The application object. A game derives from it and overrides the hooks it needs.
class c_App : public Object {
  public:
    c_App* m_new();

    virtual int p_OnCreate();
    virtual int p_OnResume();
    virtual int p_OnUpdate();
    virtual int p_OnRender();
    virtual int p_OnLoading();
    virtual int p_OnSuspend();
    virtual int p_OnResize();
    // Both end the application.
    virtual int p_OnBack();
    virtual int p_OnClose();
};

// Receives every call of the host and turns it into calls on the devices and the
// application object.
class c_GameDelegate : public RtGameDelegate {
  public:
    gxtkGraphics* m_graphics = nullptr;
    gxtkAudio* m_audio = nullptr;
    c_InputDevice* m_input = nullptr;

    c_GameDelegate* m_new();
    void mark() override;

    void StartGame() override;
    void SuspendGame() override;
    void ResumeGame() override;
    void UpdateGame() override;
    void RenderGame() override;
    void KeyEvent(int event, int data) override;
    void MouseEvent(int event, int data, float x, float y) override;
    void TouchEvent(int event, int data, float x, float y) override;
    void MotionEvent(int event, int data, float x, float y, float z) override;
    void DiscardGraphics() override;
};

extern c_App* rt_app__app;
extern c_GameDelegate* rt_app__delegate;
extern RtGame* rt_app__game;
extern int rt_app__devWidth;
extern int rt_app__devHeight;
extern Array<c_DisplayMode*> rt_app__displayModes;
extern c_DisplayMode* rt_app__desktopMode;
extern int rt_app__updateRate;

int rt_app_SetUpdateRate(int hertz);
int rt_app_Millisecs();
int rt_app_DeviceWidth();
int rt_app_DeviceHeight();
int rt_app_SetDeviceWindow(int width, int height, int flags);
int rt_app_ValidateDeviceWindow(bool notify);
c_DisplayMode* rt_app_EnumDisplayModes();
c_DisplayMode* rt_app_DesktopMode();
String rt_app_LoadState();
int rt_app_SaveState(String state);
int rt_app_GetDate(Array<int> date);
Array<int> rt_app_GetDate2();
// Ends the process with status 0; never returns.
[[noreturn]] int rt_app_EndApp();

// Gives the application and input globals their defaults and registers their collector
// roots.
int rt_app_Init();

namespace hexwend::app {

// Adds the module initialisations of this layer and of the layers below it to the runtime
// start-up (rtAddModuleInit), in order.
void registerModules();

} // namespace hexwend::app
