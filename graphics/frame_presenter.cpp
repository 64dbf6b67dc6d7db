#include "graphics/frame_presenter.h"

#include "graphics/gxtk_graphics.h"
#include "graphics/host_link.h"

#include <GL/gl.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <utility>

namespace hexwend::graphics {
namespace {

void applyBlend(int blend) {
    if (blend == 1) {
        glBlendFunc(GL_ONE, GL_ONE);
    } else {
        glBlendFunc(GL_ONE, GL_ONE_MINUS_SRC_ALPHA);
    }
}

// The scissor for a state, limited to `clip` when given: the state's own box as the device
// would set it, intersected with the clip rectangle.
void applyScissor(const DrawState& state, const PixelRect* clip, int height) {
    if (!state.scissorOn && !clip) {
        glDisable(GL_SCISSOR_TEST);
        return;
    }
    int x = 0, y = 0, w = 0, h = 0;
    if (state.scissorOn) {
        x = state.scissorX;
        y = state.scissorY;
        w = state.scissorW;
        h = state.scissorH;
        if (clip) {
            PixelRect box = PixelRect{x, y, x + w, y + h}.intersect(*clip);
            x = box.x0;
            y = box.y0;
            w = box.x1 - box.x0;
            h = box.y1 - box.y0;
        }
    } else {
        x = clip->x0;
        y = clip->y0;
        w = clip->x1 - clip->x0;
        h = clip->y1 - clip->y0;
    }
    glEnable(GL_SCISSOR_TEST);
    glScissor(x, height - y - h, w, h);
}

} // namespace

DrawMode defaultDrawMode() {
    static const DrawMode mode = [] {
        const char* value = std::getenv("HEXWEND_DRAW");
        return value && std::strcmp(value, "full") == 0 ? DrawMode::kFull : DrawMode::kChanges;
    }();
    return mode;
}

bool FramePresenter::begin(gxtkGraphics& device, DrawMode mode, int width, int height,
                           const DrawState& state) {
    // A frame that was never ended stays drawn, as it would be drawing straight.
    if (open_ && logging_) {
        realize(device);
        previousValid_ = false;
    }
    // A window that took a new size gets buffers of that size at its next swap; a new
    // context has a back buffer of its own, holding nothing yet.
    const bool resized = glfwGraphicsSeq == context_ && (width != width_ || height != height_);
    if (glfwGraphicsSeq != context_) previousValid_ = false;
    open_ = true;
    context_ = glfwGraphicsSeq;
    width_ = width;
    height_ = height;
    realized_ = 0;
    logging_ = mode == DrawMode::kChanges && !resized && width > 0 && height > 0 &&
               hostCanShowBackBufferRects();
    if (!logging_) {
        // Drawn straight and swapped: the back buffer holds nothing to build on afterwards.
        previousValid_ = false;
        return false;
    }
    current_.clear(width, height);
    current_.setState(state);
    return true;
}

void FramePresenter::realize(gxtkGraphics& device) {
    if (!logging()) return;
    const int count = int(current_.primitives().size());
    if (realized_ >= count) return;
    drawRange(device, realized_, count, nullptr);
    realized_ = count;
}

void FramePresenter::drawWhole(gxtkGraphics& device) {
    // Nothing before the last opaque cover shows; a frame without one is drawn over the
    // picture it follows, which the back buffer holds.
    const int from = std::max(realized_, current_.coverIndex());
    drawRange(device, from, int(current_.primitives().size()), nullptr);
    report_.outcome = FrameReport::kWhole;
    report_.pixels = (long long)width_ * height_;
}

bool FramePresenter::show(const PixelRect& rect) const {
    // Rows counted from the bottom.
    return hostShowBackBufferRect(rect.x0, height_ - rect.y1, rect.x1 - rect.x0, rect.y1 - rect.y0);
}

void FramePresenter::end(gxtkGraphics& device) {
    if (!open_) return;
    open_ = false;
    report_ = FrameReport{};
    if (!logging_) {
        report_.outcome = FrameReport::kStraight;
        report_.pixels = (long long)width_ * height_;
        return;
    }
    // The window system asked for the window to be drawn again (it was exposed).
    const bool lost = hostTakePictureLost();

    bool shown = true;
    if (realized_ > 0 || !previousValid_ || lost) {
        drawWhole(device);
        shown = show(PixelRect{0, 0, width_, height_});
    } else {
        const Damage damage = findDamage(previous_, current_, limits_);
        if (damage.none()) {
            report_.outcome = FrameReport::kKept;
        } else if (damage.whole) {
            drawWhole(device);
            shown = show(PixelRect{0, 0, width_, height_});
        } else {
            PixelRect around = damage.rects.front();
            for (const PixelRect& rect : damage.rects) {
                drawRange(device, current_.coverIndex(), int(current_.primitives().size()),
                          &rect);
                around = PixelRect{std::min(around.x0, rect.x0), std::min(around.y0, rect.y0),
                                   std::max(around.x1, rect.x1), std::max(around.y1, rect.y1)};
            }
            // One copy to the window per frame: each copy waits for the drawing to finish.
            shown = show(around);
            report_.outcome = FrameReport::kPartial;
            report_.rects = int(damage.rects.size());
            report_.pixels = damage.area;
        }
    }
    if (shown) {
        // The window shows the picture and the back buffer keeps it: no swap. The back buffer
        // is exactly what this log draws only when the log does not build on what was there.
        hostKeepPicture();
        previousValid_ = current_.coverIndex() >= 0;
    } else {
        // The window system could not show it: the host swaps, as for a frame drawn straight.
        previousValid_ = false;
    }
    std::swap(previous_, current_);
}

void FramePresenter::drawRange(gxtkGraphics& device, int from, int to, const PixelRect* clip) {
    const std::vector<Primitive>& primitives = current_.primitives();
    const std::vector<Vertex>& vertices = current_.vertices();
    if (from < 0) from = 0;

    int appliedState = -1;
    int batchKind = -1;
    int batchState = -1;
    gxtkSurface* batchSurface = nullptr;
    int batchLength = 0;
    auto flush = [&] {
        if (batchLength == 0) return;
        device.drawVertices(batchKind, batchSurface, batchLength);
        report_.glDrawCalls += batchKind >= 5 ? batchLength / batchKind : 1;
        batchLength = 0;
    };
    auto useState = [&](int state) {
        if (state == appliedState) return;
        const DrawState& s = current_.states()[size_t(state)];
        applyBlend(s.blend);
        applyScissor(s, clip, height_);
        appliedState = state;
    };

    for (int i = from; i < to; ++i) {
        const Primitive& p = primitives[size_t(i)];
        if (p.bounds.empty() || (clip && !p.bounds.overlaps(*clip))) continue;
        ++report_.glPrimitives;
        if (p.kind == kClearKind) {
            flush();
            useState(p.state);
            const Vertex& colour = vertices[size_t(p.firstVertex)];
            glClearColor(colour.x / 255.0f, colour.y / 255.0f, colour.u / 255.0f, 1.0f);
            glClear(GL_COLOR_BUFFER_BIT);
            continue;
        }
        if (p.kind != batchKind || p.surface != batchSurface || p.state != batchState ||
            batchLength + p.kind > gxtkGraphics::kMaxVertices) {
            flush();
            useState(p.state);
            batchKind = p.kind;
            batchSurface = p.surface;
            batchState = p.state;
        }
        std::memcpy(device.vertexBuffer + batchLength, &vertices[size_t(p.firstVertex)],
                    size_t(p.kind) * sizeof(Vertex));
        batchLength += p.kind;
    }
    flush();
}

} // namespace hexwend::graphics
