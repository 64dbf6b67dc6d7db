// Graphics figures for the framework's worst frame: 5,000 rotated, scaled, tinted 64 x 64
// sprites from one sheet and 200 untextured rectangles, drawn through the graphics module
// into an 800 x 600 window, and the same frame through SDL2's renderer in the same run.
//
// Needs a display; run it under a private X server:
//   scripts/with-xvfb build/bench/bench_graphics
// After the run it prints the ratio of whole-frame times, ours over SDL2's, from frames of
// the two drawn in turn.
// With HEXWEND_BENCH_SHOT=<file.png> the first frame of ours is also saved as a picture.
#define SDL_MAIN_HANDLED
#include "graphics/graphics.h"
#include "host/rt_game.h"
#include "runtime/gc.h"
#include "runtime/init.h"

#include <GL/gl.h>
#include <GLFW/glfw3.h>
#include <SDL2/SDL.h>
#include <benchmark/benchmark.h>
#include <stb_image_write.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include <time.h>

namespace {

constexpr int kWidth = 800;
constexpr int kHeight = 600;
constexpr int kSprites = 5000;
constexpr int kRects = 200;
constexpr int kSheet = 256; // 4 x 4 frames of 64 x 64
constexpr int kFrame = 64;

using Clock = std::chrono::steady_clock;

double seconds(Clock::time_point a, Clock::time_point b) {
    return std::chrono::duration<double>(b - a).count();
}

// CPU time of the calling thread: the device's own work, without the driver's rasteriser
// threads and without time spent waiting for a core on a busy machine.
double threadSeconds() {
    timespec t;
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
    return double(t.tv_sec) + double(t.tv_nsec) * 1e-9;
}

// One sprite or rectangle of the frame; both renderers draw exactly these.
struct Sprite {
    float x, y, rotation, scale;
    float r, g, b, alpha;
    int frame;
};

struct Rect {
    float x, y, w, h;
    float r, g, b, alpha;
};

struct Scene {
    std::vector<Sprite> sprites;
    std::vector<Rect> rects;
};

const Scene& scene() {
    static Scene s = [] {
        Scene out;
        uint32_t seed = 12345;
        auto next = [&seed](float range) {
            seed = seed * 1103515245u + 12345u;
            return float((seed >> 8) & 0xffff) / 65536.0f * range;
        };
        for (int i = 0; i < kSprites; ++i) {
            out.sprites.push_back({next(kWidth), next(kHeight), next(360), 0.5f + next(1.0f),
                                   128 + next(127), 128 + next(127), 128 + next(127),
                                   0.6f + next(0.4f), i % 16});
        }
        for (int i = 0; i < kRects; ++i) {
            out.rects.push_back({next(kWidth), next(kHeight), 4 + next(40), 4 + next(40), next(255),
                                 next(255), next(255), 0.3f + next(0.7f)});
        }
        return out;
    }();
    return s;
}

// The sheet's RGBA pixels (straight alpha): each frame a soft disc in its own colour.
std::vector<unsigned char> sheetPixels() {
    std::vector<unsigned char> px(size_t(kSheet) * kSheet * 4);
    for (int y = 0; y < kSheet; ++y) {
        for (int x = 0; x < kSheet; ++x) {
            int frame = (y / kFrame) * 4 + x / kFrame;
            float dx = float(x % kFrame) - 31.5f, dy = float(y % kFrame) - 31.5f;
            float d = std::sqrt(dx * dx + dy * dy);
            float a = d < 28 ? 1.0f : d < 32 ? (32 - d) / 4 : 0.0f;
            unsigned char* p = &px[(size_t(y) * kSheet + x) * 4];
            p[0] = uint8_t(80 + frame * 10);
            p[1] = uint8_t(255 - frame * 12);
            p[2] = uint8_t((x ^ y) & 0xff);
            p[3] = uint8_t(a * 255);
        }
    }
    return px;
}

// --- Ours: the host window, the render device and the graphics module ---------------------

struct Ours {
    std::unique_ptr<RtGlfwGame> host;
    gxtkGraphics* device = nullptr;
    c_Image* sheet = nullptr;
    bool ok = false;

