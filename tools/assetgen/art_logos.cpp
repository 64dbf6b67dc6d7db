#include "tools/assetgen/art.h"
#include "tools/assetgen/dmath.h"
#include "tools/assetgen/font.h"

#include <algorithm>
#include <cmath>
#include <string>

namespace hexwend::assetgen {

namespace {

// Light and shade along the edges of a mask, as if it were a raised slab lit from the
// upper left: returns a signed relief −1 … 1 per pixel of the mask's rectangle.
Mask relief(const Mask& m, float radius) {
    Mask h = blur(m, radius);
    Mask out(h.x0, h.y0, h.w, h.h);
    int d = std::max(1, static_cast<int>(radius * 0.5f));
    for (int y = h.y0; y < h.y0 + h.h; ++y)
        for (int x = h.x0; x < h.x0 + h.w; ++x) {
            float v = (h.at(x - d, y - d) - h.at(x + d, y + d)) * 2.2f;
            out.ref(x, y) = std::clamp(v, -1.0f, 1.0f);
        }
    return out;
}

void applyRelief(Canvas& c, const Mask& shape, const Mask& rel, float strength) {
    Mask light(rel.x0, rel.y0, rel.w, rel.h), dark(rel.x0, rel.y0, rel.w, rel.h);
    for (int y = rel.y0; y < rel.y0 + rel.h; ++y)
        for (int x = rel.x0; x < rel.x0 + rel.w; ++x) {
            float r = rel.at(x, y) * shape.at(x, y);
            light.ref(x, y) = std::max(0.0f, r) * strength;
            dark.ref(x, y) = std::max(0.0f, -r) * strength;
        }
    c.fill(light, rgb(0xFFFFFF));
    c.fill(dark, rgb(0x000000));
}

// Lettering with a bounce: each letter on its own baseline offset, condensed horizontally.
Mask bouncyText(const std::string& s, float emX, float emY, float centreX, float baseline,
                float bounce, float tracking) {
    const Font& f = boldFont();
    float sx = f.scaleForEm(emX), sy = f.scaleForEm(emY);
    float width = 0;
    for (char ch : s) width += f.advance(static_cast<unsigned char>(ch)) * sx + tracking;
    width -= tracking;
    float pen = centreX - width / 2;
    Mask out;
    for (size_t i = 0; i < s.size(); ++i) {
        int ch = static_cast<unsigned char>(s[i]);
        float dy = bounce * dsin(static_cast<float>(i) * 1.7f + 0.6f);
        out = unite(out, f.glyph(ch, sx, sy, pen, baseline + dy));
        pen += f.advance(ch) * sx + tracking;
    }
    return out;
}

} // namespace

// The title "Hexwend": candy-gold letters with a dark and a white outline, a bevel, gloss,
// and hexes of the four play colours.
bool makeTitle(const Output& out) {
    Canvas c(1024, 512);
    Mask text = bouncyText("Hexwend", 168, 250, 512, 330, 14, 6);
    Mask white = dilate(text, 16);
    Mask rim = dilate(text, 24);
    Mask sh = blur(rim, 10);
    sh.shift(0, 14);
    c.fill(sh, rgb(0x000000), 0.55f);
    c.fill(rim, rgb(0x2A1245));
    c.fill(white, vertical(60, 420, rgb(0xFFFFFF), rgb(0xDCE6F5)));
    Mask inner = dilate(text, 7);
    c.fill(inner, rgb(0x3B1760));
    c.fill(text, linear({0, 140}, {0, 350},
                        {{0, rgb(0xFFF6A0)},
                         {0.35f, rgb(0xFFD23A)},
                         {0.7f, rgb(0xFFA21E)},
                         {1, rgb(0xF2661A)}}));
    applyRelief(c, text, relief(text, 8), 0.55f);
    // Gloss on the upper part of the letters, cut by a gentle curve.
    Mask glossZone = rasterize(ellipse({512, 60}, 700, 200), 1024, 512);
    c.fill(intersect(text, glossZone),
           vertical(100, 260, rgb(0xFFFFFF, 0.55f), rgb(0xFFFFFF, 0.1f)));
    // Hexes of the four play colours, two on each side above the word.
    const int rows[4] = {1, 3, 5, 7};
    const Vec2 spots[4] = {{110, 95}, {190, 58}, {834, 58}, {914, 95}};
    for (int i = 0; i < 4; ++i) {
        HexStyle st;
        st.variant = i * 2 + 1;
        st.emblemRow = rows[i];
        drawHex(c, spots[i], 1.05f, hexColour(rows[i]).base, st);
    }
    // Sparkles.
    const Vec2 glints[3] = {{300, 175}, {655, 150}, {880, 300}};
    for (int i = 0; i < 3; ++i) {
        Vec2 g = glints[i];
        c.fill(blur(rasterize(circle(g, 8)), 8), rgb(0xFFFFFF), 0.8f);
        c.fill(sparkle(g, 26 - 5.0f * i, 0), rgb(0xFFFFFF));
    }
    return out.png("506/logo.png", c);
}

// The framework's logo, shown tile by tile on the loading screen at half size over sand: a
// badge with a ring of hexes around a rounded "q", and the name below it.
bool makeFrameworkLogo(const Output& out) {
    Canvas c(1024, 1024);
    const Vec2 centre{512, 375};
    const float r = 305;
    Mask disc = rasterize(circle(centre, r), 1024, 1024);
    Mask sh = blur(dilate(disc, 14), 18);
    sh.shift(0, 20);
    c.fill(sh, rgb(0x000000), 0.45f);
    c.fill(dilate(disc, 16), rgb(0xFFFFFF));
    c.fill(dilate(disc, 6), rgb(0x2B1F3A));
    c.fill(disc, radial({centre.x - 100, centre.y - 130}, 520,
                        {{0, rgb(0x7A68E8)}, {0.5f, rgb(0x4232A6)}, {1, rgb(0x1E1552)}}));
    // Soft rays inside the badge.
    Path rays;
    for (int i = 0; i < 12; ++i) {
        float a = 30.0f * i;
        rays.add(polygon({centre, polar(centre, r * 1.2f, a - 6), polar(centre, r * 1.2f, a + 6)}));
    }
    c.fill(intersect(rasterize(rays, 1024, 1024), disc), rgb(0xFFFFFF), 0.06f);
    const Rgba petals[6] = {rgb(0xFF5A5F), rgb(0xFFB23E), rgb(0xFFE04A),
                            rgb(0x4FD16B), rgb(0x3EC6F0), rgb(0xB46CF2)};
    for (int i = 0; i < 6; ++i) {
        HexStyle st;
        st.variant = i;
        st.inset = 4;
        drawHex(c, polar(centre, r * 0.66f, -90 + 60.0f * i), 1.62f, petals[i], st);
    }
    const Font& f = boldFont();
    float sc = f.scaleForEm(305);
    float w = f.textWidth("q", sc);
    Mask q = f.text("q", sc, centre.x - w / 2, centre.y + 65);
    c.fill(dilate(q, 10), rgb(0x2B1F3A));
    c.fill(q, vertical(centre.y - 120, centre.y + 160, rgb(0xFFFFFF), rgb(0xCFC6FF)));
    applyRelief(c, q, relief(q, 6), 0.4f);
    Mask gloss =
        intersect(disc, rasterize(ellipse({centre.x, centre.y - r * 0.52f}, r * 0.75f, r * 0.4f),
                                  1024, 1024));
    c.fill(gloss,
           vertical(centre.y - r, centre.y - r * 0.1f, rgb(0xFFFFFF, 0.35f), rgb(0xFFFFFF, 0.0f)));

    // The name under the badge.
    float ns = f.scaleForEm(165);
    std::string name = "QUZO";
    float tracking = 18;
    float nw = f.textWidth(name, ns, tracking);
    Mask word = f.text(name, ns, 512 - nw / 2, 875, tracking);
    Mask wordRim = dilate(word, 14);
    Mask wsh = blur(wordRim, 8);
    wsh.shift(0, 10);
    c.fill(wsh, rgb(0x000000), 0.4f);
    c.fill(wordRim, rgb(0x2B1F3A));
    c.fill(dilate(word, 7), rgb(0xFFFFFF));
    c.fill(word, vertical(755, 875, rgb(0x7A68E8), rgb(0x2E2280)));
    applyRelief(c, word, relief(word, 5), 0.35f);
    return out.png("common/QUZOLogo.png", c);
}

} // namespace hexwend::assetgen
