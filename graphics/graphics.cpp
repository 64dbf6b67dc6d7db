#include "graphics/graphics.h"

#include "graphics/host_link.h"
#include "runtime/errors.h"
#include "runtime/init.h"

#include <cmath>

gxtkGraphics* rt_graphics_device = nullptr;
gxtkGraphics* rt_graphics_renderDevice = nullptr;
c_GraphicsContext* rt_graphics_context = nullptr;

int c_Image::m_DefaultFlags = 0;

namespace {

constexpr int kInitialMatrixStack = 192;

// Truncation toward zero that stays defined for any float (NaN gives 0, the rest saturates).
int truncateToInt(float value) {
    if (!(value == value)) return 0;
    if (value >= 2147483520.0f) return 2147483647;
    if (value <= -2147483648.0f) return -2147483647 - 1;
    return int(value);
}

gxtkGraphics* renderDevice() {
    if (!rt_graphics_renderDevice) rtError("Drawing is only allowed while rendering");
    return rt_graphics_renderDevice;
}

c_Frame* frameOf(c_Image* image, int frame) {
    if (frame < 0 || frame >= image->m_frames.Length()) rtError("Invalid image frame");
    return image->m_frames[frame];
}

void updateTransformed(c_GraphicsContext* c) {
    c->m_transformed = !(c->m_ix == 1 && c->m_iy == 0 && c->m_jx == 0 && c->m_jy == 1 &&
                         c->m_tx == 0 && c->m_ty == 0);
    c->m_matrixDirty = 1;
}

// The sprite call of an image at the origin of the current matrix, without a handle.
void drawFrame(gxtkGraphics* device, c_Image* image, float x, float y, int frame) {
    if (image->m_flags & c_Image::FlagWholeSurface) {
        device->DrawSurface(image->m_surface, x, y);
    } else {
        c_Frame* f = frameOf(image, frame);
        device->DrawSurface2(image->m_surface, x, y, f->m_x, f->m_y, image->m_width,
                             image->m_height);
    }
}

} // namespace

// --- Frames and images -------------------------------------------------------------------

c_Frame* c_Frame::m_new(int x, int y) {
    m_x = x;
    m_y = y;
    return this;
}

c_Frame* c_Frame::m_new2() {
    return this;
}

c_Image* c_Image::m_new() {
    return this;
}

void c_Image::mark() {
    gc_mark_q(m_surface);
    gc_mark_q(m_frames);
    gc_mark_q(m_source);
}

c_Image* c_Image::p_Init(gxtkSurface* surface, int frameCount, int flags) {
    if (m_surface) rtError("Image already initialized");
    if (frameCount < 1) frameCount = 1;
    gc_assign(m_surface, surface);
    m_width = surface->Width() / frameCount;
    m_height = surface->Height();
    gc_assign(m_frames, Array<c_Frame*>(frameCount));
    for (int i = 0; i < frameCount; ++i) {
        gc_assign(m_frames[i], (new c_Frame)->m_new(i * m_width, 0));
    }
    p_ApplyFlags(flags);
    return this;
}

c_Image* c_Image::p_Init2(gxtkSurface* surface, int x, int y, int frameWidth, int frameHeight,
                          int frameCount, int flags, c_Image* source, int srcX, int srcY, int srcW,
                          int srcH) {
    if (m_surface) rtError("Image already initialized");
    gc_assign(m_surface, surface);
    gc_assign(m_source, source);
    m_width = frameWidth;
    m_height = frameHeight;
    gc_assign(m_frames, Array<c_Frame*>(frameCount));
    for (int i = 0; i < frameCount; ++i) {
        if (x + m_width > srcW) {
            if (m_width > srcW) rtError("Image frame outside surface");
            x = 0;
            y += m_height;
        }
        if (y + m_height > srcH) rtError("Image frame outside surface");
        gc_assign(m_frames[i], (new c_Frame)->m_new(srcX + x, srcY + y));
        x += m_width;
    }
    p_ApplyFlags(flags);
    return this;
}

