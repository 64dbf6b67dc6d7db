#include "tools/assetgen/canvas.h"
#include "tools/assetgen/dmath.h"

#include <algorithm>
#include <cmath>

namespace hexwend::assetgen {

float length(Vec2 v) {
    return std::sqrt(v.x * v.x + v.y * v.y);
}

Vec2 normalized(Vec2 v) {
    float l = length(v);
    return l > 0 ? Vec2{v.x / l, v.y / l} : Vec2{0, 0};
}

Vec2 lerp(Vec2 a, Vec2 b, float t) {
    return {a.x + (b.x - a.x) * t, a.y + (b.y - a.y) * t};
}

Vec2 polar(Vec2 centre, float radius, float degrees) {
    float r = degrees * kPi / 180.0f;
    return {centre.x + radius * dcos(r), centre.y + radius * dsin(r)};
}

Affine Affine::rotate(float degrees) {
    float r = degrees * kPi / 180.0f;
    float c = dcos(r), s = dsin(r);
    return {c, s, -s, c, 0, 0};
}

Affine Affine::then(const Affine& n) const {
    // n ∘ this
    return {n.a * a + n.c * b, n.b * a + n.d * b,       n.a * c + n.c * d,
            n.b * c + n.d * d, n.a * e + n.c * f + n.e, n.b * e + n.d * f + n.f};
}

Path& Path::add(const Path& other) {
    contours.insert(contours.end(), other.contours.begin(), other.contours.end());
    return *this;
}

Path& Path::add(Contour c) {
    contours.push_back(std::move(c));
    return *this;
}

Path Path::transformed(const Affine& m) const {
    Path out;
    for (const Contour& c : contours) {
        Contour t;
        t.reserve(c.size());
        for (Vec2 p : c) t.push_back(m.apply(p));
        out.contours.push_back(std::move(t));
    }
    return out;
}

Path Path::reversed() const {
    Path out = *this;
    for (Contour& c : out.contours) std::reverse(c.begin(), c.end());
    return out;
}

Rgba rgb(uint32_t hex, float alpha) {
    return {((hex >> 16) & 255) / 255.0f, ((hex >> 8) & 255) / 255.0f, (hex & 255) / 255.0f, alpha};
}

Rgba grey(float v, float alpha) {
    return {v, v, v, alpha};
}

Rgba mix(Rgba p, Rgba q, float t) {
    return {p.r + (q.r - p.r) * t, p.g + (q.g - p.g) * t, p.b + (q.b - p.b) * t,
            p.a + (q.a - p.a) * t};
}

Rgba shade(Rgba c, float k) {
    return {std::clamp(c.r * k, 0.0f, 1.0f), std::clamp(c.g * k, 0.0f, 1.0f),
            std::clamp(c.b * k, 0.0f, 1.0f), c.a};
}

Rgba withAlpha(Rgba c, float alpha) {
    return {c.r, c.g, c.b, alpha};
}

Mask::Mask(int x, int y, int width, int height)
    : x0(x), y0(y), w(std::max(0, width)), h(std::max(0, height)),
      v(static_cast<size_t>(std::max(0, width)) * std::max(0, height), 0.0f) {}

Mask& Mask::multiply(float k) {
    for (float& c : v) c *= k;
    return *this;
}

Mask Mask::padded(int margin) const {
    Mask out(x0 - margin, y0 - margin, w + 2 * margin, h + 2 * margin);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x)
            out.v[static_cast<size_t>(y + margin) * out.w + x + margin] =
                v[static_cast<size_t>(y) * w + x];
    return out;
}

namespace {

struct Edge {
    float x0, y0, x1, y1;
    int dir;
};

constexpr int kSubRows = 16;

} // namespace

