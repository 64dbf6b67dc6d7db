#include "tools/assetgen/shapes.h"
#include "tools/assetgen/dmath.h"

#include <algorithm>
#include <cmath>

namespace hexwend::assetgen {

float signedArea(const Contour& c) {
    double a = 0;
    for (size_t i = 0; i < c.size(); ++i) {
        Vec2 p = c[i], q = c[(i + 1) % c.size()];
        a += static_cast<double>(p.x) * q.y - static_cast<double>(q.x) * p.y;
    }
    return static_cast<float>(a * 0.5);
}

Contour clockwise(Contour c) {
    if (signedArea(c) < 0) std::reverse(c.begin(), c.end());
    return c;
}

namespace {

int segmentsFor(float radius) {
    return std::clamp(static_cast<int>(radius * 1.5f) + 16, 16, 256);
}

Contour ellipseContour(Vec2 c, float rx, float ry) {
    int n = segmentsFor(std::max(rx, ry));
    Contour out;
    out.reserve(n);
    for (int i = 0; i < n; ++i) {
        float a = 2 * kPi * i / n;
        out.push_back({c.x + rx * dcos(a), c.y + ry * dsin(a)});
    }
    return out;
}

} // namespace

Path polygon(const std::vector<Vec2>& points) {
    return Path(clockwise(points));
}

Path ellipse(Vec2 centre, float rx, float ry) {
    return Path(ellipseContour(centre, rx, ry));
}

Path circle(Vec2 centre, float r) {
    return ellipse(centre, r, r);
}

Path ring(Vec2 centre, float outer, float inner) {
    Path p(ellipseContour(centre, outer, outer));
    Contour in = ellipseContour(centre, inner, inner);
    std::reverse(in.begin(), in.end());
    p.add(in);
    return p;
}

Path rect(float x, float y, float w, float h) {
    return Path(Contour{{x, y}, {x + w, y}, {x + w, y + h}, {x, y + h}});
}

Path roundedRect(float x, float y, float w, float h, float r) {
    r = std::min({r, w * 0.5f, h * 0.5f});
    return roundedPolygon({{x, y}, {x + w, y}, {x + w, y + h}, {x, y + h}}, r);
}

Path regular(int n, Vec2 centre, float radius, float degrees) {
    Contour c;
    for (int i = 0; i < n; ++i) c.push_back(polar(centre, radius, degrees + 360.0f * i / n));
    return Path(clockwise(c));
}

Path star(int points, Vec2 centre, float outer, float inner, float degrees) {
    Contour c;
    for (int i = 0; i < points * 2; ++i)
        c.push_back(polar(centre, (i % 2) ? inner : outer, degrees + 180.0f * i / points));
    return Path(clockwise(c));
}

Path stroke(const std::vector<Vec2>& pts, float width) {
    Path p;
    float r = width * 0.5f;
    for (size_t i = 0; i + 1 < pts.size(); ++i) {
        Vec2 a = pts[i], b = pts[i + 1];
        Vec2 d = normalized(b - a);
        Vec2 n{-d.y * r, d.x * r};
        if (length(b - a) > 0) p.add(clockwise({a + n, b + n, b - n, a - n}));
    }
    for (Vec2 q : pts) p.add(ellipseContour(q, r, r));
    return p;
}

Path line(Vec2 a, Vec2 b, float width) {
    return stroke({a, b}, width);
}

Path arc(Vec2 centre, float outer, float inner, float from, float to) {
    int n = std::max(4, static_cast<int>((to - from) / 3));
    Contour c;
    for (int i = 0; i <= n; ++i) c.push_back(polar(centre, outer, from + (to - from) * i / n));
    for (int i = n; i >= 0; --i) c.push_back(polar(centre, inner, from + (to - from) * i / n));
    return Path(clockwise(c));
}

Path roundedPolygon(const std::vector<Vec2>& corners, float radius) {
    Contour in = clockwise(corners);
    Contour out;
    size_t n = in.size();
    for (size_t i = 0; i < n; ++i) {
        Vec2 prev = in[(i + n - 1) % n], cur = in[i], next = in[(i + 1) % n];
        Vec2 d1 = normalized(prev - cur), d2 = normalized(next - cur);
        float cosA = std::clamp(d1.x * d2.x + d1.y * d2.y, -1.0f, 1.0f);
        float half = dacos(cosA) * 0.5f;
        float cut =
            std::min({radius / dtan(half), length(prev - cur) * 0.5f, length(next - cur) * 0.5f});
        float r = cut * dtan(half);
        Vec2 p1 = cur + d1 * cut, p2 = cur + d2 * cut;
        Vec2 bis = normalized(d1 + d2);
        Vec2 centre = cur + bis * (r / dsin(half));
        float a1 = datan2(p1.y - centre.y, p1.x - centre.x);
        float a2 = datan2(p2.y - centre.y, p2.x - centre.x);
        // Clockwise on screen means increasing angle with y down.
        while (a2 < a1) a2 += 2 * kPi;
        if (a2 - a1 > kPi) a2 -= 2 * kPi;
        int steps = std::max(2, static_cast<int>(std::fabs(a2 - a1) * r * 0.8f) + 2);
        for (int s = 0; s <= steps; ++s) {
            float a = a1 + (a2 - a1) * s / steps;
            out.push_back({centre.x + r * dcos(a), centre.y + r * dsin(a)});
        }
    }
    return Path(clockwise(out));
}

Path heart(Vec2 c, float size) {
    // Parametric heart curve, scaled to the size, point at the bottom.
    Contour h;
    int n = 96;
    for (int i = 0; i < n; ++i) {
        float t = 2 * kPi * i / n;
        float s = dsin(t);
        float x = 16 * s * s * s;
        float y = 13 * dcos(t) - 5 * dcos(2 * t) - 2 * dcos(3 * t) - dcos(4 * t);
        h.push_back({c.x + x * size / 34.0f, c.y - (y + 2.5f) * size / 34.0f});
    }
    return Path(clockwise(h));
}

Path crescent(Vec2 c, float size) {
    // Outer circle arc and an inner offset circle arc meeting at two horns.
    float R = size * 0.5f;
    Vec2 o{c.x + R * 0.42f, c.y - R * 0.18f};
    float r = R * 0.86f;
    // Intersection points of the two circles.
    Vec2 d = o - c;
    float dist = length(d);
    float a = (R * R - r * r + dist * dist) / (2 * dist);
    float hgt = std::sqrt(std::max(0.0f, R * R - a * a));
    Vec2 mid = c + normalized(d) * a;
    Vec2 perp{-d.y / dist, d.x / dist};
    Vec2 p1 = mid + perp * hgt, p2 = mid - perp * hgt;
    auto ang = [](Vec2 centre, Vec2 p) { return datan2(p.y - centre.y, p.x - centre.x); };
    Contour out;
    // Outer arc from p1 the long way round to p2.
    float a1 = ang(c, p1), a2 = ang(c, p2);
    while (a2 < a1) a2 += 2 * kPi;
    for (int i = 0; i <= 64; ++i) {
        float t = a1 + (a2 - a1) * i / 64;
        out.push_back({c.x + R * dcos(t), c.y + R * dsin(t)});
    }
    // Inner arc back from p2 to p1, the short way round the offset circle.
    float b1 = ang(o, p2), b2 = ang(o, p1);
    while (b2 > b1) b2 -= 2 * kPi;
    for (int i = 0; i <= 48; ++i) {
        float t = b1 + (b2 - b1) * i / 48;
        out.push_back({o.x + r * dcos(t), o.y + r * dsin(t)});
    }
    return Path(clockwise(out));
}

Path drop(Vec2 c, float size) {
    float r = size * 0.36f;
    Vec2 centre{c.x, c.y + size * 0.14f};
    Vec2 tip{c.x, c.y - size * 0.5f};
    float dist = length(tip - centre);
    float tang = dasin(r / dist); // half-angle of the tangents from the tip
    Contour out;
    float start = -kPi / 2 + (kPi / 2 - tang);
    float end = -kPi / 2 + 2 * kPi - (kPi / 2 - tang);
    out.push_back(tip);
    for (int i = 0; i <= 64; ++i) {
        float t = start + (end - start) * i / 64;
        out.push_back({centre.x + r * dcos(t), centre.y + r * dsin(t)});
    }
    return Path(clockwise(out));
}

Path clover(Vec2 c, float size) {
    Path p;
    float r = size * 0.22f;
    for (int i = 0; i < 4; ++i) p.add(circle(polar(c, size * 0.24f, 90.0f * i - 90), r));
    p.add(circle(c, r * 0.9f));
    return p;
}

Path diamond(Vec2 c, float size) {
    float s = size * 0.5f;
    return polygon(
        {{c.x, c.y - s}, {c.x + s * 0.72f, c.y}, {c.x, c.y + s}, {c.x - s * 0.72f, c.y}});
}

} // namespace hexwend::assetgen
