// Bitmap text.
#include "framework/text.h"

#include "framework/quzo.h"
#include "graphics/graphics.h"
#include "host/rt_game.h"

#include <cmath>

namespace {

constexpr float kDegrees = 0.0174532924f;

// The escape character that shows a button icon chosen by the character after it.
constexpr int kEscape = 172;
// Advance of an icon in the layout, and what it counts in the width.
constexpr int kIconAdvance = 56;
constexpr int kIconWidth = 30;
// Advance of a character outside the advance table.
constexpr int kOtherAdvance = 28;
// Characters with an entry in the advance table that are measured and drawn as text.
constexpr int kFirstChar = 32;
constexpr int kLastChar = 141;
// Glyph positions this far outside the screen are not recorded.
constexpr float kCullMargin = 128;

double sinDeg(float degrees) {
    return std::sin(double(degrees * kDegrees));
}

double cosDeg(float degrees) {
    return std::cos(double(degrees * kDegrees));
}

int millisecs() {
    return RtGame::_game ? RtGame::_game->Millisecs() : 0;
}

// The glyph of the button icon selected by the letter after the escape character.
int iconGlyph(int letter) {
    int base = letter, blink = -1;
    switch (letter) {
    case 'A':
        base = 107, blink = 104;
        break;
    case 'D':
        base = 108, blink = 104;
        break;
    case 'E':
        base = 103;
        break;
    case 'F':
        base = 104;
        break;
    case 'I':
        base = 99, blink = 109;
        break;
    case 'J':
        base = 96, blink = 109;
        break;
    case 'K':
        base = 97, blink = 109;
        break;
    case 'L':
        base = 98, blink = 109;
        break;
    case 'O':
        base = 101, blink = 110;
        break;
    case 'Q':
        base = 102;
        break;
    case 'S':
        base = 106, blink = 104;
        break;
    case 'U':
        base = 100, blink = 110;
        break;
    case 'W':
        base = 105, blink = 104;
        break;
    default:
        break;
    }
    if (rt_quzo_KeyPadMouse == 1 && blink >= 0 && millisecs() % 500 < 200) return blink;
    return rt_quzo_KeyPadMouse == 0 ? base + 16 : base;
}

} // namespace

int rt_quzo_LoadFont(int slot, String name) {
    if (slot < 0 || slot >= rt_quzo_QUZO_Img.Length()) return 0;
    gc_assign(rt_quzo_QUZO_Img[slot],
              rt_graphics_LoadImage2(hexwend::framework::assetPath(slot, name), 64, 64, 128,
                                     c_Image::FlagCentreHandle));
    rt_quzo_QUZO_ImgD[slot] = 128;
    rt_quzo_QUZO_Font = slot;
    return 0;
}

int rt_quzo_Text(float x, float y, String text, float alignX, float alignY, float wavePhase,
                 float waveAmp) {
    if (rt_quzo_QUZO_Font == 0) return 0;

    // The text is read as if behind a leading space, without copying it.
    const String::Char* body = text.Data();
    const int n = text.Length() + 1;
    const auto charAt = [body](int i) -> int { return i == 0 ? ' ' : body[i - 1]; };
    const int* kern = rt_quzo_QUZO_FontKern.Data();
    const float* style = rt_quzo_QUZO_DrawStyle.Data();
    const float s = style[4], t = style[5];
    const int rot = int(style[6]);

    // Width: every character but the last; an icon counts as 30.
    int width = 0;
    for (int i = 0; i <= n - 2; ++i) {
        int c = charAt(i);
        int advance = 0;
        if (c >= kFirstChar && c <= kLastChar) {
            advance = kern[c - kFirstChar];
        } else if (c == kEscape) {
            advance = kIconWidth;
            ++i;
        }
        width = int(float(width) + float(advance) * s);
    }

    // Start point, turned with the rotation.
    const float h = alignX * 0.5f, v = (alignY - 1) * 0.5f;
    const float w = float(width);
    const float startX =
        float(x + sinDeg(float(-90 - rot)) * w * h + v * 44 * s * sinDeg(float(-rot)));
    const float startY =
        float(y - cosDeg(float(-90 - rot)) * w * h - v * 44 * t * cosDeg(float(-rot)));

    // Directions of writing and of line breaks.
    const float alongX = float(sinDeg(float(90 - rot)));
    const float alongY = float(cosDeg(float(90 - rot)));
    const float breakX = float(sinDeg(float(180 - rot)));
    const float breakY = float(cosDeg(float(180 - rot)));

    const int font = rt_quzo_QUZO_Font;
    const bool recordGlyphs = font >= 1 && font <= 99;
    const float right = float(rt_quzo_jscrw) + kCullMargin;
    const float bottom = float(rt_quzo_jscrh) + kCullMargin;

    float px = startX, py = startY;
    int lines = 0;
    int i = 0;
    while (i < n) {
        int c = charAt(i);
        int glyph, advance;
        if (c >= kFirstChar && c <= kLastChar) {
            glyph = c - kFirstChar;
            advance = kern[c - kFirstChar];
            if (c == '\\' && i + 1 < n && charAt(i + 1) == 'n') {
                ++lines;
                i += 2;
                px = startX + float(advance) * t * float(lines) * breakX +
                     float(advance + 16) * s * alongX;
                py = startY - float(advance + 16) * t * float(lines) * breakY;
                continue;
            }
            ++i;
        } else if (c == kEscape) {
            // An escape at the very end has no letter and shows nothing.
            glyph = i + 1 < n ? iconGlyph(charAt(i + 1)) : 0;
            advance = kIconAdvance;
            i += 2;
        } else if (c == 0) {
            ++i;
            continue;
        } else {
            glyph = c - kFirstChar;
            advance = kOtherAdvance;
            ++i;
        }

        if (glyph >= 1 && glyph <= 127 && px > -kCullMargin && py > -kCullMargin && px < right &&
            py < bottom) {
            float drawY = py;
            if (waveAmp > 0) drawY += waveAmp * float(sinDeg(px * 0.5f + wavePhase));
            if (recordGlyphs) rt_quzo_DrawImg(font, px, drawY, glyph);
        }

        px += float(advance) * s * alongX;
        py -= float(advance - 7) * s * alongY;
    }
    return int(px);
}

String rt_quzo_rstr(String text, int n, String pad) {
    String padded;
    for (int i = 0; i < 24; ++i) padded += pad;
    padded += text;
    int keep = n < 0 ? 0 : n;
    if (keep > padded.Length()) keep = padded.Length();
    return padded.Slice(padded.Length() - keep);
}

String rt_quzo_Left(String text, int n) {
    return text.Slice(0, n);
}

String rt_quzo_Right(String text, int n) {
    if (n > text.Length()) n = text.Length();
    return text.Slice(-n);
}
