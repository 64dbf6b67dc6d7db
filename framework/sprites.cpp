// The virtual screen, the draw style, the sprite buffer and its replay.
#include "framework/sprites.h"

#include "app/app.h"
#include "framework/quzo.h"
#include "graphics/graphics.h"
#include "host/rt_game.h"

#include <algorithm>
#include <cmath>
#include <cstring>

using namespace hexwend::framework;

namespace {

// Slots of the draw style.
constexpr int kAlpha = 0;
constexpr int kRed = 1;
constexpr int kSizeX = 4;
constexpr int kSizeY = 5;
constexpr int kRotation = 6;
constexpr int kSkewX = 7;
constexpr int kSkewY = 8;
constexpr int kShownBackground = 11;
constexpr int kBackgroundAlpha = 14;
constexpr int kAimedBackground = 15;
// Slots 0 ... 8 are copied into every record.
constexpr int kStyleFloats = 9;

// Slots of a record beyond the style.
constexpr int kKind = 9;
constexpr int kSlot = 10;
constexpr int kX = 11;
constexpr int kY = 12;
constexpr int kFrameOrW = 13;
constexpr int kH = 14;

// Statistics slots.
constexpr int kRendersPerSecond = 2;
constexpr int kReplayed = 3;
constexpr int kRenderClock = 7;
constexpr int kRendersThisSecond = 9;
constexpr int kTotalRenders = 49;

constexpr int kImageSlots = 150;
constexpr int kDrawableSlots = 100; // slots 1 ... 99 can be drawn

constexpr float kDegrees = 0.0174532924f;

float clampf(float v, float lo, float hi) {
    return v < lo ? lo : v > hi ? hi : v;
}

int clampi(int v, int lo, int hi) {
    return v < lo ? lo : v > hi ? hi : v;
}

// A new record of the given kind carrying the current style, or null when the draw list
// is full. Only the style, the kind and the values the caller writes are stored.
float* appendRecord(int kind) {
    if (rt_quzo_Sprtup > kMaxRecordIndex) return nullptr;
    float* r = rt_quzo_QUZO_Draw.Data() + rt_quzo_Sprtup * kRecordFloats;
    std::memcpy(r, rt_quzo_QUZO_DrawStyle.Data(), kStyleFloats * sizeof(float));
    r[kKind] = float(kind);
    ++rt_quzo_Sprtup;
    return r;
}

// One colour of the wheel: the component k of angle, amount and level, 0 ... 255.
float wheel(float angle, float amount, float level, int k) {
    float c = float(std::cos(double((angle + 120.0f * float(k)) * kDegrees)));
    return clampf(((c * (amount * 0.5f) + 0.5f) + (level - 1.0f)) * 255.0f, 0, 255);
}

// The host's millisecond clock, 0 without a host.
int millisecs() {
    return RtGame::_game ? RtGame::_game->Millisecs() : 0;
}

// Draws one record of the render buffer through the graphics module.
void replayRecord(const float* r, Array<float>& triangle) {
    rt_graphics_SetColor(r[kRed], r[kRed + 1], r[kRed + 2]);
    rt_graphics_SetAlpha(r[kAlpha]);
    switch (int(r[kKind])) {
    case kKindImage: {
        // A record of an empty slot or of a frame the image does not have draws nothing.
        int slot = int(std::floor(r[kSlot]));
        if (slot < 0 || slot >= kImageSlots) return;
        c_Image* image = rt_quzo_QUZO_Img[slot];
        if (!image) return;
        int frame = int(std::floor(r[kFrameOrW]));
        if (frame < 0 || frame >= image->p_Frames()) return;
        rt_graphics_DrawImage2(image, r[kX], r[kY], r[kRotation], r[kSizeX], r[kSizeY], frame);
        break;
    }
    case kKindRect:
        rt_graphics_DrawRect(r[kX], r[kY], r[kFrameOrW], r[kH]);
        break;
    case kKindOval:
        rt_graphics_DrawOval(r[kX], r[kY], r[kFrameOrW], r[kH]);
        break;
    case kKindTriangle:
        // The render owns this array while it runs; the collector runs only between calls
        // into the game, so one array serves every triangle of the render.
        if (triangle.Length() == 0) triangle = Array<float>(6);
        std::memcpy(triangle.Data(), r + kX, 6 * sizeof(float));
        rt_graphics_DrawPoly(triangle);
        break;
    case kKindLine:
        rt_graphics_DrawLine(r[kX], r[kY], r[kFrameOrW], r[kH]);
        break;
    case kKindSkew:
        rt_graphics_SetMatrix(rt_quzo_QUZO_Scale, r[kSkewY], r[kSkewX], rt_quzo_QUZO_Scale, 0, 0);
        break;
    case kKindBlend:
        rt_graphics_SetBlend(0);
        if (r[kX] == 3) rt_graphics_SetBlend(1);
        break;
    default:
        break;
    }
}

} // namespace