int c_Image::p_ApplyFlags(int flags) {
    m_flags = flags;
    if (m_flags & FlagPadX) {
        for (int i = 0; i < m_frames.Length(); ++i) m_frames[i]->m_x += 1;
        m_width -= 2;
    }
    if (m_flags & FlagPadY) {
        for (int i = 0; i < m_frames.Length(); ++i) m_frames[i]->m_y += 1;
        m_height -= 2;
    }
    if (m_flags & FlagCentreHandle) {
        p_SetHandle(float(m_width) * 0.5f, float(m_height) * 0.5f);
    }
    if (m_frames.Length() == 1 && m_frames[0]->m_x == 0 && m_frames[0]->m_y == 0 && m_surface &&
        m_width == m_surface->Width() && m_height == m_surface->Height()) {
        m_flags |= FlagWholeSurface;
    }
    return 0;
}

int c_Image::p_SetHandle(float x, float y) {
    m_handleX = x;
    m_handleY = y;
    m_flags &= ~FlagCentreHandle;
    return 0;
}

// --- The context -------------------------------------------------------------------------

c_GraphicsContext* c_GraphicsContext::m_new() {
    gc_assign(m_matrixStack, Array<float>(kInitialMatrixStack));
    return this;
}

void c_GraphicsContext::mark() {
    gc_mark_q(m_defaultFont);
    gc_mark_q(m_font);
    gc_mark_q(m_matrixStack);
}

int c_GraphicsContext::p_Validate() {
    if (m_matrixDirty) {
        renderDevice()->SetMatrix(m_ix, m_iy, m_jx, m_jy, m_tx, m_ty);
        m_matrixDirty = 0;
    }
    return 0;
}

// --- Module set-up and frame -------------------------------------------------------------

int rt_graphics_Init() {
    rt_graphics_device = nullptr;
    rt_graphics_renderDevice = nullptr;
    rt_graphics_context = nullptr;
    gc_assign(rt_graphics_context, (new c_GraphicsContext)->m_new());
    c_Image::m_DefaultFlags = 0;
    gc_add_root("rt_graphics_device", rt_graphics_device);
    gc_add_root("rt_graphics_context", rt_graphics_context);
    gc_add_root("rt_graphics_renderDevice", rt_graphics_renderDevice);
    return 0;
}

namespace {
[[maybe_unused]] const bool registered = (rtAddModuleInit(rt_graphics_Init), true);
} // namespace

int rt_graphics_SetGraphicsDevice(gxtkGraphics* device) {
    gc_assign(rt_graphics_device, device);
    return 0;
}

int rt_graphics_BeginRender() {
    gc_assign(rt_graphics_renderDevice, rt_graphics_device);
    if (!rt_graphics_renderDevice) return 0;
    c_GraphicsContext* c = rt_graphics_context;
    c->m_matrixSp = 0;
    rt_graphics_SetMatrix(1, 0, 0, 1, 0, 0);
    rt_graphics_SetColor(255, 255, 255);
    rt_graphics_SetAlpha(1);
    rt_graphics_SetBlend(0);
    int width = rt_graphics_renderDevice->Width(), height = rt_graphics_renderDevice->Height();
    hostDeviceSize(&width, &height);
    rt_graphics_SetScissor(0, 0, float(width), float(height));
    return 0;
}

int rt_graphics_EndRender() {
    rt_graphics_renderDevice = nullptr;
    return 0;
}

// --- Images and fonts --------------------------------------------------------------------

c_Image* rt_graphics_LoadImage(String path, int frameCount, int flags) {
    if (!rt_graphics_device) return nullptr;
    gxtkSurface* surface = rt_graphics_device->LoadSurface(rt_data_FixDataPath(path));
    if (!surface) return nullptr;
    return (new c_Image)->m_new()->p_Init(surface, frameCount, flags);
}

