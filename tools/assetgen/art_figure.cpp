#include "tools/assetgen/art.h"
#include "tools/assetgen/dmath.h"

#include <cmath>

namespace hexwend::assetgen {

namespace {

// The figure faces right; the game mirrors it for the left. Frame pixels, y down; the soles
// rest on y = 35 (the bottom of pixel row 34) and the body is centred on x = 18. Drawn at
// twice its size, the frame centre is the figure's floor position, and a carried hex is drawn
// 24 units (12 pixels here) above it, so raised hands reach up to about y = 20.
struct Pose {
    float bob = 0;            // body raised by this many pixels
    float leg[2] = {0, 0};    // leg angles in degrees, 0 straight down, + forward (right)
    float lift[2] = {0, 0};   // feet raised by this many pixels (bent knees)
    float arm[2] = {10, -10}; // arm angles, 0 down, + forward, 180 straight up
    bool carry = false;       // hands up under a carried hex
    int eyes = 0;             // 0 open, 1 closed, 2 happy
    float lean = 0;           // head offset forward
    bool mouthOpen = false;
};

const Rgba kOutline = rgb(0x1B1622);
const Rgba kSkin = rgb(0xF6C8A0);
const Rgba kCap = rgb(0xE8572A);
const Rgba kShirt = rgb(0x34B864);
const Rgba kTrousers = rgb(0x2E3F78);
const Rgba kShoe = rgb(0x6B3E26);

constexpr float kX = 18, kGround = 35;

// Where the frame's coordinates land on the target canvas: 1 for the sprite sheet, larger
// for the menu art.
struct Placement {
    Vec2 origin{0, 0};
    float scale = 1;
    Vec2 at(Vec2 p) const { return {origin.x + p.x * scale, origin.y + p.y * scale}; }
    float y(float v) const { return origin.y + v * scale; }
    Path path(const Path& p) const {
        return p.transformed({scale, 0, 0, scale, origin.x, origin.y});
    }
};

// Draws one part with its own thin dark outline, so overlapping parts stay readable.
void part(Canvas& c, const Placement& pl, const Path& p, const Paint& paint, float outline = 0.9f) {
    Mask m = rasterize(pl.path(p), c.w, c.h);
    c.fill(dilate(m, outline * pl.scale), kOutline);
    c.fill(m, paint);
}

void limb(Canvas& c, const Placement& pl, Vec2 from, Vec2 to, float width, Rgba colour) {
    part(c, pl, stroke({from, to}, width), solid(colour));
}

void drawFigure(Canvas& c, const Placement& pl, const Pose& p) {
    float hipY = kGround - 3.5f - p.bob;
    float shoulderY = hipY - 3.6f;
    Vec2 hip[2] = {{kX - 0.8f, hipY}, {kX + 0.8f, hipY}};
    Vec2 shoulder[2] = {{kX - 2.6f, shoulderY + 0.5f}, {kX + 2.6f, shoulderY + 0.5f}};
    Vec2 headC{kX + 0.4f + p.lean, shoulderY - 3.3f};

    auto footAt = [&](int i) {
        float a = p.leg[i] * kPi / 180;
        float len = 3.1f + p.bob - p.lift[i];
        return Vec2{hip[i].x + dsin(a) * len, hip[i].y + dcos(a) * len};
    };
    auto handAt = [&](int i) {
        if (p.carry) return Vec2{kX + (i == 0 ? -5.2f : 5.2f), 20.6f};
        float a = p.arm[i] * kPi / 180;
        return Vec2{shoulder[i].x + dsin(a) * 4.2f, shoulder[i].y + dcos(a) * 4.2f};
    };

    // A soft contact shadow on the floor when standing.
    if (p.bob < 2) {
        Mask sh = blur(rasterize(pl.path(ellipse({kX, kGround - 0.4f}, 5.5f - p.bob, 1.1f))),
                       0.8f * pl.scale);
        c.fill(sh, rgb(0x000000), 0.35f);
    }

    // Back arm and leg first, a little darker.
    limb(c, pl, shoulder[0], handAt(0), 2.0f, shade(kShirt, 0.78f));
    part(c, pl, circle(handAt(0), 1.15f), solid(shade(kSkin, 0.85f)), 0.8f);
    Vec2 f0 = footAt(0);
    limb(c, pl, hip[0], f0, 2.3f, shade(kTrousers, 0.8f));
    part(c, pl, ellipse({f0.x + 0.7f, f0.y + 0.2f}, 1.8f, 1.05f), solid(shade(kShoe, 0.8f)), 0.8f);

    // Torso: a rounded shirt over the trousers' waist.
    part(c, pl, roundedRect(kX - 3.4f, shoulderY - 0.6f, 6.8f, hipY - shoulderY + 1.6f, 2.4f),
         vertical(pl.y(shoulderY), pl.y(hipY), mix(kShirt, rgb(0xFFFFFF), 0.15f),
                  shade(kShirt, 0.85f)));
    c.fill(pl.path(roundedRect(kX - 3.3f, hipY - 1.0f, 6.6f, 1.6f, 0.6f)), kTrousers);

    // Front leg.
    Vec2 f1 = footAt(1);
    limb(c, pl, hip[1], f1, 2.3f, kTrousers);
    part(c, pl, ellipse({f1.x + 0.7f, f1.y + 0.2f}, 1.8f, 1.05f), solid(kShoe), 0.8f);

    // Head with a cap whose peak points forward.
    part(c, pl, circle(headC, 4.4f),
         radial(pl.at({headC.x - 1, headC.y - 1.2f}), 5 * pl.scale,
                {{0, mix(kSkin, rgb(0xFFFFFF), 0.2f)}, {1, kSkin}}));
    // The cap: the upper half of a flattened dome over the brow, with a peak forward.
    Vec2 capC{headC.x - 0.2f, headC.y - 1.0f};
    Contour dome;
    for (int i = 0; i <= 24; ++i) dome.push_back(polar(capC, 1, 180 + 7.5f * i));
    for (Vec2& q : dome) q = {capC.x + (q.x - capC.x) * 4.7f, capC.y + (q.y - capC.y) * 3.7f};
    Path cap = polygon(dome);
    cap.add(roundedRect(capC.x, capC.y - 1.3f, 5.6f, 1.5f, 0.7f));
    part(c, pl, cap,
         vertical(pl.y(capC.y - 3.7f), pl.y(capC.y), mix(kCap, rgb(0xFFFFFF), 0.2f),
                  shade(kCap, 0.85f)),
         0.8f);
    c.fill(pl.path(circle({capC.x, capC.y - 3.6f}, 0.9f)), rgb(0xFFFFFF)); // button on top
    // Face: eye and a small smile on the forward side.
    Vec2 eye{headC.x + 2.0f, headC.y + 0.8f};
    if (p.eyes == 0) {
        c.fill(pl.path(ellipse(eye, 0.62f, 0.9f)), rgb(0x1B1622));
        c.fill(pl.path(circle({eye.x + 0.2f, eye.y - 0.35f}, 0.22f)), rgb(0xFFFFFF));
    } else if (p.eyes == 1) {
        c.fill(pl.path(stroke({{eye.x - 0.7f, eye.y + 0.2f}, {eye.x + 0.7f, eye.y + 0.2f}}, 0.6f)),
               rgb(0x1B1622));
    } else {
        c.fill(
            pl.path(stroke(
                {{eye.x - 0.8f, eye.y + 0.4f}, {eye.x, eye.y - 0.4f}, {eye.x + 0.8f, eye.y + 0.4f}},
                0.6f)),
            rgb(0x1B1622));
    }
    c.fill(pl.path(circle({headC.x + 3.0f, headC.y + 2.2f}, 0.8f)), rgb(0xFF7A7A), 0.5f); // cheek
    if (p.mouthOpen)
        c.fill(pl.path(ellipse({headC.x + 2.8f, headC.y + 2.8f}, 0.6f, 0.7f)), rgb(0x7A1E2A));

    // Front arm last.
    limb(c, pl, shoulder[1], handAt(1), 2.0f, kShirt);
    part(c, pl, circle(handAt(1), 1.15f), solid(kSkin), 0.8f);
}

Pose run(int phase, bool carry) {
    Pose p;
    p.carry = carry;
    switch (phase & 3) {
    case 0:
        p.leg[1] = 32;
        p.leg[0] = -30;
        p.arm[1] = -35;
        p.arm[0] = 35;
        break;
    case 1:
        p.leg[1] = 4;
        p.leg[0] = -14;
        p.lift[0] = 1.8f;
        p.bob = 0.9f;
        p.arm[1] = 15;
        p.arm[0] = -12;
        break;
    case 2:
        p.leg[1] = -30;
        p.leg[0] = 32;
        p.arm[1] = 35;
        p.arm[0] = -35;
        break;
    default:
        p.leg[1] = -14;
        p.leg[0] = 4;
        p.lift[1] = 1.8f;
        p.bob = 0.9f;
        p.arm[1] = -12;
        p.arm[0] = 15;
        break;
    }
    p.lean = 0.4f;
    return p;
}

Pose stand(bool carry, float breathe = 0, int eyes = 0) {
    Pose p;
    p.carry = carry;
    p.leg[0] = -8;
    p.leg[1] = 8;
    p.bob = breathe;
    p.eyes = eyes;
    return p;
}

Pose jump(int stage, bool carry) { // 0 crouch, 1 launch, 2 rise, 3 apex, 4 fall, 5 land
    Pose p;
    p.carry = carry;
    const float bob[6] = {-1.2f, 2.0f, 4.0f, 5.0f, 4.0f, -0.8f};
    const float tuck[6] = {0, 0.5f, 1.8f, 2.4f, 1.2f, 0};
    p.bob = bob[stage];
    p.leg[0] = stage == 0 || stage == 5 ? -18 : -22;
    p.leg[1] = stage == 0 || stage == 5 ? 18 : 26;
    p.lift[0] = tuck[stage];
    p.lift[1] = tuck[stage] * 0.6f;
    p.arm[0] = stage == 0 ? 30 : 150;
    p.arm[1] = stage == 0 ? -20 : 160;
    p.mouthOpen = stage >= 2 && stage <= 4;
    return p;
}

Pose wave(int k) {
    Pose p = stand(false);
    p.arm[1] = 140 + 25 * dsin(k * kPi / 2);
    p.arm[0] = -5;
    p.eyes = 2;
    return p;
}

Pose cheer(int k) {
    Pose p = stand(false, (k % 2) ? 2.5f : 0);
    p.arm[0] = 155;
    p.arm[1] = 160;
    p.eyes = 2;
    p.mouthOpen = true;
    p.lift[0] = p.lift[1] = (k % 2) ? 1.0f : 0;
    return p;
}

struct PoseTable {
    Pose poses[49];
    PoseTable();
};

PoseTable::PoseTable() {
    for (int i = 0; i < 4; ++i) {
        poses[i] = run(i, false);
        poses[7 + i] = run(i, true);
    }
    poses[4] = stand(false);
    poses[5] = stand(false, 0, 1);
    poses[6] = jump(3, false);
    poses[11] = stand(true);
    poses[12] = jump(3, true);
    poses[13] = stand(true, 0, 1);
    for (int i = 0; i < 4; ++i)
        poses[14 + i] = stand(false, (i == 1 || i == 3) ? 0.5f : (i == 2 ? 1.0f : 0));
    for (int i = 0; i < 6; ++i) poses[18 + i] = jump(i, false);
    for (int i = 0; i < 6; ++i) poses[24 + i] = jump(i, true);
    for (int i = 0; i < 4; ++i)
        poses[30 + i] = stand(true, (i == 1 || i == 3) ? 0.5f : (i == 2 ? 1.0f : 0));
    for (int i = 0; i < 4; ++i) poses[34 + i] = wave(i);
    for (int i = 0; i < 4; ++i) poses[38 + i] = cheer(i);
    for (int i = 0; i < 4; ++i) {
        poses[42 + i] = stand(false);
        poses[42 + i].lean = (i % 2) ? -0.6f : 0.6f;
        poses[42 + i].eyes = i == 3 ? 1 : 0;
    }
    for (int i = 0; i < 3; ++i) {
        poses[46 + i] = run(i, false);
        poses[46 + i].eyes = 2;
    }
}

const PoseTable& poseTable() {
    static const PoseTable table;
    return table;
}

} // namespace

// Draws frame `poseIndex` of the figure with the frame's top-left corner at `origin`, scaled.
void drawFigurePose(Canvas& c, Vec2 origin, float scale, int poseIndex) {
    drawFigure(c, Placement{origin, scale}, poseTable().poses[poseIndex % 49]);
}

// The figure: 49 frames of 36 × 36. 0 … 3 the run cycle, 7 … 10 the same carrying a hex
// overhead; the others idle, jump and cheering poses.
bool makeFigure(const Output& out) {
    Sheet sheet(36, 36, 7, 7);
    for (int i = 0; i < 49; ++i) {
        Canvas frame(36, 36);
        drawFigurePose(frame, {0, 0}, 1, i);
        sheet.put(i, frame);
    }
    return out.png("506/gfx.png", sheet.canvas);
}

} // namespace hexwend::assetgen
