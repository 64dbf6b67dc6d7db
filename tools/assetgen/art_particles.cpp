#include "tools/assetgen/art.h"

#include <cmath>

namespace hexwend::assetgen {

namespace {

// Particles are white and greys so that the colour they are drawn with tints them.
constexpr Vec2 kC{16, 16};

// A shape lit from the upper left with a faint darker rim, in greys.
void shinyShape(Canvas& c, const Path& p) {
    Mask m = rasterize(p, c.w, c.h);
    c.fill(dilate(m, 0.8f), grey(0.55f), 0.8f);
    c.fill(m, radial({11, 10}, 16, {{0, grey(1)}, {0.6f, grey(0.9f)}, {1, grey(0.72f)}}));
    Mask hi = intersect(m, rasterize(ellipse({13, 10}, 7, 4)));
    c.fill(hi, rgb(0xFFFFFF), 0.7f);
}

Path shapeFor(int i) {
    switch (i) {
    case 0:
        return circle(kC, 10);
    case 1:
        return polygon(hexCorners(kC, 4, 0.36f));
    case 2:
        return star(5, kC, 12, 5.5f, -90);
    case 3:
        return diamond(kC, 22);
    case 4:
        return heart(kC, 22);
    case 5:
        return regular(3, {16, 17.5f}, 12, -90);
    case 6:
        return roundedRect(7, 7, 18, 18, 4);
    case 7:
        return drop(kC, 22);
    case 8:
        return star(4, kC, 12, 5, -90);
    case 9:
        return clover(kC, 22);
    case 10:
        return crescent(kC, 21);
    case 11:
        return ellipse(kC, 11, 7);
    case 12:
        return star(6, kC, 11.5f, 6.5f, -90);
    case 13:
        return regular(5, kC, 11, -90);
    case 14:
        return ring(kC, 11, 6);
    default:
        return circle(kC, 7);
    }
}

Canvas smokePuff(int i) {
    Canvas c(32, 32);
    // A few overlapping blobs, blurred; the edge fades out well inside the frame because the
    // puffs are drawn up to five times their size.
    Mask m;
    uint32_t seed = 1000 + i * 17;
    int blobs = 4 + i % 3;
    for (int b = 0; b < blobs; ++b) {
        float a = 360.0f * b / blobs + hashNoise(b, i, seed) * 50;
        float d = 2.5f + 3.0f * hashNoise(i, b, seed + 1);
        float r = 4.0f + 2.5f * hashNoise(b, b + i, seed + 2);
        m = unite(m, rasterize(circle(polar(kC, d, a), r)));
    }
    m = unite(m, rasterize(circle(kC, 5.5f)));
    m = blur(m, 2.6f);
    Mask clipped(0, 0, 32, 32);
    for (int y = 0; y < 32; ++y)
        for (int x = 0; x < 32; ++x) {
            float dx = (x + 0.5f - 16) / 15.5f, dy = (y + 0.5f - 16) / 15.5f;
            float edge = std::max(0.0f, 1 - (dx * dx + dy * dy)); // zero at the frame's rim
            float n = 0.75f + 0.25f * fractalNoise(x * 0.25f, y * 0.25f, 3, seed);
            clipped.ref(x, y) = m.at(x, y) * edge * n;
        }
    c.fill(clipped, radial({13, 12}, 16, {{0, grey(1)}, {1, grey(0.78f)}}), 0.85f);
    return c;
}

Canvas outlineSparkle(int i) {
    Canvas c(32, 32);
    auto glowLine = [&](const Path& p) {
        Mask m = rasterize(p, 32, 32);
        c.fill(blur(m, 1.5f), rgb(0xFFFFFF), 0.6f);
        c.fill(m, rgb(0xFFFFFF));
    };
    float rot = 11.25f * i;
    switch (i % 4) {
    case 0: {
        Path outer = sparkle(kC, 13, rot);
        Path inner = sparkle(kC, 9.5f, rot).reversed();
        outer.add(inner);
        glowLine(outer);
        break;
    }
    case 1:
        glowLine(ring(kC, 11 - (i % 3), 9 - (i % 3)));
        break;
    case 2: {
        Path p = star(5, kC, 13, 6, rot - 90);
        p.add(star(5, kC, 10, 4.2f, rot - 90).reversed());
        glowLine(p);
        break;
    }
    default: {
        Path p;
        for (int k = 0; k < 4; ++k) {
            float a = rot + 90.0f * k + 45;
            p.add(line(polar(kC, 5, a), polar(kC, 12, a), 2));
        }
        p.add(sparkle(kC, 6, rot));
        glowLine(p);
        break;
    }
    }
    return c;
}

Canvas shard(int i) {
    Canvas c(32, 32);
    // A fragment of a bevelled grey hex: a random convex piece around the centre.
    uint32_t seed = 77 + i * 31;
    int n = 3 + i % 3;
    Contour pts;
    for (int k = 0; k < n; ++k) {
        float a = 360.0f * k / n + 40 * (hashNoise(k, i, seed) - 0.5f) + i * 23.0f;
        float r = 7.5f + 5.0f * hashNoise(i, k, seed + 5);
        pts.push_back(polar(kC, r, a));
    }
    Path p = polygon(pts);
    Mask m = rasterize(p, 32, 32);
    c.fill(dilate(m, 1.0f), grey(0.35f), 0.9f);
    c.fill(m, linear({8, 6}, {24, 26}, {{0, grey(1)}, {0.5f, grey(0.86f)}, {1, grey(0.62f)}}));
    // A bevel edge on one side and a glint.
    Vec2 a = pts[0], b = pts[1];
    c.fill(intersect(rasterize(line(a, b, 3.0f), 32, 32), m), grey(1), 0.8f);
    c.fill(sparkle(lerp(a, kC, 0.4f), 3, 0), rgb(0xFFFFFF), 0.9f);
    return c;
}

Canvas starFrame(int i) {
    Canvas c(32, 32);
    int points = (i % 4 == 3) ? 4 : 5;
    float outer = 13.5f - (i / 8) * 2.0f;
    float rot = -90.0f + (i % 8) * 0; // upright: the chart rotates them itself
    Path s = star(points, {16, 16.5f}, outer, outer * (points == 4 ? 0.42f : 0.47f), rot);
    Mask m = rasterize(s, 32, 32);
    c.fill(dilate(m, 1.0f), grey(0.45f), 0.85f);
    // Facets: each point split into a lighter and a darker half.
    c.fill(m, grey(0.82f));
    for (int k = 0; k < points; ++k) {
        float a = rot + 360.0f * k / points;
        Vec2 tip = polar({16, 16.5f}, outer, a);
        Vec2 side = polar({16, 16.5f}, outer * 0.47f, a + 180.0f / points);
        c.fill(intersect(rasterize(polygon({{16, 16.5f}, tip, side}), 32, 32), m), grey(1));
    }
    if (i % 2 == 0) c.fill(sparkle({11, 10}, 4, 0), rgb(0xFFFFFF), 0.9f);
    return c;
}

} // namespace

bool makeParticles(const Output& out) {
    Sheet shapes(32, 32, 4, 4), sparks(32, 32, 4, 4), smoke(32, 32, 4, 4), shards(32, 32, 4, 4),
        stars(32, 32, 4, 4);
    for (int i = 0; i < 16; ++i) {
        Canvas s(32, 32);
        shinyShape(s, shapeFor(i));
        shapes.put(i, s);
        sparks.put(i, outlineSparkle(i));
        smoke.put(i, smokePuff(i));
        shards.put(i, shard(i));
        stars.put(i, starFrame(i));
    }
    bool ok = out.png("common/part-shapefull.png", shapes.canvas);
    ok = out.png("common/parts_shape.png", sparks.canvas) && ok;
    ok = out.png("common/parts_smoke.png", smoke.canvas) && ok;
    ok = out.png("common/parts_cluster.png", shards.canvas) && ok;
    return out.png("common/parts_stars.png", stars.canvas) && ok;
}

} // namespace hexwend::assetgen
