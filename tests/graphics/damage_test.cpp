// Comparing the draw logs of two frames: what counts as an opaque cover, and which regions
// of the window a change damages.
#include "graphics/damage.h"

#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <limits>
#include <string>

namespace hexwend::graphics {
namespace {

constexpr int kWidth = 200;
constexpr int kHeight = 100;

uint32_t rgba(int r, int g, int b, int a) {
    return uint32_t(r) | uint32_t(g) << 8 | uint32_t(b) << 16 | uint32_t(a) << 24;
}

// A quad as the render device writes a rectangle: corners round the rectangle.
void rect(DrawLog& log, float x, float y, float w, float h, uint32_t color = rgba(255, 0, 0, 255),
          uint64_t surfaceKey = 0) {
    const Vertex v[4] = {{x, y, 0, 0, color},
                         {x + w, y, 0, 0, color},
                         {x + w, y + h, 0, 0, color},
                         {x, y + h, 0, 0, color}};
    log.addBatch(4, nullptr, surfaceKey, v, 4);
}

// A scissor box of 50 x 50 at the top left.
DrawState scissored() {
    DrawState s;
    s.scissorOn = true;
    s.scissorW = 50;
    s.scissorH = 50;
    return s;
}

// An opaque background over the whole window, as every frame of the game starts.
void background(DrawLog& log) {
    rect(log, -128, -128, kWidth + 256, kHeight + 256, rgba(0, 0, 0, 255));
}

bool contains(const std::vector<PixelRect>& rects, int x, int y) {
    for (const PixelRect& r : rects) {
        if (x >= r.x0 && x < r.x1 && y >= r.y0 && y < r.y1) return true;
    }
    return false;
}

TEST(DrawLogTest, OnlyOpaqueWholeWindowBackgroundsCoverWhatCameBefore) {
    struct Case {
        const char* name;
        std::function<void(DrawLog&)> draw;
        bool covers;
    };
    const Case cases[] = {
        {"an opaque rectangle over the window", background, true},
        {"exactly the window", [](DrawLog& l) { rect(l, 0, 0, kWidth, kHeight); }, true},
        {"a pixel short", [](DrawLog& l) { rect(l, 0, 0, kWidth, kHeight - 1); }, false},
        {"translucent",
         [](DrawLog& l) { rect(l, -10, -10, 400, 300, rgba(100, 0, 0, 254)); },
         false},
        {"textured", [](DrawLog& l) { rect(l, -10, -10, 400, 300, rgba(0, 0, 0, 255), 7); }, false},
        {"additive",
         [](DrawLog& l) {
             DrawState s;
             s.blend = 1;
             l.setState(s);
             background(l);
         },
         false},
        {"inside a scissor box",
         [](DrawLog& l) {
             l.setState(scissored());
             background(l);
         },
         false},
        {"a clear", [](DrawLog& l) { l.addClear(1, 2, 3); }, true},
        {"a clear inside a scissor box",
         [](DrawLog& l) {
             l.setState(scissored());
             l.addClear(1, 2, 3);
         },
         false},
        {"a sheared quad",
         [](DrawLog& l) {
             const Vertex v[4] = {{-10, -10, 0, 0, rgba(0, 0, 0, 255)},
                                  {400, -5, 0, 0, rgba(0, 0, 0, 255)},
                                  {400, 300, 0, 0, rgba(0, 0, 0, 255)},
                                  {-10, 300, 0, 0, rgba(0, 0, 0, 255)}};
             l.addBatch(4, nullptr, 0, v, 4);
         },
         false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        DrawLog log;
        log.clear(kWidth, kHeight);
        rect(log, 5, 5, 10, 10);
        c.draw(log);
        EXPECT_EQ(log.coverIndex(), c.covers ? 1 : -1);
    }
}

TEST(DrawLogTest, BoundsTakeEveryPixelAPrimitiveCanTouchInsideWindowAndScissor) {
    DrawLog log;
    log.clear(kWidth, kHeight);
    rect(log, 10.5f, 20.25f, 5, 5);
    rect(log, -50, -50, 20, 20); // outside the window
    const Vertex bad[4] = {{std::nanf(""), 0, 0, 0, 0}, {1, 0, 0, 0, 0}, {1, 1, 0, 0, 0},
                           {0, 1, 0, 0, 0}};
    log.addBatch(4, nullptr, 0, bad, 4);
    DrawState scissor;
    scissor.scissorOn = true;
    scissor.scissorX = 100;
    scissor.scissorY = 10;
    scissor.scissorW = 20;
    scissor.scissorH = 30;
    log.setState(scissor);
    rect(log, 90, 0, 50, 50);
    log.addClear(0, 0, 0);

    const auto& p = log.primitives();
    ASSERT_EQ(p.size(), 5u);
    EXPECT_EQ(p[0].bounds, (PixelRect{9, 19, 17, 27}));
    EXPECT_TRUE(p[1].bounds.empty());
    EXPECT_EQ(p[2].bounds, (PixelRect{0, 0, kWidth, kHeight})) << "a vertex that is not a number";
    EXPECT_EQ(p[3].bounds, (PixelRect{100, 10, 120, 40}));
    EXPECT_EQ(p[4].bounds, (PixelRect{100, 10, 120, 40}));
}

// Two frames: the same background, then what each draws.
struct DamageCase {
    const char* name;
    std::function<void(DrawLog&)> before;
    std::function<void(DrawLog&)> after;
    bool whole;
    // Pixels that must be damaged and pixels that must not (ignored when whole).
    std::vector<std::pair<int, int>> damaged;
    std::vector<std::pair<int, int>> kept;
};

TEST(DamageTest, OnlyWhatAppearedDisappearedOrChangedIsDamaged) {
    auto three = [](DrawLog& l) {
        rect(l, 10, 10, 10, 10);
        rect(l, 80, 10, 10, 10);
        rect(l, 150, 60, 10, 10);
    };
    const DamageCase cases[] = {
        {"the same frame", three, three, false, {}, {{15, 15}, {85, 15}, {155, 65}}},
        {"a rectangle moved",
         three,
         [](DrawLog& l) {
             rect(l, 10, 10, 10, 10);
             rect(l, 80, 40, 10, 10);
             rect(l, 150, 60, 10, 10);
         },
         false,
         {{85, 15}, {85, 45}},
         {{15, 15}, {155, 65}}},
        {"one drawn in a new colour",
         three,
         [](DrawLog& l) {
             rect(l, 10, 10, 10, 10);
             rect(l, 80, 10, 10, 10, rgba(0, 255, 0, 255));
             rect(l, 150, 60, 10, 10);
         },
         false,
         {{85, 15}},
         {{15, 15}, {155, 65}}},
        {"one inserted in the middle: the ones after it still match",
         three,
         [](DrawLog& l) {
             rect(l, 10, 10, 10, 10);
             rect(l, 40, 70, 10, 10);
             rect(l, 80, 10, 10, 10);
             rect(l, 150, 60, 10, 10);
         },
         false,
         {{45, 75}},
         {{15, 15}, {85, 15}, {155, 65}}},
        {"one removed",
         three,
         [](DrawLog& l) {
             rect(l, 10, 10, 10, 10);
             rect(l, 150, 60, 10, 10);
         },
         false,
         {{85, 15}},
         {{15, 15}, {155, 65}}},
        {"two overlapping ones drawn the other way round",
         [](DrawLog& l) {
             rect(l, 10, 10, 20, 20, rgba(255, 0, 0, 255));
             rect(l, 20, 20, 20, 20, rgba(0, 0, 255, 255));
             rect(l, 150, 60, 10, 10);
         },
         [](DrawLog& l) {
             rect(l, 20, 20, 20, 20, rgba(0, 0, 255, 255));
             rect(l, 10, 10, 20, 20, rgba(255, 0, 0, 255));
             rect(l, 150, 60, 10, 10);
         },
         false,
         {{25, 25}},
         {{155, 65}}},
        {"the same rectangle drawn under another blend mode",
         three,
         [](DrawLog& l) {
             rect(l, 10, 10, 10, 10);
             DrawState additive;
             additive.blend = 1;
             l.setState(additive);
             rect(l, 80, 10, 10, 10);
             l.setState(DrawState{});
             rect(l, 150, 60, 10, 10);
         },
         false,
         {{85, 15}},
         {{15, 15}, {155, 65}}},
        {"a texture whose content changed",
         [](DrawLog& l) { rect(l, 80, 10, 10, 10, rgba(255, 255, 255, 255), 5); },
         [](DrawLog& l) { rect(l, 80, 10, 10, 10, rgba(255, 255, 255, 255), 6); },
         false,
         {{85, 15}},
         {{15, 15}}},
        {"most of the window changed",
         three,
         [](DrawLog& l) { rect(l, 0, 0, 190, 90, rgba(9, 9, 9, 255)); },
         true,
         {},
         {}},
    };
    for (const DamageCase& c : cases) {
        SCOPED_TRACE(c.name);
        DrawLog before, after;
        before.clear(kWidth, kHeight);
        after.clear(kWidth, kHeight);
        background(before);
        background(after);
        c.before(before);
        c.after(after);
        const Damage damage = findDamage(before, after);
        EXPECT_EQ(damage.whole, c.whole);
        if (c.whole) continue;
        EXPECT_EQ(damage.none(), c.damaged.empty());
        for (auto [x, y] : c.damaged) EXPECT_TRUE(contains(damage.rects, x, y)) << x << "," << y;
        for (auto [x, y] : c.kept) EXPECT_FALSE(contains(damage.rects, x, y)) << x << "," << y;
    }
}

TEST(DamageTest, FramesWithoutACoverOrOfAnotherSizeAreWhole) {
    DrawLog covered, uncovered, larger;
    covered.clear(kWidth, kHeight);
    background(covered);
    uncovered.clear(kWidth, kHeight);
    rect(uncovered, 10, 10, 10, 10);
    larger.clear(kWidth + 1, kHeight);
    background(larger);

    EXPECT_TRUE(findDamage(covered, uncovered).whole);
    EXPECT_TRUE(findDamage(uncovered, covered).whole);
    EXPECT_TRUE(findDamage(uncovered, uncovered).whole) << "it is drawn over what was there";
    EXPECT_TRUE(findDamage(covered, larger).whole);
}

TEST(DamageTest, ScatteredChangesBecomeAFewDisjointRectanglesCoveringThemAll) {
    DrawLog before, after;
    before.clear(kWidth, kHeight);
    after.clear(kWidth, kHeight);
    background(before);
    background(after);
    // Forty small sparks, each moved by a pixel.
    for (int i = 0; i < 40; ++i) {
        const float x = float((i * 37) % 190), y = float((i * 23) % 90);
        rect(before, x, y, 2, 2);
        rect(after, x + 1, y, 2, 2);
    }
    DamageLimits limits;
    limits.tile = 8;
    limits.maxRects = 6;
    limits.wholeShare = 1.0;
    const Damage damage = findDamage(before, after, limits);
    ASSERT_FALSE(damage.whole);
    EXPECT_LE(damage.rects.size(), 6u);
    long long area = 0;
    for (size_t i = 0; i < damage.rects.size(); ++i) {
        area += damage.rects[i].area();
        for (size_t j = i + 1; j < damage.rects.size(); ++j) {
            EXPECT_FALSE(damage.rects[i].overlaps(damage.rects[j])) << i << " and " << j;
        }
    }
    EXPECT_EQ(area, damage.area);
    for (int i = 0; i < 40; ++i) {
        const int x = (i * 37) % 190, y = (i * 23) % 90;
        EXPECT_TRUE(contains(damage.rects, x, y)) << "spark " << i;
        EXPECT_TRUE(contains(damage.rects, x + 2, y + 1)) << "spark " << i;
    }
}

} // namespace
} // namespace hexwend::graphics
