// Test support for the audio tests: WAV files built byte by byte, tones, the external tools
// that make files no one here wrote (sox, oggenc), and the analysis of what OpenAL Soft wrote.
#pragma once

#include "host/rt_game.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <string>
#include <utility>
#include <vector>

namespace hexwend::testing {

// --- WAV files built by hand -------------------------------------------------------------

inline std::string le32(uint32_t v) {
    return {char(v), char(v >> 8), char(v >> 16), char(v >> 24)};
}
inline std::string le16(uint16_t v) {
    return {char(v), char(v >> 8)};
}

// A chunk: tag, size (the body's own unless given), body.
inline std::string chunk(const std::string& tag, const std::string& body, int64_t size = -1) {
    return tag + le32(uint32_t(size < 0 ? int64_t(body.size()) : size)) + body;
}

struct WavFormat {
    int formatTag = 1;
    int channels = 1;
    int rate = 44100;
    int bits = 16;
    int extraBytes = 0; // bytes after the 16 of a plain format chunk
};

inline std::string fmtChunk(const WavFormat& f, int64_t size = -1) {
    int blockAlign = f.channels * f.bits / 8;
    std::string body = le16(uint16_t(f.formatTag)) + le16(uint16_t(f.channels)) +
                       le32(uint32_t(f.rate)) + le32(uint32_t(f.rate * blockAlign)) +
                       le16(uint16_t(blockAlign)) + le16(uint16_t(f.bits)) +
                       std::string(size_t(f.extraBytes), '\0');
    return chunk("fmt ", body, size);
}

// A RIFF WAVE file holding the given chunks.
inline std::string riffWave(const std::string& chunks) {
    return "RIFF" + le32(uint32_t(4 + chunks.size())) + "WAVE" + chunks;
}

// `frames` frames of a sine tone, 16-bit, the same on every channel.
inline std::string sine16(double hertz, int rate, int frames, int channels = 1,
                          double amplitude = 0.5) {
    std::string out;
    out.reserve(size_t(frames * channels * 2));
    for (int i = 0; i < frames; ++i) {
        auto v = int16_t(std::lround(amplitude * 32767 * std::sin(2 * M_PI * hertz * i / rate)));
        for (int c = 0; c < channels; ++c) out += le16(uint16_t(v));
    }
    return out;
}

// A 16-bit mono tone as a complete WAV file.
inline std::string toneWav(double hertz, double seconds, int rate = 44100, double amplitude = 0.5) {
    WavFormat f;
    f.rate = rate;
    return riffWave(fmtChunk(f) +
                    chunk("data", sine16(hertz, rate, int(seconds * rate), 1, amplitude)));
}

inline bool writeFile(const std::string& path, const std::string& bytes) {
    std::ofstream out(path, std::ios::binary);
    out.write(bytes.data(), std::streamsize(bytes.size()));
    return bool(out);
}

inline std::string readFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

// Runs a shell command line; true when it exited with status 0.
inline bool run(const std::string& command) {
    return std::system((command + " >/dev/null 2>&1").c_str()) == 0;
}

// --- What a listener would hear ----------------------------------------------------------

// 16-bit stereo samples as OpenAL Soft's file backend writes them.
struct StereoRecording {
    int rate = 0;
    std::vector<double> left, right; // -1 ... 1

