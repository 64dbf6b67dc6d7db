// Glyphs of a TrueType font rasterised with stb_truetype into coverage masks.
#pragma once

#include "tools/assetgen/canvas.h"

#include <memory>
#include <string>

namespace hexwend::assetgen {

class Font {
  public:
    // Loads the font file; ok() tells whether it worked.
    explicit Font(const std::string& path);
    ~Font();
    Font(const Font&) = delete;
    Font& operator=(const Font&) = delete;

    bool ok() const { return ok_; }
    // Pixels per font unit for a font whose em square is `pixels` tall.
    float scaleForEm(float pixels) const;
    float capHeight() const { return capHeight_; } // font units
    float xHeight() const { return xHeight_; }     // font units
    int glyphIndex(int codepoint) const;
    float advance(int codepoint) const; // font units
    // Ink box in font units (y up); false for a glyph without ink.
    bool inkBox(int codepoint, float& x0, float& y0, float& x1, float& y1) const;
    // The glyph's coverage with its origin (on the baseline) at (x, y) in pixels, y down;
    // scaleX and scaleY are pixels per font unit.
    Mask glyph(int codepoint, float scaleX, float scaleY, float x, float y) const;
    // A run of text starting at the origin (x, y); returns the mask and sets `width` to the
    // pen advance in pixels. `tracking` adds pixels between letters.
    Mask text(const std::string& s, float scale, float x, float y, float tracking = 0,
              float* width = nullptr) const;
    float textWidth(const std::string& s, float scale, float tracking = 0) const;

  private:
    struct Impl;
    std::unique_ptr<Impl> impl_;
    bool ok_ = false;
    float capHeight_ = 0, xHeight_ = 0;
};

// The bold face every asset's lettering uses.
const Font& boldFont();
const char* boldFontPath();

} // namespace hexwend::assetgen
