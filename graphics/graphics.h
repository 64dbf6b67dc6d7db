// The graphics module: images cut into frames, the drawing context with its matrix stack,
// colour, blend, scissor and font, and the module functions that forward drawing to the
// render device.
//
// The context keeps the matrix and sends it to the device lazily, just before the next draw
// call, so that a sprite's push / translate / rotate / scale / pop costs one matrix upload.
#pragma once

#include "graphics/gxtk_graphics.h"
#include "runtime/gc.h"
#include "runtime/string.h"

class c_Frame : public Object {
  public:
    int m_x = 0;
    int m_y = 0;

    c_Frame* m_new(int x, int y);
    c_Frame* m_new2();
};

class c_Image : public Object {
  public:
    static constexpr int FlagCentreHandle = 1;
    static constexpr int FlagPadX = 2;
    static constexpr int FlagPadY = 4;
    static constexpr int FlagWholeSurface = 65536;

    static int m_DefaultFlags;

    gxtkSurface* m_surface = nullptr;
    int m_width = 0;
    int m_height = 0;
    Array<c_Frame*> m_frames;
    int m_flags = 0;
    float m_handleX = 0;
    float m_handleY = 0;
    c_Image* m_source = nullptr;

    c_Image* m_new();

    // Frames of equal width side by side in one row over the whole surface.
    c_Image* p_Init(gxtkSurface* surface, int frameCount, int flags);
    // frameCount frames of frameWidth x frameHeight in reading order inside the source
    // rectangle, starting at (x, y) within it.
    c_Image* p_Init2(gxtkSurface* surface, int x, int y, int frameWidth, int frameHeight,
                     int frameCount, int flags, c_Image* source, int srcX, int srcY, int srcW,
                     int srcH);
    int p_ApplyFlags(int flags);
    int p_SetHandle(float x, float y);

    int p_Width() { return m_width; }
    int p_Height() { return m_height; }
    int p_Frames() { return m_frames.Length(); }
    int p_Flags() { return m_flags; }
    float p_HandleX() { return m_handleX; }
    float p_HandleY() { return m_handleY; }

    void mark() override;
};

class c_GraphicsContext : public Object {
  public:
    c_Image* m_defaultFont = nullptr;
    c_Image* m_font = nullptr;
    int m_firstChar = 0;
    int m_matrixSp = 0;
    float m_ix = 1, m_iy = 0, m_jx = 0, m_jy = 1, m_tx = 0, m_ty = 0;
    int m_transformed = 0;
    int m_matrixDirty = 0;
    float m_red = 0, m_green = 0, m_blue = 0;
    float m_alpha = 0;
    int m_blend = 0;
    float m_scissorX = 0, m_scissorY = 0, m_scissorWidth = 0, m_scissorHeight = 0;
    Array<float> m_matrixStack;

    c_GraphicsContext* m_new();
    // Sends the current matrix to the render device if it has changed since the last send.
    int p_Validate();

    void mark() override;
};

extern gxtkGraphics* rt_graphics_device;
extern gxtkGraphics* rt_graphics_renderDevice;
extern c_GraphicsContext* rt_graphics_context;

// Gives the module's globals their defaults and registers them as collector roots.
int rt_graphics_Init();

int rt_graphics_SetGraphicsDevice(gxtkGraphics* device);
int rt_graphics_BeginRender();
int rt_graphics_EndRender();

c_Image* rt_graphics_LoadImage(String path, int frameCount, int flags);
c_Image* rt_graphics_LoadImage2(String path, int frameWidth, int frameHeight, int frameCount,
                                int flags);
int rt_graphics_SetFont(c_Image* font, int firstChar);

int rt_graphics_SetMatrix(float ix, float iy, float jx, float jy, float tx, float ty);
int rt_graphics_SetMatrix2(Array<float> matrix);
Array<float> rt_graphics_GetMatrix();
int rt_graphics_GetMatrix2(Array<float> matrix);
int rt_graphics_Transform(float ix, float iy, float jx, float jy, float tx, float ty);
int rt_graphics_Transform2(Array<float> matrix);
int rt_graphics_Translate(float x, float y);
int rt_graphics_Scale(float x, float y);
int rt_graphics_Rotate(float degrees);
int rt_graphics_PushMatrix();
int rt_graphics_PopMatrix();

int rt_graphics_SetColor(float r, float g, float b);
int rt_graphics_SetAlpha(float alpha);
int rt_graphics_SetBlend(int blend);
int rt_graphics_SetScissor(float x, float y, float w, float h);

int rt_graphics_DrawRect(float x, float y, float w, float h);
int rt_graphics_DrawLine(float x1, float y1, float x2, float y2);
int rt_graphics_DrawOval(float x, float y, float w, float h);
int rt_graphics_DrawPoly(Array<float> verts);
int rt_graphics_DrawPoly2(Array<float> verts, c_Image* image, int frame);
int rt_graphics_DrawImage(c_Image* image, float x, float y, int frame);
int rt_graphics_DrawImage2(c_Image* image, float x, float y, float rotation, float scaleX,
                           float scaleY, int frame);
