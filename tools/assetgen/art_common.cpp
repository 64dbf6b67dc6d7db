#include "tools/assetgen/art.h"

#include <algorithm>
#include <cmath>

namespace hexwend::assetgen {

std::vector<Vec2> hexCorners(Vec2 c, float inset, float scale) {
    // The tile is the cell of the field's lattice (neighbours at (0, ±64) and (±47.5, ±32))
    // shrunk evenly by `inset` on every side.
    const float nx = 47.5f / std::sqrt(47.5f * 47.5f + 32.0f * 32.0f);
    const float ny = 32.0f / std::sqrt(47.5f * 47.5f + 32.0f * 32.0f);
    const float d = std::sqrt(47.5f * 47.5f + 32.0f * 32.0f) * 0.5f - inset;
    const float hh = 32.0f - inset;
    const float mid = d / nx;
    const float top = (d - ny * hh) / nx;
    std::vector<Vec2> corners = {{mid, 0},  {top, hh},   {-top, hh},
                                 {-mid, 0}, {-top, -hh}, {top, -hh}};
    for (Vec2& p : corners) p = {c.x + p.x * scale, c.y + p.y * scale};
    return corners;
}

const HexColour& hexColour(int row) {
    static const HexColour colours[8] = {
        {rgb(0xAEB8C6), rgb(0xFFFFFF)}, // 0 silver, ring
        {rgb(0xE5383B), rgb(0xFFF0F0)}, // 1 red, heart
        {rgb(0xF28A1E), rgb(0xFFF4E4)}, // 2 orange, triangle
        {rgb(0xF7D01C), rgb(0xFFFDEB)}, // 3 yellow, star
        {rgb(0x3DBB4C), rgb(0xEEFFEE)}, // 4 green, clover
        {rgb(0x1DBFDB), rgb(0xEFFFFF)}, // 5 cyan, diamond
        {rgb(0x3A5FE5), rgb(0xEEF2FF)}, // 6 blue, drop
        {rgb(0x9B4DE0), rgb(0xF7EEFF)}, // 7 purple, crescent
    };
    return colours[std::clamp(row, 0, 7)];
}

Path emblem(int row, Vec2 c, float size) {
    switch (row & 7) {
    case 0:
        return ring(c, size * 0.44f, size * 0.24f);
    case 1:
        return heart(c, size);
    case 2:
        return regular(3, {c.x, c.y + size * 0.08f}, size * 0.56f, -90);
    case 3:
        return star(5, {c.x, c.y + size * 0.05f}, size * 0.56f, size * 0.25f, -90);
    case 4:
        return clover(c, size);
    case 5:
        return diamond(c, size * 1.05f);
    case 6:
        return drop(c, size * 1.05f);
    default:
        return crescent(c, size * 0.95f);
    }
}

Path sparkle(Vec2 c, float r, float degrees) {
    Contour pts;
    for (int i = 0; i < 4; ++i) {
        float a = degrees + 90.0f * i;
        pts.push_back(polar(c, r, a));
        // Concave sides: two points close to the centre between the rays.
        pts.push_back(polar(c, r * 0.22f, a + 30));
        pts.push_back(polar(c, r * 0.22f, a + 60));
    }
    return Path(clockwise(pts));
}

namespace {

const Vec2 kLight = normalized({-0.35f, -1.0f}); // towards the light: up and a little left

Rgba lit(Rgba base, float amount) {
    return amount >= 0 ? mix(base, {1, 1, 1, base.a}, amount) : shade(base, 1 + amount);
}

struct CutFacet {
    std::vector<Vec2> poly;
    float shadeAmount; // + lighter, − darker
};

std::vector<CutFacet> faceCut(int variant, Vec2 c, const std::vector<Vec2>& f) {
    std::vector<CutFacet> out;
    auto mid = [](Vec2 a, Vec2 b) { return lerp(a, b, 0.5f); };
    switch (variant & 7) {
    case 1:
        for (int i = 0; i < 6; ++i)
            out.push_back({{c, f[i], f[(i + 1) % 6]}, (i % 2) ? 0.08f : -0.07f});
        break;
    case 2: {
        std::vector<Vec2> in;
        for (Vec2 p : f) in.push_back(lerp(c, p, 0.5f));
        out.push_back({in, 0.09f});
        for (int i = 0; i < 6; ++i) {
            int j = (i + 1) % 6;
            Vec2 n = normalized(mid(f[i], f[j]) - c);
            float l = n.x * kLight.x + n.y * kLight.y;
            out.push_back({{f[i], f[j], in[j], in[i]}, 0.09f * l});
        }
        break;
    }
    case 3:
        out.push_back({{c, f[0], f[1], f[2]}, -0.10f});
        out.push_back({{c, f[2], f[3], f[4]}, 0.0f});
        out.push_back({{c, f[4], f[5], f[0]}, 0.10f});
        break;
    case 4:
        out.push_back({{f[3], f[4], f[5], f[0]}, 0.08f});
        out.push_back({{f[0], f[1], f[2], f[3]}, -0.06f});
        break;
    case 5:
        for (int i = 0; i < 6; ++i) {
            Vec2 a = mid(f[(i + 5) % 6], f[i]), b = mid(f[i], f[(i + 1) % 6]);
            out.push_back({{c, a, f[i], b}, (i % 2) ? 0.07f : -0.05f});
        }
        break;
    case 6: {
        // Three diagonal bands.
        float w = 14;
        for (int k = -2; k <= 2; ++k) {
            Vec2 d = normalized({1, -0.6f}), n{-d.y, d.x};
            Vec2 o = c + n * (k * w);
            std::vector<Vec2> band = {o - d * 60, o + d * 60, o + d * 60 + n * w,
                                      o - d * 60 + n * w};
            out.push_back({band, (k % 2 == 0) ? 0.07f : -0.05f});
        }
        break;
    }
    case 7:
        for (int i = 0; i < 6; ++i) {
            Vec2 m = mid(f[i], f[(i + 1) % 6]);
            out.push_back({{c, f[i], m}, 0.08f});
            out.push_back({{c, m, f[(i + 1) % 6]}, -0.06f});
        }
        break;
    default:
        break;
    }
    return out;
}

struct SparkleSpot {
    Vec2 at;
    float r;
};

std::vector<SparkleSpot> sparkleSpots(int variant) {
    switch (variant & 7) {
    case 0:
        return {{{-14, -14}, 4.5f}};
    case 1:
        return {{{15, -13}, 4}};
    case 2:
        return {{{-20, -3}, 3.5f}, {{10, 15}, 2}};
    case 3:
        return {{{7, -18}, 5}};
    case 4:
        return {{{-11, 13}, 3.5f}};
    case 5:
        return {{{19, 3}, 4}};
    case 6:
        return {{{-4, -19}, 4}, {{15, 12}, 2.5f}};
    default:
        return {{{-16, -10}, 5.5f}};
    }
}

} // namespace

void drawHex(Canvas& cv, Vec2 c, float s, Rgba base, const HexStyle& st) {
    const float bevel[8] = {5.0f, 4.5f, 5.5f, 5.0f, 6.0f, 4.5f, 5.5f, 5.0f};
    std::vector<Vec2> outer = hexCorners(c, st.inset, s);
    std::vector<Vec2> bevelOuter = hexCorners(c, st.inset + 1.3f, s);
    std::vector<Vec2> face = hexCorners(c, st.inset + 1.3f + bevel[st.variant & 7], s);
    Path outerPath = roundedPolygon(outer, 3 * s);

    if (st.shadow) {
        Mask sh = blur(rasterize(outerPath), 1.0f * s);
        sh.shift(0, static_cast<int>(std::lround(1.5f * s)));
        cv.fill(sh, rgb(0x000000), 0.45f);
    }
    // Dark rim.
    cv.fill(rasterize(outerPath, cv.w, cv.h), mix(base, rgb(0x000000), 0.62f));

    // Six bevel facets lit by their direction.
    for (int i = 0; i < 6; ++i) {
        int j = (i + 1) % 6;
        Vec2 edgeMid = lerp(bevelOuter[i], bevelOuter[j], 0.5f);
        Vec2 n = normalized(edgeMid - c);
        float l = n.x * kLight.x + n.y * kLight.y;
        Rgba col = lit(base, l >= 0 ? 0.55f * l : 0.42f * l);
        Vec2 inMid = lerp(face[i], face[j], 0.5f);
        Paint p = linear(edgeMid, inMid, {{0, lit(col, 0.08f)}, {1, lit(col, -0.06f)}});
        cv.fill(polygon({bevelOuter[i], bevelOuter[j], face[j], face[i]}), p);
    }

    // The face: a soft radial light from the upper left.
    Mask faceMask = rasterize(polygon(face), cv.w, cv.h);
    cv.fill(faceMask, radial({c.x - 8 * s, c.y - 10 * s}, 42 * s,
                             {{0, lit(base, 0.28f)}, {0.55f, base}, {1, lit(base, -0.22f)}}));
    for (const CutFacet& cut : faceCut(st.variant, c, face)) {
        Mask m = intersect(rasterize(polygon(cut.poly), cv.w, cv.h), faceMask);
        if (cut.shadeAmount > 0)
            cv.fill(m, rgb(0xFFFFFF), cut.shadeAmount);
        else if (cut.shadeAmount < 0)
            cv.fill(m, rgb(0x000000), -cut.shadeAmount);
    }

    if (st.emblemRow >= 0) {
        const HexColour& hc = hexColour(st.emblemRow);
        Mask em = rasterize(emblem(st.emblemRow, {c.x, c.y + 0.5f * s}, 21 * s), cv.w, cv.h);
        Mask rim = dilate(em, 1.1f * s);
        Mask drop = em;
        drop.shift(0, static_cast<int>(std::lround(1.5f * s)));
        cv.fill(unite(rim, blur(drop, 0.8f * s)), mix(base, rgb(0x000000), 0.55f), 0.8f);
        cv.fill(em, vertical(c.y - 10 * s, c.y + 11 * s, hc.emblem, mix(hc.emblem, base, 0.3f)));
    }

    if (st.gloss) {
        Mask g =
            intersect(faceMask, rasterize(ellipse({c.x - 3 * s, c.y - 14 * s}, 25 * s, 13 * s)));
        cv.fill(g, vertical(c.y - 24 * s, c.y - 4 * s, rgb(0xFFFFFF, 0.62f), rgb(0xFFFFFF, 0.04f)));
        // A thin specular line along the top and upper-left outer edges.
        cv.fill(stroke({bevelOuter[3], bevelOuter[4], bevelOuter[5]}, 1.0f * s), rgb(0xFFFFFF),
                0.45f);
    }

    if (st.sparkles) {
        for (const SparkleSpot& sp : sparkleSpots(st.variant)) {
            Vec2 at{c.x + sp.at.x * s, c.y + sp.at.y * s};
            cv.fill(blur(rasterize(circle(at, sp.r * 0.6f * s)), sp.r * 0.5f * s), rgb(0xFFFFFF),
                    0.55f);
            cv.fill(sparkle(at, sp.r * s, 0), rgb(0xFFFFFF), 0.95f);
        }
    }
}

Paint vertical(float y0, float y1, Rgba top, Rgba bottom) {
    return linear({0, y0}, {0, y1}, {{0, top}, {1, bottom}});
}

void drawOutlined(Canvas& c, const Mask& m, const Paint& fillPaint, Rgba outlineColour,
                  float outline, float shadowAlpha, int shadowDy) {
    Mask o = dilate(m, outline);
    if (shadowAlpha > 0) {
        Mask sh = blur(o, outline * 0.8f);
        sh.shift(0, shadowDy);
        c.fill(sh, rgb(0x000000), shadowAlpha);
    }
    c.fill(o, outlineColour);
    c.fill(m, fillPaint);
}

} // namespace hexwend::assetgen
