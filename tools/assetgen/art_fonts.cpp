#include "tools/assetgen/art.h"
#include "tools/assetgen/font.h"

#include <algorithm>
#include <cmath>
#include <string>

namespace hexwend::assetgen {

int textAdvance(int c) {
    switch (c) {
    case ' ':
        return 24;
    case '!':
    case '\'':
    case ',':
    case '.':
    case ':':
    case ';':
    case '`':
    case 'l':
    case '|':
        return 9;
    case '"':
        return 17;
    case '(':
    case ')':
    case '[':
    case ']':
        return 15;
    case '*':
        return 23;
    case 'i':
        return 11;
    case 'j':
    case '{':
    case '}':
        return 18;
    default:
        return c >= 32 && c <= 126 ? 22 : 0;
    }
}

namespace {

constexpr int kCell = 64;
// The text walk places a glyph's cell centre at the pen position of the previous glyph plus
// that glyph's advance. With the ink of every glyph centred in [pen, pen + advance] and the
// pen 11 pixels left of the cell centre, the common 22-pixel characters sit in the cell's
// centre and every pair of neighbours is separated by the same gap.
constexpr float kPen = kCell / 2.0f - 11.0f;
constexpr float kGap = 2.0f;     // white-to-white gap between neighbouring glyphs
constexpr float kEm = 32.0f;     // pixel size of the em square
constexpr float kOutline = 1.5f; // dark outline around the white letters

Rgba outlineColour() {
    return rgb(0x15131F);
}

// The white body of character c inside a cell whose top-left corner is the origin.
Mask glyphBody(int c, float em, float cellCentreY, float pen, float boxWidth) {
    const Font& f = boldFont();
    float scale = f.scaleForEm(em);
    float x0, y0, x1, y1;
    if (!f.inkBox(c, x0, y0, x1, y1)) return Mask();
    float inkW = (x1 - x0) * scale;
    float sx = scale;
    if (inkW > boxWidth) {
        sx = scale * boxWidth / inkW; // condense wide letters (W, M, m, @ …) to fit
        inkW = boxWidth;
    }
    float baseline = cellCentreY + f.capHeight() * scale * 0.5f;
    float left = pen + (boxWidth - inkW) * 0.5f;
    return f.glyph(c, sx, scale, left - x0 * sx, baseline);
}

void drawLetter(Canvas& cell, int c) {
    int k = textAdvance(c);
    float box = k - kGap;
    Mask body = glyphBody(c, kEm, kCell / 2.0f, kPen + kGap * 0.5f, box);
    if (body.empty()) return;
    const Font& f = boldFont();
    float cap = f.capHeight() * f.scaleForEm(kEm);
    Paint p =
        vertical(kCell / 2.0f - cap / 2, kCell / 2.0f + cap / 2 + 4, rgb(0xFFFFFF), grey(0.80f));
    drawOutlined(cell, body, p, outlineColour(), kOutline, 0.35f, 1);
}

// --- button icons -------------------------------------------------------------------------

constexpr float kIconX = kCell / 2.0f + 4; // icons sit a little right of the cell centre
constexpr float kIconY = kCell / 2.0f;

void keycap(Canvas& c, int letter, bool pressed, Rgba faceTint) {
    float w = 40, h = 36, lip = pressed ? 1.5f : 5;
    float x = kIconX - w / 2, y = kIconY - h / 2 - 2 + (pressed ? 3.5f : 0);
    Mask all = rasterize(roundedRect(x, y, w, h + lip, 8));
    drawOutlined(c, all, solid(rgb(0x7D8394)), outlineColour(), 2, 0.35f, 2);
    Mask face = rasterize(roundedRect(x + 2, y + 1.5f, w - 4, h - 3, 7));
    c.fill(face, vertical(y, y + h, mix(rgb(0xFFFFFF), faceTint, 0.3f),
                          mix(rgb(0xD2D6E0), faceTint, 0.3f)));
    c.fill(intersect(face, rasterize(ellipse({kIconX, y + 4}, w * 0.45f, 7))), rgb(0xFFFFFF), 0.5f);
    if (letter) {
        const Font& f = boldFont();
        float s = f.scaleForEm(22);
        float x0, y0, x1, y1;
        f.inkBox(letter, x0, y0, x1, y1);
        float cx = x + w / 2, cy = y + h / 2;
        Mask m = f.glyph(letter, s, s, cx - (x0 + x1) * 0.5f * s, cy + (y1 * s) * 0.5f);
        c.fill(m, rgb(0x2A2D3A));
    } else {
        // A pressed key shows small motion marks instead of a letter.
        c.fill(stroke({{x + 12, y + h / 2}, {x + w - 12, y + h / 2}}, 4), rgb(0x4A5062));
        c.fill(stroke({{x - 8, y + 2}, {x - 3, y + 6}}, 2.5f), rgb(0xFFFFFF));
        c.fill(stroke({{x + w + 8, y + 2}, {x + w + 3, y + 6}}, 2.5f), rgb(0xFFFFFF));
    }
}

// Pad pictograms: face buttons, shoulder buttons, the two small centre buttons, the d-pad.
void faceButtons(Canvas& c, int lit, bool pressedLook) {
    const Vec2 at[4] = {
        {kIconX, kIconY + 14}, {kIconX + 14, kIconY}, {kIconX - 14, kIconY}, {kIconX, kIconY - 14}};
    const Rgba colours[4] = {rgb(0x4CD964), rgb(0xFF5A4E), rgb(0x4C9DFF), rgb(0xFFD43B)};
    Mask all;
    for (Vec2 p : at) all = unite(all, rasterize(circle(p, 9.5f)));
    drawOutlined(c, all, solid(rgb(0x5A6070)), outlineColour(), 2, 0.35f, 2);
    for (int i = 0; i < 4; ++i) {
        bool on = i == lit;
        float r = on ? 9.5f : 7.5f;
        Rgba col =
            on ? colours[i] : (pressedLook ? rgb(0x9AA0AE) : mix(colours[i], rgb(0x5A6070), 0.55f));
        Vec2 p = at[i];
        if (pressedLook) p.y += 1.5f;
        c.fill(rasterize(circle(p, r)),
               vertical(p.y - r, p.y + r, mix(col, rgb(0xFFFFFF), 0.35f), col));
        if (on) c.fill(rasterize(ring(p, r + 3.5f, r + 1.5f)), rgb(0xFFFFFF), 0.9f);
    }
}

void shoulders(Canvas& c, int lit) {
    for (int side = 0; side < 2; ++side) {
        float x = side == 0 ? kIconX - 25 : kIconX + 2;
        bool on = side == lit;
        float y = kIconY - 13 + (on ? 0 : 2);
        Mask m = rasterize(roundedRect(x, y, 23, 19, 8));
        Rgba col = on ? rgb(0xFFFFFF) : rgb(0x8A90A0);
        drawOutlined(c, m, vertical(y, y + 16, col, shade(col, 0.8f)), outlineColour(), 2, 0.35f,
                     2);
        const Font& f = boldFont();
        float s = f.scaleForEm(15);
        std::string label = side == 0 ? "L" : "R";
        float w = f.textWidth(label, s);
        c.fill(f.text(label, s, x + 11.5f - w / 2, y + 15), rgb(0x2A2D3A));
    }
    c.fill(stroke({{kIconX - 22, kIconY + 16}, {kIconX + 22, kIconY + 16}}, 3), rgb(0xFFFFFF),
           lit >= 0 ? 0.8f : 0.3f);
}

void centreButton(Canvas& c, bool menuLines) {
    Mask m = rasterize(roundedRect(kIconX - 20, kIconY - 12, 40, 24, 12));
    drawOutlined(c, m, vertical(kIconY - 12, kIconY + 12, rgb(0xF2F4F8), rgb(0xB8BECC)),
                 outlineColour(), 2, 0.35f, 2);
    if (menuLines) {
        for (int i = -1; i <= 1; ++i)
            c.fill(stroke({{kIconX - 7, kIconY + 5.0f * i}, {kIconX + 7, kIconY + 5.0f * i}}, 2.5f),
                   rgb(0x2A2D3A));
    } else {
        c.fill(rasterize(ring({kIconX - 3, kIconY - 1}, 6, 3.8f)), rgb(0x2A2D3A));
        c.fill(rasterize(roundedRect(kIconX, kIconY - 2, 9, 7, 1.5f)), rgb(0x2A2D3A));
    }
}

void dpad(Canvas& c, int lit) { // lit: 0 up, 1 down, 2 left, 3 right, −1 none
    float a = 9, L = 23;
    Path cross = roundedRect(kIconX - a, kIconY - L, 2 * a, 2 * L, 3);
    cross.add(roundedRect(kIconX - L, kIconY - a, 2 * L, 2 * a, 3));
    Mask m = rasterize(cross);
    drawOutlined(c, m, vertical(kIconY - L, kIconY + L, rgb(0x8A90A0), rgb(0x5E6474)),
                 outlineColour(), 2, 0.35f, 2);
    c.fill(rasterize(circle({kIconX, kIconY}, 4)), rgb(0x4A5062));
    const Vec2 dirs[4] = {{0, -1}, {0, 1}, {-1, 0}, {1, 0}};
    for (int i = 0; i < 4; ++i) {
        Vec2 d = dirs[i], n{-d.y, d.x};
        Vec2 tip{kIconX + d.x * (L - 3), kIconY + d.y * (L - 3)};
        Vec2 base{kIconX + d.x * (L - 10), kIconY + d.y * (L - 10)};
        Path arrow = polygon({tip, base + n * 5.5f, base - n * 5.5f});
        if (i == lit) {
            Mask seg = rasterize(roundedRect(kIconX + d.x * (L / 2 + 2) - (d.x ? L / 2 : a) + 1,
                                             kIconY + d.y * (L / 2 + 2) - (d.y ? L / 2 : a) + 1,
                                             (d.x ? L : 2 * a) - 2, (d.y ? L : 2 * a) - 2, 3));
            c.fill(seg, rgb(0xFFFFFF));
            c.fill(arrow, rgb(0x2A2D3A));
        } else {
            c.fill(arrow, rgb(0xC8CCD6));
        }
    }
}

Canvas iconCell(int frame) {
    Canvas c(kCell, kCell);
    // Keyboard keys for J K L I U O Q E F W S A D, then two pressed keys.
    static const char kLetters[] = "JKLIUOQEFWSAD";
    if (frame >= 96 && frame <= 108) keycap(c, kLetters[frame - 96], false, rgb(0xFFFFFF));
    if (frame == 109) keycap(c, 0, true, rgb(0xFFFFFF));
    if (frame == 110) keycap(c, 0, true, rgb(0xBFD8FF));
    // The same controls on a pad.
    switch (frame) {
    case 112:
        faceButtons(c, 0, false);
        break; // button 1
    case 113:
        faceButtons(c, 1, false);
        break; // button 2
    case 114:
        faceButtons(c, 2, false);
        break; // button 3
    case 115:
        faceButtons(c, 3, false);
        break; // button 4
    case 116:
        shoulders(c, 0);
        break; // button 5
    case 117:
        shoulders(c, 1);
        break; // button 6
    case 118:
        centreButton(c, false);
        break;
    case 119:
        centreButton(c, true);
        break;
    case 120:
        dpad(c, -1);
        break;
    case 121:
        dpad(c, 0);
        break;
    case 122:
        dpad(c, 1);
        break;
    case 123:
        dpad(c, 2);
        break;
    case 124:
        dpad(c, 3);
        break;
    case 125:
        faceButtons(c, -1, true);
        break;
    case 126:
        shoulders(c, -1);
        break;
    default:
        break;
    }
    return c;
}

} // namespace

// The framework font: 128 cells of 64 × 64, character c in cell c − 32, then button icons.
bool makeFrameworkFont(const Output& out) {
    Sheet sheet(kCell, kCell, 16, 8);
    for (int frame = 0; frame < 128; ++frame) {
        int c = frame + 32;
        Canvas cell(kCell, kCell);
        if (c >= 33 && c <= 126)
            drawLetter(cell, c);
        else if (frame >= 96)
            cell = iconCell(frame);
        sheet.put(frame, cell);
    }
    return out.png("common/bandwidth.png", sheet.canvas);
}

// The graphics module's default font: 96 glyphs (characters 32 … 127) in one row, each in
// a cell with a transparent one-pixel border left and right.
bool makeDefaultFont(const Output& out) {
    const int cellW = 12, cellH = 18;
    Sheet sheet(cellW, cellH, 96, 1);
    const Font& f = boldFont();
    float s = f.scaleForEm(13);
    for (int i = 0; i < 96; ++i) {
        int c = 32 + i;
        Canvas cell(cellW, cellH);
        float x0, y0, x1, y1;
        if (c < 127 && f.inkBox(c, x0, y0, x1, y1)) {
            float sx = std::min(s, (cellW - 2.0f) / ((x1 - x0) + 1));
            float inkW = (x1 - x0) * sx;
            float baseline = 13.0f;
            Mask m = f.glyph(c, sx, s, (cellW - inkW) * 0.5f - x0 * sx, baseline);
            // Keep the border columns clear.
            Mask border = subtract(
                m, unite(rasterize(rect(0, 0, 1, cellH)), rasterize(rect(cellW - 1, 0, 1, cellH))));
            cell.fill(border, rgb(0xFFFFFF));
        }
        sheet.put(i, cell);
    }
    return out.png("zuvo_font.png", sheet.canvas);
}

} // namespace hexwend::assetgen
