// libFuzzer target: the WAV reader over arbitrary bytes. Whatever the input, it must neither
// crash nor read out of bounds, and a sound it accepts must fit in the bytes it was given.
// Run with -malloc_limit_mb=1 to also catch an allocation beyond what a small input holds.
#include "host/audio_decode.h"

#include <cstdint>
#include <cstdio>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    FILE* file = fmemopen(const_cast<uint8_t*>(data), size, "rb");
    if (!file) return 0;
    int length = 0, channels = 0, bytesPerSample = 0, hertz = 0;
    unsigned char* pcm = LoadWAV(file, &length, &channels, &bytesPerSample, &hertz);
    std::fclose(file);
    if (!pcm) return 0;
    size_t bytes = size_t(length) * size_t(channels) * size_t(bytesPerSample);
    if (length <= 0 || channels <= 0 || bytesPerSample <= 0 || hertz <= 0 || bytes > size) {
        std::abort();
    }
    // Touch every returned byte so that a short buffer shows up as an overflow.
    volatile unsigned sum = 0;
    for (size_t i = 0; i < bytes; ++i) sum = sum + pcm[i];
    std::free(pcm);
    return 0;
}