// --- Style -------------------------------------------------------------------------------

int rt_quzo_ResetDraw() {
    float* s = rt_quzo_QUZO_DrawStyle.Data();
    if (rt_quzo_Sprtup > 0 && (s[kSkewX] != 0 || s[kSkewY] != 0)) {
        // Undo the shear at this point of the replay.
        s[kSkewX] = 0;
        s[kSkewY] = 0;
        appendRecord(kKindSkew);
    }
    static constexpr float kDefaults[kStyleFloats] = {1, 255, 255, 255, 1, 1, 0, 0, 0};
    std::memcpy(s, kDefaults, sizeof kDefaults);
    return 0;
}

int rt_quzo_SetCol(float r, float g, float b, float a) {
    float* s = rt_quzo_QUZO_DrawStyle.Data();
    s[kRed] = clampf(r, 0, 255);
    s[kRed + 1] = clampf(g, 0, 255);
    s[kRed + 2] = clampf(b, 0, 255);
    if (a != -100) s[kAlpha] = clampf(a, 0, 1);
    return 0;
}

int rt_quzo_Alpha(float a) {
    rt_quzo_QUZO_DrawStyle[kAlpha] = clampf(a, 0, 1);
    return 0;
}

int rt_quzo_Ink(int preset, float brightness) {
    static constexpr float kPresets[10][3] = {
        {0.3f, 0.3f, 0.3f}, // any other: grey
        {1, 0.1f, 0.1f},    // red
        {1, 0.5f, 0.1f},    // orange
        {1, 1, 0.1f},       // yellow
        {0.1f, 1, 0.1f},    // green
        {0.1f, 1, 1},       // cyan
        {0.1f, 0.1f, 1},    // blue
        {0.5f, 0.1f, 1},    // purple
        {1, 0.1f, 0.5f},    // pink
        {1, 1, 1},          // white
    };
    const float* f = kPresets[preset >= 1 && preset <= 9 ? preset : 0];
    float* s = rt_quzo_QUZO_DrawStyle.Data();
    for (int k = 0; k < 3; ++k) s[kRed + k] = clampf(brightness * f[k] * 255.0f, 0, 255);
    return 0;
}

int rt_quzo_InkRot(float angle, float amount, float level) {
    float* s = rt_quzo_QUZO_DrawStyle.Data();
    for (int k = 0; k < 3; ++k) s[kRed + k] = wheel(angle, amount, level, k);
    return 0;
}

int rt_quzo_SetSize(float sx, float sy) {
    float* s = rt_quzo_QUZO_DrawStyle.Data();
    s[kSizeX] = sx;
    s[kSizeY] = sy == kSameAsFirst ? sx : sy;
    return 0;
}

int rt_quzo_SetRot(float degrees) {
    rt_quzo_QUZO_DrawStyle[kRotation] = degrees;
    return 0;
}

int rt_quzo_SetSkew(float kx, float ky) {
    float* s = rt_quzo_QUZO_DrawStyle.Data();
    s[kSkewX] = kx;
    s[kSkewY] = ky;
    appendRecord(kKindSkew);
    return 0;
}

