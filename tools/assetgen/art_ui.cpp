#include "tools/assetgen/art.h"
#include "tools/assetgen/font.h"

#include <cmath>

namespace hexwend::assetgen {

namespace {

const Rgba kInk = rgb(0x1A1A2A);

// A glossy round badge filling most of a square frame of `size`.
void badge(Canvas& c, Vec2 at, float r, Rgba colour) {
    Mask disc = rasterize(circle(at, r), c.w, c.h);
    Mask sh = blur(disc, r * 0.08f);
    sh.shift(0, static_cast<int>(r * 0.06f));
    c.fill(sh, rgb(0x000000), 0.45f);
    c.fill(dilate(disc, r * 0.06f), kInk);
    c.fill(
        disc,
        radial({at.x - r * 0.3f, at.y - r * 0.4f}, r * 1.6f,
               {{0, mix(colour, rgb(0xFFFFFF), 0.35f)}, {0.5f, colour}, {1, shade(colour, 0.6f)}}));
    c.fill(rasterize(ring(at, r * 0.93f, r * 0.85f)), rgb(0xFFFFFF), 0.18f);
    Mask gloss =
        intersect(disc, rasterize(ellipse({at.x, at.y - r * 0.45f}, r * 0.72f, r * 0.42f)));
    c.fill(gloss, vertical(at.y - r, at.y - r * 0.1f, rgb(0xFFFFFF, 0.55f), rgb(0xFFFFFF, 0.02f)));
}

// A white pictogram with a soft dark drop shadow.
void symbol(Canvas& c, const Path& p, float unit) {
    Mask m = rasterize(p, c.w, c.h);
    Mask sh = blur(m, unit * 0.05f);
    sh.shift(0, static_cast<int>(std::lround(unit * 0.04f)));
    c.fill(sh, rgb(0x000000), 0.4f);
    c.fill(m, vertical(0, static_cast<float>(c.h), rgb(0xFFFFFF), grey(0.88f)));
}

Path gear(Vec2 at, int teeth, float outer, float root, float hole) {
    Contour pts;
    int steps = teeth * 4;
    for (int i = 0; i < steps; ++i) {
        float a = 360.0f * i / steps;
        float r = (i % 4 == 0 || i % 4 == 1) ? outer : root;
        // Slightly tapered teeth: the outer corners are pulled together.
        float da =
            (i % 4 == 0) ? 360.0f / steps * 0.25f : ((i % 4 == 1) ? -360.0f / steps * 0.25f : 0);
        pts.push_back(polar(at, r, a + da));
    }
    Path p(clockwise(pts));
    if (hole > 0) p.add(circle(at, hole).reversed());
    return p;
}

Path arrowLeft(Vec2 at, float s) {
    return polygon({{at.x - s, at.y},
                    {at.x - s * 0.1f, at.y - s * 0.8f},
                    {at.x - s * 0.1f, at.y - s * 0.32f},
                    {at.x + s * 0.9f, at.y - s * 0.32f},
                    {at.x + s * 0.9f, at.y + s * 0.32f},
                    {at.x - s * 0.1f, at.y + s * 0.32f},
                    {at.x - s * 0.1f, at.y + s * 0.8f}});
}

Path speaker(Vec2 at, float s, bool waves) {
    Path p = polygon({{at.x - s * 0.9f, at.y - s * 0.3f},
                      {at.x - s * 0.5f, at.y - s * 0.3f},
                      {at.x, at.y - s * 0.75f},
                      {at.x, at.y + s * 0.75f},
                      {at.x - s * 0.5f, at.y + s * 0.3f},
                      {at.x - s * 0.9f, at.y + s * 0.3f}});
    if (waves) {
        p.add(arc({at.x - s * 0.05f, at.y}, s * 0.55f, s * 0.4f, -45, 45));
        p.add(arc({at.x - s * 0.05f, at.y}, s * 0.9f, s * 0.75f, -50, 50));
    }
    return p;
}

Path musicNote(Vec2 at, float s) {
    Path p;
    Vec2 h1{at.x - s * 0.45f, at.y + s * 0.55f}, h2{at.x + s * 0.5f, at.y + s * 0.4f};
    p.add(ellipse(h1, s * 0.28f, s * 0.21f));
    p.add(ellipse(h2, s * 0.28f, s * 0.21f));
    p.add(rect(h1.x + s * 0.16f, at.y - s * 0.55f, s * 0.12f, s * 1.1f));
    p.add(rect(h2.x + s * 0.16f, at.y - s * 0.7f, s * 0.12f, s * 1.1f));
    p.add(polygon({{h1.x + s * 0.16f, at.y - s * 0.55f},
                   {h2.x + s * 0.28f, at.y - s * 0.7f},
                   {h2.x + s * 0.28f, at.y - s * 0.42f},
                   {h1.x + s * 0.16f, at.y - s * 0.27f}}));
    return p;
}

Path monitor(Vec2 at, float s) {
    Path p = roundedRect(at.x - s * 0.85f, at.y - s * 0.62f, s * 1.7f, s * 1.1f, s * 0.12f);
    p.add(
        roundedRect(at.x - s * 0.7f, at.y - s * 0.48f, s * 1.4f, s * 0.82f, s * 0.05f).reversed());
    p.add(rect(at.x - s * 0.1f, at.y + s * 0.48f, s * 0.2f, s * 0.22f));
    p.add(roundedRect(at.x - s * 0.45f, at.y + s * 0.68f, s * 0.9f, s * 0.14f, s * 0.06f));
    return p;
}

Path thumbStick(Vec2 at, float s) {
    Path p = ring(at, s * 0.85f, s * 0.7f);
    p.add(circle({at.x, at.y - s * 0.05f}, s * 0.45f));
    return p;
}

Path gauge(Vec2 at, float s) {
    Path p = arc(at, s * 0.9f, s * 0.72f, 150, 390);
    p.add(line(at, polar(at, s * 0.6f, -40), s * 0.14f));
    p.add(circle(at, s * 0.15f));
    for (int i = 0; i < 5; ++i)
        p.add(line(polar(at, s * 0.55f, 160 + 55.0f * i), polar(at, s * 0.45f, 160 + 55.0f * i),
                   s * 0.08f));
    return p;
}

// The framework's own mark: a ring of six small hexes around a rounded "q".
void frameworkMark(Canvas& c, Vec2 at, float s) {
    Mask disc = rasterize(circle(at, s), c.w, c.h);
    Mask sh = blur(disc, s * 0.06f);
    sh.shift(0, static_cast<int>(s * 0.05f));
    c.fill(sh, rgb(0x000000), 0.4f);
    c.fill(dilate(disc, s * 0.05f), rgb(0x2B1F3A));
    c.fill(disc, radial({at.x - s * 0.3f, at.y - s * 0.4f}, s * 1.5f,
                        {{0, rgb(0x6C5BD9)}, {0.55f, rgb(0x3F2F9E)}, {1, rgb(0x23195E)}}));
    const Rgba petals[6] = {rgb(0xFF5A5F), rgb(0xFFB23E), rgb(0xFFE04A),
                            rgb(0x4FD16B), rgb(0x3EC6F0), rgb(0xB46CF2)};
    for (int i = 0; i < 6; ++i) {
        Vec2 p = polar(at, s * 0.62f, -90 + 60.0f * i);
        HexStyle st;
        st.shadow = false;
        st.sparkles = false;
        st.variant = 0;
        drawHex(c, p, s * 0.0062f, petals[i], st);
    }
    const Font& f = boldFont();
    float sc = f.scaleForEm(s * 0.95f);
    float w = f.textWidth("q", sc);
    Mask q = f.text("q", sc, at.x - w / 2, at.y + s * 0.18f);
    c.fill(dilate(q, s * 0.05f), rgb(0x2B1F3A));
    c.fill(q, vertical(at.y - s * 0.4f, at.y + s * 0.5f, rgb(0xFFFFFF), rgb(0xD8D0FF)));
    Mask gloss = intersect(disc, rasterize(ellipse({at.x, at.y - s * 0.5f}, s * 0.7f, s * 0.38f)));
    c.fill(gloss, vertical(at.y - s, at.y - s * 0.15f, rgb(0xFFFFFF, 0.35f), rgb(0xFFFFFF, 0.0f)));
}

// The game's mark: four bevelled hexes in the play colours.
void gameMark(Canvas& c, Vec2 at, float s) {
    const int rows[4] = {1, 3, 5, 7};
    const Vec2 offsets[4] = {{0, -32}, {-47.5f, 0}, {47.5f, 0}, {0, 32}};
    for (int i = 0; i < 4; ++i) {
        HexStyle st;
        st.variant = i * 2;
        st.emblemRow = rows[i];
        drawHex(c, {at.x + offsets[i].x * s, at.y + offsets[i].y * s}, s, hexColour(rows[i]).base,
                st);
    }
}

Canvas icon(int frame) {
    Canvas c(128, 128);
    const Vec2 m{64, 64};
    switch (frame) {
    case 0: // pause
        badge(c, m, 50, rgb(0x3A7BD5));
        symbol(
            c,
            [&] {
                Path p = roundedRect(44, 38, 14, 52, 3);
                p.add(roundedRect(70, 38, 14, 52, 3));
                return p;
            }(),
            100);
        break;
    case 1: { // quit
        badge(c, m, 50, rgb(0xD9433B));
        Path x = line({46, 46}, {82, 82}, 13);
        x.add(line({82, 46}, {46, 82}, 13));
        symbol(c, x, 100);
        break;
    }
    case 2: { // again
        badge(c, m, 50, rgb(0x8E5BD9));
        Path p = arc(m, 27, 16, -60, 230);
        p.add(polygon({polar(m, 36, -50), polar(m, 8, -70), polar(m, 26, -100)}));
        symbol(c, p, 100);
        break;
    }
    case 3: // resume
        badge(c, m, 50, rgb(0x3BAE55));
        symbol(c, roundedPolygon({{50, 38}, {88, 64}, {50, 90}}, 4), 100);
        break;
    case 4: // sound
        badge(c, m, 50, rgb(0x2BA3B5));
        symbol(c, speaker({68, 64}, 30, true), 100);
        break;
    case 5: // music
        badge(c, m, 50, rgb(0xD98A2B));
        symbol(c, musicNote({62, 62}, 34), 100);
        break;
    case 6: { // selection ring
        Mask r = rasterize(ring(m, 61, 54), 128, 128);
        c.fill(blur(r, 3), rgb(0xFFFFFF), 0.8f);
        c.fill(r, vertical(0, 128, rgb(0xFFFFFF), grey(0.85f)));
        for (int i = 0; i < 4; ++i)
            c.fill(sparkle(polar(m, 57.5f, -45 + 90.0f * i), 9, 0), rgb(0xFFFFFF));
        break;
    }
    case 7: { // trophy
        badge(c, m, 50, rgb(0xE0B12B));
        Path cup = polygon({{44, 38}, {84, 38}, {80, 62}, {72, 70}, {56, 70}, {48, 62}});
        cup.add(rect(59, 68, 10, 12));
        cup.add(roundedRect(48, 80, 32, 8, 2));
        cup.add(ring({44, 50}, 10, 5));
        cup.add(ring({84, 50}, 10, 5));
        symbol(c, cup, 100);
        break;
    }
    case 8: { // life
        Mask h = rasterize(heart(m, 96), 128, 128);
        drawOutlined(
            c, h,
            radial({48, 42}, 80, {{0, rgb(0xFF8A8A)}, {0.5f, rgb(0xE5383B)}, {1, rgb(0x9A1B25)}}),
            kInk, 4, 0.4f, 4);
        c.fill(intersect(h, rasterize(ellipse({46, 40}, 16, 10))), rgb(0xFFFFFF), 0.6f);
        break;
    }
    case 9:
        frameworkMark(c, m, 50);
        break;
    case 10:
        gameMark(c, m, 0.78f);
        break;
    case 11: // back
        badge(c, m, 50, rgb(0x5A6478));
        symbol(c, arrowLeft(m, 30), 100);
        break;
    case 12: { // outer gear, a ring with teeth
        Mask g = rasterize(gear(m, 12, 60, 50, 34), 128, 128);
        drawOutlined(
            c, g, radial({44, 40}, 110, {{0, grey(1)}, {0.6f, rgb(0xC6CCD8)}, {1, rgb(0x8A92A6)}}),
            kInk, 3, 0.4f, 3);
        break;
    }
    case 13: { // inner gear, seen through the ring
        Mask g = rasterize(gear(m, 9, 38, 30, 0), 128, 128);
        drawOutlined(c, g, radial({50, 48}, 70, {{0, rgb(0xFFD67A)}, {1, rgb(0xD08A1E)}}), kInk, 3,
                     0.0f, 0);
        break;
    }
    case 14: { // hub
        Mask h = rasterize(circle(m, 16), 128, 128);
        drawOutlined(c, h, radial({58, 56}, 22, {{0, grey(1)}, {1, rgb(0x9AA2B4)}}), kInk, 3, 0.3f,
                     2);
        c.fill(regular(6, m, 7, 0), rgb(0x4A5268));
        break;
    }
    case 15: { // info
        badge(c, m, 50, rgb(0x3A7BD5));
        Path i = circle({64, 42}, 7);
        i.add(roundedRect(57, 54, 14, 36, 3));
        symbol(c, i, 100);
        break;
    }
    default:
        break;
    }
    return c;
}

Canvas button(int frame) {
    Canvas c(64, 64);
    int state = frame % 4; // normal, highlighted, pressed, disabled
    const Rgba base[4] = {rgb(0x3A7BD5), rgb(0x4FA3F0), rgb(0x2E62AC), rgb(0x7D8394)};
    Rgba col = base[state];
    float press = state == 2 ? 3 : 0;
    switch (frame / 4) {
    case 0: { // square key
        Mask all = rasterize(roundedRect(6, 6 + press, 52, 52 - press, 12), 64, 64);
        drawOutlined(c, all, solid(shade(col, 0.6f)), kInk, 2, 0.4f, 2);
        Mask face = rasterize(roundedRect(8, 8 + press, 48, 44 - press * 0.3f, 10), 64, 64);
        c.fill(face, vertical(8, 52, mix(col, rgb(0xFFFFFF), 0.3f), col));
        c.fill(intersect(face, rasterize(ellipse({32, 14 + press}, 22, 8))), rgb(0xFFFFFF), 0.4f);
        break;
    }
    case 1: { // round key
        Mask all = rasterize(circle({32, 32 + press * 0.5f}, 26), 64, 64);
        drawOutlined(c, all, solid(shade(col, 0.6f)), kInk, 2, 0.4f, 2);
        Mask face = rasterize(circle({32, 30 + press}, 23), 64, 64);
        c.fill(face, radial({26, 22}, 40, {{0, mix(col, rgb(0xFFFFFF), 0.35f)}, {1, col}}));
        c.fill(intersect(face, rasterize(ellipse({32, 18 + press}, 15, 7))), rgb(0xFFFFFF), 0.4f);
        break;
    }
    case 2: { // check box: off, on, off highlighted, on highlighted
        bool on = frame % 2 == 1;
        Rgba frameCol = frame % 4 >= 2 ? rgb(0xFFE04A) : rgb(0xFFFFFF);
        Mask box = rasterize(roundedRect(10, 10, 44, 44, 8), 64, 64);
        drawOutlined(c, box, solid(frameCol), kInk, 2, 0.4f, 2);
        c.fill(roundedRect(15, 15, 34, 34, 5), rgb(0x2A3042));
        if (on) {
            Mask tick = rasterize(stroke({{20, 33}, {29, 42}, {45, 22}}, 7), 64, 64);
            c.fill(tick, rgb(0x4CD964));
        }
        break;
    }
    default: { // radio: off, on, off highlighted, on highlighted
        bool on = frame % 2 == 1;
        Rgba frameCol = frame % 4 >= 2 ? rgb(0xFFE04A) : rgb(0xFFFFFF);
        Mask disc = rasterize(circle({32, 32}, 22), 64, 64);
        drawOutlined(c, disc, solid(frameCol), kInk, 2, 0.4f, 2);
        c.fill(circle({32, 32}, 17), rgb(0x2A3042));
        if (on)
            c.fill(circle({32, 32}, 10),
                   radial({29, 28}, 14, {{0, rgb(0xA8F0B4)}, {1, rgb(0x3BAE55)}}));
        break;
    }
    }
    return c;
}

Canvas optionIcon(int frame) {
    Canvas c(68, 68);
    const Vec2 m{34, 34};
    switch (frame) {
    case 0:
        symbol(c, arrowLeft(m, 22), 68);
        break;
    case 1:
        symbol(c, speaker({38, 34}, 24, true), 68);
        break;
    case 2:
        symbol(c, musicNote({33, 32}, 26), 68);
        break;
    case 3:
        symbol(c, monitor(m, 24), 68);
        break;
    case 4:
    case 5: {
        symbol(c, thumbStick({34, 30}, 22), 68);
        const Font& f = boldFont();
        float s = f.scaleForEm(16);
        std::string t = frame == 4 ? "L" : "R";
        float w = f.textWidth(t, s);
        Mask l = f.text(t, s, 34 - w / 2, 35.5f);
        c.fill(l, rgb(0x1A1A2A));
        break;
    }
    case 47:
        symbol(c, gauge({34, 38}, 26), 68);
        break;
    case 48: {
        // A tile for a 64-unit grid: the pattern repeats every 64 pixels and the two-pixel
        // border stays clear, so neighbouring tiles meet without seams or double drawing.
        Path hexes;
        for (int j = -1; j <= 1; ++j)
            for (int i = -1; i <= 1; ++i) {
                Vec2 a{2 + 64.0f * i, 2 + 64.0f * j}, b{34 + 64.0f * i, 34 + 64.0f * j};
                for (Vec2 p : {a, b}) {
                    Path h = polygon(hexCorners(p, 0, 0.42f));
                    h.add(polygon(hexCorners(p, 0, 0.30f)).reversed());
                    hexes.add(h);
                }
            }
        Mask pattern = intersect(rasterize(hexes, 68, 68), rasterize(rect(2, 2, 64, 64), 68, 68));
        c.fill(pattern, rgb(0xFFFFFF), 0.9f);
        Path dots;
        for (int j = -1; j <= 1; ++j)
            for (int i = -1; i <= 1; ++i) {
                dots.add(circle({18 + 64.0f * i, 18 + 64.0f * j}, 2.5f));
                dots.add(circle({50 + 64.0f * i, 50 + 64.0f * j}, 2.5f));
            }
        c.fill(intersect(rasterize(dots, 68, 68), rasterize(rect(2, 2, 64, 64), 68, 68)),
               rgb(0xFFFFFF), 0.6f);
        break;
    }
    default:
        break;
    }
    return c;
}

Canvas circleFrame(int frame) {
    Canvas c(256, 256);
    const Vec2 m{128, 128};
    switch (frame) {
    case 0: { // a broad ring with notches
        Path r = ring(m, 120, 100);
        Mask ringMask = rasterize(r, 256, 256);
        Path notches;
        for (int i = 0; i < 24; ++i) notches.add(arc(m, 116, 104, 15.0f * i - 2, 15.0f * i + 2));
        c.fill(ringMask, radial(m, 120, {{0.8f, grey(0.75f)}, {0.9f, grey(1)}, {1, grey(0.8f)}}));
        c.fill(rasterize(notches, 256, 256), grey(0.45f), 0.8f);
        break;
    }
    case 1: { // dashed ring
        Path dashes;
        for (int i = 0; i < 16; ++i) dashes.add(arc(m, 122, 104, 22.5f * i, 22.5f * i + 14));
        Mask d = rasterize(dashes, 256, 256);
        c.fill(blur(d, 3), rgb(0xFFFFFF), 0.5f);
        c.fill(d, grey(1));
        break;
    }
    case 2: { // a ring of dots and thin arcs
        Path p;
        for (int i = 0; i < 12; ++i) {
            p.add(circle(polar(m, 110, 30.0f * i), 9));
            p.add(arc(m, 111.5f, 108.5f, 30.0f * i + 7, 30.0f * i + 23));
        }
        p.add(ring(m, 90, 86));
        c.fill(p, grey(1));
        break;
    }
    default: { // a soft disc
        Mask d = rasterize(circle(m, 122), 256, 256);
        c.fill(d, radial(m, 122, {{0, grey(1, 1)}, {0.7f, grey(1, 0.8f)}, {1, grey(1, 0.3f)}}));
        break;
    }
    }
    return c;
}

} // namespace

bool makeIcons(const Output& out) {
    Sheet sheet(128, 128, 4, 4);
    for (int i = 0; i < 16; ++i) sheet.put(i, icon(i));
    return out.png("common/icons.png", sheet.canvas);
}

bool makeButtons(const Output& out) {
    Sheet sheet(64, 64, 4, 4);
    for (int i = 0; i < 16; ++i) sheet.put(i, button(i));
    return out.png("common/Buttons.png", sheet.canvas);
}

bool makeOptions(const Output& out) {
    Sheet sheet(68, 68, 7, 7);
    for (int i = 0; i < 49; ++i) sheet.put(i, optionIcon(i));
    return out.png("common/options.png", sheet.canvas);
}

bool makeCircles(const Output& out) {
    Sheet sheet(256, 256, 2, 2);
    for (int i = 0; i < 4; ++i) sheet.put(i, circleFrame(i));
    return out.png("common/circle.png", sheet.canvas);
}

// The score panel: drawn at the right edge of the main menu and mirrored at the left, with
// its title in the band 96 above the centre and five rows of scores below it.
bool makeScoreboard(const Output& out) {
    Canvas c(256, 256);
    Mask panel = rasterize(roundedRect(10, 12, 236, 232, 22), 256, 256);
    Mask sh = blur(panel, 5);
    sh.shift(0, 5);
    c.fill(sh, rgb(0x000000), 0.45f);
    c.fill(dilate(panel, 3), rgb(0x121428));
    c.fill(panel, vertical(12, 244, rgb(0x2C3A6E, 0.92f), rgb(0x1A2148, 0.92f)));
    // Header band behind the title.
    Mask header = intersect(panel, rasterize(roundedRect(14, 16, 228, 34, 16), 256, 256));
    c.fill(header, vertical(16, 50, rgb(0xFFD45A), rgb(0xE09A1E)));
    c.fill(intersect(header, rasterize(rect(14, 16, 228, 12), 256, 256)), rgb(0xFFFFFF), 0.25f);
    // A faint honeycomb behind the rows (the local and the online tables space their rows
    // differently, so the panel draws no row lines of its own) and a soft light at the top.
    Path comb;
    for (int r = 0; r < 9; ++r)
        for (int col = 0; col < 4; ++col) {
            Vec2 p{22 + col * 71.25f + ((r % 2) ? 35.6f : 0), 66 + r * 24.0f};
            Path h = polygon(hexCorners(p, 2, 0.5f));
            h.add(polygon(hexCorners(p, 4, 0.5f)).reversed());
            comb.add(h);
        }
    c.fill(intersect(rasterize(comb, 256, 256), panel), rgb(0xFFFFFF), 0.06f);
    c.fill(intersect(panel, rasterize(ellipse({128, 56}, 130, 40), 256, 256)), rgb(0xFFFFFF),
           0.06f);
    c.fill(subtract(panel, rasterize(roundedRect(13, 15, 230, 226, 20), 256, 256)), rgb(0xFFFFFF),
           0.35f);
    return out.png("common/scoreboard.png", c);
}

} // namespace hexwend::assetgen
