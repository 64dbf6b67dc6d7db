#include "host/image_data.h"

#include "host/rt_game.h"
#include "runtime/gc.h"

#include <stb_image.h>

#include <algorithm>
#include <cstdint>

namespace hexwend::host {
namespace {

uint32_t bigEndian32(const unsigned char* b) {
    return uint32_t(b[0]) << 24 | uint32_t(b[1]) << 16 | uint32_t(b[2]) << 8 | uint32_t(b[3]);
}

// The image decoder collects a PNG's data chunks in one buffer that it sizes from each
// chunk's declared length before reading the chunk, so a few bytes claiming a gigabyte chunk
// would make it allocate a gigabyte. Walks the chunk list and answers false when a chunk
// claims more bytes than the stream has left. Any other content (and anything that is not a
// PNG) passes; the decoder judges it. The stream position is restored.
bool pngChunksFitStream(std::FILE* stream) {
    long start = std::ftell(stream);
    if (start < 0 || std::fseek(stream, 0, SEEK_END) != 0) return false;
    long end = std::ftell(stream);
    bool fits = true;
    static const unsigned char kSignature[8] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1a, '\n'};
    unsigned char header[8];
    if (end >= 8 && std::fseek(stream, start, SEEK_SET) == 0 &&
        std::fread(header, 1, 8, stream) == 8 && std::equal(header, header + 8, kSignature)) {
        long position = start + 8;
        while (position + 8 <= end) {
            if (std::fseek(stream, position, SEEK_SET) != 0 ||
                std::fread(header, 1, 8, stream) != 8) {
                break;
            }
            uint64_t length = bigEndian32(header);
            // Data and its 4-byte check value must both be there.
            if (uint64_t(position) + 8 + length + 4 > uint64_t(end)) {
                fits = false;
                break;
            }
            if (bigEndian32(header + 4) == 0x49454e44) break; // IEND
            position += long(8 + length + 4);
        }
    }
    if (std::fseek(stream, start, SEEK_SET) != 0) return false;
    return fits;
}

} // namespace

unsigned char* decodeImage(std::FILE* stream, int* width, int* height, int* depth) {
    if (!stream) return nullptr;
    int w = 0, h = 0, channels = 0;
    if (!stbi_info_from_file(stream, &w, &h, &channels)) return nullptr;
    if (w <= 0 || h <= 0 || w > kMaxImageSide || h > kMaxImageSide) return nullptr;
    if (channels < 1 || channels > 4) return nullptr;
    if (!pngChunksFitStream(stream)) return nullptr;

    int dw = 0, dh = 0, dc = 0;
    unsigned char* pixels = stbi_load_from_file(stream, &dw, &dh, &dc, 0);
    if (!pixels) return nullptr;
    // The decoder reads the header again; what it decoded must be what was checked.
    if (dw != w || dh != h || dc < 1 || dc > 4) {
        stbi_image_free(pixels);
        return nullptr;
    }
    *width = dw;
    *height = dh;
    *depth = dc;
    return pixels;
}

} // namespace hexwend::host

// Decoded pixels of an image file named by a host path; null when the file cannot be opened,
// does not decode or is larger than the host accepts. The decoded bytes count towards the
// collector's next sweep.
unsigned char* RtGlfwGame::LoadImageData(String path, int* width, int* height, int* depth) {
    std::FILE* stream = OpenFile(path, String("rb"));
    if (!stream) return nullptr;
    int w = 0, h = 0, d = 0;
    unsigned char* pixels = hexwend::host::decodeImage(stream, &w, &h, &d);
    std::fclose(stream);
    if (!pixels) return nullptr;
    *width = w;
    *height = h;
    *depth = d;
    gc_ext_malloced(w * h * d);
    return pixels;
}