Mask rasterize(const Path& path, int clipW, int clipH) {
    std::vector<Edge> edges;
    float minX = 1e30f, minY = 1e30f, maxX = -1e30f, maxY = -1e30f;
    for (const Contour& c : path.contours) {
        size_t n = c.size();
        if (n < 3) continue;
        for (size_t i = 0; i < n; ++i) {
            Vec2 p = c[i], q = c[(i + 1) % n];
            minX = std::min(minX, p.x);
            maxX = std::max(maxX, p.x);
            minY = std::min(minY, p.y);
            maxY = std::max(maxY, p.y);
            if (p.y == q.y) continue;
            if (p.y < q.y)
                edges.push_back({p.x, p.y, q.x, q.y, 1});
            else
                edges.push_back({q.x, q.y, p.x, p.y, -1});
        }
    }
    if (edges.empty()) return Mask();
    int ix0 = static_cast<int>(std::floor(minX)), iy0 = static_cast<int>(std::floor(minY));
    int ix1 = static_cast<int>(std::floor(maxX)) + 1, iy1 = static_cast<int>(std::floor(maxY)) + 1;
    if (clipW > 0) {
        ix0 = std::max(ix0, 0);
        iy0 = std::max(iy0, 0);
        ix1 = std::min(ix1, clipW);
        iy1 = std::min(iy1, clipH);
    }
    if (ix1 <= ix0 || iy1 <= iy0) return Mask();
    Mask m(ix0, iy0, ix1 - ix0, iy1 - iy0);

    std::sort(edges.begin(), edges.end(), [](const Edge& a, const Edge& b) { return a.y0 < b.y0; });
    std::vector<const Edge*> active;
    std::vector<std::pair<float, int>> crossings;
    std::vector<float> row(static_cast<size_t>(m.w) + 2);
    size_t next = 0;
    const float weight = 1.0f / kSubRows;
    for (int y = iy0; y < iy1; ++y) {
        std::fill(row.begin(), row.end(), 0.0f);
        bool any = false;
        for (int s = 0; s < kSubRows; ++s) {
            float sy = y + (s + 0.5f) / kSubRows;
            while (next < edges.size() && edges[next].y0 <= sy) active.push_back(&edges[next++]);
            crossings.clear();
            size_t keep = 0;
            for (size_t i = 0; i < active.size(); ++i) {
                const Edge* e = active[i];
                if (e->y1 <= sy) continue; // finished
                active[keep++] = e;
                if (e->y0 > sy) continue;
                float t = (sy - e->y0) / (e->y1 - e->y0);
                crossings.push_back({e->x0 + (e->x1 - e->x0) * t, e->dir});
            }
            active.resize(keep);
            if (crossings.empty()) continue;
            std::sort(crossings.begin(), crossings.end(),
                      [](const auto& a, const auto& b) { return a.first < b.first; });
            int winding = 0;
            for (size_t i = 0; i + 1 < crossings.size(); ++i) {
                winding += crossings[i].second;
                if (winding == 0) continue;
                float xa = std::max(crossings[i].first, static_cast<float>(ix0));
                float xb = std::min(crossings[i + 1].first, static_cast<float>(ix1));
                if (xb <= xa) continue;
                any = true;
                int pa = static_cast<int>(std::floor(xa)), pb = static_cast<int>(std::floor(xb));
                if (pa == pb) {
                    row[pa - ix0] += (xb - xa) * weight;
                    continue;
                }
                row[pa - ix0] += (pa + 1 - xa) * weight;
                for (int p = pa + 1; p < pb; ++p) row[p - ix0] += weight;
                if (pb < ix1) row[pb - ix0] += (xb - pb) * weight;
            }
        }
        if (!any) continue;
        float* out = &m.v[static_cast<size_t>(y - iy0) * m.w];
        for (int x = 0; x < m.w; ++x) out[x] = std::min(1.0f, row[x]);
    }
    return m;
}

namespace {

// Combines two masks over the union (or the first's) rectangle.
template <typename F> Mask combine(const Mask& p, const Mask& q, bool unionRect, F f) {
    if (p.empty() && (!unionRect || q.empty())) return Mask();
    int x0 = p.x0, y0 = p.y0, x1 = p.x0 + p.w, y1 = p.y0 + p.h;
    if (p.empty()) {
        x0 = q.x0, y0 = q.y0, x1 = q.x0 + q.w, y1 = q.y0 + q.h;
    } else if (unionRect && !q.empty()) {
        x0 = std::min(x0, q.x0);
        y0 = std::min(y0, q.y0);
        x1 = std::max(x1, q.x0 + q.w);
        y1 = std::max(y1, q.y0 + q.h);
    }
    Mask m(x0, y0, x1 - x0, y1 - y0);
    for (int y = y0; y < y1; ++y)
        for (int x = x0; x < x1; ++x) m.ref(x, y) = f(p.at(x, y), q.at(x, y));
    return m;
}

} // namespace

Mask unite(const Mask& p, const Mask& q) {
    return combine(p, q, true, [](float a, float b) { return a + b - a * b; });
}

Mask intersect(const Mask& p, const Mask& q) {
    return combine(p, q, false, [](float a, float b) { return a * b; });
}

