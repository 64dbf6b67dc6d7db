// The render and audio devices of the game delegate.
//
// The graphics and audio layers wire their devices in here: each section below says what
// belongs to it. Until a layer has done so the game runs without that device: nothing is
// drawn, nothing is heard, and the render bracket still calls the application's render hook.
#include "app/devices.h"

namespace hexwend::app {

void registerDeviceModules() {
    // [graphics] rtAddModuleInit(rt_graphics_Init);
    // [audio] rtAddModuleInit(<the audio module's initialisation>);
}

// --- Render device ([graphics]) ----------------------------------------------------------

void createRenderDevice(c_GameDelegate& /*delegate*/) {
    // [graphics] gc_assign(delegate.m_graphics, new gxtkGraphics());
    //            rt_graphics_SetGraphicsDevice(delegate.m_graphics);
    //            rt_graphics_SetFont(nullptr, 32);
}

int beginDeviceRender(c_GameDelegate& /*delegate*/) {
    // [graphics] return delegate.m_graphics->BeginRender();
    return 1;
}

void beginGraphicsRender() {
    // [graphics] rt_graphics_BeginRender();
}

void endGraphicsRender() {
    // [graphics] rt_graphics_EndRender();
}

void endDeviceRender(c_GameDelegate& /*delegate*/) {
    // [graphics] delegate.m_graphics->EndRender();
}

void discardGraphics(c_GameDelegate& /*delegate*/) {
    // [graphics] delegate.m_graphics->DiscardGraphics();
}

// --- Audio device ([audio]) --------------------------------------------------------------

void createAudioDevice(c_GameDelegate& /*delegate*/) {
    // [audio] gc_assign(delegate.m_audio, new gxtkAudio()); gc_assign(rt_audio_device, ...);
}

void suspendAudio(c_GameDelegate& /*delegate*/) {
    // [audio] delegate.m_audio->Suspend();
}

void resumeAudio(c_GameDelegate& /*delegate*/) {
    // [audio] delegate.m_audio->Resume();
}

// --- Both ----------------------------------------------------------------------------------

void markDevices(c_GameDelegate& /*delegate*/) {
    // [graphics] gc_mark_q(delegate.m_graphics);
    // [audio] gc_mark_q(delegate.m_audio);
}

} // namespace hexwend::app