int rt_quzo_SetCLSCol(int r, int g, int b, float a) {
    float* s = rt_quzo_QUZO_DrawStyle.Data();
    s[kAimedBackground] = float(clampi(r, 0, 255));
    s[kAimedBackground + 1] = float(clampi(g, 0, 255));
    s[kAimedBackground + 2] = float(clampi(b, 0, 255));
    s[kBackgroundAlpha] = clampf(a, 0, 1);
    return 0;
}

int rt_quzo_BGRot(float angle, float amount, float level) {
    float* s = rt_quzo_QUZO_DrawStyle.Data();
    for (int k = 0; k < 3; ++k) s[kAimedBackground + k] = wheel(angle, amount, level, k);
    s[kBackgroundAlpha] = 1;
    return 0;
}

// --- Drawing -----------------------------------------------------------------------------

int rt_quzo_DrawImg(int slot, float x, float y, int frame) {
    if (slot < 1 || slot >= kDrawableSlots) return 0;
    float* r = appendRecord(kKindImage);
    if (!r) return 0;
    // A slot whose frame count is not known yet counts as one frame, as the replay does.
    int frames = rt_quzo_QUZO_ImgD[slot];
    if (frames < 1) frames = 1;
    r[kSlot] = float(slot);
    r[kX] = x;
    r[kY] = y;
    r[kFrameOrW] = float(frame % frames);
    return 0;
}

int rt_quzo_Rect(float x, float y, float w, float h, float alignX, float alignY) {
    float* r = appendRecord(kKindRect);
    if (!r) return 0;
    r[kX] = x - w * alignX * 0.5f;
    r[kY] = y - h * alignY * 0.5f;
    r[kFrameOrW] = w;
    r[kH] = h;
    return 0;
}

int rt_quzo_Line(float x1, float y1, float x2, float y2) {
    float* r = appendRecord(kKindLine);
    if (!r) return 0;
    r[kX] = x1;
    r[kY] = y1;
    r[kFrameOrW] = x2;
    r[kH] = y2;
    return 0;
}

int rt_quzo_Triangle(float x1, float y1, float x2, float y2, float x3, float y3) {
    float* r = appendRecord(kKindTriangle);
    if (!r) return 0;
    r[kX] = x1;
    r[kY] = y1;
    r[kX + 2] = x2;
    r[kX + 3] = y2;
    r[kX + 4] = x3;
    r[kX + 5] = y3;
    return 0;
}

// --- Loading -----------------------------------------------------------------------------

namespace hexwend::framework {

String assetPath(int slot, const String& name) {
    String folder = slot > 69 ? String("common") : String(rt_quzo_QUZO_GameNum);
    return folder + "/" + name + ".png";
}

} // namespace hexwend::framework

int rt_quzo_LoadImg(int slot, String name, int frameWidth, int frameHeight, int frameCount) {
    if (slot < 0 || slot >= kImageSlots) return 0;
    rt_quzo_QUZO_ImgD[slot] = frameCount;
    rt_quzo_QUZO_ImgW[slot] = float(frameWidth);
    rt_quzo_QUZO_ImgH[slot] = float(frameHeight);
    gc_assign(rt_quzo_QUZO_Img[slot],
              rt_graphics_LoadImage2(assetPath(slot, name), frameWidth, frameHeight, frameCount,
                                     c_Image::FlagCentreHandle));
    return 0;
}

// --- Frame -------------------------------------------------------------------------------

int rt_quzo_Buffer() {
    rt_quzo_DoParticles();
    if (rt_quzo_QUZO_DebugMode == 1) {
        rt_quzo_ResetDraw();
        rt_quzo_SetSize(0.5f, 0.5f);
        if (rt_quzo_QUZO_Font != 0) {
            const float* d = rt_quzo_QUZO_Data.Data();
            rt_quzo_Text(16, float(rt_quzo_jscrh - 32),
                         "Update " + String(int(d[1])) + " - Render " + String(int(d[2])) + " (" +
                             String(int(d[3])) + " sprites)",
                         0, 0, 0, 0);
        }
    }
    if (rt_quzo_Sprtup > 15) {
        std::memcpy(rt_quzo_QUZO_Buffer.Data(), rt_quzo_QUZO_Draw.Data(),
                    (size_t(rt_quzo_Sprtup) * kRecordFloats + 1) * sizeof(float));
        rt_quzo_Bufferup = rt_quzo_Sprtup;
        rt_quzo_Sprtup = 0;
    }
    return 0;
}

