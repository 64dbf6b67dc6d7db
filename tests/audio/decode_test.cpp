// Sound file decoding: the WAV reader on files written here and by sox, damaged and cut
// files, Ogg Vorbis files made by oggenc and damaged ones, and the host's LoadAudioData
// with its ending test and byte count.
#include "host/audio_decode.h"
#include "host/rt_game.h"
#include "runtime/gc.h"
#include "tests/audio/audio_support.h"
#include "tests/support/temp_folder.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>

namespace hexwend::testing {
namespace {

struct Decoded {
    bool ok = false;
    int length = -7, channels = -7, bytesPerSample = -7, hertz = -7;
    std::string bytes;
};

using Decoder = unsigned char* (*)(FILE*, int*, int*, int*, int*);

class DecodeTest : public ::testing::Test {
  protected:
    void SetUp() override { ASSERT_TRUE(dir.ok()); }

    std::string put(const std::string& name, const std::string& bytes) {
        std::string path = dir / name;
        EXPECT_TRUE(writeFile(path, bytes));
        return path;
    }

    Decoded decodeFile(Decoder decoder, const std::string& path) {
        Decoded d;
        FILE* file = std::fopen(path.c_str(), "rb");
        if (!file) {
            ADD_FAILURE() << "cannot open " << path;
            return d;
        }
        unsigned char* data = decoder(file, &d.length, &d.channels, &d.bytesPerSample, &d.hertz);
        std::fclose(file);
        if (data) {
            d.ok = true;
            d.bytes.assign(reinterpret_cast<char*>(data),
                           size_t(d.length) * size_t(d.channels) * size_t(d.bytesPerSample));
            std::free(data);
        }
        return d;
    }

    Decoded decode(Decoder decoder, const std::string& bytes) {
        return decodeFile(decoder, put("sound.bin", bytes));
    }

    // A sound made by sox from its arguments (output options and effects), as `name`.
    std::string soxFile(const std::string& name, const std::string& output,
                        const std::string& effects) {
        std::string path = dir / name;
        EXPECT_TRUE(run("sox -n " + output + " '" + path + "' " + effects)) << "sox " << output;
        return path;
    }

    // A file made by oggenc from a sox-made WAV.
    std::string oggFile(const std::string& name, const std::string& output,
                        const std::string& effects) {
        std::string wav = soxFile(name + ".wav", output, effects);
        std::string path = dir / name;
        EXPECT_TRUE(run("oggenc -Q -q 3 -o '" + path + "' '" + wav + "'")) << "oggenc";
        return path;
    }

