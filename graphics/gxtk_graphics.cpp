#include "graphics/gxtk_graphics.h"

#include "graphics/host_link.h"

#include <GL/gl.h>

#include <atomic>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <vector>

using hexwend::graphics::DrawMode;
using hexwend::graphics::FramePresenter;

namespace {

// No OpenGL call is made before the host has created its first context.
bool hasContext() {
    return glfwGraphicsSeq != 0;
}

uint8_t colorByte(float value) {
    // Truncation toward zero, kept inside a byte (NaN and out-of-range values clamp).
    if (!(value > 0.0f)) return 0;
    if (value >= 255.0f) return 255;
    return uint8_t(value);
}

int powerOfTwoAtLeast(int n) {
    int p = 1;
    while (p < n && p < (1 << 30)) p <<= 1;
    return p;
}

// Content keys of surfaces; a surface's key changes with its content, and no two surfaces
// ever have the same one.
std::atomic<uint64_t> nextContentKey{1};

// 0xAARRGGBB to premultiplied R, G, B, A bytes.
void premultipliedBytes(uint32_t argb, unsigned char* out) {
    uint32_t a = argb >> 24;
    out[0] = uint8_t(((argb >> 16) & 0xff) * a / 255);
    out[1] = uint8_t(((argb >> 8) & 0xff) * a / 255);
    out[2] = uint8_t((argb & 0xff) * a / 255);
    out[3] = uint8_t(a);
}

} // namespace

uint32_t gxtkFormatForDepth(int depth) {
    switch (depth) {
    case 1:
        return GL_LUMINANCE;
    case 2:
        return GL_LUMINANCE_ALPHA;
    case 3:
        return GL_RGB;
    case 4:
        return GL_RGBA;
    default:
        return 0;
    }
}

void gxtkPremultiply(unsigned char* pixels, int count, int depth) {
    if (depth == 2) {
        for (int i = 0; i < count; ++i, pixels += 2)
            pixels[0] = uint8_t(pixels[0] * pixels[1] / 255);
    } else if (depth == 4) {
        for (int i = 0; i < count; ++i, pixels += 4) {
            unsigned a = pixels[3];
            pixels[0] = uint8_t(pixels[0] * a / 255);
            pixels[1] = uint8_t(pixels[1] * a / 255);
            pixels[2] = uint8_t(pixels[2] * a / 255);
        }
    }
}

// --- gxtkGraphics ------------------------------------------------------------------------

gxtkGraphics::gxtkGraphics()
    : drawMode_(hexwend::graphics::defaultDrawMode()),
      presenter_(std::make_unique<FramePresenter>()) {
    hostOnContextEnding(gxtkKeepSurfacePixels);
    readWindowSize();
    for (int q = 0; q < kMaxQuads; ++q) {
        uint16_t n = uint16_t(q * 4);
        uint16_t* index = quadIndexBuffer + q * 6;
        index[0] = n;
        index[1] = uint16_t(n + 1);
        index[2] = uint16_t(n + 2);
        index[3] = n;
        index[4] = uint16_t(n + 2);
        index[5] = uint16_t(n + 3);
    }
    red = green = blue = 255;
    alpha = 1;
    updatePackedColor();
}

gxtkGraphics::~gxtkGraphics() = default;

void gxtkGraphics::mark() {
    gc_mark_q(batchSurface);
    // The textures of the frame being logged are drawn at its end.
    if (presenter_->logging()) {
        for (gxtkSurface* surface : presenter_->log().surfaces()) gc_mark_q(surface);
    }
}

void gxtkGraphics::readWindowSize() {
    hostWindowSize(&width, &height);
}

void gxtkGraphics::updatePackedColor() {
    uint32_t r = colorByte(red * alpha);
    uint32_t g = colorByte(green * alpha);
    uint32_t b = colorByte(blue * alpha);
    uint32_t a = colorByte(255.0f * alpha);
    unsigned char bytes[4] = {uint8_t(r), uint8_t(g), uint8_t(b), uint8_t(a)};
    std::memcpy(&packedColor, bytes, 4);
}

