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
// host has created a new OpenGL context (glfwGraphicsSeq changed). An image loaded from a
// file gives its copy up once the texture holds it, and reads it back from the texture just
// before the host destroys the context.
//
// Where the window system allows, the device draws only what changed from one frame to the
// next (frame_presenter.h); the batches, their flush points and the picture stay the same.
#pragma once

#include "graphics/frame_presenter.h"
#include "runtime/gc.h"
#include "runtime/string.h"

#include <cstdint>
#include <memory>

class gxtkSurface;

class gxtkGraphics : public Object {
  public:
    // One vertex of the batch: 20 bytes (x, y, u, v, the four bytes of packedColor), the
    // layout the client arrays point into.
    using Vertex = hexwend::graphics::Vertex;

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
    ~gxtkGraphics() override;

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

    // Whether frames are drawn only where they changed or every frame in full (the second is
    // also what happens where the window system cannot show parts of the back buffer). Takes
    // effect at the next BeginRender.
    void setDrawMode(hexwend::graphics::DrawMode mode) { drawMode_ = mode; }
    hexwend::graphics::DrawMode drawMode() const { return drawMode_; }
    // What the last EndRender did.
    const hexwend::graphics::FrameReport& lastFrame() const { return presenter_->report(); }

    // Draws the first `count` vertices of vertexBuffer as primitives of `kind` with the
    // texture, into whatever is bound, with the blend and scissor OpenGL has now.
    void drawVertices(int kind, gxtkSurface* surface, int count);

  private:
    void readWindowSize();
    void updatePackedColor();
    void put(Vertex* v, float x, float y, float u, float w) const;
    void applyScissor();

    // The blend mode and scissor set last; frames that are logged keep them with each batch.
    hexwend::graphics::DrawState state_;
    hexwend::graphics::DrawMode drawMode_;
    std::unique_ptr<hexwend::graphics::FramePresenter> presenter_;
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

    // Changes whenever what the surface shows may have changed; no two surfaces share one.
    uint64_t contentKey = 0;
    // An image loaded from a file: its pixel copy is given up once uploaded.
    bool pixelsOnlyUntilUploaded = false;

    gxtkSurface();
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

    // Makes sure the pixel copy exists, reading it back from the texture of the current
    // context when it was given up. False when there is neither.
    bool KeepPixels();
    // Gives the surface a new content key.
    void markChanged();

  private:
    int textureWidth_ = 0;
    int textureHeight_ = 0;
    // Every live surface, for reading textures back before their context ends.
    gxtkSurface* previousLive_ = nullptr;
    gxtkSurface* nextLive_ = nullptr;
    static gxtkSurface* firstLive_;
    friend void gxtkKeepSurfacePixels();
};

// Reads back the pixels of every surface whose copy was given up, from the current context,
// which is about to end; the next context builds their textures from them.
void gxtkKeepSurfacePixels();

// The OpenGL pixel format for a depth of 1 to 4 bytes per pixel (0 for any other depth).
uint32_t gxtkFormatForDepth(int depth);

// Premultiplies pixels of depth 2 (luminance, alpha) or 4 (RGBA) in place: each colour byte
// becomes (c * a) / 255. Depths 1 and 3 have no alpha and are left alone.
void gxtkPremultiply(unsigned char* pixels, int count, int depth);
