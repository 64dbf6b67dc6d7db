#include "host/picture.h"

#include "host/rt_game.h"

#define GLFW_EXPOSE_NATIVE_X11
#define GLFW_EXPOSE_NATIVE_GLX
#include <GLFW/glfw3.h>
#include <GLFW/glfw3native.h>

namespace hexwend::host {
namespace {

// The GLX copy of a part of the back buffer to the front (GLX_MESA_copy_sub_buffer).
using CopySubBuffer = void (*)(Display*, GLXDrawable, int, int, int, int);

// Looked up once per context; null without the extension.
CopySubBuffer copySubBuffer() {
    static int lookedUpFor = 0;
    static CopySubBuffer function = nullptr;
    GLFWwindow* window = glfwGetCurrentContext();
    if (glfwGraphicsSeq != lookedUpFor) {
        lookedUpFor = glfwGraphicsSeq;
        function = nullptr;
        if (window && glfwGetX11Display() && glfwGetGLXWindow(window) &&
            glfwExtensionSupported("GLX_MESA_copy_sub_buffer")) {
            function = reinterpret_cast<CopySubBuffer>(glfwGetProcAddress("glXCopySubBufferMESA"));
        }
    }
    return function;
}

bool pictureKept = false;
bool pictureLost = false;
ContextEndingHandler contextEndingHandler = nullptr;

// A flag's value, cleared.
bool take(bool& flag) {
    const bool value = flag;
    flag = false;
    return value;
}

} // namespace

void keepPicture() {
    pictureKept = true;
}

bool takePictureKept() {
    return take(pictureKept);
}

bool canShowBackBufferRects() {
    return copySubBuffer() != nullptr;
}

bool showBackBufferRect(int x, int y, int width, int height) {
    CopySubBuffer copy = copySubBuffer();
    if (!copy) return false;
    GLFWwindow* window = glfwGetCurrentContext();
    copy(glfwGetX11Display(), glfwGetGLXWindow(window), x, y, width, height);
    return true;
}

void notePictureLost() {
    pictureLost = true;
}

bool takePictureLost() {
    return take(pictureLost);
}

void setContextEndingHandler(ContextEndingHandler handler) {
    contextEndingHandler = handler;
}

void contextEnding() {
    if (contextEndingHandler) contextEndingHandler();
}

} // namespace hexwend::host
