// The window's picture between the renderer, the window system and the main loop.
//
// A render that finds nothing to change leaves the window's picture alone and says so; the
// main loop then does not swap the buffers, and the window keeps showing what it showed. When
// the window system asks for the window to be drawn again (it was exposed or damaged), the
// next render draws it in full. The renderer also learns when an OpenGL context is about to
// be destroyed, while it can still read from it.
#pragma once

namespace hexwend::host {

// The render that just ran left the window's picture as it was.
void keepPicture();
// Whether the last render kept the picture; asking clears it.
bool takePictureKept();

// The window must be drawn again in full.
void notePictureLost();
// Whether the window must be drawn again; asking clears it.
bool takePictureLost();

// Called with the current context still alive just before the host destroys it; one
// handler, set by the renderer.
using ContextEndingHandler = void (*)();
void setContextEndingHandler(ContextEndingHandler handler);
void contextEnding();

} // namespace hexwend::host
