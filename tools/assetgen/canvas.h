// Small vector drawing kit of the asset generator: paths, anti-aliased coverage masks,
// paints and an RGBA canvas with premultiplied float pixels.
//
// Everything here is single-threaded and uses only basic arithmetic plus the C library's
// sin/cos/sqrt/exp, so the same input gives the same bytes on every run.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <utility>
#include <vector>

namespace hexwend::assetgen {

constexpr float kPi = 3.14159265358979f;

struct Vec2 {
    float x = 0, y = 0;
};
inline Vec2 operator+(Vec2 a, Vec2 b) {
    return {a.x + b.x, a.y + b.y};
}
inline Vec2 operator-(Vec2 a, Vec2 b) {
    return {a.x - b.x, a.y - b.y};
}
inline Vec2 operator*(Vec2 a, float k) {
    return {a.x * k, a.y * k};
}
float length(Vec2 v);
Vec2 normalized(Vec2 v);
Vec2 lerp(Vec2 a, Vec2 b, float t);
// Point on a circle, angle in degrees, 0 pointing right and 90 pointing down (y grows down).
Vec2 polar(Vec2 centre, float radius, float degrees);

// x' = a·x + c·y + e, y' = b·x + d·y + f.
struct Affine {
    float a = 1, b = 0, c = 0, d = 1, e = 0, f = 0;
    static Affine translate(float x, float y) { return {1, 0, 0, 1, x, y}; }
    static Affine scale(float sx, float sy) { return {sx, 0, 0, sy, 0, 0}; }
    static Affine rotate(float degrees);
    // This transform followed by `next`.
    Affine then(const Affine& next) const;
    Vec2 apply(Vec2 p) const { return {a * p.x + c * p.y + e, b * p.x + d * p.y + f}; }
};

using Contour = std::vector<Vec2>;

// A set of closed contours filled with the non-zero winding rule: contours of opposite
// orientation cut holes, contours of the same orientation add up.
struct Path {
    std::vector<Contour> contours;

    Path() = default;
    explicit Path(Contour c) { contours.push_back(std::move(c)); }
    Path& add(const Path& other);
    Path& add(Contour c);
    Path transformed(const Affine& m) const;
    Path reversed() const;
};

// Straight (not premultiplied) colour, components 0..1.
struct Rgba {
    float r = 0, g = 0, b = 0, a = 0;
};
Rgba rgb(uint32_t hex, float alpha = 1);
Rgba grey(float v, float alpha = 1);
Rgba mix(Rgba p, Rgba q, float t);
Rgba shade(Rgba c, float factor); // multiplies r, g, b
Rgba withAlpha(Rgba c, float alpha);

// Anti-aliased coverage 0..1 over a rectangle of pixels; pixel (x, y) covers
// [x, x+1) × [y, y+1). Outside the rectangle the coverage is 0.
class Mask {
  public:
    int x0 = 0, y0 = 0, w = 0, h = 0;
    std::vector<float> v;

    Mask() = default;
    Mask(int x, int y, int width, int height);
    float at(int x, int y) const {
        x -= x0;
        y -= y0;
        if (x < 0 || y < 0 || x >= w || y >= h) return 0;
        return v[static_cast<size_t>(y) * w + x];
    }
    float& ref(int x, int y) { return v[static_cast<size_t>(y - y0) * w + (x - x0)]; }
    bool empty() const { return w <= 0 || h <= 0; }
    Mask& shift(int dx, int dy) {
        x0 += dx;
        y0 += dy;
        return *this;
    }
    Mask& multiply(float k);
    // The mask grown by `margin` pixels of zero coverage on every side.
    Mask padded(int margin) const;
};

// Fills `path` with the non-zero rule. Coverage is exact across each sub-scanline and
// supersampled 16 times vertically. The result is clipped to the rectangle
// (0, 0, clipW, clipH) when clipW > 0.
Mask rasterize(const Path& path, int clipW = 0, int clipH = 0);

Mask unite(const Mask& p, const Mask& q);     // p + q − p·q
Mask intersect(const Mask& p, const Mask& q); // p · q, over p's rectangle
Mask subtract(const Mask& p, const Mask& q);  // p · (1 − q), over p's rectangle
// Soft dilation by a disc of the given radius (an outline grows from it).
Mask dilate(const Mask& m, float radius);
// Three box passes approximating a Gaussian of about the given radius.
Mask blur(const Mask& m, float radius);

// A paint gives the straight colour at a pixel centre.
using Paint = std::function<Rgba(float x, float y)>;
using Stops = std::vector<std::pair<float, Rgba>>;

Paint solid(Rgba c);
Rgba sampleStops(const Stops& stops, float t);
Paint linear(Vec2 from, Vec2 to, Stops stops);
Paint radial(Vec2 centre, float radius, Stops stops);
Paint radial(Vec2 centre, float rx, float ry, Stops stops);

// Deterministic hash noise in 0..1 and smooth value noise.
float hashNoise(int x, int y, uint32_t seed);
float valueNoise(float x, float y, uint32_t seed);
float fractalNoise(float x, float y, int octaves, uint32_t seed);

// An RGBA image of premultiplied float pixels.
class Canvas {
  public:
    struct Px {
        float r = 0, g = 0, b = 0, a = 0;
    };
    int w = 0, h = 0;
    std::vector<Px> px;

    Canvas() = default;
    Canvas(int width, int height);

    // Source-over compositing of the paint through the mask, scaled by alpha.
    void fill(const Mask& m, const Paint& paint, float alpha = 1);
    void fill(const Mask& m, Rgba colour, float alpha = 1);
    void fill(const Path& p, Rgba colour, float alpha = 1) {
        fill(rasterize(p, w, h), colour, alpha);
    }
    void fill(const Path& p, const Paint& paint, float alpha = 1) {
        fill(rasterize(p, w, h), paint, alpha);
    }
    // Source-over compositing of another canvas at an integer offset.
    void draw(const Canvas& src, int dx, int dy, float alpha = 1);
    // Copies another canvas into this one (replacing pixels) at an integer offset.
    void blit(const Canvas& src, int dx, int dy);
    // Draws `src` transformed (scale, rotation, translation) with bilinear sampling,
    // premultiplied source-over; used for previews and compositions of frames.
    void drawTransformed(const Canvas& src, float srcX, float srcY, float srcW, float srcH,
                         const Affine& toDest, Rgba tint = {1, 1, 1, 1});
    Canvas crop(int x, int y, int width, int height) const;
    // Straight 8-bit RGBA, rounded; fully transparent pixels are 0, 0, 0, 0.
    std::vector<uint8_t> toRgba8() const;
    // The alpha channel as a mask.
    Mask alphaMask() const;
};

} // namespace hexwend::assetgen
