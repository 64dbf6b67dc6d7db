#include "graphics/damage.h"

#include <algorithm>
#include <utility>

namespace hexwend::graphics {
namespace {

// A grid of tiles over the window, each marked when some damage touches it.
class TileMap {
  public:
    TileMap(int width, int height, int tile)
        : width_(width), height_(height), tile_(tile), cols_((width + tile - 1) / tile),
          rows_((height + tile - 1) / tile), marks_(size_t(cols_) * size_t(rows_), 0) {}

    void mark(const PixelRect& r) {
        if (r.empty()) return;
        const int c0 = r.x0 / tile_, c1 = (r.x1 - 1) / tile_;
        const int r0 = r.y0 / tile_, r1 = (r.y1 - 1) / tile_;
        for (int row = r0; row <= r1; ++row) {
            std::fill_n(marks_.begin() + ptrdiff_t(row) * cols_ + c0, c1 - c0 + 1, uint8_t(1));
        }
    }

    bool any() const { return std::find(marks_.begin(), marks_.end(), 1) != marks_.end(); }

    // The same marks on tiles twice as large.
    TileMap coarser() const {
        TileMap out(width_, height_, tile_ * 2);
        for (int row = 0; row < rows_; ++row) {
            for (int col = 0; col < cols_; ++col) {
                if (marks_[size_t(row) * cols_ + col]) {
                    out.marks_[size_t(row / 2) * out.cols_ + col / 2] = 1;
                }
            }
        }
        return out;
    }

    // The marked tiles as disjoint rectangles: runs of marked tiles along each row, joined
    // with the run of the same columns in the row above. Clipped to the window.
    std::vector<PixelRect> rects() const {
        std::vector<PixelRect> out;
        std::vector<int> open; // indices into out of the runs of the row above
        std::vector<int> next;
        for (int row = 0; row < rows_; ++row) {
            next.clear();
            const uint8_t* line = &marks_[size_t(row) * cols_];
            for (int col = 0; col < cols_;) {
                if (!line[col]) {
                    ++col;
                    continue;
                }
                int end = col;
                while (end < cols_ && line[end]) ++end;
                const int x0 = col * tile_, x1 = std::min(end * tile_, width_);
                const int y0 = row * tile_, y1 = std::min((row + 1) * tile_, height_);
                auto above = std::find_if(open.begin(), open.end(), [&](int k) {
                    return out[size_t(k)].x0 == x0 && out[size_t(k)].x1 == x1;
                });
                if (above != open.end()) {
                    out[size_t(*above)].y1 = y1;
                    next.push_back(*above);
                } else {
                    out.push_back(PixelRect{x0, y0, x1, y1});
                    next.push_back(int(out.size()) - 1);
                }
                col = end;
            }
            std::swap(open, next);
        }
        return out;
    }

  private:
    int width_, height_, tile_, cols_, rows_;
    std::vector<uint8_t> marks_;
};

} // namespace

Damage findDamage(const DrawLog& before, const DrawLog& after, const DamageLimits& limits) {
    Damage damage;
    const int width = after.width(), height = after.height();
    if (width <= 0 || height <= 0) return damage;
    const long long windowArea = (long long)width * height;
    auto whole = [&] {
        damage.whole = true;
        damage.rects.clear();
        damage.area = windowArea;
        return damage;
    };
    if (before.width() != width || before.height() != height) return whole();
    if (before.coverIndex() < 0 || after.coverIndex() < 0) return whole();

    const std::vector<Primitive>& old = before.primitives();
    const std::vector<Primitive>& now = after.primitives();
    TileMap tiles(width, height, std::max(1, limits.tile));

    size_t i = size_t(before.coverIndex());
    size_t j = size_t(after.coverIndex());
    auto same = [&](size_t newIndex, size_t oldIndex) {
        return after.samePrimitive(now[newIndex], before, old[oldIndex]);
    };
    // The common beginning, the usual case, needs no search.
    while (i < old.size() && j < now.size() && same(j, i)) {
        ++i;
        ++j;
    }

    // The rest of the old frame by hash, then position, to find the next match quickly.
    std::vector<std::pair<uint64_t, size_t>> byHash;
    byHash.reserve(old.size() - i);
    for (size_t k = i; k < old.size(); ++k) byHash.emplace_back(old[k].hash, k);
    std::sort(byHash.begin(), byHash.end());

    size_t nextOld = i; // old primitives before this one are matched or damaged
    for (; j < now.size(); ++j) {
        size_t found = old.size();
        if (nextOld < old.size() && same(j, nextOld)) {
            found = nextOld;
        } else {
            auto at = std::lower_bound(byHash.begin(), byHash.end(),
                                       std::make_pair(now[j].hash, nextOld));
            for (; at != byHash.end() && at->first == now[j].hash; ++at) {
                if (same(j, at->second)) {
                    found = at->second;
                    break;
                }
            }
        }
        if (found == old.size()) {
            tiles.mark(now[j].bounds);
            continue;
        }
        for (size_t k = nextOld; k < found; ++k) tiles.mark(old[k].bounds);
        nextOld = found + 1;
    }
    for (size_t k = nextOld; k < old.size(); ++k) tiles.mark(old[k].bounds);

    if (!tiles.any()) return damage;
    std::vector<PixelRect> rects = tiles.rects();
    while (int(rects.size()) > std::max(1, limits.maxRects)) {
        tiles = tiles.coarser();
        rects = tiles.rects();
    }
    long long area = 0;
    for (const PixelRect& r : rects) area += r.area();
    if (double(area) > limits.wholeShare * double(windowArea)) return whole();
    damage.rects = std::move(rects);
    damage.area = area;
    return damage;
}

} // namespace hexwend::graphics
