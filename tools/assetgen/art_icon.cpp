#include "tools/assetgen/art.h"

#include <cmath>
#include <string>

namespace hexwend::assetgen {

namespace {

// The icon is laid out on a 256-unit square and drawn natively at each size, so that every
// size gets crisp edges instead of a resampled picture.
constexpr float kUnits = 256;

// A rounded tile with the play field's dusk sky, a dark rim and a soft gloss.
void drawTile(Canvas& c, float s) {
    const float inset = 10 * s, size = kUnits * s - 2 * inset, radius = 46 * s;
    Path tile = roundedRect(inset, inset, size, size, radius);
    Mask tileMask = rasterize(tile, c.w, c.h);
    Mask shadow = blur(tileMask, 3 * s);
    shadow.shift(0, static_cast<int>(std::lround(3 * s)));
    c.fill(shadow, rgb(0x000000), 0.35f);
    c.fill(tileMask, rgb(0x120E33));
    Path inner = roundedRect(inset + 3 * s, inset + 3 * s, size - 6 * s, size - 6 * s,
                             radius - 3 * s);
    Mask innerMask = rasterize(inner, c.w, c.h);
    c.fill(innerMask, linear({0, inset}, {0, inset + size},
                             {{0, rgb(0x1C1748)},
                              {0.45f, rgb(0x33408F)},
                              {0.8f, rgb(0x3389B3)},
                              {1, rgb(0x7FC4C8)}}));
    // The floor: a green hill along the bottom of the tile.
    Path hill = ellipse({128 * s, 262 * s}, 170 * s, 62 * s);
    c.fill(intersect(innerMask, rasterize(hill, c.w, c.h)),
           vertical(200 * s, 246 * s, rgb(0x5BC25A), rgb(0x2E8A3A)));
    Path gloss = ellipse({128 * s, 20 * s}, 150 * s, 70 * s);
    c.fill(intersect(innerMask, rasterize(gloss, c.w, c.h)),
           vertical(inset, 80 * s, rgb(0xFFFFFF, 0.22f), rgb(0xFFFFFF, 0.0f)));
}

HexStyle tileStyle(int variant, int row, bool small) {
    HexStyle st;
    st.variant = variant;
    st.emblemRow = row;
    // Sparkles and face cuts turn into noise at a few pixels per hex.
    st.sparkles = !small;
    if (small) st.variant = 0;
    return st;
}

// One icon of `size` pixels. From 128 pixels up: a honeycomb of three hexes hanging from the
// top and the figure leaping with a fourth over its head; smaller, the three hexes alone, larger.
Canvas drawIcon(int size) {
    Canvas c(size, size);
    const float s = static_cast<float>(size) / kUnits;
    drawTile(c, s);
    const bool small = size < 128;
    const int red = 1, yellow = 3, cyan = 5, purple = 7;
    if (small) {
        // Three hexes in two rows of the field's lattice, scaled up to fill the tile.
        const float k = 1.45f;
        const Vec2 centre{128, 118};
        const Vec2 at[3] = {{-47.5f, -32}, {47.5f, -32}, {0, 32}};
        const int rows[3] = {red, yellow, cyan};
        for (int i = 0; i < 3; ++i) {
            Vec2 p = (centre + at[i] * k) * s;
            drawHex(c, p, k * s, hexColour(rows[i]).base, tileStyle(i, rows[i], true));
        }
        return c;
    }
    const float k = 1.15f;
    const Vec2 top{128, 54};
    const Vec2 comb[3] = {{-47.5f, 0}, {47.5f, 0}, {0, 32}};
    const int rows[3] = {red, yellow, cyan};
    for (int i = 0; i < 3; ++i) {
        Vec2 p = (top + comb[i] * k) * s;
        drawHex(c, p, k * s, hexColour(rows[i]).base, tileStyle(2 * i + 1, rows[i], false));
    }
    // The figure at the top of its jump (frame 12, carrying) with its hex held overhead.
    const float fig = 2.9f;
    const Vec2 origin{128 - 18 * fig, 236 - 36 * fig};
    drawHex(c, Vec2{128, origin.y + 6 * fig} * s, 0.95f * s, hexColour(purple).base,
            tileStyle(5, purple, false));
    drawFigurePose(c, origin * s, fig * s, 12);
    return c;
}

} // namespace

const int kIconSizes[3] = {48, 128, 256};

bool makeDesktopIcons(const std::string& folder) {
    Output out(folder);
    bool ok = true;
    for (int size : kIconSizes) {
        std::string name = std::to_string(size) + "x" + std::to_string(size) + "/apps/hexwend.png";
        ok = out.png(name, drawIcon(size)) && ok;
    }
    return ok;
}

} // namespace hexwend::assetgen
