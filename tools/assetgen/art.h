// The generators of the individual asset files and the drawing helpers they share.
#pragma once

#include "tools/assetgen/canvas.h"
#include "tools/assetgen/output.h"
#include "tools/assetgen/shapes.h"

namespace hexwend::assetgen {

// One generator per file (or group of files); each returns false when writing failed.
bool makeClusters(const Output& out);      // 506/Clusters.png
bool makeFigure(const Output& out);        // 506/gfx.png
bool makeFrameworkFont(const Output& out); // common/bandwidth.png
bool makeDefaultFont(const Output& out);   // zuvo_font.png
bool makeFrameworkLogo(const Output& out); // common/QUZOLogo.png
bool makeParticles(const Output& out);     // common/part-shapefull.png, parts_*.png
bool makeButtons(const Output& out);       // common/Buttons.png
bool makeIcons(const Output& out);         // common/icons.png
bool makeCircles(const Output& out);       // common/circle.png
bool makeTitle(const Output& out);         // 506/logo.png
bool makeMenu(const Output& out);          // 506/menu.png
bool makeOptions(const Output& out);       // common/options.png
bool makeScoreboard(const Output& out);    // common/scoreboard.png
bool makeSounds(const Output& out);        // 506/sfx/00n.wav, common/09n.wav
bool makeTune(const Output& out);          // 506/sfx/Days.ogg
bool makeLicences(const Output& out);      // LICENSES

// Outside the data folder, for installing the game: the desktop icon at 48, 128 and 256
// pixels as <folder>/<n>x<n>/apps/hexwend.png (hicolor theme layout), and the Debian
// copyright file: the project's own paragraphs read from `headerPath`, then those of the
// lettering's font.
extern const int kIconSizes[3];
bool makeDesktopIcons(const std::string& folder);
bool writeDebianCopyright(const std::string& headerPath, const std::string& outPath);

// Pen advance of each character 32 … 126 in the framework's text layout (0 for others); the
// font sheet's glyphs are placed so that these advances give even gaps.
int textAdvance(int c);

// --- shared drawing helpers (art_common.cpp) ---

// Corners of the field's hex tile centred on c: flat top and bottom, pointed left and right,
// shaped so that neighbours at (0, ±64) and (±47.5, ±32) (times `scale`) leave an even gap of
// 2·inset. With inset 4 it is about 59 wide and 56 tall.
std::vector<Vec2> hexCorners(Vec2 c, float inset, float scale = 1);

struct HexColour {
    Rgba base;
    Rgba emblem;
};
// The eight hex colours in frame-row order; the field uses rows 1, 3, 5 and 7.
const HexColour& hexColour(int row);
// The emblem of a colour row, about `size` across.
Path emblem(int row, Vec2 c, float size);

// A four-pointed sparkle with concave sides.
Path sparkle(Vec2 c, float r, float degrees = 0);

// A glossy bevelled hex tile: rim, six lit bevel facets, a shaded face, optional face cut
// (variant 0 … 7), optional emblem, gloss and sparkle. `scale` 1 is the 64-pixel tile.
struct HexStyle {
    int variant = 0;
    int emblemRow = -1; // -1: no emblem
    bool gloss = true;
    bool sparkles = true;
    bool shadow = true;
    float inset = 4;
};
void drawHex(Canvas& c, Vec2 centre, float scale, Rgba base, const HexStyle& style);

// Draws frame `pose` (0 … 48) of the figure with the frame's top-left corner at `origin`,
// scaled from its 36 × 36 frame.
void drawFigurePose(Canvas& c, Vec2 origin, float scale, int pose);

// Outlined text helpers used by several sheets.
// Fills the mask with a vertical gradient from `top` to `bottom` between y0 and y1.
Paint vertical(float y0, float y1, Rgba top, Rgba bottom);
// Draws `m` with a soft shadow, a dark outline of `outline` pixels and the paint.
void drawOutlined(Canvas& c, const Mask& m, const Paint& fillPaint, Rgba outlineColour,
                  float outline, float shadowAlpha = 0.35f, int shadowDy = 2);

} // namespace hexwend::assetgen