Mask subtract(const Mask& p, const Mask& q) {
    return combine(p, q, false, [](float a, float b) { return a * (1 - b); });
}

Mask dilate(const Mask& src, float radius) {
    if (src.empty()) return src;
    // A pixel of coverage c at distance d reaches about c − 0.5 past its centre, so the grown
    // shape covers a pixel by about r + c − d (clamped to 0 … 1).
    int r = static_cast<int>(std::ceil(radius + 1));
    Mask m = src.padded(r);
    Mask out(m.x0, m.y0, m.w, m.h);
    struct Tap {
        int dx, dy;
        float d;
    };
    std::vector<Tap> taps;
    for (int dy = -r; dy <= r; ++dy)
        for (int dx = -r; dx <= r; ++dx) {
            float d = std::sqrt(static_cast<float>(dx * dx + dy * dy));
            if (d < radius + 1) taps.push_back({dx, dy, d});
        }
    // Only edge pixels spread outwards: an inner pixel is always beaten by the edge pixel
    // between it and any point outside.
    auto cov = [&](int x, int y) {
        return (x < 0 || y < 0 || x >= m.w || y >= m.h) ? 0.0f
                                                        : m.v[static_cast<size_t>(y) * m.w + x];
    };
    for (int y = 0; y < m.h; ++y)
        for (int x = 0; x < m.w; ++x) {
            float c = cov(x, y);
            if (c <= 0) continue;
            if (c >= 1 && cov(x - 1, y) >= 1 && cov(x + 1, y) >= 1 && cov(x, y - 1) >= 1 &&
                cov(x, y + 1) >= 1) {
                out.v[static_cast<size_t>(y) * m.w + x] = 1;
                continue;
            }
            for (const Tap& t : taps) {
                int tx = x + t.dx, ty = y + t.dy;
                if (tx < 0 || ty < 0 || tx >= m.w || ty >= m.h) continue;
                float& o = out.v[static_cast<size_t>(ty) * m.w + tx];
                float v = std::min(1.0f, radius + c - t.d);
                if (v > o) o = v;
            }
        }
    return out;
}

namespace {

void boxPass(std::vector<float>& data, int w, int h, int r, bool horizontal) {
    int n = horizontal ? w : h, lines = horizontal ? h : w;
    std::vector<float> line(static_cast<size_t>(n)), out(static_cast<size_t>(n));
    float norm = 1.0f / (2 * r + 1);
    for (int l = 0; l < lines; ++l) {
        for (int i = 0; i < n; ++i)
            line[i] = horizontal ? data[static_cast<size_t>(l) * w + i]
                                 : data[static_cast<size_t>(i) * w + l];
        double sum = 0;
        for (int i = -r; i <= r; ++i)
            if (i >= 0 && i < n) sum += line[i];
        for (int i = 0; i < n; ++i) {
            out[i] = static_cast<float>(sum * norm);
            int add = i + r + 1, sub = i - r;
            if (add < n) sum += line[add];
            if (sub >= 0) sum -= line[sub];
        }
        for (int i = 0; i < n; ++i) {
            if (horizontal)
                data[static_cast<size_t>(l) * w + i] = out[i];
            else
                data[static_cast<size_t>(i) * w + l] = out[i];
        }
    }
}

} // namespace

Mask blur(const Mask& src, float radius) {
    if (src.empty() || radius <= 0) return src;
    // Three box passes of radius r give a Gaussian of sigma about r.
    int r = std::max(1, static_cast<int>(std::lround(radius * 0.8f)));
    Mask m = src.padded(3 * r + 1);
    for (int pass = 0; pass < 3; ++pass) {
        boxPass(m.v, m.w, m.h, r, true);
        boxPass(m.v, m.w, m.h, r, false);
    }
    return m;
}

Paint solid(Rgba c) {
    return [c](float, float) { return c; };
}

Rgba sampleStops(const Stops& stops, float t) {
    if (stops.empty()) return {};
    if (t <= stops.front().first) return stops.front().second;
    for (size_t i = 1; i < stops.size(); ++i) {
        if (t <= stops[i].first) {
            float span = stops[i].first - stops[i - 1].first;
            float k = span > 0 ? (t - stops[i - 1].first) / span : 1;
            return mix(stops[i - 1].second, stops[i].second, k);
        }
    }
    return stops.back().second;
}

