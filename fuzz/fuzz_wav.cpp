// libFuzzer target: the WAV reader over arbitrary bytes. Whatever the input, it must neither
// crash nor read out of bounds, and a sound it accepts must fit in the bytes it was given.
// Every single allocation is limited to 1 MiB (inputs are at most a few KiB), so an
// allocation sized by a chunk header rather than by the bytes present fails the run.
#include "host/audio_decode.h"

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <vector>

// Adds -malloc_limit_mb=1 in front of the flags given on the command line (a later one wins).
extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv) {
    static std::vector<char*> args;
    static char limit[] = "-malloc_limit_mb=1";
    args.assign(*argv, *argv + *argc);
    args.insert(args.begin() + 1, limit);
    args.push_back(nullptr);
    *argc = int(args.size()) - 1;
    *argv = args.data();
    return 0;
}

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