inline void gxtkGraphics::put(Vertex* v, float x, float y, float u, float w) const {
    if (transformed) {
        v->x = x * ix + y * jx + tx;
        v->y = x * iy + y * jy + ty;
    } else {
        v->x = x;
        v->y = y;
    }
    v->u = u;
    v->v = w;
    v->color = packedColor;
}

int gxtkGraphics::Width() {
    return width;
}

int gxtkGraphics::Height() {
    return height;
}

int gxtkGraphics::BeginRender() {
    readWindowSize();
    batchLength = 0;
    drawCalls = 0;
    verticesSubmitted = 0;
    state_.blend = 0;
    if (!hasContext()) return 1;
    const bool logging = presenter_->begin(*this, drawMode_, width, height, state_);

    glViewport(0, 0, width, height);
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    glOrtho(0, width, height, 0, -1, 1);
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();

    glEnableClientState(GL_VERTEX_ARRAY);
    glEnableClientState(GL_TEXTURE_COORD_ARRAY);
    glEnableClientState(GL_COLOR_ARRAY);
    glVertexPointer(2, GL_FLOAT, sizeof(Vertex), &vertexBuffer[0].x);
    glTexCoordPointer(2, GL_FLOAT, sizeof(Vertex), &vertexBuffer[0].u);
    glColorPointer(4, GL_UNSIGNED_BYTE, sizeof(Vertex), &vertexBuffer[0].color);

    glEnable(GL_BLEND);
    glBlendFunc(GL_ONE, GL_ONE_MINUS_SRC_ALPHA);
    glDisable(GL_TEXTURE_2D);
    // Drawing straight keeps the scissor in OpenGL from frame to frame; a logged frame may
    // have left OpenGL another one.
    if (!logging) applyScissor();
    return 1;
}

int gxtkGraphics::EndRender() {
    if (batchLength) Flush();
    if (hasContext()) presenter_->end(*this);
    return 0;
}

int gxtkGraphics::DiscardGraphics() {
    return 0;
}

gxtkGraphics::Vertex* gxtkGraphics::Begin(int kind, int count, gxtkSurface* surface) {
    if (kind == batchKind && surface == batchSurface && batchLength + count <= kMaxVertices) {
        Vertex* v = vertexBuffer + batchLength;
        batchLength += count;
        return v;
    }
    if (batchLength) Flush();
    batchKind = kind;
    gc_assign(batchSurface, surface);
    batchLength = count;
    return vertexBuffer;
}

void gxtkGraphics::Flush() {
    if (!batchLength) return;
    if (hasContext()) {
        // One draw call per batch, or one per fan.
        drawCalls += batchKind >= 5 ? (batchLength + batchKind - 1) / batchKind : 1;
        verticesSubmitted += batchLength;
        if (presenter_->logging()) {
            presenter_->log().addBatch(batchKind, batchSurface,
                                       batchSurface ? batchSurface->contentKey : 0, vertexBuffer,
                                       batchLength);
        } else {
            drawVertices(batchKind, batchSurface, batchLength);
        }
    }
    batchLength = 0;
}

void gxtkGraphics::drawVertices(int kind, gxtkSurface* surface, int count) {
    if (surface) {
        glEnable(GL_TEXTURE_2D);
        surface->Bind();
    }
    switch (kind) {
    case 1:
        glDrawArrays(GL_POINTS, 0, count);
        break;
    case 2:
        glDrawArrays(GL_LINES, 0, count);
        break;
    case 3:
        glDrawArrays(GL_TRIANGLES, 0, count);
        break;
    case 4:
        glDrawElements(GL_TRIANGLES, count / 4 * 6, GL_UNSIGNED_SHORT, quadIndexBuffer);
        break;
    default:
        for (int first = 0; first < count; first += kind) glDrawArrays(GL_TRIANGLE_FAN, first, kind);
        break;
    }
    if (surface) glDisable(GL_TEXTURE_2D);
}

int gxtkGraphics::Cls(float r, float g, float b) {
    batchLength = 0;
    if (!hasContext()) return 0;
    if (presenter_->logging()) {
        presenter_->log().addClear(r, g, b);
        return 0;
    }
    glClearColor(r / 255.0f, g / 255.0f, b / 255.0f, 1.0f);
    glClear(GL_COLOR_BUFFER_BIT);
    return 0;
}

