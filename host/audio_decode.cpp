#include "host/audio_decode.h"

#include "runtime/gc.h"

#define STB_VORBIS_HEADER_ONLY
#include <stb_vorbis.h>

#include <climits>
#include <cstdint>
#include <cstdlib>
#include <cstring>

namespace {

// Four bytes as a little-endian int; -1 when they cannot be read.
int readInt(FILE* file) {
    unsigned char b[4];
    if (std::fread(b, 1, 4, file) != 4) return -1;
    return int(uint32_t(b[0]) | uint32_t(b[1]) << 8 | uint32_t(b[2]) << 16 | uint32_t(b[3]) << 24);
}

// Two bytes as a little-endian unsigned value; -1 when they cannot be read.
int readShort(FILE* file) {
    unsigned char b[2];
    if (std::fread(b, 1, 2, file) != 2) return -1;
    return int(b[0]) | int(b[1]) << 8;
}

// A chunk tag: four bytes and a terminating zero; empty when the four bytes cannot be read.
struct Tag {
    char text[5] = {};

    explicit Tag(FILE* file) {
        if (std::fread(text, 1, 4, file) != 4) text[0] = 0;
    }
    bool is(const char* name) const { return std::strcmp(text, name) == 0; }
};

// The bytes from the stream's position to its end; -1 when the stream cannot seek.
long bytesLeft(FILE* file) {
    long here = std::ftell(file);
    if (here < 0 || std::fseek(file, 0, SEEK_END) != 0) return -1;
    long end = std::ftell(file);
    if (std::fseek(file, here, SEEK_SET) != 0 || end < here) return -1;
    return end - here;
}

// The CRC of Ogg pages: polynomial 0x04c11db7, most significant bit first, starting at 0.
uint32_t oggCrc(uint32_t crc, const unsigned char* bytes, size_t count) {
    static const auto table = [] {
        struct Table {
            uint32_t entries[256];
        } t{};
        for (uint32_t i = 0; i < 256; ++i) {
            uint32_t r = i << 24;
            for (int bit = 0; bit < 8; ++bit) r = r & 0x80000000u ? r << 1 ^ 0x04c11db7u : r << 1;
            t.entries[i] = r;
        }
        return t;
    }();
    for (size_t i = 0; i < count; ++i) crc = crc << 8 ^ table.entries[(crc >> 24) ^ bytes[i]];
    return crc;
}

// True when the stream, from its position to its end, is a sequence of whole Ogg pages with
// correct checksums. stb_vorbis checks no checksum and stops quietly where a file is cut, so
// a damaged or cut file would otherwise decode to noise or to part of the sound. The
// position is restored.
bool oggPagesIntact(FILE* file) {
    const long start = std::ftell(file);
    if (start < 0) return false;
    bool intact = true;
    int pages = 0;
    unsigned char header[27 + 255];
    unsigned char body[4096];
    for (;;) {
        size_t got = std::fread(header, 1, 27, file);
        if (got == 0 && std::feof(file)) break;
        if (got != 27 || std::memcmp(header, "OggS", 4) != 0 || header[4] != 0) {
            intact = false;
            break;
        }
        const int segments = header[26];
        if (std::fread(header + 27, 1, size_t(segments), file) != size_t(segments)) {
            intact = false;
            break;
        }
        const uint32_t stored = uint32_t(header[22]) | uint32_t(header[23]) << 8 |
                                uint32_t(header[24]) << 16 | uint32_t(header[25]) << 24;
        std::memset(header + 22, 0, 4);
        uint32_t crc = oggCrc(0, header, size_t(27 + segments));
        size_t bodySize = 0;
        for (int i = 0; i < segments; ++i) bodySize += header[27 + i];
        while (bodySize > 0) {
            size_t step = bodySize < sizeof body ? bodySize : sizeof body;
            if (std::fread(body, 1, step, file) != step) break;
            crc = oggCrc(crc, body, step);
            bodySize -= step;
        }
        if (bodySize != 0 || crc != stored) {
            intact = false;
            break;
        }
        ++pages;
    }
    std::clearerr(file);
    if (std::fseek(file, start, SEEK_SET) != 0) return false;
    return intact && pages > 0;
}

} // namespace

