#include "graphics/frame_presenter.h"

#include "graphics/gxtk_graphics.h"
#include "graphics/host_link.h"

#include <GL/gl.h>

#include <cstdlib>
#include <cstring>

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
    open_ = true;
    context_ = glfwGraphicsSeq;
    width_ = width;
    height_ = height;
    realized_ = 0;
    restored_ = false;
    logging_ = mode == DrawMode::kChanges && picture_.supported(context_) && width > 0 &&
               height > 0;
    picture_.bindWindow();
    if (!logging_) return false;
    current_.clear(width, height);
    current_.setState(state);
    return true;
}

bool FramePresenter::preparePicture() {
    bool madeNow = false;
    if (!picture_.prepare(context_, width_, height_, &madeNow)) return false;
    if (madeNow) previousValid_ = false;
    return true;
}

void FramePresenter::restore() {
    // The back buffer starts from the kept picture, as the window showed it last.
    if (restored_) return;
    restored_ = true;
    if (picture_.ready(context_, width_, height_)) picture_.copyToWindow();
}

void FramePresenter::realize(gxtkGraphics& device) {
    if (!logging()) return;
    const int count = int(current_.primitives().size());
    if (realized_ >= count) return;
    if (realized_ == 0 && current_.coverIndex() < 0) restore();
    drawRange(device, realized_, count, nullptr);
    realized_ = count;
}

bool FramePresenter::prepareRead(gxtkGraphics& device) {
    if (logging()) realize(device);
    // Between frames the kept picture holds the last one; the back buffer may be swapped.
    if (!open_ && lastLogged_ && picture_.ready(context_, width_, height_)) {
        picture_.bindForReading();
        return true;
    }
    picture_.bindWindow();
    return false;
}

void FramePresenter::drawWhole(gxtkGraphics& device) {
    // Nothing before the last opaque cover shows; a frame without one is drawn over the
    // picture it follows.
    int from = realized_;
    const int cover = current_.coverIndex();
    if (cover < 0 && from == 0) restore();
    if (cover > from) from = cover;
    drawRange(device, from, int(current_.primitives().size()), nullptr);
    picture_.copyFromWindow(PixelRect{0, 0, width_, height_});
    report_.outcome = FrameReport::kWhole;
    report_.pixels = (long long)width_ * height_;
}

void FramePresenter::end(gxtkGraphics& device) {
    if (!open_) return;
    open_ = false;
    report_ = FrameReport{};
    lastLogged_ = logging_;
    if (!logging_) {
        report_.outcome = FrameReport::kStraight;
        report_.pixels = (long long)width_ * height_;
        return;
    }
    // The window system asked for the window to be drawn again (it was exposed).
    const bool lost = hostTakePictureLost();

    if (!preparePicture()) {
        // The driver would not make the picture: this frame is simply drawn straight.
        drawRange(device, realized_, int(current_.primitives().size()), nullptr);
        report_.outcome = FrameReport::kStraight;
        report_.pixels = (long long)width_ * height_;
        previousValid_ = false;
        lastLogged_ = false;
        return;
    }

    if (realized_ > 0 || !previousValid_ || lost) {
        drawWhole(device);
    } else {
        Damage damage = findDamage(previous_, current_, limits_);
        if (damage.none()) {
            // The window keeps its picture: nothing drawn, no swap.
            report_.outcome = FrameReport::kKept;
            hostKeepPicture();
            std::swap(previous_, current_);
            return;
        }
        if (damage.whole) {
            drawWhole(device);
        } else {
            restore();
            for (const PixelRect& rect : damage.rects) {
                drawRange(device, current_.coverIndex(), int(current_.primitives().size()),
                          &rect);
            }
            for (const PixelRect& rect : damage.rects) picture_.copyFromWindow(rect);
            report_.outcome = FrameReport::kPartial;
            report_.rects = int(damage.rects.size());
            report_.pixels = damage.area;
        }
    }
    // The kept picture is exactly what this log draws only when the log does not build on
    // what was there before it.
    previousValid_ = current_.coverIndex() >= 0;
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