int gxtkGraphics::SetAlpha(float a) {
    alpha = a;
    updatePackedColor();
    return 0;
}

int gxtkGraphics::SetColor(float r, float g, float b) {
    red = r;
    green = g;
    blue = b;
    updatePackedColor();
    return 0;
}

int gxtkGraphics::SetBlend(int blend) {
    if (batchLength) Flush();
    state_.blend = blend == 1 ? 1 : 0;
    if (!hasContext()) return 0;
    if (presenter_->logging()) {
        presenter_->log().setState(state_);
        return 0;
    }
    if (blend == 1) {
        glBlendFunc(GL_ONE, GL_ONE);
    } else {
        glBlendFunc(GL_ONE, GL_ONE_MINUS_SRC_ALPHA);
    }
    return 0;
}

int gxtkGraphics::SetScissor(int x, int y, int w, int h) {
    if (batchLength) Flush();
    if (x == 0 && y == 0 && w == Width() && h == Height()) {
        state_.scissorOn = false;
    } else {
        state_.scissorOn = true;
        // OpenGL refuses a negative size and keeps the box it had.
        if (w >= 0 && h >= 0) {
            state_.scissorX = x;
            state_.scissorY = y;
            state_.scissorW = w;
            state_.scissorH = h;
        }
    }
    if (!hasContext()) return 0;
    if (presenter_->logging()) {
        presenter_->log().setState(state_);
        return 0;
    }
    if (state_.scissorOn) {
        glEnable(GL_SCISSOR_TEST);
        glScissor(x, Height() - y - h, w, h);
    } else {
        glDisable(GL_SCISSOR_TEST);
    }
    return 0;
}

void gxtkGraphics::applyScissor() {
    if (state_.scissorOn) {
        glEnable(GL_SCISSOR_TEST);
        glScissor(state_.scissorX, Height() - state_.scissorY - state_.scissorH, state_.scissorW,
                  state_.scissorH);
    } else {
        glDisable(GL_SCISSOR_TEST);
    }
}

int gxtkGraphics::SetMatrix(float ix_, float iy_, float jx_, float jy_, float tx_, float ty_) {
    ix = ix_;
    iy = iy_;
    jx = jx_;
    jy = jy_;
    tx = tx_;
    ty = ty_;
    transformed = !(ix == 1 && iy == 0 && jx == 0 && jy == 1 && tx == 0 && ty == 0);
    return 0;
}

int gxtkGraphics::DrawPoint(float x, float y) {
    Vertex* v = Begin(1, 1, nullptr);
    put(v, x, y, 0, 0);
    v->x += 0.5f;
    v->y += 0.5f;
    return 0;
}

int gxtkGraphics::DrawLine(float x1, float y1, float x2, float y2) {
    Vertex* v = Begin(2, 2, nullptr);
    put(v, x1, y1, 0, 0);
    put(v + 1, x2, y2, 0, 0);
    for (int i = 0; i < 2; ++i) {
        v[i].x += 0.5f;
        v[i].y += 0.5f;
    }
    return 0;
}

int gxtkGraphics::DrawRect(float x, float y, float w, float h) {
    Vertex* v = Begin(4, 4, nullptr);
    float x1 = x + w, y1 = y + h;
    put(v, x, y, 0, 0);
    put(v + 1, x1, y, 0, 0);
    put(v + 2, x1, y1, 0, 0);
    put(v + 3, x, y1, 0, 0);
    return 0;
}

int gxtkGraphics::OvalSegments(float w, float h) const {
    float rx = w * 0.5f, ry = h * 0.5f;
    float s;
    if (!transformed) {
        s = std::fabs(rx) + std::fabs(ry);
    } else {
        s = std::sqrt((rx * ix) * (rx * ix) + (rx * iy) * (rx * iy)) +
            std::sqrt((ry * jx) * (ry * jx) + (ry * jy) * (ry * jy));
    }
    // Compared as a float first, so that huge or NaN sizes never reach an int conversion.
    if (!(s >= 12.0f)) return 12;
    if (s > 1024.0f) return 1024;
    return int(s) & ~3;
}

