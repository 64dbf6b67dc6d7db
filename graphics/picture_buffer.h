// The picture the render device keeps between frames when it draws only what changed: an
// OpenGL framebuffer object with a colour buffer the size of the window (8 bits per
// channel, no alpha, like the window), holding the last frame shown.
//
// Nothing is drawn into it. Frames are drawn into the window's back buffer, exactly as when
// every frame is drawn in full: the rasteriser does not fill every pixel on the edge between
// two triangles the same way in a framebuffer object as in a window without depth buffer.
// A frame that changed only in places starts from a copy of the kept picture in the back
// buffer, draws the changed places over it, and copies them back into the kept picture.
//
// Framebuffer objects are not part of OpenGL 1.1; their functions are looked up in each new
// context, and a driver without them leaves the device drawing every frame in full.
#pragma once

#include "graphics/draw_log.h"

#include <cstdint>

namespace hexwend::graphics {

class PictureBuffer {
  public:
    // Whether the current context (number `context`) has framebuffer objects.
    bool supported(int context);
    // Makes sure a picture of this size exists in the current context; `madeNow` tells that
    // it was made just now (it is then black). False, and no picture, without support.
    bool prepare(int context, int width, int height, bool* madeNow);
    // Whether a picture of this size exists in the current context.
    bool ready(int context, int width, int height) const;

    // Drawing and reading go to the window (nothing to do without support).
    void bindWindow() const;
    // Reading goes to the picture, drawing to the window.
    void bindForReading() const;
    // Copies the whole picture into the window's back buffer.
    void copyToWindow() const;
    // Copies a rectangle of the window's back buffer into the picture.
    void copyFromWindow(const PixelRect& rect) const;

  private:
    void release();
    void copy(uint32_t from, uint32_t to, const PixelRect& rect) const;

    int context_ = 0; // the context the functions were looked up in
    bool supported_ = false;
    int pictureContext_ = 0; // the context the picture lives in (0: none)
    int width_ = 0;
    int height_ = 0;
    uint32_t framebuffer_ = 0;
    uint32_t colour_ = 0;
};

} // namespace hexwend::graphics
