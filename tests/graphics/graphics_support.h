// Shared set-up of the graphics tests: a fresh runtime with the graphics module, PNG fixtures
// written on the fly, runtime errors caught in a child process, and (for the display tests) a
// real device window from the host with a render device drawing into it.
#pragma once

#include "graphics/graphics.h"
#include "host/rt_game.h"
#include "runtime/gc.h"
#include "runtime/init.h"
#include "tests/support/temp_folder.h"

#include <GL/gl.h>
#include <GLFW/glfw3.h>
#include <gtest/gtest.h>
#include <stb_image_write.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <string>
#include <unistd.h>
#include <vector>

namespace hexwend::testing {

// 0xAARRGGBB as the four bytes R, G, B, A.
inline void argbToRgba(uint32_t argb, unsigned char* out) {
    out[0] = (argb >> 16) & 0xff;
    out[1] = (argb >> 8) & 0xff;
    out[2] = argb & 0xff;
    out[3] = argb >> 24;
}

// Writes an image of w x h pixels with `channels` bytes each as a PNG file.
inline bool writePng(const std::string& path, int w, int h, int channels,
                     const std::vector<unsigned char>& pixels) {
    return stbi_write_png(path.c_str(), w, h, channels, pixels.data(), w * channels) != 0;
}

// Writes an RGBA PNG whose pixels are given as 0xAARRGGBB, row by row from the top.
inline bool writeArgbPng(const std::string& path, int w, int h, const std::vector<uint32_t>& argb) {
    std::vector<unsigned char> bytes(argb.size() * 4);
    for (size_t i = 0; i < argb.size(); ++i) argbToRgba(argb[i], &bytes[i * 4]);
    return writePng(path, w, h, 4, bytes);
}

inline void writeBytes(const std::string& path, const std::vector<unsigned char>& bytes) {
    std::FILE* f = std::fopen(path.c_str(), "wb");
    ASSERT_NE(f, nullptr);
    if (!bytes.empty()) std::fwrite(bytes.data(), 1, bytes.size(), f);
    std::fclose(f);
}

inline std::vector<unsigned char> readBytes(const std::string& path) {
    std::vector<unsigned char> bytes;
    if (std::FILE* f = std::fopen(path.c_str(), "rb")) {
        int c;
        while ((c = std::fgetc(f)) != EOF) bytes.push_back(static_cast<unsigned char>(c));
        std::fclose(f);
    }
    return bytes;
}

// Runs a statement that must end the process with a runtime error and returns what the child
// wrote to standard output (the error lines), for EXPECT_EXIT-style checks: the statement
// runs in a forked child with no debugger on standard input.
#define EXPECT_RUNTIME_ERROR(statement, message)                                                   \
    EXPECT_EXIT(                                                                                   \
        {                                                                                          \
            std::freopen("/dev/null", "r", stdin);                                                 \
            ::dup2(2, 1);                                                                          \
            statement;                                                                             \
        },                                                                                         \
        ::testing::ExitedWithCode(255), "Vorpix Runtime Error : " message)

// The runtime with the graphics module, freshly initialised for every test.
class GraphicsRuntimeTest : public ::testing::Test {
  protected:
    void SetUp() override {
        gc_clear_roots();
        gc_reset();
        rtAddModuleInit(rt_graphics_Init);
        rtInit();
    }
    void TearDown() override {
        gc_clear_roots();
        gc_reset();
    }
};

// A real device window (the host's own, under the test's private X server) with a render
// device whose frame is open. Pixels are read back from the frame being drawn.
class DisplayTest : public GraphicsRuntimeTest {
  protected:
    static constexpr int kWidth = 96;
    static constexpr int kHeight = 64;

    void SetUp() override {
        ASSERT_EQ(glfwInit(), GLFW_TRUE) << "no display";
        host = std::make_unique<RtGlfwGame>();
        GraphicsRuntimeTest::SetUp();
        host->SetDeviceWindow(kWidth, kHeight, 6);
        device = new gxtkGraphics;
        rt_graphics_SetGraphicsDevice(device);
        device->BeginRender();
        device->Cls(0, 0, 0);
    }
    void TearDown() override {
        GraphicsRuntimeTest::TearDown();
        if (host && host->_window) glfwDestroyWindow(host->_window);
        host.reset();
        glfwTerminate();
    }

    // The pixel at (x, y), origin top left, as 0xAARRGGBB (the window has no alpha bits, so
    // AA reads 0xff). Flushes pending drawing first.
    uint32_t pixel(int x, int y) {
        Array<int> out(1);
        device->ReadPixels(out, x, y, 1, 1, 0, 1);
        return uint32_t(out[0]);
    }

    // The whole window, top row first.
    std::vector<uint32_t> screen() {
        Array<int> out(kWidth * kHeight);
        device->ReadPixels(out, 0, 0, kWidth, kHeight, 0, kWidth);
        return std::vector<uint32_t>(out.Data(), out.Data() + out.Length());
    }

    int countLit(int x0, int y0, int x1, int y1) {
        std::vector<uint32_t> s = screen();
        int n = 0;
        for (int y = y0; y < y1; ++y) {
            for (int x = x0; x < x1; ++x) n += (s[size_t(y) * kWidth + x] & 0xffffff) != 0;
        }
        return n;
    }

    // Saves the window as a PNG under the build tree, for looking at what a test drew.
    void saveScreenshot(const std::string& name) {
        std::vector<uint32_t> s = screen();
        std::vector<unsigned char> rgb(s.size() * 3);
        for (size_t i = 0; i < s.size(); ++i) {
            rgb[i * 3] = (s[i] >> 16) & 0xff;
            rgb[i * 3 + 1] = (s[i] >> 8) & 0xff;
            rgb[i * 3 + 2] = s[i] & 0xff;
        }
        std::string folder = std::string(HEXWEND_BINARY_DIR) + "/tests/graphics/screens";
        std::filesystem::create_directories(folder);
        writePng(folder + "/" + name + ".png", kWidth, kHeight, 3, rgb);
    }

    std::unique_ptr<RtGlfwGame> host;
    gxtkGraphics* device = nullptr;
};

} // namespace hexwend::testing