int gxtkGraphics::DrawOval(float x, float y, float w, float h) {
    float rx = w * 0.5f, ry = h * 0.5f;
    float cx = x + rx, cy = y + ry;
    int segments = OvalSegments(w, h);
    Vertex* v = Begin(segments, segments, nullptr);
    for (int i = 0; i < segments; ++i) {
        float theta = float(i) * 6.2831855f / float(segments);
        put(v + i, cx + rx * std::cos(theta), cy - ry * std::sin(theta), 0, 0);
    }
    return 0;
}

int gxtkGraphics::DrawPoly(Array<float> verts) {
    int n = verts.Length() / 2;
    if (n < 1 || n > kMaxVertices) return 0;
    Vertex* v = Begin(n, n, nullptr);
    const float* p = verts.Data();
    for (int i = 0; i < n; ++i, p += 2) put(v + i, p[0], p[1], 0, 0);
    return 0;
}

int gxtkGraphics::DrawPoly2(Array<float> verts, gxtkSurface* surface, int srcX, int srcY) {
    int n = verts.Length() / 4;
    if (n < 1 || n > kMaxVertices || !surface) return 0;
    if (surface->contextSeq != glfwGraphicsSeq) surface->Bind();
    Vertex* v = Begin(n, n, surface);
    const float* p = verts.Data();
    for (int i = 0; i < n; ++i, p += 4) {
        put(v + i, p[0], p[1], (p[2] + float(srcX)) * surface->uScale,
            (p[3] + float(srcY)) * surface->vScale);
    }
    return 0;
}

int gxtkGraphics::DrawSurface(gxtkSurface* surface, float x, float y) {
    if (!surface) return 0;
    // A surface whose texture is due to be (re)built gets it now, so that its texture
    // coordinates use the texture's real size.
    if (surface->contextSeq != glfwGraphicsSeq) surface->Bind();
    float w = float(surface->width), h = float(surface->height);
    float u1 = w * surface->uScale, v1 = h * surface->vScale;
    Vertex* v = Begin(4, 4, surface);
    put(v, x, y, 0, 0);
    put(v + 1, x + w, y, u1, 0);
    put(v + 2, x + w, y + h, u1, v1);
    put(v + 3, x, y + h, 0, v1);
    return 0;
}

int gxtkGraphics::DrawSurface2(gxtkSurface* surface, float x, float y, int srcX, int srcY, int srcW,
                               int srcH) {
    if (!surface) return 0;
    if (surface->contextSeq != glfwGraphicsSeq) surface->Bind();
    float w = float(srcW), h = float(srcH);
    float u0 = float(srcX) * surface->uScale, v0 = float(srcY) * surface->vScale;
    float u1 = float(srcX + srcW) * surface->uScale, v1 = float(srcY + srcH) * surface->vScale;
    Vertex* v = Begin(4, 4, surface);
    put(v, x, y, u0, v0);
    put(v + 1, x + w, y, u1, v0);
    put(v + 2, x + w, y + h, u1, v1);
    put(v + 3, x, y + h, u0, v1);
    return 0;
}

int gxtkGraphics::ReadPixels(Array<int> pixels, int x, int y, int w, int h, int offset, int pitch) {
    if (batchLength) Flush();
    if (w <= 0 || h <= 0 || !hasContext()) return 0;
    // Reading sees what a logged frame has drawn so far.
    presenter_->realize(*this);
    std::vector<uint32_t> rows(size_t(w) * size_t(h));
    glPixelStorei(GL_PACK_ALIGNMENT, 4);
    glReadPixels(x, height - y - h, w, h, GL_BGRA, GL_UNSIGNED_BYTE, rows.data());
    // OpenGL gives the bottom row first; the array gets the top row first. Rows that would
    // fall outside the array are left out.
    for (int i = 0; i < h; ++i) {
        long long start = (long long)offset + (long long)i * pitch;
        if (start < 0 || start + w > pixels.Length()) continue;
        std::memcpy(pixels.Data() + start, rows.data() + size_t(h - 1 - i) * size_t(w),
                    size_t(w) * 4);
    }
    return 0;
}