c_Image* rt_graphics_LoadImage2(String path, int frameWidth, int frameHeight, int frameCount,
                                int flags) {
    if (!rt_graphics_device) return nullptr;
    gxtkSurface* surface = rt_graphics_device->LoadSurface(rt_data_FixDataPath(path));
    if (!surface) return nullptr;
    return (new c_Image)
        ->m_new()
        ->p_Init2(surface, 0, 0, frameWidth, frameHeight, frameCount, flags, nullptr, 0, 0,
                  surface->Width(), surface->Height());
}

int rt_graphics_SetFont(c_Image* font, int firstChar) {
    c_GraphicsContext* c = rt_graphics_context;
    if (!font) {
        if (!c->m_defaultFont) {
            gc_assign(c->m_defaultFont,
                      rt_graphics_LoadImage(String("zuvo_font.png"), 96, c_Image::FlagPadX));
        }
        font = c->m_defaultFont;
        firstChar = 32;
    }
    gc_assign(c->m_font, font);
    c->m_firstChar = firstChar;
    return 0;
}

// --- Matrix ------------------------------------------------------------------------------

int rt_graphics_SetMatrix(float ix, float iy, float jx, float jy, float tx, float ty) {
    c_GraphicsContext* c = rt_graphics_context;
    c->m_ix = ix;
    c->m_iy = iy;
    c->m_jx = jx;
    c->m_jy = jy;
    c->m_tx = tx;
    c->m_ty = ty;
    updateTransformed(c);
    return 0;
}

int rt_graphics_SetMatrix2(Array<float> m) {
    if (m.Length() < 6) return 0;
    return rt_graphics_SetMatrix(m[0], m[1], m[2], m[3], m[4], m[5]);
}

Array<float> rt_graphics_GetMatrix() {
    Array<float> m(6);
    rt_graphics_GetMatrix2(m);
    return m;
}

int rt_graphics_GetMatrix2(Array<float> m) {
    if (m.Length() < 6) return 0;
    c_GraphicsContext* c = rt_graphics_context;
    m[0] = c->m_ix;
    m[1] = c->m_iy;
    m[2] = c->m_jx;
    m[3] = c->m_jy;
    m[4] = c->m_tx;
    m[5] = c->m_ty;
    return 0;
}

int rt_graphics_Transform(float ix, float iy, float jx, float jy, float tx, float ty) {
    c_GraphicsContext* c = rt_graphics_context;
    float a = c->m_ix, b = c->m_iy, cc = c->m_jx, d = c->m_jy, e = c->m_tx, f = c->m_ty;
    c->m_ix = ix * a + iy * cc;
    c->m_iy = ix * b + iy * d;
    c->m_jx = jx * a + jy * cc;
    c->m_jy = jx * b + jy * d;
    c->m_tx = tx * a + ty * cc + e;
    c->m_ty = tx * b + ty * d + f;
    updateTransformed(c);
    return 0;
}

int rt_graphics_Transform2(Array<float> m) {
    if (m.Length() < 6) return 0;
    return rt_graphics_Transform(m[0], m[1], m[2], m[3], m[4], m[5]);
}

int rt_graphics_Translate(float x, float y) {
    return rt_graphics_Transform(1, 0, 0, 1, x, y);
}

int rt_graphics_Scale(float x, float y) {
    return rt_graphics_Transform(x, 0, 0, y, 0, 0);
}

int rt_graphics_Rotate(float degrees) {
    // The degree factor is a float constant; the angle and its cosine and sine are worked out
    // in double, so a quarter turn leaves a cosine of about 1.2e-8 rather than 0.
    double r = double(degrees) * double(0.0174532924f);
    float c = float(std::cos(r));
    float s = float(std::sin(r));
    return rt_graphics_Transform(c, -s, s, c, 0, 0);
}

int rt_graphics_PushMatrix() {
    c_GraphicsContext* c = rt_graphics_context;
    int sp = c->m_matrixSp;
    if (sp + 6 > c->m_matrixStack.Length()) {
        int length = c->m_matrixStack.Length();
        gc_assign(c->m_matrixStack, c->m_matrixStack.Resize(length > 0 ? length * 2 : 192));
    }
    float* slot = c->m_matrixStack.Data() + sp;
    slot[0] = c->m_ix;
    slot[1] = c->m_iy;
    slot[2] = c->m_jx;
    slot[3] = c->m_jy;
    slot[4] = c->m_tx;
    slot[5] = c->m_ty;
    c->m_matrixSp = sp + 6;
    return 0;
}

