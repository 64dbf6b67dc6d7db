// The few things the graphics layer asks of the host: the context counter, the size of the
// window being drawn into, the device size the application records, decoded images, and
// whether the window keeps or has lost its picture.
// Internal to graphics/.
#pragma once

#include "host/picture.h"
#include "host/rt_game.h"
#include "runtime/string.h"

#include <GLFW/glfw3.h>

// Size of the window whose OpenGL context is current (the host makes its device window's
// context current when it creates it). Leaves the values alone when there is none.
inline void hostWindowSize(int* width, int* height) {
    if (glfwGraphicsSeq == 0) return;
    if (GLFWwindow* window = glfwGetCurrentContext()) glfwGetWindowSize(window, width, height);
}

// The device size as the host reports it; this is the size the application layer records
// right before every render. Leaves the values alone when there is no host.
inline void hostDeviceSize(int* width, int* height) {
    if (!RtGame::_game) return;
    *width = RtGame::_game->GetDeviceWidth();
    *height = RtGame::_game->GetDeviceHeight();
}

inline unsigned char* hostLoadImageData(String path, int* width, int* height, int* depth) {
    if (!RtGame::_game) return nullptr;
    return RtGame::_game->LoadImageData(path, width, height, depth);
}

// Whether the current window can show parts of its back buffer without a swap.
inline bool hostCanShowBackBufferRects() {
    return hexwend::host::canShowBackBufferRects();
}

// Shows a rectangle of the back buffer (rows counted from the bottom) without a swap.
inline bool hostShowBackBufferRect(int x, int y, int width, int height) {
    return hexwend::host::showBackBufferRect(x, y, width, height);
}

// The window shows the render's picture already (or still): the host does not swap.
inline void hostKeepPicture() {
    hexwend::host::keepPicture();
}

// Whether the window system asked for the window to be drawn again; asking clears it.
inline bool hostTakePictureLost() {
    return hexwend::host::takePictureLost();
}

// The handler the host calls just before it destroys an OpenGL context.
inline void hostOnContextEnding(void (*handler)()) {
    hexwend::host::setContextEndingHandler(handler);
}
