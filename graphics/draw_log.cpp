#include "graphics/draw_log.h"

#include <algorithm>
#include <cmath>
#include <cstring>

namespace hexwend::graphics {
namespace {

// Coordinates are kept inside this range before they become ints.
constexpr float kFar = 1.0e7f;

uint64_t mix(uint64_t h, uint64_t value) {
    h ^= value + 0x9e3779b97f4a7c15ull + (h << 6) + (h >> 2);
    h *= 0xff51afd7ed558ccdull;
    return h ^ (h >> 29);
}

uint64_t hashBytes(uint64_t h, const void* data, size_t size) {
    const unsigned char* p = static_cast<const unsigned char*>(data);
    while (size >= 8) {
        uint64_t word;
        std::memcpy(&word, p, 8);
        h = mix(h, word);
        p += 8;
        size -= 8;
    }
    uint64_t rest = 0;
    std::memcpy(&rest, p, size);
    return mix(h, rest ^ (uint64_t(size) << 56));
}

uint64_t hashState(uint64_t h, const DrawState& s) {
    h = mix(h, uint64_t(uint32_t(s.blend)) << 1 | uint64_t(s.scissorOn));
    if (s.scissorOn) {
        h = mix(h, uint64_t(uint32_t(s.scissorX)) << 32 | uint32_t(s.scissorY));
        h = mix(h, uint64_t(uint32_t(s.scissorW)) << 32 | uint32_t(s.scissorH));
    }
    return h;
}

int alphaOf(const Vertex& v) {
    unsigned char bytes[4];
    std::memcpy(bytes, &v.color, 4);
    return bytes[3];
}

int floorToInt(float v) {
    return int(std::floor(std::clamp(v, -kFar, kFar)));
}

} // namespace

PixelRect PixelRect::intersect(const PixelRect& o) const {
    PixelRect r{std::max(x0, o.x0), std::max(y0, o.y0), std::min(x1, o.x1), std::min(y1, o.y1)};
    if (r.empty()) return PixelRect{};
    return r;
}

void DrawLog::clear(int width, int height) {
    width_ = width;
    height_ = height;
    vertices_.clear();
    primitives_.clear();
    states_.clear();
    states_.push_back(DrawState{});
    surfaces_.clear();
    cover_ = -1;
}

void DrawLog::setState(const DrawState& state) {
    if (states_.empty()) states_.push_back(state);
    if (states_.back() != state) states_.push_back(state);
}

void DrawLog::addBatch(int kind, gxtkSurface* surface, uint64_t surfaceKey,
                       const Vertex* vertices, int count) {
    if (kind <= 0 || count <= 0) return;
    const int first = int(vertices_.size());
    vertices_.insert(vertices_.end(), vertices, vertices + count);
    if (surface && (surfaces_.empty() || surfaces_.back() != surface)) surfaces_.push_back(surface);
    // A batch holds whole primitives; a stray partial one at the end would draw nothing.
    for (int at = first; at + kind <= first + count; at += kind) {
        addPrimitive(kind, at, surface, surfaceKey);
    }
}

void DrawLog::addClear(float r, float g, float b) {
    const int first = int(vertices_.size());
    vertices_.push_back(Vertex{r, g, b, 0, 0});
    addPrimitive(kClearKind, first, nullptr, 0);
}

void DrawLog::addPrimitive(int kind, int firstVertex, gxtkSurface* surface,
                           uint64_t surfaceKey) {
    if (states_.empty()) states_.push_back(DrawState{});
    Primitive p;
    p.kind = kind;
    p.firstVertex = firstVertex;
    p.state = int(states_.size()) - 1;
    p.surface = surface;
    p.surfaceKey = surfaceKey;
    const DrawState& state = states_.back();
    uint64_t h = mix(uint64_t(uint32_t(kind)), surfaceKey);
    h = hashState(h, state);
    const int n = kind == kClearKind ? 1 : kind;
    p.hash = hashBytes(h, &vertices_[size_t(firstVertex)], size_t(n) * sizeof(Vertex));
    p.bounds = boundsOf(kind, firstVertex, state);
    primitives_.push_back(p);
    if (covers(p)) cover_ = int(primitives_.size()) - 1;
}

PixelRect DrawLog::boundsOf(int kind, int firstVertex, const DrawState& state) const {
    PixelRect area{0, 0, width_, height_};
    if (state.scissorOn) {
        area = area.intersect(PixelRect{state.scissorX, state.scissorY,
                                        state.scissorX + state.scissorW,
                                        state.scissorY + state.scissorH});
    }
    if (kind == kClearKind) return area;

    float minX = 0, minY = 0, maxX = 0, maxY = 0;
    for (int i = 0; i < kind; ++i) {
        const Vertex& v = vertices_[size_t(firstVertex + i)];
        if (!std::isfinite(v.x) || !std::isfinite(v.y)) return area;
        if (i == 0 || v.x < minX) minX = v.x;
        if (i == 0 || v.y < minY) minY = v.y;
        if (i == 0 || v.x > maxX) maxX = v.x;
        if (i == 0 || v.y > maxY) maxY = v.y;
    }
    // A pixel is touched when its centre is inside a triangle, or when a point or a line
    // passes through it: never outside the vertices' box widened by one pixel each way.
    PixelRect box{floorToInt(minX) - 1, floorToInt(minY) - 1, floorToInt(maxX) + 2,
                  floorToInt(maxY) + 2};
    return box.intersect(area);
}

bool DrawLog::covers(const Primitive& p) const {
    const DrawState& s = stateOf(p);
    if (s.scissorOn && !(s.scissorX <= 0 && s.scissorY <= 0 &&
                         s.scissorX + s.scissorW >= width_ && s.scissorY + s.scissorH >= height_)) {
        return false;
    }
    if (p.kind == kClearKind) return true;
    // An opaque rectangle drawn with alpha blending replaces what is under it.
    if (p.kind != 4 || p.surface || p.surfaceKey != 0 || s.blend != 0) return false;
    const Vertex* v = &vertices_[size_t(p.firstVertex)];
    for (int i = 0; i < 4; ++i) {
        if (alphaOf(v[i]) != 255) return false;
    }
    // The two triangles (0, 1, 2) and (0, 2, 3) fill an axis-aligned rectangle when the
    // corners go round it.
    const bool alongX = v[0].y == v[1].y && v[1].x == v[2].x && v[2].y == v[3].y &&
                        v[3].x == v[0].x;
    const bool alongY = v[0].x == v[1].x && v[1].y == v[2].y && v[2].x == v[3].x &&
                        v[3].y == v[0].y;
    if (!alongX && !alongY) return false;
    const float minX = std::min(v[0].x, v[2].x), maxX = std::max(v[0].x, v[2].x);
    const float minY = std::min(v[0].y, v[2].y), maxY = std::max(v[0].y, v[2].y);
    return minX <= 0 && minY <= 0 && maxX >= float(width_) && maxY >= float(height_);
}

bool DrawLog::samePrimitive(const Primitive& p, const DrawLog& other, const Primitive& q) const {
    if (p.hash != q.hash || p.kind != q.kind || p.surfaceKey != q.surfaceKey) return false;
    if (stateOf(p) != other.stateOf(q)) return false;
    const int n = p.kind == kClearKind ? 1 : p.kind;
    return std::memcmp(&vertices_[size_t(p.firstVertex)], &other.vertices_[size_t(q.firstVertex)],
                       size_t(n) * sizeof(Vertex)) == 0;
}

bool DrawLog::sameAs(const DrawLog& other) const {
    if (width_ != other.width_ || height_ != other.height_) return false;
    if (primitives_.size() != other.primitives_.size()) return false;
    for (size_t i = 0; i < primitives_.size(); ++i) {
        if (!samePrimitive(primitives_[i], other, other.primitives_[i])) return false;
    }
    return true;
}

} // namespace hexwend::graphics
