// Image decoding for the host's image loader.
#pragma once

#include <cstdio>

namespace hexwend::host {

// The largest width or height, in pixels, of an image the host decodes.
constexpr int kMaxImageSide = 8192;

// Decodes the image in an open stream (any format stb_image reads) into 8-bit pixels with the
// file's own channel count as depth (1 to 4). The header is read first: an image wider or
// taller than kMaxImageSide, an unreadable header, and a PNG whose chunks claim more bytes
// than the stream holds give null without decoding anything. The caller owns the buffer
// (free it with std::free) and closes the stream.
unsigned char* decodeImage(std::FILE* stream, int* width, int* height, int* depth);

} // namespace hexwend::host
