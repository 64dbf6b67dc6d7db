// The window's picture between the renderer, the window system and the main loop.
//
// A render that shows its picture itself, or finds nothing to change, says so; the main loop
// then does not swap the buffers, and the window keeps showing what it showed. A renderer
// that draws only what changed keeps its picture in the back buffer and shows the changed
// parts of it with showBackBufferRect, which copies them to the window and leaves the back
// buffer as it is (a swap would leave it undefined). When the window system asks for the
// window to be drawn again (it was exposed or damaged), the next render draws it in full. The
// renderer also learns when an OpenGL context is about to be destroyed, while it can still
// read from it.
#pragma once

namespace hexwend::host {

// The render that just ran left the window's picture as it was.
void keepPicture();
// Whether the last render kept the picture; asking clears it.
bool takePictureKept();

// Whether the window whose context is current can show parts of its back buffer without a
// swap.
bool canShowBackBufferRects();
// Copies a rectangle of the current window's back buffer (window pixels, rows counted from
// the bottom as OpenGL counts them) to what the window shows, without a swap; the back buffer
// keeps its content. False when the window system cannot.
bool showBackBufferRect(int x, int y, int width, int height);

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
