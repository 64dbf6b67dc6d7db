// How the render device's frames reach the window when it draws only what changed.
//
// The picture is kept in the window's back buffer, which is then never swapped: each frame
// shows what it changed by copying those parts of the back buffer to the window, and the back
// buffer keeps the whole picture for the next frame. During a frame the device hands its
// batches to the presenter's log instead of OpenGL. At the end of the frame the log is
// compared with the previous frame's:
//   - the same picture: nothing is drawn and nothing shown; the window keeps its picture;
//   - some regions changed: only the primitives that touch them are drawn again, in order and
//     clipped to them, into the back buffer, and the rectangle around them is shown;
//   - no earlier picture to build on (a new context, the window system asked for a redraw, a
//     frame drawn over what was there before, a frame that was read back half drawn): the
//     whole frame is drawn and shown.
// Drawing goes to the window's own back buffer exactly as when every frame is drawn in full,
// so the pixels are the same: a framebuffer object would not do, as the rasteriser fills some
// pixels on the edge between two triangles differently there than in a window without depth
// buffer, and copying a kept picture in and out of one costs more than drawing a frame of play
// in full.
//
// Frames are drawn in full straight into the window, and swapped by the host, when told so
// (DrawMode::kFull), when the window system cannot show parts of the back buffer, and for the
// first frame at a new window size (the swap gives the window's buffers their new size).
#pragma once

#include "graphics/damage.h"
#include "graphics/draw_log.h"

class gxtkGraphics;

namespace hexwend::graphics {

enum class DrawMode {
    kChanges, // draw only what changed, when the window system allows
    kFull,    // draw every frame in full, straight into the window
};

// The draw mode new render devices start with: kFull when the environment variable
// HEXWEND_DRAW is "full" (for measuring), else kChanges.
DrawMode defaultDrawMode();

// What the last frame cost.
struct FrameReport {
    enum Outcome {
        kStraight, // drawn in full straight into the window, swapped by the host
        kKept,     // nothing changed: nothing drawn or shown
        kPartial,  // only damaged regions drawn again and shown
        kWhole,    // the whole window drawn again and shown
    };
    Outcome outcome = kStraight;
    int rects = 0;        // damaged rectangles drawn (kPartial)
    long long pixels = 0; // pixels inside them (the window's for kWhole and kStraight)
    int glDrawCalls = 0;  // draw calls made from the log
    int glPrimitives = 0; // primitives drawn from the log
};

class FramePresenter {
  public:
    // The start of a frame of the given window size in the current context; `state` is the
    // blend and scissor it starts with. True when the frame is logged; false when the device
    // draws it straight into the window.
    bool begin(gxtkGraphics& device, DrawMode mode, int width, int height,
               const DrawState& state);
    bool logging() const { return open_ && logging_; }
    DrawLog& log() { return current_; }

    // Draws what the frame has logged so far, so that reading pixels sees it. The frame is
    // then drawn and shown whole at its end.
    void realize(gxtkGraphics& device);
    // The end of the frame: draws what changed and shows it (see above).
    void end(gxtkGraphics& device);

    const FrameReport& report() const { return report_; }

  private:
    // Draws primitives [from, to) of the frame into the back buffer, only those touching
    // `clip` when given and clipped to it.
    void drawRange(gxtkGraphics& device, int from, int to, const PixelRect* clip);
    // Draws what the frame has not drawn yet (nothing before its last opaque cover).
    void drawWhole(gxtkGraphics& device);
    bool show(const PixelRect& rect) const;

    DrawLog current_;
    DrawLog previous_;
    DamageLimits limits_;
    FrameReport report_;
    int context_ = 0;
    int width_ = 0;
    int height_ = 0;
    bool open_ = false;
    bool logging_ = false;
    bool previousValid_ = false; // the back buffer holds exactly what previous_ draws
    int realized_ = 0;           // primitives of current_ already drawn
};

} // namespace hexwend::graphics