    Ours() {
        if (glfwInit() != GLFW_TRUE) return;
        host = std::make_unique<RtGlfwGame>();
        gc_init1();
        rtAddModuleInit(rt_graphics_Init);
        rtInit();
        host->SetDeviceWindow(kWidth, kHeight, 6);
        host->SetSwapInterval(0);
        device = new gxtkGraphics;
        // The worst frame is one that changes everywhere: drawn in full, as every frame of
        // the benchmark is the same and would otherwise be kept after the first.
        device->setDrawMode(hexwend::graphics::DrawMode::kFull);
        rt_graphics_SetGraphicsDevice(device);

        std::vector<unsigned char> px = sheetPixels();
        auto* copy = static_cast<unsigned char*>(std::malloc(px.size()));
        std::memcpy(copy, px.data(), px.size());
        gxtkSurface* surface = new gxtkSurface;
        surface->SetData(copy, kSheet, kSheet, 4);
        surface->Bind();
        sheet = (new c_Image)
                    ->m_new()
                    ->p_Init2(surface, 0, 0, kFrame, kFrame, 16, c_Image::FlagCentreHandle, nullptr,
                              0, 0, kSheet, kSheet);
        gc_add_root("bench sheet", sheet);
        ok = true;
    }

    void makeCurrent() { glfwMakeContextCurrent(host->_window); }

    // The frame as the game delegate brackets it.
    void drawFrame() {
        device->BeginRender();
        rt_graphics_BeginRender();
        device->Cls(0, 0, 0);
        for (const Sprite& s : scene().sprites) {
            rt_graphics_SetColor(s.r, s.g, s.b);
            rt_graphics_SetAlpha(s.alpha);
            rt_graphics_DrawImage2(sheet, s.x, s.y, s.rotation, s.scale, s.scale, s.frame);
        }
        for (const Rect& r : scene().rects) {
            rt_graphics_SetColor(r.r, r.g, r.b);
            rt_graphics_SetAlpha(r.alpha);
            rt_graphics_DrawRect(r.x, r.y, r.w, r.h);
        }
        rt_graphics_EndRender();
        device->EndRender();
    }