int gxtkGraphics::WritePixels2(gxtkSurface* surface, Array<int> pixels, int x, int y, int w, int h,
                               int offset, int pitch) {
    if (!surface || surface->glFormat != GL_RGBA) return 0;
    // Only the part of the rectangle inside the surface is written.
    int x0 = x < 0 ? 0 : x, y0 = y < 0 ? 0 : y;
    int x1 = x + w > surface->width ? surface->width : x + w;
    int y1 = y + h > surface->height ? surface->height : y + h;
    if (x1 <= x0 || y1 <= y0) return 0;
    // A copy given up after upload is read back first, so the rest of the surface stays.
    if (!surface->pixels && !surface->KeepPixels()) {
        size_t bytes = size_t(surface->width) * size_t(surface->height) * 4;
        surface->pixels = static_cast<unsigned char*>(std::calloc(bytes, 1));
        if (!surface->pixels) return 0;
    }
    for (int row = y0; row < y1; ++row) {
        long long start = (long long)offset + (long long)(row - y) * pitch + (x0 - x);
        if (start < 0 || start + (x1 - x0) > pixels.Length()) continue;
        const int* source = pixels.Data() + start;
        unsigned char* target = surface->pixels + (size_t(row) * surface->width + x0) * 4;
        for (int col = x0; col < x1; ++col, target += 4) {
            premultipliedBytes(uint32_t(*source++), target);
        }
    }
    // Written surfaces keep their copy: it is the only one of what was written.
    surface->pixelsOnlyUntilUploaded = false;
    surface->markChanged();
    if (hasContext() && surface->contextSeq == glfwGraphicsSeq) {
        glBindTexture(GL_TEXTURE_2D, surface->texture);
        glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
        int cw = x1 - x0;
        if (cw == surface->width) {
            glTexSubImage2D(GL_TEXTURE_2D, 0, 0, y0, cw, y1 - y0, GL_RGBA, GL_UNSIGNED_BYTE,
                            surface->pixels + size_t(y0) * surface->width * 4);
        } else {
            for (int row = y0; row < y1; ++row) {
                glTexSubImage2D(GL_TEXTURE_2D, 0, x0, row, cw, 1, GL_RGBA, GL_UNSIGNED_BYTE,
                                surface->pixels + (size_t(row) * surface->width + x0) * 4);
            }
        }
    }
    return 0;
}

gxtkSurface* gxtkGraphics::LoadSurface(String path) {
    gxtkSurface* surface = new gxtkSurface;
    if (!LoadSurface__UNSAFE__(surface, path)) return nullptr;
    surface->OnUnsafeLoadComplete();
    return surface;
}

gxtkSurface* gxtkGraphics::CreateSurface(int w, int h) {
    gxtkSurface* surface = new gxtkSurface;
    surface->width = w;
    surface->height = h;
    surface->depth = 4;
    surface->glFormat = GL_RGBA;
    surface->uScale = w > 0 ? 1.0f / float(w) : 0.0f;
    surface->vScale = h > 0 ? 1.0f / float(h) : 0.0f;
    surface->Bind();
    return surface;
}

bool gxtkGraphics::LoadSurface__UNSAFE__(gxtkSurface* surface, String path) {
    int w = 0, h = 0, depth = 0;
    unsigned char* data = hostLoadImageData(path, &w, &h, &depth);
    if (!data) return false;
    if (w <= 0 || h <= 0 || gxtkFormatForDepth(depth) == 0) {
        std::free(data);
        return false;
    }
    surface->SetData(data, w, h, depth);
    // The file's pixels are needed only until the texture holds them.
    surface->pixelsOnlyUntilUploaded = true;
    return true;
}

// --- gxtkSurface -------------------------------------------------------------------------

gxtkSurface* gxtkSurface::firstLive_ = nullptr;

gxtkSurface::gxtkSurface() {
    markChanged();
    nextLive_ = firstLive_;
    if (firstLive_) firstLive_->previousLive_ = this;
    firstLive_ = this;
}

gxtkSurface::~gxtkSurface() {
    if (contextSeq == glfwGraphicsSeq && hasContext()) glDeleteTextures(1, &texture);
    std::free(pixels);
    if (previousLive_) {
        previousLive_->nextLive_ = nextLive_;
    } else if (firstLive_ == this) {
        firstLive_ = nextLive_;
    }
    if (nextLive_) nextLive_->previousLive_ = previousLive_;
}

void gxtkSurface::markChanged() {
    contentKey = nextContentKey.fetch_add(1);
}