unsigned char* LoadWAV(FILE* file, int* length, int* channels, int* bytesPerSample, int* hertz) {
    // Sizes in the file are only believed up to the end of the stream: the position moves
    // forward only, so `end` bounds every chunk.
    long left = bytesLeft(file);
    if (left < 0) return nullptr;
    const long end = std::ftell(file) + left;
    auto remaining = [&] { return end - std::ftell(file); };

    if (!Tag(file).is("RIFF")) return nullptr;
    readInt(file); // the RIFF size says nothing the chunks do not
    if (!Tag(file).is("WAVE")) return nullptr;
    if (!Tag(file).is("fmt ")) return nullptr;

    int fmtSize = readInt(file);
    if (fmtSize < 16 || fmtSize > remaining()) return nullptr;
    if (readShort(file) != 1) return nullptr; // only uncompressed PCM
    int numChannels = readShort(file);
    int rate = readInt(file);
    readInt(file);   // byte rate
    readShort(file); // block alignment
    int bits = readShort(file);
    int valueBytes = bits > 0 ? bits / 8 : 0;
    if (numChannels <= 0 || valueBytes <= 0 || rate <= 0) return nullptr;
    if (fmtSize > 16 && std::fseek(file, fmtSize - 16, SEEK_CUR) != 0) return nullptr;

    const long frameBytes = long(numChannels) * valueBytes;
    for (;;) {
        Tag tag(file);
        if (std::feof(file) || tag.text[0] == 0) return nullptr;
        int size = readInt(file);
        if (size < 0 || size > remaining()) return nullptr;
        if (!tag.is("data")) {
            if (std::fseek(file, size, SEEK_CUR) != 0) return nullptr;
            continue;
        }
        long frames = size / frameBytes;
        if (frames == 0) return nullptr;
        auto* data = static_cast<unsigned char*>(std::malloc(size_t(size)));
        if (!data) return nullptr;
        if (std::fread(data, 1, size_t(size), file) != size_t(size)) {
            std::free(data);
            return nullptr;
        }
        *length = int(frames);
        *channels = numChannels;
        *bytesPerSample = valueBytes;
        *hertz = rate;
        return data;
    }
}

unsigned char* LoadOGG(FILE* file, int* length, int* channels, int* bytesPerSample, int* hertz) {
    if (!oggPagesIntact(file)) return nullptr;
    int error = 0;
    stb_vorbis* decoder = stb_vorbis_open_file(file, 0, &error, nullptr);
    if (!decoder) return nullptr;
    stb_vorbis_info info = stb_vorbis_get_info(decoder);
    const int numChannels = info.channels;
    if (numChannels <= 0 || info.sample_rate == 0 || info.sample_rate > INT_MAX) {
        stb_vorbis_close(decoder);
        return nullptr;
    }

    // One decoded frame is at most 4096 values per channel; the buffer doubles whenever less
    // room than that is left. The whole sound must stay below 2 GiB, the most an int byte
    // count can carry onwards.
    const size_t frameRoom = size_t(numChannels) * 4096;
    const size_t maxValues = size_t(INT_MAX) / sizeof(short);
    size_t capacity = frameRoom;
    size_t used = 0;
    auto* buffer = static_cast<short*>(std::malloc(capacity * sizeof(short)));
    bool failed = buffer == nullptr;
    while (!failed) {
        if (capacity - used < frameRoom) {
            if (capacity * 2 > maxValues) {
                failed = true;
                break;
            }
            auto* grown = static_cast<short*>(std::realloc(buffer, capacity * 2 * sizeof(short)));
            if (!grown) {
                failed = true;
                break;
            }
            buffer = grown;
            capacity *= 2;
        }
        int frames = stb_vorbis_get_frame_short_interleaved(decoder, numChannels, buffer + used,
                                                            int(capacity - used));
        if (frames == 0) break;
        used += size_t(frames) * size_t(numChannels);
    }
    // Decoding stops quietly at a damaged packet; the decoder's error tells it from the end.
    if (stb_vorbis_get_error(decoder) != VORBIS__no_error) failed = true;
    stb_vorbis_close(decoder);

    if (failed || used == 0) {
        std::free(buffer);
        return nullptr;
    }
    *length = int(used / size_t(numChannels));
    *channels = numChannels;
    *bytesPerSample = 2;
    *hertz = int(info.sample_rate);
    return reinterpret_cast<unsigned char*>(buffer);
}

namespace hexwend::host {

unsigned char* loadAudioStream(FILE* file, const String& path, int* length, int* channels,
                               int* bytesPerSample, int* hertz) {
    if (!file) return nullptr;
    String lower = path.ToLower();
    unsigned char* data = nullptr;
    int frames = 0, numChannels = 0, valueBytes = 0, rate = 0;
    if (lower.EndsWith(".wav")) {
        data = LoadWAV(file, &frames, &numChannels, &valueBytes, &rate);
    } else if (lower.EndsWith(".ogg")) {
        data = LoadOGG(file, &frames, &numChannels, &valueBytes, &rate);
    }
    std::fclose(file);
    if (!data) return nullptr;
    *length = frames;
    *channels = numChannels;
    *bytesPerSample = valueBytes;
    *hertz = rate;
    gc_ext_malloced(frames * numChannels * valueBytes);
    return data;
}

} // namespace hexwend::host