    void saveShot(const char* path) {
        std::vector<unsigned char> rgba(size_t(kWidth) * kHeight * 4);
        glReadPixels(0, 0, kWidth, kHeight, GL_RGBA, GL_UNSIGNED_BYTE, rgba.data());
        stbi_flip_vertically_on_write(1);
        stbi_write_png(path, kWidth, kHeight, 4, rgba.data(), kWidth * 4);
    }
};

Ours& ours() {
    static Ours o;
    return o;
}

double median(std::vector<double> v) {
    std::sort(v.begin(), v.end());
    size_t n = v.size();
    return n % 2 ? v[n / 2] : (v[n / 2 - 1] + v[n / 2]) / 2;
}

// Whole-frame ratios, ours over SDL2's, of every pair of frames drawn back to back.
std::vector<double> pairedRatios;

// The whole frame: the device's work, the buffer swap and the driver finishing the picture.
// Counters: the CPU time of the device's part on the drawing thread (vertex generation and
// handing the batches to OpenGL, including the driver's work on that thread but not its
// rasteriser threads), per frame and per sprite, and the draw calls per frame.
void BM_WorstFrame_Hexwend(benchmark::State& state) {
    Ours& o = ours();
    if (!o.ok) {
        state.SkipWithError("no display");
        return;
    }
    o.makeCurrent();
    if (const char* shot = std::getenv("HEXWEND_BENCH_SHOT")) {
        o.drawFrame();
        o.saveShot(shot);
    }
    double device = 0;
    int calls = 0, vertices = 0;
    for (auto _ : state) {
        Clock::time_point t0 = Clock::now();
        double c0 = threadSeconds();
        o.drawFrame();
        device += threadSeconds() - c0;
        glfwSwapBuffers(o.host->_window);
        glFinish();
        Clock::time_point t2 = Clock::now();
        calls = o.device->drawCalls;
        vertices = o.device->verticesSubmitted;
        state.SetIterationTime(seconds(t0, t2));
    }
    double n = double(state.iterations());
    state.counters["device_us"] = device / n * 1e6;
    state.counters["device_us_per_sprite"] = device / n * 1e6 / kSprites;
    state.counters["draw_calls"] = calls;
    state.counters["vertices"] = vertices;
}
BENCHMARK(BM_WorstFrame_Hexwend)->UseManualTime()->Unit(benchmark::kMillisecond)->MinTime(2.0);

// The graphics module and the device alone: the same frame with no context, so nothing goes
// to OpenGL; what is left is the CPU cost of turning the calls into vertices (thread CPU
// time per sprite).
void BM_WorstFrame_HexwendVertexGeneration(benchmark::State& state) {
    Ours& o = ours();
    if (!o.ok) {
        state.SkipWithError("no display");
        return;
    }
    int seq = glfwGraphicsSeq;
    glfwGraphicsSeq = 0;
    double total = 0;
    for (auto _ : state) {
        double c0 = threadSeconds();
        o.drawFrame();
        total += threadSeconds() - c0;
    }
    glfwGraphicsSeq = seq;
    state.counters["us_per_sprite"] = total / double(state.iterations()) * 1e6 / kSprites;
}
BENCHMARK(BM_WorstFrame_HexwendVertexGeneration)->Unit(benchmark::kMillisecond);

// The same frame again, drawing only what changed: nothing is drawn, the window keeps its
// picture. What is left is the cost on the drawing thread of logging the frame and comparing
// it with the last (thread CPU time per frame and per sprite).
void BM_UnchangedFrame_Hexwend(benchmark::State& state) {
    Ours& o = ours();
    if (!o.ok) {
        state.SkipWithError("no display");
        return;
    }
    o.makeCurrent();
    o.device->setDrawMode(hexwend::graphics::DrawMode::kChanges);
    o.drawFrame();
    double total = 0;
    int kept = 0;
    for (auto _ : state) {
        double c0 = threadSeconds();
        o.drawFrame();
        total += threadSeconds() - c0;
        kept += o.device->lastFrame().outcome == hexwend::graphics::FrameReport::kKept;
    }
    o.device->setDrawMode(hexwend::graphics::DrawMode::kFull);
    const double n = double(state.iterations());
    state.counters["us"] = total / n * 1e6;
    state.counters["us_per_sprite"] = total / n * 1e6 / kSprites;
    state.counters["kept_share"] = kept / n;
}
BENCHMARK(BM_UnchangedFrame_Hexwend)->Unit(benchmark::kMillisecond);

// --- The peer: SDL2's renderer -------------------------------------------------------------

struct Sdl {
    SDL_Window* window = nullptr;
    SDL_Renderer* renderer = nullptr;
    SDL_Texture* sheet = nullptr;
    SDL_GLContext context = nullptr;
    bool ok = false;
    std::string rendererName;

    // Makes SDL's context current again after another library's; SDL skips the switch when
    // it believes its context is still current, so it is let go first.
    void makeCurrent() {
        SDL_GL_MakeCurrent(window, nullptr);
        SDL_GL_MakeCurrent(window, context);
    }

    Sdl() {
        SDL_SetHint(SDL_HINT_RENDER_VSYNC, "0");
        if (SDL_Init(SDL_INIT_VIDEO) != 0) return;
        window = SDL_CreateWindow("Hexwend SDL2 peer", SDL_WINDOWPOS_CENTERED,
                                  SDL_WINDOWPOS_CENTERED, kWidth, kHeight, SDL_WINDOW_OPENGL);
        if (!window) return;
        renderer = SDL_CreateRenderer(window, -1, SDL_RENDERER_ACCELERATED);
        if (!renderer) return;
        SDL_RendererInfo info;
        if (SDL_GetRendererInfo(renderer, &info) == 0) rendererName = info.name;
        context = SDL_GL_GetCurrentContext();
        std::vector<unsigned char> px = sheetPixels();
        sheet = SDL_CreateTexture(renderer, SDL_PIXELFORMAT_ABGR8888, SDL_TEXTUREACCESS_STATIC,
                                  kSheet, kSheet);
        if (!sheet) return;
        SDL_UpdateTexture(sheet, nullptr, px.data(), kSheet * 4);
        SDL_SetTextureBlendMode(sheet, SDL_BLENDMODE_BLEND);
        SDL_SetTextureScaleMode(sheet, SDL_ScaleModeNearest);
        SDL_SetRenderDrawBlendMode(renderer, SDL_BLENDMODE_BLEND);
        ok = true;
    }

