// The render and audio devices of the game delegate.
//
// The graphics and audio layers wire their devices in here: each section below says what
// belongs to it. Until a layer has done so the game runs without that device: nothing is
// drawn, nothing is heard, and the render bracket still calls the application's render hook.
#include "app/devices.h"

#include "audio/audio_device.h"
#include "audio/sound.h"
#include "graphics/graphics.h"
#include "runtime/init.h"

namespace hexwend::app {

void registerDeviceModules() {
    rtAddModuleInit(rt_graphics_Init);
    rtAddModuleInit(rt_audio_Init);
}

// --- Render device ([graphics]) ----------------------------------------------------------

void createRenderDevice(c_GameDelegate& delegate) {
    gc_assign(delegate.m_graphics, new gxtkGraphics());
    rt_graphics_SetGraphicsDevice(delegate.m_graphics);
    rt_graphics_SetFont(nullptr, 32);
}

int beginDeviceRender(c_GameDelegate& delegate) {
    if (!delegate.m_graphics) return 1;
    return delegate.m_graphics->BeginRender();
}

void beginGraphicsRender() {
    rt_graphics_BeginRender();
}

void endGraphicsRender() {
    rt_graphics_EndRender();
}

void endDeviceRender(c_GameDelegate& delegate) {
    if (delegate.m_graphics) delegate.m_graphics->EndRender();
}

void discardGraphics(c_GameDelegate& delegate) {
    if (delegate.m_graphics) delegate.m_graphics->DiscardGraphics();
}

// --- Audio device ([audio]) --------------------------------------------------------------

void createAudioDevice(c_GameDelegate& delegate) {
    gc_assign(delegate.m_audio, new gxtkAudio());
    rt_audio_SetAudioDevice(delegate.m_audio);
}

void suspendAudio(c_GameDelegate& delegate) {
    if (delegate.m_audio) delegate.m_audio->Suspend();
}

void resumeAudio(c_GameDelegate& delegate) {
    if (delegate.m_audio) delegate.m_audio->Resume();
}

// --- Both ----------------------------------------------------------------------------------

void markDevices(c_GameDelegate& delegate) {
    gc_mark_q(delegate.m_graphics);
    gc_mark_q(delegate.m_audio);
}

} // namespace hexwend::app
