// Shape builders: every function returns a closed path (clockwise on screen, y down) that
// can be filled with the non-zero rule.
#pragma once

#include "tools/assetgen/canvas.h"

namespace hexwend::assetgen {

Path polygon(const std::vector<Vec2>& points);
Path ellipse(Vec2 centre, float rx, float ry);
Path circle(Vec2 centre, float r);
// A ring between two radii (the inner contour runs the other way and cuts the hole).
Path ring(Vec2 centre, float outer, float inner);
Path rect(float x, float y, float w, float h);
Path roundedRect(float x, float y, float w, float h, float radius);
// A regular polygon with `n` corners; the first corner lies at `degrees`.
Path regular(int n, Vec2 centre, float radius, float degrees);
Path star(int points, Vec2 centre, float outer, float inner, float degrees);
// Thick polyline with round joins and caps.
Path stroke(const std::vector<Vec2>& points, float width);
Path line(Vec2 a, Vec2 b, float width);
// An arc of a ring from `from` to `to` degrees (to > from), with square ends.
Path arc(Vec2 centre, float outer, float inner, float from, float to);
// Rounded-corner version of a convex polygon (corners cut by circular arcs of `radius`).
Path roundedPolygon(const std::vector<Vec2>& corners, float radius);

// The emblem shapes of the hex colours, centred on `c`, about `size` across.
Path heart(Vec2 c, float size);
Path crescent(Vec2 c, float size);
Path drop(Vec2 c, float size);
Path clover(Vec2 c, float size);
Path diamond(Vec2 c, float size);

// Returns the contour with clockwise orientation on screen (positive area with y down).
Contour clockwise(Contour c);
float signedArea(const Contour& c);

} // namespace hexwend::assetgen