Paint linear(Vec2 from, Vec2 to, Stops stops) {
    Vec2 d = to - from;
    float len2 = d.x * d.x + d.y * d.y;
    return [=](float x, float y) {
        float t = len2 > 0 ? ((x - from.x) * d.x + (y - from.y) * d.y) / len2 : 0;
        return sampleStops(stops, t);
    };
}

Paint radial(Vec2 c, float radius, Stops stops) {
    return radial(c, radius, radius, std::move(stops));
}

Paint radial(Vec2 c, float rx, float ry, Stops stops) {
    return [=](float x, float y) {
        float dx = (x - c.x) / rx, dy = (y - c.y) / ry;
        return sampleStops(stops, std::sqrt(dx * dx + dy * dy));
    };
}

float hashNoise(int x, int y, uint32_t seed) {
    uint32_t h = static_cast<uint32_t>(x) * 374761393u + static_cast<uint32_t>(y) * 668265263u +
                 seed * 2246822519u;
    h = (h ^ (h >> 13)) * 1274126177u;
    h ^= h >> 16;
    return (h & 0xFFFFFF) / 16777216.0f;
}

float valueNoise(float x, float y, uint32_t seed) {
    int ix = static_cast<int>(std::floor(x)), iy = static_cast<int>(std::floor(y));
    float fx = x - ix, fy = y - iy;
    fx = fx * fx * (3 - 2 * fx);
    fy = fy * fy * (3 - 2 * fy);
    float a = hashNoise(ix, iy, seed), b = hashNoise(ix + 1, iy, seed);
    float c = hashNoise(ix, iy + 1, seed), d = hashNoise(ix + 1, iy + 1, seed);
    return (a + (b - a) * fx) + ((c + (d - c) * fx) - (a + (b - a) * fx)) * fy;
}

float fractalNoise(float x, float y, int octaves, uint32_t seed) {
    float sum = 0, amp = 0.5f, norm = 0;
    for (int o = 0; o < octaves; ++o) {
        sum += valueNoise(x, y, seed + o * 101u) * amp;
        norm += amp;
        x *= 2;
        y *= 2;
        amp *= 0.5f;
    }
    return sum / norm;
}

Canvas::Canvas(int width, int height)
    : w(width), h(height), px(static_cast<size_t>(width) * height) {}

void Canvas::fill(const Mask& m, const Paint& paint, float alpha) {
    for (int y = std::max(0, m.y0); y < std::min(h, m.y0 + m.h); ++y)
        for (int x = std::max(0, m.x0); x < std::min(w, m.x0 + m.w); ++x) {
            float cov = m.v[static_cast<size_t>(y - m.y0) * m.w + (x - m.x0)] * alpha;
            if (cov <= 0) continue;
            Rgba c = paint(x + 0.5f, y + 0.5f);
            float a = std::clamp(c.a, 0.0f, 1.0f) * std::min(cov, 1.0f);
            if (a <= 0) continue;
            Px& d = px[static_cast<size_t>(y) * w + x];
            float k = 1 - a;
            d.r = c.r * a + d.r * k;
            d.g = c.g * a + d.g * k;
            d.b = c.b * a + d.b * k;
            d.a = a + d.a * k;
        }
}

void Canvas::fill(const Mask& m, Rgba colour, float alpha) {
    fill(m, solid(colour), alpha);
}

void Canvas::draw(const Canvas& src, int dx, int dy, float alpha) {
    for (int y = 0; y < src.h; ++y) {
        int ty = y + dy;
        if (ty < 0 || ty >= h) continue;
        for (int x = 0; x < src.w; ++x) {
            int tx = x + dx;
            if (tx < 0 || tx >= w) continue;
            const Px& s = src.px[static_cast<size_t>(y) * src.w + x];
            if (s.a <= 0) continue;
            Px& d = px[static_cast<size_t>(ty) * w + tx];
            float k = 1 - s.a * alpha;
            d.r = s.r * alpha + d.r * k;
            d.g = s.g * alpha + d.g * k;
            d.b = s.b * alpha + d.b * k;
            d.a = s.a * alpha + d.a * k;
        }
    }
}

void Canvas::blit(const Canvas& src, int dx, int dy) {
    for (int y = 0; y < src.h; ++y) {
        int ty = y + dy;
        if (ty < 0 || ty >= h) continue;
        for (int x = 0; x < src.w; ++x) {
            int tx = x + dx;
            if (tx < 0 || tx >= w) continue;
            px[static_cast<size_t>(ty) * w + tx] = src.px[static_cast<size_t>(y) * src.w + x];
        }
    }
}

