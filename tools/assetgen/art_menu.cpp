#include "tools/assetgen/art.h"
#include "tools/assetgen/dmath.h"

#include <cmath>

namespace hexwend::assetgen {

namespace {

constexpr int kSize = 1024;

// A closed shape under a wavy ridge line, down to the bottom of the frame.
Path hill(float baseY, float amp1, float freq1, float phase1, float amp2, float freq2,
          float phase2) {
    Contour pts;
    for (int x = -8; x <= kSize + 8; x += 8) {
        float y = baseY + amp1 * dsin(x * freq1 + phase1) + amp2 * dsin(x * freq2 + phase2);
        pts.push_back({static_cast<float>(x), y});
    }
    pts.push_back({kSize + 8.0f, kSize + 8.0f});
    pts.push_back({-8.0f, kSize + 8.0f});
    return Path(clockwise(pts));
}

float ridge(float x, float baseY, float amp1, float freq1, float phase1, float amp2, float freq2,
            float phase2) {
    return baseY + amp1 * dsin(x * freq1 + phase1) + amp2 * dsin(x * freq2 + phase2);
}

// The sky: a dusk gradient, a faint honeycomb, soft coloured lights and far hills.
Canvas background() {
    Canvas c(kSize, kSize);
    Mask all = rasterize(rect(0, 0, kSize, kSize), kSize, kSize);
    c.fill(all, vertical(0, kSize, rgb(0x1C1748), rgb(0x1C1748)));
    c.fill(all, linear({0, 0}, {0, kSize},
                       {{0, rgb(0x1C1748)},
                        {0.35f, rgb(0x33408F)},
                        {0.62f, rgb(0x3389B3)},
                        {0.8f, rgb(0x7FC4C8)},
                        {1, rgb(0xF2CF92)}}));
    // Sun glow low on the right.
    c.fill(all,
           radial({720, 800}, 520,
                  {{0, rgb(0xFFE7B0, 0.55f)}, {0.4f, rgb(0xFFC27A, 0.2f)}, {1, rgb(0xFFC27A, 0)}}));
    // Light rays from the sun.
    Path rays;
    for (int i = 0; i < 9; ++i) {
        float a = -170 + 17.0f * i;
        rays.add(polygon(
            {{720, 800}, polar({720, 800}, 1400, a - 2.5f), polar({720, 800}, 1400, a + 2.5f)}));
    }
    c.fill(blur(rasterize(rays, kSize, kSize), 6), rgb(0xFFF3D6), 0.07f);
    // A large faint honeycomb, fading towards the horizon.
    Path comb;
    for (int r = -1; r < 24; ++r)
        for (int col = -1; col < 9; ++col) {
            Vec2 p{col * 142.5f + ((r % 2) ? 71.25f : 0), r * 48.0f};
            Path h = polygon(hexCorners(p, 2, 1.5f));
            h.add(polygon(hexCorners(p, 5, 1.5f)).reversed());
            comb.add(h);
        }
    c.fill(rasterize(comb, kSize, kSize),
           linear({0, 0}, {0, 760}, {{0, rgb(0xFFFFFF, 0.09f)}, {1, rgb(0xFFFFFF, 0.0f)}}));
    // Soft floating lights in the play colours.
    const int rows[4] = {1, 3, 5, 7};
    for (int i = 0; i < 34; ++i) {
        float x = hashNoise(i, 1, 9) * kSize, y = hashNoise(i, 2, 9) * 760;
        float r = 10 + 34 * hashNoise(i, 3, 9);
        Rgba col = hexColour(rows[i % 4]).base;
        Mask m = rasterize(polygon(hexCorners({x, y}, 0, r / 30)), kSize, kSize);
        c.fill(blur(m, 3 + r * 0.15f), col, 0.10f + 0.14f * hashNoise(i, 4, 9));
    }
    // Tiny stars in the upper sky.
    for (int i = 0; i < 90; ++i) {
        float x = hashNoise(i, 5, 11) * kSize, y = hashNoise(i, 6, 11) * 430;
        float r = 0.8f + 1.6f * hashNoise(i, 7, 11);
        c.fill(circle({x, y}, r), rgb(0xFFFFFF),
               0.25f + 0.5f * hashNoise(i, 8, 11) * (1 - y / 500));
    }
    // Far hills and haze at the bottom.
    c.fill(hill(835, 26, 0.006f, 1.0f, 12, 0.017f, 0.3f),
           vertical(780, kSize, rgb(0x5C8FA6), rgb(0x3C6A86)));
    c.fill(hill(880, 20, 0.009f, 2.2f, 9, 0.023f, 1.1f),
           vertical(840, kSize, rgb(0x467C8C), rgb(0x2C5468)));
    c.fill(all,
           linear({0, 760}, {0, 900},
                  {{0, rgb(0xF8E0B0, 0)}, {0.5f, rgb(0xF8E0B0, 0.18f)}, {1, rgb(0xF8E0B0, 0)}}));
    return c;
}

// The lower piece: rolling green hills with half-buried hexes and the figure on a crest.
Canvas lowerPiece() {
    Canvas c(kSize, kSize);
    // Back hill.
    Path back = hill(745, 34, 0.0065f, 0.4f, 14, 0.019f, 2.0f);
    Mask backM = rasterize(back, kSize, kSize);
    Mask sh = blur(backM, 10);
    sh.shift(0, -4);
    c.fill(sh, rgb(0x000000), 0.18f);
    c.fill(backM, vertical(690, kSize, rgb(0x4FA86E), rgb(0x2F7350)));
    // Front hill.
    const float fb = 800, a1 = 40, f1 = 0.0052f, p1 = 2.6f, a2 = 12, f2 = 0.021f, p2 = 0.7f;
    Path front = hill(fb, a1, f1, p1, a2, f2, p2);
    Mask frontM = rasterize(front, kSize, kSize);
    Mask fsh = blur(frontM, 12);
    fsh.shift(0, -6);
    c.fill(fsh, rgb(0x000000), 0.25f);
    c.fill(frontM, vertical(740, kSize, rgb(0x7ACB5E), rgb(0x3E8C3E)));
    // Rim light along the front ridge.
    Contour ridgeLine;
    for (int x = -8; x <= kSize + 8; x += 8)
        ridgeLine.push_back({static_cast<float>(x), ridge(x, fb, a1, f1, p1, a2, f2, p2) + 3});
    c.fill(intersect(rasterize(stroke(ridgeLine, 6), kSize, kSize), frontM), rgb(0xE8FFB0), 0.6f);
    // Grass tufts.
    Path grass;
    for (int i = 0; i < 70; ++i) {
        float x = hashNoise(i, 1, 21) * kSize;
        float y = ridge(x, fb, a1, f1, p1, a2, f2, p2) + 4 + 150 * hashNoise(i, 2, 21);
        for (int k = -1; k <= 1; ++k)
            grass.add(polygon({{x + k * 5.0f - 2.5f, y},
                               {x + k * 9.0f, y - 14 - 6 * hashNoise(i, k + 3, 21)},
                               {x + k * 5.0f + 2.5f, y}}));
    }
    c.fill(rasterize(grass, kSize, kSize), rgb(0x2F7A36), 0.8f);
    // Half-buried hexes in the play colours.
    const int rows[4] = {1, 3, 5, 7};
    const float spots[6][3] = {{130, 0, 1.1f}, {330, 10, 0.9f}, {470, 40, 1.3f},
                               {860, 5, 1.0f}, {950, 60, 1.4f}, {60, 110, 1.2f}};
    for (int i = 0; i < 6; ++i) {
        float x = spots[i][0];
        float y = ridge(x, fb, a1, f1, p1, a2, f2, p2) + 18 + spots[i][1];
        HexStyle st;
        st.variant = i;
        st.emblemRow = rows[i % 4];
        Canvas layer(kSize, kSize);
        drawHex(layer, {x, y}, spots[i][2], hexColour(rows[i % 4]).base, st);
        // Bury the lower part in the grass.
        Canvas buried(kSize, kSize);
        buried.draw(layer, 0, 0);
        Mask ground = rasterize(rect(0, y + 10 * spots[i][2], kSize, kSize), kSize, kSize);
        for (int py = std::max(0, ground.y0); py < kSize; ++py)
            for (int px = 0; px < kSize; ++px) buried.px[static_cast<size_t>(py) * kSize + px] = {};
        c.draw(buried, 0, 0);
        c.fill(ellipse({x, y + 10 * spots[i][2]}, 34 * spots[i][2], 5 * spots[i][2]), rgb(0x2F6A30),
               0.6f);
    }
    // The figure on the crest, waving, beside a little pile of hexes.
    float fx = 760, groundY = ridge(fx, fb, a1, f1, p1, a2, f2, p2) + 6;
    const float s = 4.2f;
    const Vec2 pile[3] = {
        {fx - 95, groundY - 26}, {fx - 150, groundY - 22}, {fx - 122, groundY - 66}};
    for (int i = 0; i < 3; ++i) {
        HexStyle st;
        st.variant = 2 * i + 1;
        st.emblemRow = rows[(i + 1) % 4];
        drawHex(c, pile[i], 0.85f, hexColour(rows[(i + 1) % 4]).base, st);
    }
    drawFigurePose(c, {fx - 18 * s, groundY - 35 * s}, s, 35);
    return c;
}

// The left piece: a wall of big hexes along the left edge.
Canvas leftPiece() {
    Canvas c(kSize, kSize);
    const int rows[4] = {1, 3, 5, 7};
    Canvas wall(kSize, kSize);
    for (int r = 0; r < 24; ++r)
        for (int col = 0; col < 2; ++col) {
            float s = 1.45f;
            Vec2 p{30 + col * 95 * s + ((r % 2) ? 47.5f * s : 0), 40 + r * 32 * s};
            if (p.x > 40 + 140 * (1 - r / 28.0f) + 60 * hashNoise(r, col, 3)) continue;
            if (p.y > 860) continue;
            int row = rows[static_cast<int>(hashNoise(r, col, 5) * 4) % 4];
            HexStyle st;
            st.variant = (r + col) % 8;
            st.emblemRow = row;
            drawHex(wall, p, s, mix(hexColour(row).base, rgb(0x2A2E5A), 0.25f), st);
        }
    Mask wm = wall.alphaMask();
    Mask sh = blur(wm, 10);
    sh.shift(8, 10);
    c.fill(sh, rgb(0x000000), 0.35f);
    c.draw(wall, 0, 0);
    return c;
}

// Spare: a soft vignette.
Canvas vignette() {
    Canvas c(kSize, kSize);
    c.fill(rasterize(rect(0, 0, kSize, kSize), kSize, kSize),
           radial({512, 512}, 730, {{0.55f, rgb(0x000000, 0)}, {1, rgb(0x000000, 0.55f)}}));
    return c;
}

} // namespace

// The menu art: 2 × 2 frames of 1024 × 1024 — the background, the lower piece, the left
// piece and a spare vignette.
bool makeMenu(const Output& out) {
    Sheet sheet(kSize, kSize, 2, 2);
    sheet.put(0, background());
    sheet.put(1, lowerPiece());
    sheet.put(2, leftPiece());
    sheet.put(3, vignette());
    return out.png("506/menu.png", sheet.canvas);
}

} // namespace hexwend::assetgen
