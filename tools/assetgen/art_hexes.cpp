#include "tools/assetgen/art.h"

namespace hexwend::assetgen {

// The hex tiles: 64 frames of 64 × 64, frame 8 × colour row + variant.
bool makeClusters(const Output& out) {
    Sheet sheet(64, 64, 8, 8);
    for (int row = 0; row < 8; ++row)
        for (int variant = 0; variant < 8; ++variant) {
            Canvas frame(64, 64);
            HexStyle style;
            style.variant = variant;
            style.emblemRow = row;
            drawHex(frame, {32, 32}, 1, hexColour(row).base, style);
            // Keep the frame's outermost pixels clear (the shadow's faint tail would reach
            // them), so that filtering never blends in a neighbouring frame.
            for (int k = 0; k < 64; ++k) {
                frame.px[k] = frame.px[63 * 64 + k] = {};
                frame.px[k * 64] = frame.px[k * 64 + 63] = {};
            }
            sheet.put(row * 8 + variant, frame);
        }
    return out.png("506/Clusters.png", sheet.canvas);
}

} // namespace hexwend::assetgen