    TempFolder dir;
};

// 16-bit samples of one side of a decoded sound.
std::vector<double> side16(const Decoded& d, int side) {
    std::vector<double> out;
    for (size_t i = size_t(side) * 2; i + 1 < d.bytes.size(); i += size_t(d.channels) * 2) {
        out.push_back(int16_t(uint8_t(d.bytes[i]) | uint8_t(d.bytes[i + 1]) << 8) / 32768.0);
    }
    return out;
}

// --- WAV ---------------------------------------------------------------------------------

TEST_F(DecodeTest, WavLayoutsThatLoad) {
    WavFormat stereo16{1, 2, 44100, 16, 0};
    WavFormat mono8{1, 1, 8000, 8, 0};
    WavFormat fmt18 = stereo16;
    fmt18.extraBytes = 2;
    std::string pcm(44100, '\0');
    for (size_t i = 0; i < pcm.size(); ++i) pcm[i] = char(i * 7);
    std::string list = chunk("LIST", "INFOISFT\x05\0\0\0hexw\0", -1);

    struct Case {
        const char* name;
        std::string file;
        int length, channels, bytesPerSample, hertz;
        std::string data;
    } cases[] = {
        {"16-bit stereo, 44 100 data bytes", riffWave(fmtChunk(stereo16) + chunk("data", pcm)),
         11025, 2, 2, 44100, pcm},
        {"LIST chunk between fmt and data",
         riffWave(fmtChunk(stereo16) + list + chunk("data", pcm)), 11025, 2, 2, 44100, pcm},
        {"18-byte fmt chunk", riffWave(fmtChunk(fmt18) + chunk("data", pcm)), 11025, 2, 2, 44100,
         pcm},
        {"8-bit mono", riffWave(fmtChunk(mono8) + chunk("data", pcm.substr(0, 800))), 800, 1, 1,
         8000, pcm.substr(0, 800)},
        {"odd-sized chunk before data, not padded",
         riffWave(fmtChunk(mono8) + chunk("junk", "abc") + chunk("data", pcm.substr(0, 9))), 9, 1,
         1, 8000, pcm.substr(0, 9)},
        {"data not a whole number of frames",
         riffWave(fmtChunk(stereo16) + chunk("data", pcm.substr(0, 10))), 2, 2, 2, 44100,
         pcm.substr(0, 8)},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Decoded d = decode(LoadWAV, c.file);
        ASSERT_TRUE(d.ok);
        EXPECT_EQ(d.length, c.length);
        EXPECT_EQ(d.channels, c.channels);
        EXPECT_EQ(d.bytesPerSample, c.bytesPerSample);
        EXPECT_EQ(d.hertz, c.hertz);
        EXPECT_EQ(d.bytes, c.data);
    }
}

TEST_F(DecodeTest, DamagedWavGivesNone) {
    WavFormat good{1, 2, 44100, 16, 0};
    auto with = [&](auto change) {
        WavFormat f = good;
        change(f);
        return f;
    };
    std::string data = chunk("data", std::string(100, '\x11'));
    std::string fmt = fmtChunk(good);

    struct Case {
        const char* name;
        std::string file;
    } cases[] = {
        {"empty file", ""},
        {"not RIFF", "RIFX" + riffWave(fmt + data).substr(4)},
        {"RIFF without WAVE", "RIFF" + le32(100) + "AVI " + fmt + data},
        {"LIST chunk before fmt", riffWave(chunk("LIST", "INFO") + fmt + data)},
        {"float samples", riffWave(fmtChunk(with([](WavFormat& f) { f.formatTag = 3; })) + data)},
        {"fmt size below 16", riffWave(fmtChunk(good, 12) + data)},
        {"fmt size 0", riffWave(fmtChunk(good, 0) + data)},
        {"fmt size past the end", riffWave(fmtChunk(good, 0x7fffffff) + data)},
        {"zero channels", riffWave(fmtChunk(with([](WavFormat& f) { f.channels = 0; })) + data)},
        {"zero bits", riffWave(fmtChunk(with([](WavFormat& f) { f.bits = 0; })) + data)},
        {"4-bit samples", riffWave(fmtChunk(with([](WavFormat& f) { f.bits = 4; })) + data)},
        {"zero rate", riffWave(fmtChunk(with([](WavFormat& f) { f.rate = 0; })) + data)},
        {"negative data size", riffWave(fmt + chunk("data", std::string(100, 'x'), 0xfffffff0))},
        {"data size past the end", riffWave(fmt + chunk("data", std::string(100, 'x'), 1 << 30))},
        {"largest data size", riffWave(fmt + chunk("data", std::string(100, 'x'), 0x7fffffff))},
        {"empty data", riffWave(fmt + chunk("data", ""))},
        {"data smaller than one frame", riffWave(fmt + chunk("data", "abc"))},
        // A chunk size of -8 would lead back to the same chunk again and again.
        {"negative size of another chunk", riffWave(fmt + chunk("LIST", "", 0xfffffff8) + data)},
        {"another chunk past the end", riffWave(fmt + chunk("LIST", "INFO", 5000) + data)},
        {"no data chunk", riffWave(fmt + chunk("LIST", "INFO"))},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Decoded d = decode(LoadWAV, c.file);
        EXPECT_FALSE(d.ok);
        EXPECT_EQ(d.length, -7) << "outputs are left alone on failure";
    }
}

TEST_F(DecodeTest, WavCutAnywhereGivesNone) {
    WavFormat f{1, 2, 22050, 16, 2};
    std::string file = riffWave(fmtChunk(f) + chunk("LIST", "INFOabcd") +
                                chunk("data", sine16(440, 22050, 16, 2)));
    ASSERT_TRUE(decode(LoadWAV, file).ok);
    for (size_t cut = 0; cut < file.size(); ++cut) {
        EXPECT_FALSE(decode(LoadWAV, file.substr(0, cut)).ok) << "cut at " << cut;
    }
}

TEST_F(DecodeTest, WavFilesMadeBySox) {
    struct Case {
        const char* output;
        bool ok;
        int length, channels, bytesPerSample, hertz;
    } cases[] = {
        {"-r 22050 -c 2 -b 16", true, 11025, 2, 2, 22050},
        {"-r 8000 -c 1 -b 8", true, 4000, 1, 1, 8000},
        // sox writes 24-bit samples with the extensible format tag, which is not plain PCM.
        {"-r 44100 -c 1 -b 24", false, 0, 0, 0, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.output);
        Decoded d = decodeFile(LoadWAV, soxFile("sox.wav", c.output, "synth 0.5 sine 440"));
        ASSERT_EQ(d.ok, c.ok);
        if (!c.ok) continue;
        EXPECT_EQ(d.length, c.length);
        EXPECT_EQ(d.channels, c.channels);
        EXPECT_EQ(d.bytesPerSample, c.bytesPerSample);
        EXPECT_EQ(d.hertz, c.hertz);
        if (c.bytesPerSample == 2) {
            EXPECT_NEAR(frequency(side16(d, 1), c.hertz), 440, 2);
        }
    }
}

// --- Ogg Vorbis --------------------------------------------------------------------------

TEST_F(DecodeTest, OggFilesMadeByOggenc) {
    struct Case {
        const char* output;
        int channels, hertz;
    } cases[] = {{"-r 44100 -c 2 -b 16", 2, 44100}, {"-r 22050 -c 1 -b 16", 1, 22050}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.output);
        std::string ogg = oggFile("tone.ogg", c.output, "synth 1 sine 440");
        Decoded source = decodeFile(LoadWAV, ogg + ".wav");
        Decoded d = decodeFile(LoadOGG, ogg);
        ASSERT_TRUE(source.ok);
        ASSERT_TRUE(d.ok);
        EXPECT_EQ(d.channels, c.channels);
        EXPECT_EQ(d.bytesPerSample, 2);
        EXPECT_EQ(d.hertz, c.hertz);
        EXPECT_EQ(d.length, c.hertz); // one second, cut exactly by the last granule position
        for (int side = 0; side < c.channels; ++side) {
            std::vector<double> s = side16(d, side), original = side16(source, side);
            EXPECT_NEAR(frequency(s, c.hertz), 440, 2);
            EXPECT_NEAR(rms(s) / rms(original), 1.0, 0.05);
        }
    }
}

TEST_F(DecodeTest, DamagedOggGivesNone) {
    std::string good = readFile(oggFile("good.ogg", "-r 44100 -c 2 -b 16", "synth 2 sine 440"));
    ASSERT_GT(good.size(), 4000u);
    ASSERT_TRUE(decode(LoadOGG, good).ok);

    std::string garbled = good;
    for (size_t i = good.size() / 2; i < good.size() / 2 + 64; ++i) garbled[i] ^= 0x5a;
    std::string noise(20000, '\0');
    for (size_t i = 0; i < noise.size(); ++i) noise[i] = char((i * 2654435761u) >> 13);

    struct Case {
        const char* name;
        std::string file;
    } cases[] = {
        {"empty file", ""},
        {"noise", noise},
        {"Ogg page header then noise", good.substr(0, 58) + noise},
        {"a WAV file", toneWav(440, 0.1)},
        {"cut in the middle", good.substr(0, good.size() / 2 + 17)},
        {"bytes garbled in the middle", garbled},
        {"noise after the last page", good + "trailing"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Decoded d = decode(LoadOGG, c.file);
        EXPECT_FALSE(d.ok);
        EXPECT_EQ(d.length, -7);
    }
}

// --- The host's LoadAudioData ------------------------------------------------------------

int openDescriptors() {
    int n = 0;
    for ([[maybe_unused]] auto& entry : std::filesystem::directory_iterator("/proc/self/fd")) ++n;
    return n;
}

TEST_F(DecodeTest, HostLoadsByLowerCasedEnding) {
    RtGlfwGame host; // without a started window system: only its files are used
    std::string wav = toneWav(440, 0.25, 22050);
    std::string ogg = readFile(oggFile("tune.ogg", "-r 22050 -c 2 -b 16", "synth 0.5 sine 330"));

    struct Case {
        const char* name;
        const std::string* bytes;
        bool ok;
        int length, channels;
    } cases[] = {
        {"tone.wav", &wav, true, 5512, 1},   {"TONE.WAV", &wav, true, 5512, 1},
        {"Tone.Wav", &wav, true, 5512, 1},   {"tune.ogg", &ogg, true, 11025, 2},
        {"TUNE.OGG", &ogg, true, 11025, 2},  {"tone.mp3", &wav, false, 0, 0},
        {"tone.wav.bak", &wav, false, 0, 0}, {"tune.wav", &ogg, false, 0, 0},
        {"tone", &wav, false, 0, 0},
    };
    int descriptors = openDescriptors();
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        std::string path = put(c.name, *c.bytes);
        int before = gc_ext_new_bytes.load();
        int length = 0, channels = 0, bytesPerSample = 0, hertz = 0;
        unsigned char* data =
            host.LoadAudioData(String(path.c_str()), &length, &channels, &bytesPerSample, &hertz);
        EXPECT_EQ(data != nullptr, c.ok);
        std::free(data);
        if (!c.ok) {
            EXPECT_EQ(gc_ext_new_bytes.load(), before);
            continue;
        }
        EXPECT_EQ(length, c.length);
        EXPECT_EQ(channels, c.channels);
        EXPECT_EQ(bytesPerSample, 2);
        EXPECT_EQ(hertz, 22050);
        EXPECT_EQ(gc_ext_new_bytes.load() - before, length * channels * bytesPerSample);
    }
    int length = 0, channels = 0, bytesPerSample = 0, hertz = 0;
    EXPECT_EQ(host.LoadAudioData(String((dir / "missing.wav").c_str()), &length, &channels,
                                 &bytesPerSample, &hertz),
              nullptr);
    EXPECT_EQ(openDescriptors(), descriptors) << "every opened file is closed again";
}

} // namespace
} // namespace hexwend::testing
