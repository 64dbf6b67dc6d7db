// The image loading path: any bytes as an image file, decoded by the host's loader and, when
// they decode, premultiplied as the render device does with a loaded surface.
#include "graphics/gxtk_graphics.h"
#include "host/image_data.h"

#include <cstdint>
#include <cstdio>
#include <cstdlib>

// The decoder is compiled into this target as well, from the system's stb_image header, so
// that the fuzzer sees its branches and the sanitizers check its memory accesses; these
// definitions take the place of the shared library's for the whole program.
#define STB_IMAGE_IMPLEMENTATION
#include <stb_image.h>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size == 0) return 0; // an empty stream cannot be opened in memory; see the tests
    std::FILE* stream = fmemopen(const_cast<uint8_t*>(data), size, "rb");
    if (!stream) return 0;
    int width = 0, height = 0, depth = 0;
    unsigned char* pixels = hexwend::host::decodeImage(stream, &width, &height, &depth);
    std::fclose(stream);
    if (!pixels) return 0;
    if (width < 1 || height < 1 || width > hexwend::host::kMaxImageSide ||
        height > hexwend::host::kMaxImageSide || depth < 1 || depth > 4) {
        __builtin_trap();
    }
    gxtkPremultiply(pixels, width * height, depth);
    std::free(pixels);
    return 0;
}