int rt_quzo_RenderWorld() {
    // 1. Orientation of the virtual screen of the previous render.
    rt_quzo_QUZO_Orientation = rt_quzo_jscrh > rt_quzo_jscrw ? 1 : 0;

    // 2. Frame counts below 1 become 1.
    int* frames = rt_quzo_QUZO_ImgD.Data();
    for (int i = 0; i < kDrawableSlots; ++i) {
        if (frames[i] < 1) frames[i] = 1;
    }

    // 3.
    if (rt_quzo_Bufferup > kMaxReplay) rt_quzo_Bufferup = kMaxReplay;

    // 4. Statistics.
    float* data = rt_quzo_QUZO_Data.Data();
    data[kTotalRenders] += 1;
    data[kRendersThisSecond] += 1;
    int ms = millisecs();
    if (std::abs(float(ms) - data[kRenderClock]) >= 1000) {
        data[kRendersPerSecond] = data[kRendersThisSecond];
        data[kRendersThisSecond] = 0;
        data[kRenderClock] = float(millisecs());
    }

    // 5. The virtual screen from the device size. A window without a size (minimised)
    // keeps the previous virtual screen.
    int devWidth = rt_app__devWidth, devHeight = rt_app__devHeight;
    rt_quzo_RealW = rt_quzo_WRealW = devWidth;
    rt_quzo_RealH = rt_quzo_WRealH = devHeight;
    float target = float(rt_quzo_QUZO_TargetSize);
    float scale = std::max(float(devWidth) / target, float(devHeight) / target);
    if (scale > 0) {
        rt_quzo_QUZO_Scale = scale;
        rt_quzo_jscrw = int(float(devWidth) / scale);
        rt_quzo_jscrh = int(float(devHeight) / scale);
    }
    float aspect = devWidth > 0 ? float(devHeight) / float(devWidth) : 0;

    // Drawing needs a render device; without one the replay only keeps its books.
    if (rt_graphics_renderDevice) {
        // 6. Background.
        const float* style = rt_quzo_QUZO_DrawStyle.Data();
        if (rt_quzo_QUZO_Paused == 1) {
            rt_graphics_SetColor(0, 0, 0);
            rt_graphics_SetAlpha(1);
        } else {
            rt_graphics_SetColor(style[kShownBackground], style[kShownBackground + 1],
                                 style[kShownBackground + 2]);
            rt_graphics_SetAlpha(style[kBackgroundAlpha]);
        }
        rt_graphics_SetMatrix(1, 0, 0, 1, 0, 0);
        rt_graphics_DrawRect(-128, -128, float(devWidth + 256), float(devHeight + 256));

        // 7. Base matrix: the scale, shrunk and moved inwards by the overscan option.
        float o = float(rt_quzo_QUZO_Set[settings::kOverscan]);
        float f = (1.0f - 2.0f * o / 101.0f) * rt_quzo_QUZO_Scale;
        rt_graphics_SetMatrix(f, 0, 0, f, 0, 0);
        rt_graphics_Transform(1, 0, 0, 1, 10.0f * o, 10.0f * o * aspect);

        // 8.
        rt_graphics_SetBlend(0);

        // 9. The records.
        Array<float> triangle;
        const float* r = rt_quzo_QUZO_Buffer.Data();
        for (int i = 0; i < rt_quzo_Bufferup; ++i, r += kRecordFloats) replayRecord(r, triangle);
    }

    // 10.
    rt_quzo_ResetDraw();

    // 11.
    data[kReplayed] = float(rt_quzo_Bufferup);

    // 12. Camera easing.
    float stepX = (rt_quzo_scrx - rt_quzo_aimx) * 0.125f;
    float stepY = (rt_quzo_scry - rt_quzo_aimy) * 0.125f;
    rt_quzo_QUZO_ScrollX = stepX;
    rt_quzo_QUZO_ScrollY = stepY;
    rt_quzo_scrx -= stepX;
    rt_quzo_scry -= stepY;
    return 0;
}
