#include "tools/assetgen/font.h"

#include <stb_truetype.h>

#include <cmath>
#include <cstdio>
#include <vector>

namespace hexwend::assetgen {

struct Font::Impl {
    std::vector<unsigned char> data;
    stbtt_fontinfo info{};
};

Font::Font(const std::string& path) : impl_(std::make_unique<Impl>()) {
    FILE* f = std::fopen(path.c_str(), "rb");
    if (!f) return;
    unsigned char buf[65536];
    size_t n;
    while ((n = std::fread(buf, 1, sizeof buf, f)) > 0)
        impl_->data.insert(impl_->data.end(), buf, buf + n);
    std::fclose(f);
    if (impl_->data.empty()) return;
    int offset = stbtt_GetFontOffsetForIndex(impl_->data.data(), 0);
    if (offset < 0 || !stbtt_InitFont(&impl_->info, impl_->data.data(), offset)) return;
    ok_ = true;
    float x0, y0, x1, y1;
    if (inkBox('H', x0, y0, x1, y1)) capHeight_ = y1;
    if (inkBox('x', x0, y0, x1, y1)) xHeight_ = y1;
}

Font::~Font() = default;

float Font::scaleForEm(float pixels) const {
    return ok_ ? stbtt_ScaleForMappingEmToPixels(&impl_->info, pixels) : 0;
}

int Font::glyphIndex(int codepoint) const {
    return ok_ ? stbtt_FindGlyphIndex(&impl_->info, codepoint) : 0;
}

float Font::advance(int codepoint) const {
    if (!ok_) return 0;
    int adv, lsb;
    stbtt_GetCodepointHMetrics(&impl_->info, codepoint, &adv, &lsb);
    return static_cast<float>(adv);
}

bool Font::inkBox(int codepoint, float& x0, float& y0, float& x1, float& y1) const {
    if (!ok_) return false;
    int a, b, c, d;
    if (!stbtt_GetCodepointBox(&impl_->info, codepoint, &a, &b, &c, &d)) return false;
    x0 = static_cast<float>(a);
    y0 = static_cast<float>(b);
    x1 = static_cast<float>(c);
    y1 = static_cast<float>(d);
    return c > a && d > b;
}

Mask Font::glyph(int codepoint, float scaleX, float scaleY, float x, float y) const {
    if (!ok_) return Mask();
    int g = stbtt_FindGlyphIndex(&impl_->info, codepoint);
    float ix = std::floor(x), iy = std::floor(y);
    float sx = x - ix, sy = y - iy;
    int bx0, by0, bx1, by1;
    stbtt_GetGlyphBitmapBoxSubpixel(&impl_->info, g, scaleX, scaleY, sx, sy, &bx0, &by0, &bx1,
                                    &by1);
    int w = bx1 - bx0, h = by1 - by0;
    if (w <= 0 || h <= 0) return Mask();
    std::vector<unsigned char> bytes(static_cast<size_t>(w) * h);
    stbtt_MakeGlyphBitmapSubpixel(&impl_->info, bytes.data(), w, h, w, scaleX, scaleY, sx, sy, g);
    Mask m(static_cast<int>(ix) + bx0, static_cast<int>(iy) + by0, w, h);
    for (size_t i = 0; i < bytes.size(); ++i) m.v[i] = bytes[i] / 255.0f;
    return m;
}

float Font::textWidth(const std::string& s, float scale, float tracking) const {
    float pen = 0;
    for (size_t i = 0; i < s.size(); ++i) {
        int c = static_cast<unsigned char>(s[i]);
        pen += advance(c) * scale + tracking;
        if (i + 1 < s.size())
            pen += stbtt_GetCodepointKernAdvance(&impl_->info, c,
                                                 static_cast<unsigned char>(s[i + 1])) *
                   scale;
    }
    return s.empty() ? 0 : pen - tracking;
}

Mask Font::text(const std::string& s, float scale, float x, float y, float tracking,
                float* width) const {
    Mask out;
    float pen = x;
    for (size_t i = 0; i < s.size(); ++i) {
        int c = static_cast<unsigned char>(s[i]);
        out = unite(out, glyph(c, scale, scale, pen, y));
        pen += advance(c) * scale + tracking;
        if (i + 1 < s.size())
            pen += stbtt_GetCodepointKernAdvance(&impl_->info, c,
                                                 static_cast<unsigned char>(s[i + 1])) *
                   scale;
    }
    if (width) *width = s.empty() ? 0 : pen - x - tracking;
    return out;
}

const char* boldFontPath() {
    return "/usr/share/fonts/truetype/dejavu/DejaVuSans-Bold.ttf";
}

const Font& boldFont() {
    static const Font font(boldFontPath());
    return font;
}

} // namespace hexwend::assetgen