int rt_graphics_PopMatrix() {
    c_GraphicsContext* c = rt_graphics_context;
    if (c->m_matrixSp < 6) rtError("Matrix stack underflow");
    c->m_matrixSp -= 6;
    const float* slot = c->m_matrixStack.Data() + c->m_matrixSp;
    return rt_graphics_SetMatrix(slot[0], slot[1], slot[2], slot[3], slot[4], slot[5]);
}

// --- State -------------------------------------------------------------------------------

int rt_graphics_SetColor(float r, float g, float b) {
    c_GraphicsContext* c = rt_graphics_context;
    c->m_red = r;
    c->m_green = g;
    c->m_blue = b;
    renderDevice()->SetColor(r, g, b);
    return 0;
}

int rt_graphics_SetAlpha(float alpha) {
    rt_graphics_context->m_alpha = alpha;
    renderDevice()->SetAlpha(alpha);
    return 0;
}

int rt_graphics_SetBlend(int blend) {
    rt_graphics_context->m_blend = blend;
    renderDevice()->SetBlend(blend);
    return 0;
}

int rt_graphics_SetScissor(float x, float y, float w, float h) {
    c_GraphicsContext* c = rt_graphics_context;
    c->m_scissorX = x;
    c->m_scissorY = y;
    c->m_scissorWidth = w;
    c->m_scissorHeight = h;
    renderDevice()->SetScissor(truncateToInt(x), truncateToInt(y), truncateToInt(w),
                               truncateToInt(h));
    return 0;
}

// --- Drawing -----------------------------------------------------------------------------

int rt_graphics_DrawRect(float x, float y, float w, float h) {
    gxtkGraphics* device = renderDevice();
    rt_graphics_context->p_Validate();
    return device->DrawRect(x, y, w, h);
}

int rt_graphics_DrawLine(float x1, float y1, float x2, float y2) {
    gxtkGraphics* device = renderDevice();
    rt_graphics_context->p_Validate();
    return device->DrawLine(x1, y1, x2, y2);
}

int rt_graphics_DrawOval(float x, float y, float w, float h) {
    gxtkGraphics* device = renderDevice();
    rt_graphics_context->p_Validate();
    return device->DrawOval(x, y, w, h);
}

int rt_graphics_DrawPoly(Array<float> verts) {
    gxtkGraphics* device = renderDevice();
    rt_graphics_context->p_Validate();
    return device->DrawPoly(verts);
}

int rt_graphics_DrawPoly2(Array<float> verts, c_Image* image, int frame) {
    gxtkGraphics* device = renderDevice();
    if (!image) return 0;
    c_Frame* f = frameOf(image, frame);
    rt_graphics_context->p_Validate();
    return device->DrawPoly2(verts, image->m_surface, f->m_x, f->m_y);
}

int rt_graphics_DrawImage(c_Image* image, float x, float y, int frame) {
    gxtkGraphics* device = renderDevice();
    if (!image) return 0;
    rt_graphics_context->p_Validate();
    drawFrame(device, image, x - image->m_handleX, y - image->m_handleY, frame);
    return 0;
}

int rt_graphics_DrawImage2(c_Image* image, float x, float y, float rotation, float scaleX,
                           float scaleY, int frame) {
    gxtkGraphics* device = renderDevice();
    if (!image) return 0;
    rt_graphics_PushMatrix();
    rt_graphics_Translate(x, y);
    rt_graphics_Rotate(rotation);
    rt_graphics_Scale(scaleX, scaleY);
    rt_graphics_Translate(-image->m_handleX, -image->m_handleY);
    rt_graphics_context->p_Validate();
    drawFrame(device, image, 0, 0, frame);
    rt_graphics_PopMatrix();
    return 0;
}
