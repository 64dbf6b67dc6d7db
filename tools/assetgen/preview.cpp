#include "tools/assetgen/preview.h"
#include "tools/assetgen/dmath.h"

#include "tools/assetgen/art.h"

#include <stb_image.h>

#include <cmath>
#include <cstdio>
#include <string>

namespace hexwend::assetgen {

namespace {

Canvas loadPng(const std::string& path) {
    int w = 0, h = 0, n = 0;
    unsigned char* data = stbi_load(path.c_str(), &w, &h, &n, 4);
    if (!data) {
        std::fprintf(stderr, "assetgen: cannot read %s\n", path.c_str());
        return Canvas();
    }
    Canvas c(w, h);
    for (size_t i = 0; i < c.px.size(); ++i) {
        float a = data[i * 4 + 3] / 255.0f;
        c.px[i] = {data[i * 4] / 255.0f * a, data[i * 4 + 1] / 255.0f * a,
                   data[i * 4 + 2] / 255.0f * a, a};
    }
    stbi_image_free(data);
    return c;
}

Canvas checkerboard(int w, int h) {
    Canvas c(w, h);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            float v = ((x / 16 + y / 16) % 2) ? 0.42f : 0.58f;
            c.px[static_cast<size_t>(y) * w + x] = {v, v, v, 1};
        }
    return c;
}

// A loaded sprite sheet with its frame size, drawn like the game draws it: centred on the
// position, scaled, rotated, tinted.
struct SpriteSheet {
    Canvas image;
    int fw = 0, fh = 0;

    void draw(Canvas& dst, int frame, float x, float y, float sx = 1, float sy = 1, float rot = 0,
              Rgba tint = {1, 1, 1, 1}) const {
        if (image.w == 0 || fw == 0) return;
        int cols = image.w / fw;
        int fx = (frame % cols) * fw, fy = (frame / cols) * fh;
        Affine m = Affine::translate(-fw / 2.0f, -fh / 2.0f)
                       .then(Affine::scale(sx, sy))
                       .then(Affine::rotate(rot))
                       .then(Affine::translate(x, y));
        dst.drawTransformed(image, static_cast<float>(fx), static_cast<float>(fy),
                            static_cast<float>(fw), static_cast<float>(fh), m, tint);
    }
};

// The framework's text walk at rotation 0: glyph centres advance by the per-character
// advance times the size; an escape (character 172) draws a button icon and advances 56.
float drawText(Canvas& dst, const SpriteSheet& font, float x, float y, const std::u16string& text,
               int alignX, int alignY, float s, Rgba tint = {1, 1, 1, 1},
               bool keyboardIcons = true) {
    std::u16string t = u" " + text;
    float width = 0;
    for (size_t i = 0; i + 1 < t.size(); ++i) {
        int c = t[i];
        float a = 0;
        if (c >= 32 && c <= 141)
            a = static_cast<float>(textAdvance(c));
        else if (c == 172) {
            a = 30;
            ++i;
        }
        width = std::trunc(width + a * s);
    }
    float px = x - width * alignX / 2.0f, py = y - (alignY - 1) * 22.0f * s;
    for (size_t i = 0; i < t.size();) {
        int c = t[i];
        int g = c - 32, k = 28;
        if (c >= 32 && c <= 141) {
            k = textAdvance(c);
            ++i;
        } else if (c == 172 && i + 1 < t.size()) {
            int l = t[i + 1];
            const char* letters = "ADEFIJKLOQSUW";
            const int base[] = {107, 108, 103, 104, 99, 96, 97, 98, 101, 102, 106, 100, 105};
            g = l;
            for (int j = 0; letters[j]; ++j)
                if (letters[j] == l) g = base[j] + (keyboardIcons ? 0 : 16);
            k = 56;
            i += 2;
        } else {
            ++i;
        }
        if (g >= 1 && g <= 127) font.draw(dst, g, px, py, s, s, 0, tint);
        px += k * s;
    }
    return px;
}

bool save(const Output& out, const std::string& name, const Canvas& c) {
    Canvas opaque = c;
    return out.png(name, opaque);
}

struct Named {
    const char* file;
    int fw, fh;
};

const Named kImages[] = {
    {"506/Clusters.png", 64, 64},         {"506/gfx.png", 36, 36},
    {"common/bandwidth.png", 64, 64},     {"zuvo_font.png", 12, 18},
    {"common/QUZOLogo.png", 32, 32},      {"common/part-shapefull.png", 32, 32},
    {"common/parts_shape.png", 32, 32},   {"common/parts_smoke.png", 32, 32},
    {"common/parts_cluster.png", 32, 32}, {"common/parts_stars.png", 32, 32},
    {"common/Buttons.png", 64, 64},       {"common/icons.png", 128, 128},
    {"common/circle.png", 256, 256},      {"506/logo.png", 1024, 512},
    {"506/menu.png", 1024, 1024},         {"common/options.png", 68, 68},
    {"common/scoreboard.png", 256, 256},
};

} // namespace

