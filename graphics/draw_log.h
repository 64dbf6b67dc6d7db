// What one frame draws, kept so that the next frame can be compared with it.
//
// The render device, when it draws only what changed, hands every batch it would have drawn
// to a DrawLog instead of OpenGL. The log splits batches into primitives (a point, a line, a
// triangle, a quad, a fan, or a clear of the colour buffer), each with the state it is drawn
// under (blend mode and scissor), its texture, its vertices and the window pixels it can
// touch. Two logs are compared primitive by primitive (damage.h); the primitives whose
// regions changed are then drawn again from the log.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

class gxtkSurface;

namespace hexwend::graphics {

// One vertex as the render device hands it to OpenGL: 20 bytes.
struct Vertex {
    float x, y;
    float u, v;
    uint32_t color; // R, G, B, A bytes, premultiplied
};
static_assert(sizeof(Vertex) == 20);

// A rectangle of window pixels, origin top left, right and bottom edges excluded.
struct PixelRect {
    int x0 = 0, y0 = 0, x1 = 0, y1 = 0;

    bool empty() const { return x1 <= x0 || y1 <= y0; }
    long long area() const { return empty() ? 0 : (long long)(x1 - x0) * (y1 - y0); }
    bool overlaps(const PixelRect& o) const {
        return x0 < o.x1 && o.x0 < x1 && y0 < o.y1 && o.y0 < y1;
    }
    PixelRect intersect(const PixelRect& o) const;
    bool operator==(const PixelRect& o) const = default;
};

// The state a primitive is drawn under. The scissor box is in window pixels from the top
// left, as the device was given it.
struct DrawState {
    int blend = 0;
    bool scissorOn = false;
    int scissorX = 0, scissorY = 0, scissorW = 0, scissorH = 0;

    bool operator==(const DrawState& o) const = default;
};

// Primitive kind of a clear of the colour buffer. Every other kind is the number of
// vertices of the primitive, as the render device counts them.
constexpr int kClearKind = 0;

struct Primitive {
    int kind = 0;
    int firstVertex = 0; // a clear keeps its colour in the x, y and u of one vertex
    int state = 0;       // index into DrawLog::states()
    // The texture, for drawing; an old log's surface may no longer exist, so logs are
    // compared by surfaceKey only.
    gxtkSurface* surface = nullptr;
    uint64_t surfaceKey = 0; // 0 without texture
    uint64_t hash = 0;
    PixelRect bounds; // the window pixels it can touch; empty when it touches none
};

class DrawLog {
  public:
    // Starts a new frame for a window of the given size.
    void clear(int width, int height);

    // The state of the primitives added from now on.
    void setState(const DrawState& state);
    // A batch of `count` vertices of one kind (vertices per primitive) and texture.
    void addBatch(int kind, gxtkSurface* surface, uint64_t surfaceKey, const Vertex* vertices,
                  int count);
    // A clear of the colour buffer to the given colour (0 ... 255), inside the scissor box
    // when the scissor is on.
    void addClear(float r, float g, float b);

    int width() const { return width_; }
    int height() const { return height_; }
    const std::vector<Primitive>& primitives() const { return primitives_; }
    const std::vector<Vertex>& vertices() const { return vertices_; }
    const std::vector<DrawState>& states() const { return states_; }
    // The textures the frame draws from, each once in a row (a texture may come again later).
    const std::vector<gxtkSurface*>& surfaces() const { return surfaces_; }
    const DrawState& stateOf(const Primitive& p) const { return states_[size_t(p.state)]; }

    // The last primitive that covers the whole window with opaque colour (a clear without
    // scissor, or an opaque untextured rectangle over the window drawn without scissor and
    // with alpha blending): nothing before it shows. -1 when there is none, in which case
    // the picture depends on what the window showed before the frame.
    int coverIndex() const { return cover_; }

    // Whether two primitives (of this log and another) draw exactly the same thing.
    bool samePrimitive(const Primitive& p, const DrawLog& other, const Primitive& q) const;
    // Whether this log draws exactly what the other one does, primitive for primitive.
    bool sameAs(const DrawLog& other) const;

  private:
    void addPrimitive(int kind, int firstVertex, gxtkSurface* surface, uint64_t surfaceKey);
    PixelRect boundsOf(int kind, int firstVertex, const DrawState& state) const;
    bool covers(const Primitive& p) const;

    int width_ = 0;
    int height_ = 0;
    std::vector<Vertex> vertices_;
    std::vector<Primitive> primitives_;
    std::vector<DrawState> states_;
    std::vector<gxtkSurface*> surfaces_;
    int cover_ = -1;
};

} // namespace hexwend::graphics