    size_t frames() const { return left.size(); }
    const std::vector<double>& side(int c) const { return c == 0 ? left : right; }
};

// Reads the 16-bit stereo data chunk of a WAV file; rate 0 when it is not such a file.
inline StereoRecording readRecording(const std::string& path) {
    StereoRecording rec;
    std::string bytes = readFile(path);
    auto u16 = [&](size_t at) {
        return unsigned(uint8_t(bytes[at])) | unsigned(uint8_t(bytes[at + 1])) << 8;
    };
    auto u32 = [&](size_t at) { return u16(at) | u16(at + 2) << 16; };
    if (bytes.size() < 12 || bytes.compare(0, 4, "RIFF") != 0) return rec;
    int channels = 0, bits = 0, rate = 0;
    for (size_t at = 12; at + 8 <= bytes.size();) {
        std::string tag = bytes.substr(at, 4);
        size_t size = u32(at + 4);
        size_t body = at + 8;
        if (tag == "fmt ") {
            channels = int(u16(body + 2));
            rate = int(u32(body + 4));
            bits = int(u16(body + 14));
        } else if (tag == "data") {
            if (channels != 2 || bits != 16) return rec;
            size = std::min(size, bytes.size() - body);
            for (size_t i = body; i + 4 <= body + size; i += 4) {
                rec.left.push_back(int16_t(u16(i)) / 32768.0);
                rec.right.push_back(int16_t(u16(i + 2)) / 32768.0);
            }
            rec.rate = rate;
            return rec;
        }
        at = body + size + (size & 1);
    }
    return rec;
}

inline double rms(const std::vector<double>& x, size_t from = 0, size_t to = SIZE_MAX) {
    to = std::min(to, x.size());
    if (to <= from) return 0;
    double sum = 0;
    for (size_t i = from; i < to; ++i) sum += x[i] * x[i];
    return std::sqrt(sum / double(to - from));
}

// Power of one frequency (Goertzel), normalised so that a full-scale sine gives about 0.25.
inline double tonePower(const std::vector<double>& x, double hertz, int rate) {
    if (x.empty()) return 0;
    double w = 2 * M_PI * hertz / rate, coeff = 2 * std::cos(w), s1 = 0, s2 = 0;
    for (double v : x) {
        double s = v + coeff * s1 - s2;
        s2 = s1;
        s1 = s;
    }
    double power = s1 * s1 + s2 * s2 - coeff * s1 * s2;
    return power / (double(x.size()) * double(x.size()));
}

// The tone's frequency from the rising zero crossings of the sound's loud part.
inline double frequency(const std::vector<double>& x, int rate, double threshold = 0.01) {
    size_t first = SIZE_MAX, last = 0;
    for (size_t i = 0; i < x.size(); ++i) {
        if (std::fabs(x[i]) > threshold) {
            if (first == SIZE_MAX) first = i;
            last = i;
        }
    }
    if (first == SIZE_MAX) return 0;
    int crossings = 0;
    size_t firstCrossing = 0, lastCrossing = 0;
    for (size_t i = first + 1; i <= last; ++i) {
        if (x[i - 1] < 0 && x[i] >= 0) {
            if (!crossings) firstCrossing = i;
            lastCrossing = i;
            ++crossings;
        }
    }
    if (crossings < 2) return 0;
    return (crossings - 1) * double(rate) / double(lastCrossing - firstCrossing);
}

// Loudness in windows of 10 ms (both sides together).
inline std::vector<double> loudness(const StereoRecording& rec) {
    std::vector<double> out;
    size_t window = size_t(rec.rate / 100);
    for (size_t at = 0; window && at + window <= rec.frames(); at += window) {
        out.push_back(std::max(rms(rec.left, at, at + window), rms(rec.right, at, at + window)));
    }
    return out;
}

// The first and the last window of `l` louder than the threshold, or -1 and -1.
inline std::pair<int, int> loudWindows(const std::vector<double>& l, double threshold) {
    int first = -1, last = -1;
    for (int i = 0; i < int(l.size()); ++i) {
        if (l[size_t(i)] > threshold) {
            if (first < 0) first = i;
            last = i;
        }
    }
    return {first, last};
}

// Seconds from the first to the last loud window.
inline double audibleSeconds(const StereoRecording& rec, double threshold = 0.01) {
    auto [first, last] = loudWindows(loudness(rec), threshold);
    return first < 0 ? 0 : (last - first + 1) / 100.0;
}

// The longest run of quiet windows between the first and the last loud one, in seconds.
inline double longestGapSeconds(const StereoRecording& rec, double threshold = 0.01) {
    std::vector<double> l = loudness(rec);
    auto [first, last] = loudWindows(l, threshold);
    int longest = 0, run = 0;
    for (int i = first; first >= 0 && i <= last; ++i) {
        run = l[size_t(i)] > threshold ? 0 : run + 1;
        longest = std::max(longest, run);
    }
    return longest / 100.0;
}

} // namespace hexwend::testing
