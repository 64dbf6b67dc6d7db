// Where the picture of a frame differs from the one before: the comparison of two draw logs.
//
// The primitives of both frames are matched in order (a primitive of the new frame matches
// an identical one of the old frame that comes after the previous match). Every pixel that
// no unmatched primitive can touch is drawn by the same matched primitives, identical and in
// the same order, over the same opaque cover, so it comes out the same. The pixels that
// unmatched primitives (appeared, disappeared or changed) can touch are the damage; it is
// gathered on a grid of tiles and handed out as a few disjoint rectangles.
#pragma once

#include "graphics/draw_log.h"

#include <vector>

namespace hexwend::graphics {

struct Damage {
    // Nothing that shows has changed: the picture stays as it is.
    bool none() const { return !whole && rects.empty(); }

    // The whole window must be drawn again (no earlier picture to build on, or the changes
    // cover most of it).
    bool whole = false;
    // Disjoint rectangles to draw again, when not whole.
    std::vector<PixelRect> rects;
    // Pixels in the rectangles (the window's when whole).
    long long area = 0;
};

struct DamageLimits {
    // Side of the tiles the damage is gathered on, in pixels.
    int tile = 32;
    // At most this many rectangles; beyond that the tiles are made coarser.
    int maxRects = 16;
    // Damage over this share of the window is drawn as a whole window.
    double wholeShare = 0.7;
};

// The damage between the picture `before` drew and the one `after` draws. Both logs must be
// of the same window size; a frame without an opaque cover depends on what it is drawn over,
// so it is always whole.
Damage findDamage(const DrawLog& before, const DrawLog& after, const DamageLimits& limits = {});

} // namespace hexwend::graphics
