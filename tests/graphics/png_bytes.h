// Hand-made PNG byte streams for the loader's bad-input tests: a signature and chunks whose
// headers say whatever the test needs, valid or not.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace hexwend::testing {

inline void putBigEndian32(std::vector<unsigned char>& out, uint32_t value) {
    out.push_back(uint8_t(value >> 24));
    out.push_back(uint8_t(value >> 16));
    out.push_back(uint8_t(value >> 8));
    out.push_back(uint8_t(value));
}

// A chunk whose length field says `declaredLength` while `data` follows (plus a check value
// of zeros; the decoder does not verify it).
inline void putChunk(std::vector<unsigned char>& out, const char* type,
                     const std::vector<unsigned char>& data, uint32_t declaredLength) {
    putBigEndian32(out, declaredLength);
    out.insert(out.end(), type, type + 4);
    out.insert(out.end(), data.begin(), data.end());
    putBigEndian32(out, 0);
}

inline void putChunk(std::vector<unsigned char>& out, const char* type,
                     const std::vector<unsigned char>& data) {
    putChunk(out, type, data, uint32_t(data.size()));
}

// Signature and header of an 8-bit PNG of the given size and colour type (0 grey, 2 RGB,
// 4 grey and alpha, 6 RGBA).
inline std::vector<unsigned char> pngHeader(uint32_t width, uint32_t height, int colorType) {
    std::vector<unsigned char> out = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1a, '\n'};
    std::vector<unsigned char> ihdr;
    putBigEndian32(ihdr, width);
    putBigEndian32(ihdr, height);
    ihdr.push_back(8);
    ihdr.push_back(uint8_t(colorType));
    ihdr.push_back(0);
    ihdr.push_back(0);
    ihdr.push_back(0);
    putChunk(out, "IHDR", ihdr);
    return out;
}

// A header followed by a few bytes of image data and the end chunk: what a file claiming a
// huge image looks like while holding almost nothing.
inline std::vector<unsigned char> pngClaiming(uint32_t width, uint32_t height, int colorType) {
    std::vector<unsigned char> out = pngHeader(width, height, colorType);
    putChunk(out, "IDAT", {0x78, 0x9c, 0x03, 0x00, 0x00, 0x00, 0x00, 0x01});
    putChunk(out, "IEND", {});
    return out;
}

// A small valid header whose image data chunk claims `declared` bytes; only a few follow.
inline std::vector<unsigned char> pngWithOversizedChunk(uint32_t declared) {
    std::vector<unsigned char> out = pngHeader(4, 4, 6);
    putChunk(out, "IDAT", {0x78, 0x9c, 0x03, 0x00}, declared);
    return out;
}

} // namespace hexwend::testing
