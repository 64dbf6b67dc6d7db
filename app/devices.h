// The render and audio devices as the game delegate drives them. Everything the delegate
// does with those two devices goes through these functions (app/devices.cpp), so the
// graphics and audio layers plug their devices in there and nowhere else.
#pragma once

#include "app/app.h"

namespace hexwend::app {

// Adds the module initialisations of the graphics and audio layers.
void registerDeviceModules();

// Start of the game: creates the render device (with the graphics module's default font)
// and the audio device, and records them in the delegate and the modules' globals.
void createRenderDevice(c_GameDelegate& delegate);
void createAudioDevice(c_GameDelegate& delegate);

// The render bracket: opens the render device's frame and returns its mode (0 nothing to
// set up, 1 render, 2 loading); opens and closes the graphics module's render; ends the
// device's frame.
int beginDeviceRender(c_GameDelegate& delegate);
void beginGraphicsRender();
void endGraphicsRender();
void endDeviceRender(c_GameDelegate& delegate);
void discardGraphics(c_GameDelegate& delegate);

// Focus changes: pause and restart the audio device's channels.
void suspendAudio(c_GameDelegate& delegate);
void resumeAudio(c_GameDelegate& delegate);

// Queues both devices for the collector.
void markDevices(c_GameDelegate& delegate);

} // namespace hexwend::app