void Canvas::drawTransformed(const Canvas& src, float srcX, float srcY, float srcW, float srcH,
                             const Affine& m, Rgba tint) {
    // Inverse of the affine map, to walk destination pixels.
    float det = m.a * m.d - m.b * m.c;
    if (std::fabs(det) < 1e-9f) return;
    Affine inv{m.d / det, -m.b / det, -m.c / det, m.a / det, 0, 0};
    inv.e = -(inv.a * m.e + inv.c * m.f);
    inv.f = -(inv.b * m.e + inv.d * m.f);
    Vec2 corners[4] = {m.apply({0, 0}), m.apply({srcW, 0}), m.apply({0, srcH}),
                       m.apply({srcW, srcH})};
    float minX = 1e30f, minY = 1e30f, maxX = -1e30f, maxY = -1e30f;
    for (Vec2 c : corners) {
        minX = std::min(minX, c.x);
        maxX = std::max(maxX, c.x);
        minY = std::min(minY, c.y);
        maxY = std::max(maxY, c.y);
    }
    int x0 = std::max(0, static_cast<int>(std::floor(minX))),
        x1 = std::min(w, static_cast<int>(std::ceil(maxX)));
    int y0 = std::max(0, static_cast<int>(std::floor(minY))),
        y1 = std::min(h, static_cast<int>(std::ceil(maxY)));
    auto texel = [&](int x, int y) -> Px {
        if (x < 0 || y < 0 || x >= static_cast<int>(srcW) || y >= static_cast<int>(srcH)) return {};
        return src.px[static_cast<size_t>(y + static_cast<int>(srcY)) * src.w + x +
                      static_cast<int>(srcX)];
    };
    for (int y = y0; y < y1; ++y)
        for (int x = x0; x < x1; ++x) {
            Vec2 s = inv.apply({x + 0.5f, y + 0.5f});
            float fx = s.x - 0.5f, fy = s.y - 0.5f;
            int ix = static_cast<int>(std::floor(fx)), iy = static_cast<int>(std::floor(fy));
            float tx = fx - ix, ty = fy - iy;
            Px p00 = texel(ix, iy), p10 = texel(ix + 1, iy), p01 = texel(ix, iy + 1),
               p11 = texel(ix + 1, iy + 1);
            auto bl = [&](float Px::*c) {
                return (p00.*c * (1 - tx) + p10.*c * tx) * (1 - ty) +
                       (p01.*c * (1 - tx) + p11.*c * tx) * ty;
            };
            float a = bl(&Px::a) * tint.a;
            if (a <= 0) continue;
            Px& d = px[static_cast<size_t>(y) * w + x];
            float k = 1 - a;
            d.r = bl(&Px::r) * tint.r * tint.a + d.r * k;
            d.g = bl(&Px::g) * tint.g * tint.a + d.g * k;
            d.b = bl(&Px::b) * tint.b * tint.a + d.b * k;
            d.a = a + d.a * k;
        }
}

Canvas Canvas::crop(int x, int y, int width, int height) const {
    Canvas out(width, height);
    for (int j = 0; j < height; ++j)
        for (int i = 0; i < width; ++i) {
            int sx = x + i, sy = y + j;
            if (sx >= 0 && sy >= 0 && sx < w && sy < h)
                out.px[static_cast<size_t>(j) * width + i] = px[static_cast<size_t>(sy) * w + sx];
        }
    return out;
}

std::vector<uint8_t> Canvas::toRgba8() const {
    std::vector<uint8_t> out(px.size() * 4);
    auto q = [](float v) {
        return static_cast<uint8_t>(std::lround(std::clamp(v, 0.0f, 1.0f) * 255.0f));
    };
    for (size_t i = 0; i < px.size(); ++i) {
        const Px& p = px[i];
        uint8_t a = q(p.a);
        if (a == 0) continue;
        float inv = 1.0f / p.a;
        out[i * 4 + 0] = q(p.r * inv);
        out[i * 4 + 1] = q(p.g * inv);
        out[i * 4 + 2] = q(p.b * inv);
        out[i * 4 + 3] = a;
    }
    return out;
}

Mask Canvas::alphaMask() const {
    Mask m(0, 0, w, h);
    for (size_t i = 0; i < px.size(); ++i) m.v[i] = px[i].a;
    return m;
}

} // namespace hexwend::assetgen
