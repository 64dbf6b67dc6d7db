#include "graphics/picture_buffer.h"

#include <GL/gl.h>
#include <GL/glext.h>
#include <GLFW/glfw3.h>

#include <cstdlib>
#include <cstring>

namespace hexwend::graphics {
namespace {

// The framebuffer-object functions of the current context (OpenGL 3.0, or the
// ARB_framebuffer_object extension of older versions, under the same names).
struct FramebufferFunctions {
    PFNGLGENFRAMEBUFFERSPROC genFramebuffers = nullptr;
    PFNGLDELETEFRAMEBUFFERSPROC deleteFramebuffers = nullptr;
    PFNGLBINDFRAMEBUFFERPROC bindFramebuffer = nullptr;
    PFNGLFRAMEBUFFERRENDERBUFFERPROC framebufferRenderbuffer = nullptr;
    PFNGLCHECKFRAMEBUFFERSTATUSPROC checkFramebufferStatus = nullptr;
    PFNGLGENRENDERBUFFERSPROC genRenderbuffers = nullptr;
    PFNGLDELETERENDERBUFFERSPROC deleteRenderbuffers = nullptr;
    PFNGLBINDRENDERBUFFERPROC bindRenderbuffer = nullptr;
    PFNGLRENDERBUFFERSTORAGEPROC renderbufferStorage = nullptr;
    PFNGLBLITFRAMEBUFFERPROC blitFramebuffer = nullptr;
};

FramebufferFunctions gl;

template <class F> void lookUp(F& function, const char* name) {
    function = reinterpret_cast<F>(glfwGetProcAddress(name));
}

bool hasFramebufferObjects() {
    const char* version = reinterpret_cast<const char*>(glGetString(GL_VERSION));
    const bool version3 = version && std::atoi(version) >= 3;
    const char* extensions = reinterpret_cast<const char*>(glGetString(GL_EXTENSIONS));
    const bool extension = extensions && std::strstr(extensions, "GL_ARB_framebuffer_object");
    if (!version3 && !extension) return false;
    lookUp(gl.genFramebuffers, "glGenFramebuffers");
    lookUp(gl.deleteFramebuffers, "glDeleteFramebuffers");
    lookUp(gl.bindFramebuffer, "glBindFramebuffer");
    lookUp(gl.framebufferRenderbuffer, "glFramebufferRenderbuffer");
    lookUp(gl.checkFramebufferStatus, "glCheckFramebufferStatus");
    lookUp(gl.genRenderbuffers, "glGenRenderbuffers");
    lookUp(gl.deleteRenderbuffers, "glDeleteRenderbuffers");
    lookUp(gl.bindRenderbuffer, "glBindRenderbuffer");
    lookUp(gl.renderbufferStorage, "glRenderbufferStorage");
    lookUp(gl.blitFramebuffer, "glBlitFramebuffer");
    return gl.genFramebuffers && gl.deleteFramebuffers && gl.bindFramebuffer &&
           gl.framebufferRenderbuffer && gl.checkFramebufferStatus && gl.genRenderbuffers &&
           gl.deleteRenderbuffers && gl.bindRenderbuffer && gl.renderbufferStorage &&
           gl.blitFramebuffer;
}

} // namespace

bool PictureBuffer::supported(int context) {
    if (context == 0) return false;
    if (context != context_) {
        context_ = context;
        supported_ = glfwGetCurrentContext() != nullptr && hasFramebufferObjects();
    }
    return supported_;
}

bool PictureBuffer::ready(int context, int width, int height) const {
    return pictureContext_ != 0 && pictureContext_ == context && width_ == width &&
           height_ == height;
}

bool PictureBuffer::prepare(int context, int width, int height, bool* madeNow) {
    *madeNow = false;
    if (width <= 0 || height <= 0 || !supported(context)) return false;
    if (ready(context, width, height)) return true;
    // A picture of an earlier context went with that context; one of this context that has
    // the wrong size is deleted.
    if (pictureContext_ == context) release();
    pictureContext_ = 0;

    gl.genFramebuffers(1, &framebuffer_);
    gl.genRenderbuffers(1, &colour_);
    gl.bindRenderbuffer(GL_RENDERBUFFER, colour_);
    gl.renderbufferStorage(GL_RENDERBUFFER, GL_RGB8, width, height);
    gl.bindFramebuffer(GL_FRAMEBUFFER, framebuffer_);
    gl.framebufferRenderbuffer(GL_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, GL_RENDERBUFFER, colour_);
    if (gl.checkFramebufferStatus(GL_FRAMEBUFFER) != GL_FRAMEBUFFER_COMPLETE) {
        pictureContext_ = context;
        release();
        pictureContext_ = 0;
        bindWindow();
        return false;
    }
    pictureContext_ = context;
    width_ = width;
    height_ = height;
    glDisable(GL_SCISSOR_TEST);
    glClearColor(0, 0, 0, 1);
    glClear(GL_COLOR_BUFFER_BIT);
    gl.bindFramebuffer(GL_FRAMEBUFFER, 0);
    *madeNow = true;
    return true;
}

void PictureBuffer::release() {
    if (pictureContext_ != 0 && pictureContext_ == context_ && supported_) {
        gl.bindFramebuffer(GL_FRAMEBUFFER, 0);
        gl.deleteFramebuffers(1, &framebuffer_);
        gl.deleteRenderbuffers(1, &colour_);
    }
    framebuffer_ = 0;
    colour_ = 0;
    width_ = 0;
    height_ = 0;
}

void PictureBuffer::bindWindow() const {
    if (supported_) gl.bindFramebuffer(GL_FRAMEBUFFER, 0);
}

void PictureBuffer::bindForReading() const {
    gl.bindFramebuffer(GL_DRAW_FRAMEBUFFER, 0);
    gl.bindFramebuffer(GL_READ_FRAMEBUFFER, framebuffer_);
}

void PictureBuffer::copy(uint32_t from, uint32_t to, const PixelRect& rect) const {
    // Rectangles are from the top left, framebuffers count rows from the bottom.
    const int y0 = height_ - rect.y1, y1 = height_ - rect.y0;
    glDisable(GL_SCISSOR_TEST);
    gl.bindFramebuffer(GL_READ_FRAMEBUFFER, from);
    gl.bindFramebuffer(GL_DRAW_FRAMEBUFFER, to);
    gl.blitFramebuffer(rect.x0, y0, rect.x1, y1, rect.x0, y0, rect.x1, y1, GL_COLOR_BUFFER_BIT,
                       GL_NEAREST);
    gl.bindFramebuffer(GL_FRAMEBUFFER, 0);
}

void PictureBuffer::copyToWindow() const {
    copy(framebuffer_, 0, PixelRect{0, 0, width_, height_});
}

void PictureBuffer::copyFromWindow(const PixelRect& rect) const {
    copy(0, framebuffer_, rect);
}

} // namespace hexwend::graphics
