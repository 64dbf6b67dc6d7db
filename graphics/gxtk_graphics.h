// The 2D render device: a batching layer over the fixed-function OpenGL pipeline, and the
// surfaces it draws from.
//
// Every primitive becomes vertices in one batch of up to 1024 vertices; a batch holds one
// primitive kind (the number of vertices per primitive) and one texture, and goes to OpenGL
// in as few draw calls as possible when the kind or texture changes, when it is full, and at
// the few state changes that need it (blend, scissor, read-back, end of frame). Colours are
// premultiplied by alpha; blending assumes premultiplied colour everywhere.
//
// A surface keeps a copy of its pixels so that its texture can be rebuilt lazily whenever the
// host has created a new OpenGL context (glfwGraphicsSeq changed).
#pragma once

#include "runtime/gc.h"
#include "runtime/string.h"

#include <cstdint>

class gxtkSurface;

class gxtkGraphics : public Object {
  public:
    // One vertex of the batch: 20 bytes, the layout the client arrays point into.
    struct Vertex {
        float x, y;
        float u, v;
        uint32_t color; // the four bytes of packedColor
    };
    static_assert(sizeof(Vertex) == 20);

    static constexpr int kMaxVertices = 1024;
    static constexpr int kMaxQuads = kMaxVertices / 4;

    int width = 0;
    int height = 0;
    uint32_t packedColor = 0;
    float red = 0, green = 0, blue = 0;
    float alpha = 0;
    float ix = 1, iy = 0, jx = 0, jy = 1, tx = 0, ty = 0;
    bool transformed = false;
    Vertex vertexBuffer[kMaxVertices];
    uint16_t quadIndexBuffer[kMaxQuads * 6];
    int batchKind = 0;
    int batchLength = 0;
    gxtkSurface* batchSurface = nullptr;

    // Per-frame counters, reset by BeginRender: OpenGL draw calls issued and vertices handed
    // to them. Read by tests and benchmarks.
    int drawCalls = 0;
    int verticesSubmitted = 0;

    gxtkGraphics();

    virtual int Width();
    virtual int Height();
    virtual int BeginRender();
    virtual int EndRender();
    virtual int DiscardGraphics();
    virtual gxtkSurface* LoadSurface(String path);
    virtual gxtkSurface* CreateSurface(int width, int height);
    virtual bool LoadSurface__UNSAFE__(gxtkSurface* surface, String path);
    virtual int Cls(float r, float g, float b);
    virtual int SetAlpha(float alpha);
    virtual int SetColor(float r, float g, float b);
    virtual int SetBlend(int blend);
    virtual int SetScissor(int x, int y, int w, int h);
    virtual int SetMatrix(float ix, float iy, float jx, float jy, float tx, float ty);
    virtual int DrawPoint(float x, float y);
    virtual int DrawRect(float x, float y, float w, float h);
    virtual int DrawLine(float x1, float y1, float x2, float y2);
    virtual int DrawOval(float x, float y, float w, float h);
    virtual int DrawPoly(Array<float> verts);
    virtual int DrawPoly2(Array<float> verts, gxtkSurface* surface, int srcX, int srcY);
    virtual int DrawSurface(gxtkSurface* surface, float x, float y);
    virtual int DrawSurface2(gxtkSurface* surface, float x, float y, int srcX, int srcY, int srcW,
                             int srcH);
    virtual int ReadPixels(Array<int> pixels, int x, int y, int w, int h, int offset, int pitch);
    virtual int WritePixels2(gxtkSurface* surface, Array<int> pixels, int x, int y, int w, int h,
                             int offset, int pitch);

    void mark() override;

    // Reserves room for count vertices of the given kind and texture, flushing first when the
    // batch cannot take them, and returns where the caller writes them.
    Vertex* Begin(int kind, int count, gxtkSurface* surface);
    // Draws the batch and empties it.
    void Flush();

    // The segment count DrawOval uses for a box of w x h under the current matrix.
    int OvalSegments(float w, float h) const;

  private:
    void readWindowSize();
    void updatePackedColor();
    void put(Vertex* v, float x, float y, float u, float w) const;
};

class gxtkSurface : public Object {
  public:
    unsigned char* pixels = nullptr;
    int width = 0;
    int height = 0;
    int depth = 0;
    uint32_t glFormat = 0;
    int contextSeq = -1;
    uint32_t texture = 0;
    float uScale = 0;
    float vScale = 0;

    gxtkSurface() {}
    ~gxtkSurface() override;

    virtual int Discard();
    virtual int Width();
    virtual int Height();
    virtual bool Loaded();
    virtual void OnUnsafeLoadComplete();

    // Adopts a buffer from malloc (released with free) of w x h pixels of depth bytes each and
    // premultiplies it.
    void SetData(unsigned char* data, int w, int h, int depth);
    // Makes the texture current, creating or rebuilding it when the context is new.
    void Bind();
};

// The OpenGL pixel format for a depth of 1 to 4 bytes per pixel (0 for any other depth).
uint32_t gxtkFormatForDepth(int depth);

// Premultiplies pixels of depth 2 (luminance, alpha) or 4 (RGBA) in place: each colour byte
// becomes (c * a) / 255. Depths 1 and 3 have no alpha and are left alone.
void gxtkPremultiply(unsigned char* pixels, int count, int depth);