bool writePreview(const std::string& dataDir, const std::string& previewDir) {
    Output out(previewDir);
    bool ok = true;
    auto load = [&](const char* file, int fw, int fh) {
        SpriteSheet s{loadPng(dataDir + "/" + file), fw, fh};
        if (s.image.w == 0) ok = false;
        return s;
    };

    // Contact sheets over a checkerboard (large sheets at half size, small ones enlarged).
    for (const Named& n : kImages) {
        SpriteSheet s = load(n.file, n.fw, n.fh);
        if (s.image.w == 0) continue;
        float k = s.image.w > 1024 ? 0.5f : (s.image.w <= 256 ? 2.0f : 1.0f);
        int w = static_cast<int>(s.image.w * k), h = static_cast<int>(s.image.h * k);
        Canvas c = checkerboard(w, h);
        c.drawTransformed(s.image, 0, 0, static_cast<float>(s.image.w),
                          static_cast<float>(s.image.h), Affine::scale(k, k));
        // Frame grid.
        for (int x = 0; x <= s.image.w; x += n.fw)
            c.fill(rect(x * k - 0.5f, 0, 1, static_cast<float>(h)), rgb(0x00FFFF), 0.25f);
        for (int y = 0; y <= s.image.h; y += n.fh)
            c.fill(rect(0, y * k - 0.5f, static_cast<float>(w), 1), rgb(0x00FFFF), 0.25f);
        std::string name = n.file;
        for (char& ch : name)
            if (ch == '/') ch = '_';
        ok = save(out, "sheet_" + name, c) && ok;
    }

    SpriteSheet hexes = load("506/Clusters.png", 64, 64);
    SpriteSheet figure = load("506/gfx.png", 36, 36);
    SpriteSheet font = load("common/bandwidth.png", 64, 64);
    SpriteSheet menu = load("506/menu.png", 1024, 1024);
    SpriteSheet title = load("506/logo.png", 1024, 512);
    SpriteSheet icons = load("common/icons.png", 128, 128);
    SpriteSheet board = load("common/scoreboard.png", 256, 256);
    SpriteSheet tiles = load("common/QUZOLogo.png", 32, 32);
    SpriteSheet stars = load("common/parts_stars.png", 32, 32);
    SpriteSheet sparks = load("common/parts_shape.png", 32, 32);
    SpriteSheet shapes = load("common/part-shapefull.png", 32, 32);
    SpriteSheet smoke = load("common/parts_smoke.png", 32, 32);
    SpriteSheet options = load("common/options.png", 68, 68);
    SpriteSheet circles = load("common/circle.png", 256, 256);
    const float W = 800, H = 600;

    // The play: background at half alpha over black, the honeycomb, piles, the figure.
    {
        Canvas c(800, 600);
        c.fill(rect(0, 0, W, H), rgb(0x000000));
        menu.draw(c, 0, W / 2, H / 2, 1, 1, 0, {1, 1, 1, 0.5f});
        const int colours[4] = {1, 3, 5, 7};
        float F = 20;
        for (int r = 0; r < 26; ++r)
            for (int col = 0; col < 7; ++col) {
                if (r > 16 && (col + r) % 3 == 0) continue;
                if (r > 19) continue;
                int colour = colours[(col * 7 + r * 3 + (r * col) % 5) % 4];
                float x = W / 2 - 308.75f + 95 * col + ((r % 2 == 0) ? 47.5f : 0);
                float y = (H - 32) - 800 + 32 * r + F;
                int frame = 8 * colour + (col + r * 5) % 8;
                if (r == 15 && col == 3) {
                    hexes.draw(c, frame, x, y, 1.6f, 1.6f, 0, {1, 1, 1, 0.5f}); // popping
                    continue;
                }
                hexes.draw(c, frame, x, y);
            }
        for (int i = 0; i < 16; ++i)
            sparks.draw(c, i, W / 2 + 40 * dcos(i * 0.39f), 300 + 40 * dsin(i * 0.39f), 0.3f, 0.3f,
                        0, {1, 0.5f, 0.1f, 0.9f});
        smoke.draw(c, 3, 150, 420, 3, 3, 0, {1, 1, 1, 0.3f});
        for (int i = 0; i < 6; ++i)
            shapes.draw(c, i, 520 + 14 * i, 380 + 9 * (i % 3), 0.3f, 0.3f, 0, {0.1f, 1, 1, 0.9f});
        hexes.draw(c, 8 * 3, 32, H - 32);
        hexes.draw(c, 8 * 7, W - 32, H - 32);
        float fx = 330, fy = H - 32;
        figure.draw(c, 8, fx, fy, 2, 2);
        hexes.draw(c, 8 * 5, fx, fy - 24);
        figure.draw(c, 2, 520, H - 32 - 40, -2, 2);
        figure.draw(c, 0, 620, H - 32, 2, 2);
        figure.draw(c, 5, 700, H - 32, 2, 2);
        icons.draw(c, 0, 24, 24, 0.4f, 0.4f, 0, {1, 1, 1, 0.1f});
        drawText(c, font, W / 2, 16, u"1234", 1, 1, 0.75f, {100 / 255.0f, 1, 100 / 255.0f, 0.75f});
        drawText(c, font, 420, 250, u"25", 1, 1, 0.3f, {1, 1, 0.1f, 1});
        ok = save(out, "scene_play.png", c) && ok;
    }

    // The main menu: the main list behind the closed curtain, and the difficulty list with
    // the curtain open and the score panels at the screen's edges.
    for (int open = 0; open < 2; ++open) {
        Canvas c(800, 600);
        c.fill(rect(0, 0, W, H), rgb(0x508C50));
        menu.draw(c, 0, W / 2, H / 2, 0.85f, 0.85f);
        menu.draw(c, 2, W / 2, H / 2, 0.85f, 0.85f);
        menu.draw(c, 1, W / 2, H / 2, 0.85f, 0.85f);
        float m = open ? -2 * W : 0;
        c.fill(polygon({{m - 124, -128}, {W + m + 132, H + 128}, {m - 124, H + 128}}),
               rgb(0x646400), 0.75f);
        c.fill(polygon({{-m - 128, -128}, {W - m + 132, -128}, {W - m + 132, H + 128}}),
               rgb(0x643200), 0.75f);
        if (open) {
            const char16_t* items[] = {u"Easy", u"> Normal", u"Hard"};
            for (int k = 0; k < 3; ++k)
                drawText(c, font, W / 4, H - 48 * 3 + 48 * k, items[k], 0, 1, 1);
            icons.draw(c, 11, 64, 64, 1, 1, 0, {1, 1, 1, 0.75f});
        } else {
            const char16_t* items[] = {u"> Start Game", u"Name - Player", u"Options", u"Credits",
                                       u"Quit"};
            for (int k = 0; k < 5; ++k)
                drawText(c, font, W / 4, H - 200 + 40 * k, items[k], 0, 1, 0.75f);
        }
        title.draw(c, 0, W / 2, 128, 0.4f, 0.4f);
        icons.draw(c, 10, W - 64, 48);
        float bx = 3 * W + m + 64, by = H - 190, top = by - 96;
        board.draw(c, 0, bx, by);
        drawText(c, font, bx - 64, top, u"Top 5", 1, 1, 0.5f);
        const char16_t* scores[] = {u"    1250", u"     980", u"     455", u"      90",
                                    u"       0"};
        for (int i = 0; i < 5; ++i)
            drawText(c, font, bx - 56, top + 40 + 28 * i, scores[i], 1, 1, 0.5f);
        const Rgba marks[5] = {{1, 0.1f, 0.1f, 1},
                               {1, 0.5f, 0.1f, 1},
                               {1, 1, 0.1f, 1},
                               {0.1f, 1, 0.1f, 1},
                               {0.1f, 1, 1, 1}};
        for (int i = 0; i < 5; ++i)
            stars.draw(c, 0, bx - 100 + 22 * i, (H - 78) - 40 * (5 - i) / 5.0f, 0.4f, 0.4f,
                       15.0f * i, marks[i]);
        board.draw(c, 0, W - bx, by, -1, 1);
        drawText(c, font, W - bx + 64, top, u"Online", 1, 1, 0.45f);
        ok = save(out, open ? "scene_menu_difficulty.png" : "scene_menu.png", c) && ok;
    }

    // The score panel on its own, as drawn at the right edge and mirrored at the left.
    {
        Canvas c(600, 300);
        c.fill(rect(0, 0, 600, 300), rgb(0x3A6A4A));
        float bx = 150, by = 150, top = by - 96;
        board.draw(c, 0, bx, by);
        drawText(c, font, bx - 64, top, u"Top 5", 1, 1, 0.5f);
        const char16_t* scores[] = {u"    1250", u"     980", u"     455", u"      90",
                                    u"       0"};
        for (int i = 0; i < 5; ++i)
            drawText(c, font, bx - 56, top + 40 + 28 * i, scores[i], 1, 1, 0.5f);
        float ox = 450;
        board.draw(c, 0, ox, by, -1, 1);
        drawText(c, font, ox + 64, top, u"Online", 1, 1, 0.45f);
        const char16_t* names[] = {u"Alex", u"Sam", u"Robin", u"Kim", u"Jo"};
        for (int i = 0; i < 5; ++i) {
            float h = top + 30 + 38 * i;
            drawText(c, font, ox + 6, h, names[i], 0, 1, 0.45f);
            drawText(c, font, ox + 56, h + 16, scores[i], 1, 1, 0.45f);
        }
        ok = save(out, "scene_scoreboard.png", c) && ok;
    }

    // The loading screen, the logo assembled.
    {
        Canvas c(800, 600);
        c.fill(rect(0, 0, W, H), rgb(0xB4A078));
        for (int j = 0; j < 32; ++j)
            for (int i = 0; i < 32; ++i)
                tiles.draw(c, j + 32 * i, (W / 2 - 239.85f) + 15.99f * j,
                           (H / 2 - 239.85f) + 15.99f * i, 0.5f, 0.5f);
        drawText(c, font, W / 2, H - 64, u"..Loading..", 1, 1, 1);
        ok = save(out, "scene_loading.png", c) && ok;
    }

    // Text at the sizes the game uses, button icons in both modes, the options row look.
    {
        Canvas c(800, 600);
        c.fill(rect(0, 0, W, H), rgb(0x2A4F6E));
        const std::u16string line = u"Hexwend: Pop 5 hexes! jolly (quick) fix {ok} Wq|il";
        float y = 24;
        for (float s : {0.25f, 0.5f, 1.0f, 2.0f}) {
            drawText(c, font, 8, y, line, 0, 1, s);
            y += 44 * s + 14;
        }
        drawText(c, font, 8, y + 20, u"Press \u00ACJ to jump, \u00ACA \u00ACD to run, \u00ACU", 0,
                 1, 0.75f);
        drawText(c, font, 8, y + 70, u"Press \u00ACJ to jump, \u00ACA \u00ACD to run, \u00ACU", 0,
                 1, 0.75f, {1, 1, 1, 1}, false);
        drawText(c, font, 8, y + 120, u"ABCDEFGHIJKLMNOPQRSTUVWXYZ 0123456789", 0, 1, 0.5f,
                 {1, 1, 0.1f, 1});
        drawText(c, font, 8, y + 150,
                 u"abcdefghijklmnopqrstuvwxyz !\"#$%&'()*+,-./:;<=>?@[\\]^_`{|}~", 0, 1, 0.5f,
                 {0.1f, 1, 1, 1});
        for (int i = 0; i < 6; ++i) {
            float x0 = 40 + 120.0f * i, yy = 540;
            c.fill(rect(x0 + 1, yy - 33, 66, 66), rgb(0x000000), 0.5f);
            options.draw(c, i == 5 ? 47 : i, x0 + 33, yy);
        }
        ok = save(out, "scene_text.png", c) && ok;
    }

    // The options screen's tiled background and the pause backdrop circles.
    {
        Canvas c(800, 600);
        c.fill(rect(0, 0, W, H), rgb(0x6A3A8A));
        for (int i = -1; i <= 14; ++i)
            for (int j = 0; j <= 14; ++j)
                options.draw(c, 48, 64.0f * i + 21.5f, 64.0f * j - 21.5f, 1, 1, 0, {1, 1, 1, 0.2f});
        circles.draw(c, 3, 200, 200, 1.5f, 1.5f, 0, {1, 1, 1, 0.1f});
        circles.draw(c, 1, 200, 200, 1.4f, 1.4f, 20, {1, 1, 0, 0.4f});
        circles.draw(c, 0, 200, 200, 1.0f, 1.5f, 40, {1, 0.5f, 0, 0.4f});
        circles.draw(c, 2, 200, 200, 1.1f, 1.1f, -30, {0, 0.5f, 1, 0.4f});
        for (int k = 0; k < 3; ++k)
            icons.draw(c, k == 0 ? 1 : (k == 1 ? 3 : 13), 560, 160.0f + 128 * k, 0.75f, 0.75f);
        icons.draw(c, 12, 560, 416, 0.75f, 0.75f, 10);
        icons.draw(c, 14, 560, 416, 0.75f, 0.75f, 20);
        icons.draw(c, 6, 560, 288, 0.75f * 1.025f, 0.75f * 1.025f, 0, {1, 1, 1, 0.5f});
        icons.draw(c, 9, 700, 520);
        icons.draw(c, 11, 48, 38, 0.75f, 0.75f);
        ok = save(out, "scene_options.png", c) && ok;
    }
    return ok;
}

} // namespace hexwend::assetgen