int gxtkSurface::Discard() {
    if (contextSeq == glfwGraphicsSeq && hasContext()) glDeleteTextures(1, &texture);
    contextSeq = -1;
    std::free(pixels);
    pixels = nullptr;
    markChanged();
    return 0;
}

int gxtkSurface::Width() {
    return width;
}

int gxtkSurface::Height() {
    return height;
}

bool gxtkSurface::Loaded() {
    return true;
}

void gxtkSurface::OnUnsafeLoadComplete() {
    Bind();
}

void gxtkSurface::SetData(unsigned char* data, int w, int h, int d) {
    if (pixels != data) std::free(pixels);
    pixels = data;
    width = w;
    height = h;
    depth = d;
    glFormat = gxtkFormatForDepth(d);
    gxtkPremultiply(pixels, w * h, d);
    markChanged();
    // Until a texture exists the scales are those of the image itself.
    uScale = w > 0 ? 1.0f / float(w) : 0.0f;
    vScale = h > 0 ? 1.0f / float(h) : 0.0f;
}

void gxtkSurface::Bind() {
    if (!hasContext()) return;
    if (contextSeq == glfwGraphicsSeq) {
        glBindTexture(GL_TEXTURE_2D, texture);
        return;
    }
    contextSeq = glfwGraphicsSeq;
    glGenTextures(1, &texture);
    glBindTexture(GL_TEXTURE_2D, texture);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_NEAREST);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_NEAREST);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, GL_CLAMP_TO_EDGE);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, GL_CLAMP_TO_EDGE);

    // Errors left over from earlier calls must not be taken for a rejected size.
    for (int i = 0; i < 32 && glGetError() != GL_NO_ERROR; ++i) {
    }
    int texWidth = width, texHeight = height;
    glTexImage2D(GL_TEXTURE_2D, 0, GLint(glFormat), texWidth, texHeight, 0, glFormat,
                 GL_UNSIGNED_BYTE, nullptr);
    if (glGetError() != GL_NO_ERROR) {
        texWidth = powerOfTwoAtLeast(width);
        texHeight = powerOfTwoAtLeast(height);
        glTexImage2D(GL_TEXTURE_2D, 0, GLint(glFormat), texWidth, texHeight, 0, glFormat,
                     GL_UNSIGNED_BYTE, nullptr);
    }
    uScale = texWidth > 0 ? 1.0f / float(texWidth) : 0.0f;
    vScale = texHeight > 0 ? 1.0f / float(texHeight) : 0.0f;
    textureWidth_ = texWidth;
    textureHeight_ = texHeight;

    if (pixels) {
        glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
        glTexSubImage2D(GL_TEXTURE_2D, 0, 0, 0, width, height, glFormat, GL_UNSIGNED_BYTE, pixels);
        if (pixelsOnlyUntilUploaded) {
            std::free(pixels);
            pixels = nullptr;
        }
    }
}

bool gxtkSurface::KeepPixels() {
    if (pixels) return true;
    if (!hasContext() || contextSeq != glfwGraphicsSeq || width <= 0 || height <= 0 ||
        gxtkFormatForDepth(depth) == 0 || textureWidth_ < width || textureHeight_ < height) {
        return false;
    }
    const size_t row = size_t(width) * size_t(depth);
    const size_t textureRow = size_t(textureWidth_) * size_t(depth);
    auto* all = static_cast<unsigned char*>(std::malloc(textureRow * size_t(textureHeight_)));
    if (!all) return false;
    glBindTexture(GL_TEXTURE_2D, texture);
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glGetTexImage(GL_TEXTURE_2D, 0, glFormat, GL_UNSIGNED_BYTE, all);
    if (textureRow != row || textureHeight_ != height) {
        // Only the image's part of a larger texture.
        for (int y = 0; y < height; ++y) std::memmove(all + size_t(y) * row, all + size_t(y) * textureRow, row);
    }
    pixels = all;
    return true;
}

void gxtkKeepSurfacePixels() {
    for (gxtkSurface* s = gxtkSurface::firstLive_; s; s = s->nextLive_) {
        if (!s->pixels && s->contextSeq == glfwGraphicsSeq) s->KeepPixels();
    }
}
