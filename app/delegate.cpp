// The game delegate: every call of the host, turned into calls on the devices and on the
// application object.
#include "app/app.h"
#include "app/devices.h"

c_GameDelegate* c_GameDelegate::m_new() {
    return this;
}

void c_GameDelegate::mark() {
    hexwend::app::markDevices(*this);
    gc_mark_q(m_input);
}

void c_GameDelegate::StartGame() {
    hexwend::app::createRenderDevice(*this);
    hexwend::app::createAudioDevice(*this);
    gc_assign(m_input, (new c_InputDevice())->m_new());
    rt_input_SetInputDevice(m_input);
    rt_app_ValidateDeviceWindow(false);
    rt_app_EnumDisplayModes();
    rt_app__app->p_OnCreate();
}

void c_GameDelegate::SuspendGame() {
    hexwend::app::suspendAudio(*this);
}

void c_GameDelegate::ResumeGame() {
    hexwend::app::resumeAudio(*this);
    rt_app__app->p_OnResume();
}

void c_GameDelegate::UpdateGame() {
    rt_app_ValidateDeviceWindow(true);
    m_input->p_BeginUpdate();
    rt_app__app->p_OnUpdate();
    m_input->p_EndUpdate();
}

void c_GameDelegate::RenderGame() {
    rt_app_ValidateDeviceWindow(true);
    int mode = hexwend::app::beginDeviceRender(*this);
    if (mode != 0) hexwend::app::beginGraphicsRender();
    if (mode == 2) {
        rt_app__app->p_OnLoading();
    } else {
        rt_app__app->p_OnRender();
    }
    if (mode != 0) hexwend::app::endGraphicsRender();
    hexwend::app::endDeviceRender(*this);
}

void c_GameDelegate::KeyEvent(int event, int data) {
    m_input->p_KeyEvent(event, data);
    if (event != c_RtGameEvent::KeyDown) return;
    if (data == 432) {
        rt_app__app->p_OnClose();
    } else if (data == 416) {
        rt_app__app->p_OnBack();
    }
}

void c_GameDelegate::MouseEvent(int event, int data, float x, float y) {
    m_input->p_MouseEvent(event, data, x, y);
}

void c_GameDelegate::TouchEvent(int event, int data, float x, float y) {
    m_input->p_TouchEvent(event, data, x, y);
}

void c_GameDelegate::MotionEvent(int event, int data, float x, float y, float z) {
    m_input->p_MotionEvent(event, data, x, y, z);
}

void c_GameDelegate::DiscardGraphics() {
    hexwend::app::discardGraphics(*this);
}
