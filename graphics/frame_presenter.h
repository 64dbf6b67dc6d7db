// How the render device's frames reach the window when it draws only what changed.
//
// During a frame the device hands its batches to the presenter's log instead of OpenGL. At
// the end of the frame the presenter compares the log with the previous frame's:
//   - the same picture: nothing is drawn and the window is not swapped, it keeps its picture;
//   - some regions changed: the back buffer starts from a copy of the picture kept from the
//     last frame (picture_buffer.h), only the primitives that touch the changed regions are
//     drawn again over it, in order and clipped to them, and those regions are copied back
//     into the kept picture;
//   - no earlier picture to build on (first frame, new context, new size, the window system
//     asked for a redraw, or a frame drawn over what was there before): everything is drawn,
//     and the whole of it kept.
// The host swaps the back buffer as usual.
//
// Without framebuffer objects, or when told to draw every frame in full, the device draws
// straight into the window as batches are flushed, and every frame is swapped.
#pragma once

#include "graphics/damage.h"
#include "graphics/draw_log.h"
#include "graphics/picture_buffer.h"

class gxtkGraphics;

namespace hexwend::graphics {

enum class DrawMode {
    kChanges, // draw only what changed, through the kept picture, when the driver allows
    kFull,    // draw every frame in full, straight into the window
};

// The draw mode new render devices start with: kFull when the environment variable
// HEXWEND_DRAW is "full" (for measuring), else kChanges.
DrawMode defaultDrawMode();

// What the last frame cost.
struct FrameReport {
    enum Outcome {
        kStraight, // drawn in full straight into the window
        kKept,     // nothing changed: nothing drawn, no swap
        kPartial,  // only damaged regions drawn again
        kWhole,    // the whole window drawn again into the kept picture
    };
    Outcome outcome = kStraight;
    int rects = 0;          // damaged rectangles drawn (kPartial)
    long long pixels = 0;   // pixels inside them (the window's for kWhole and kStraight)
    int glDrawCalls = 0;    // draw calls made into the kept picture
    int glPrimitives = 0;   // primitives drawn into it
};

class FramePresenter {
  public:
    // The start of a frame of the given window size in the current context. True when the
    // frame is logged; false when the device draws it straight into the window.
    // `state` is the blend and scissor the frame starts with.
    bool begin(gxtkGraphics& device, DrawMode mode, int width, int height,
               const DrawState& state);
    bool logging() const { return open_ && logging_; }
    DrawLog& log() { return current_; }

    // Draws what the frame has logged so far into the kept picture, so that reading pixels
    // sees it. The frame is then drawn in full at its end.
    void realize(gxtkGraphics& device);
    // The end of the frame: draws what changed and shows it (see above).
    void end(gxtkGraphics& device);

    // Makes reading go to wherever the current picture is, drawing what is pending first.
    // True when that is the kept picture.
    bool prepareRead(gxtkGraphics& device);

    const FrameReport& report() const { return report_; }

  private:
    // Draws primitives [from, to) of the frame into the window's back buffer, only those
    // touching `clip` when given and clipped to it.
    void drawRange(gxtkGraphics& device, int from, int to, const PixelRect* clip);
    // Draws what the frame has not drawn yet, and keeps all of it.
    void drawWhole(gxtkGraphics& device);
    // Puts the kept picture into the back buffer, once per frame.
    void restore();
    bool preparePicture();

    DrawLog current_;
    DrawLog previous_;
    PictureBuffer picture_;
    DamageLimits limits_;
    FrameReport report_;
    int context_ = 0;
    int width_ = 0;
    int height_ = 0;
    bool open_ = false;
    bool logging_ = false;
    bool lastLogged_ = false;    // the last frame went through the kept picture
    bool previousValid_ = false; // the kept picture is exactly what previous_ draws
    int realized_ = 0;           // primitives of current_ already drawn
    bool restored_ = false;      // the back buffer holds the kept picture
};

} // namespace hexwend::graphics
