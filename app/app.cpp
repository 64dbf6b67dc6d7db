#include "app/app.h"

#include "app/devices.h"
#include "runtime/errors.h"
#include "runtime/init.h"

c_App* rt_app__app = nullptr;
c_GameDelegate* rt_app__delegate = nullptr;
RtGame* rt_app__game = nullptr;
int rt_app__devWidth = 0;
int rt_app__devHeight = 0;
Array<c_DisplayMode*> rt_app__displayModes;
c_DisplayMode* rt_app__desktopMode = nullptr;
int rt_app__updateRate = 0;

int rt_app_Init() {
    rt_app__app = nullptr;
    rt_app__delegate = nullptr;
    rt_app__game = RtGame::_game;
    rt_input_device = nullptr;
    rt_app__devWidth = 0;
    rt_app__devHeight = 0;
    rt_app__displayModes = Array<c_DisplayMode*>();
    rt_app__desktopMode = nullptr;
    rt_app__updateRate = 0;

    gc_add_root("rt_app__app", rt_app__app);
    gc_add_root("rt_app__delegate", rt_app__delegate);
    gc_add_root("rt_input_device", rt_input_device);
    gc_add_root("rt_app__displayModes", rt_app__displayModes);
    gc_add_root("rt_app__desktopMode", rt_app__desktopMode);
    return 0;
}

namespace hexwend::app {

void registerModules() {
    registerDeviceModules();
    rtAddModuleInit(rt_app_Init);
}

} // namespace hexwend::app

// --- The application object --------------------------------------------------------------

c_App* c_App::m_new() {
    if (rt_app__app) rtError(String("App has already been created"));
    gc_assign(rt_app__app, this);
    gc_assign(rt_app__delegate, (new c_GameDelegate())->m_new());
    rt_app__game->SetDelegate(rt_app__delegate);
    return this;
}

int c_App::p_OnCreate() {
    return 0;
}

int c_App::p_OnResume() {
    return 0;
}

int c_App::p_OnUpdate() {
    return 0;
}

int c_App::p_OnRender() {
    return 0;
}

int c_App::p_OnLoading() {
    return 0;
}

int c_App::p_OnSuspend() {
    return 0;
}

int c_App::p_OnResize() {
    return 0;
}

int c_App::p_OnBack() {
    rt_app_EndApp();
}

int c_App::p_OnClose() {
    rt_app_EndApp();
}

// --- Application functions ---------------------------------------------------------------

int rt_app_SetUpdateRate(int hertz) {
    rt_app__updateRate = hertz;
    rt_app__game->SetUpdateRate(hertz);
    return 0;
}

int rt_app_Millisecs() {
    return rt_app__game->Millisecs();
}

int rt_app_DeviceWidth() {
    return rt_app__devWidth;
}

int rt_app_DeviceHeight() {
    return rt_app__devHeight;
}

int rt_app_SetDeviceWindow(int width, int height, int flags) {
    rt_app__game->SetDeviceWindow(width, height, flags);
    rt_app_ValidateDeviceWindow(false);
    return 0;
}

int rt_app_ValidateDeviceWindow(bool /*notify*/) {
    int width = rt_app__game->GetDeviceWidth();
    int height = rt_app__game->GetDeviceHeight();
    if (width != rt_app__devWidth || height != rt_app__devHeight) {
        rt_app__devWidth = width;
        rt_app__devHeight = height;
    }
    return 0;
}

c_DisplayMode* rt_app_EnumDisplayModes() {
    Array<RtDisplayMode*> modes = rt_app__game->GetDisplayModes();
    c_IntMap* seen = (new c_IntMap())->m_new();
    c_Stack* found = (new c_Stack())->m_new();
    for (int i = 0; i < modes.Length(); ++i) {
        RtDisplayMode* mode = modes[i];
        int key = (mode->width << 16) | mode->height;
        if (seen->p_Contains(key)) continue;
        c_DisplayMode* displayMode = (new c_DisplayMode())->m_new(mode->width, mode->height);
        seen->p_Insert(key, displayMode);
        found->p_Push(displayMode);
    }
    gc_assign(rt_app__displayModes, found->p_ToArray());

    RtDisplayMode* desktop = rt_app__game->GetDesktopMode();
    if (desktop) {
        gc_assign(rt_app__desktopMode,
                  (new c_DisplayMode())->m_new(desktop->width, desktop->height));
    } else {
        gc_assign(rt_app__desktopMode,
                  (new c_DisplayMode())->m_new(rt_app_DeviceWidth(), rt_app_DeviceHeight()));
    }
    return rt_app__desktopMode;
}

c_DisplayMode* rt_app_DesktopMode() {
    return rt_app__desktopMode;
}

String rt_app_LoadState() {
    return rt_app__game->LoadState();
}

int rt_app_SaveState(String state) {
    rt_app__game->SaveState(state);
    return 0;
}

int rt_app_GetDate(Array<int> date) {
    rt_app__game->GetDate(date);
    return 0;
}

Array<int> rt_app_GetDate2() {
    Array<int> date(7);
    rt_app__game->GetDate(date);
    return date;
}

int rt_app_EndApp() {
    rtError(String());
}