    void drawFrame() {
        SDL_SetRenderDrawColor(renderer, 0, 0, 0, 255);
        SDL_RenderClear(renderer);
        for (const Sprite& s : scene().sprites) {
            SDL_SetTextureColorMod(sheet, Uint8(s.r), Uint8(s.g), Uint8(s.b));
            SDL_SetTextureAlphaMod(sheet, Uint8(s.alpha * 255));
            SDL_Rect src = {(s.frame % 4) * kFrame, (s.frame / 4) * kFrame, kFrame, kFrame};
            float size = kFrame * s.scale;
            SDL_FRect dst = {s.x - size / 2, s.y - size / 2, size, size};
            SDL_RenderCopyExF(renderer, sheet, &src, &dst, -s.rotation, nullptr, SDL_FLIP_NONE);
        }
        for (const Rect& r : scene().rects) {
            SDL_SetRenderDrawColor(renderer, Uint8(r.r), Uint8(r.g), Uint8(r.b),
                                   Uint8(r.alpha * 255));
            SDL_FRect rect = {r.x, r.y, r.w, r.h};
            SDL_RenderFillRectF(renderer, &rect);
        }
        SDL_RenderPresent(renderer);
    }
};

Sdl& sdl() {
    static Sdl s;
    return s;
}

// The whole frame through SDL2: its calls, the present and the driver finishing the picture.
void BM_WorstFrame_SDL2(benchmark::State& state) {
    Sdl& s = sdl();
    if (!s.ok) {
        state.SkipWithError("SDL2 renderer not available");
        return;
    }
    state.SetLabel(s.rendererName);
    s.makeCurrent();
    for (auto _ : state) {
        Clock::time_point t0 = Clock::now();
        s.drawFrame();
        glFinish(); // SDL's renderer leaves its own context current
        Clock::time_point t1 = Clock::now();
        state.SetIterationTime(seconds(t0, t1));
    }
}
BENCHMARK(BM_WorstFrame_SDL2)->UseManualTime()->Unit(benchmark::kMillisecond)->MinTime(2.0);

// The two renderers frame by frame in turn, so that both meet the same load on a busy
// machine; the figure is the median of the per-pair ratios of whole-frame times.
void BM_WorstFrame_PairedRatio(benchmark::State& state) {
    Ours& o = ours();
    Sdl& s = sdl();
    if (!o.ok || !s.ok) {
        state.SkipWithError("no display or no SDL2 renderer");
        return;
    }
    std::vector<double> ratios;
    for (auto _ : state) {
        o.makeCurrent();
        Clock::time_point t0 = Clock::now();
        o.drawFrame();
        glfwSwapBuffers(o.host->_window);
        glFinish();
        Clock::time_point t1 = Clock::now();
        s.makeCurrent();
        Clock::time_point t2 = Clock::now();
        s.drawFrame();
        glFinish();
        Clock::time_point t3 = Clock::now();
        ratios.push_back(seconds(t0, t1) / seconds(t2, t3));
        state.SetIterationTime(seconds(t0, t1) + seconds(t2, t3));
    }
    double ratio = median(ratios);
    pairedRatios.push_back(ratio);
    state.counters["ours_over_sdl2"] = ratio;
}
BENCHMARK(BM_WorstFrame_PairedRatio)->UseManualTime()->Unit(benchmark::kMillisecond)->MinTime(4.0);

} // namespace

int main(int argc, char** argv) {
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
    benchmark::RunSpecifiedBenchmarks();
    if (!pairedRatios.empty()) {
        std::printf("Worst frame, whole-frame time ours over SDL2's, frames drawn in turn: %.2f "
                    "(median over %zu runs)\n",
                    median(pairedRatios), pairedRatios.size());
    }
    benchmark::Shutdown();
    return 0;
}
