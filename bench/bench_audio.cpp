// Audio figures: decoding a whole 90-second tune (the game decodes its tune inside the update
// that starts a run) and starting a sample on a free channel.
#include "audio/audio_device.h"
#include "host/audio_decode.h"
#include "host/rt_game.h"
#include "runtime/gc.h"
#include "runtime/init.h"
#include "tests/support/openal_config.h"

#include <benchmark/benchmark.h>

#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>

namespace {

std::string tempFolder() {
    static std::string folder = [] {
        std::string pattern = (std::filesystem::temp_directory_path() / "hexwend-bench-XXXXXX");
        const char* made = ::mkdtemp(pattern.data());
        return std::string(made ? made : "/tmp");
    }();
    return folder;
}

bool sh(const std::string& command) {
    return std::system((command + " >/dev/null 2>&1").c_str()) == 0;
}

// A 90-second 44.1 kHz stereo Ogg Vorbis tune made with sox and oggenc: a bar of eight
// plucked chords over pink noise, repeated.
const std::string& tuneFile() {
    static std::string path = [] {
        std::string dir = tempFolder(), bar;
        const char* chords[] = {"C3 E4 G4 C5", "A2 E4 A4 C5", "F2 F4 A4 C5", "G2 D4 G4 B4",
                                "C3 G4 C5 E5", "E2 E4 G4 B4", "D3 F4 A4 D5", "G2 F4 B4 D5"};
        for (int i = 0; i < 8; ++i) {
            std::string note = dir + "/chord" + std::to_string(i) + ".wav", tones;
            std::string names = chords[i];
            for (size_t at = 0; at < names.size();) {
                size_t end = names.find(' ', at);
                if (end == std::string::npos) end = names.size();
                tones += " pluck " + names.substr(at, end - at);
                at = end + 1;
            }
            sh("sox -n -r 44100 -b 16 '" + note + "' synth 0.5" + tones +
               " pinknoise remix 1,2,3v0.3,4,5v0.2 1v0.2,2,3,4v0.3,5v0.2 gain -n -3");
            bar += " '" + note + "'";
        }
        std::string wav = dir + "/tune.wav", ogg = dir + "/tune.ogg";
        if (!sh("sox" + bar + " '" + wav + "' repeat 22 trim 0 90") ||
            !sh("oggenc -Q -o '" + ogg + "' '" + wav + "'")) {
            std::fprintf(stderr, "bench_audio: sox or oggenc failed\n");
            std::exit(1);
        }
        return ogg;
    }();
    return path;
}

void BM_DecodeOggTune90s(benchmark::State& state) {
    const std::string& path = tuneFile();
    int length = 0, channels = 0, bytesPerSample = 0, hertz = 0;
    for (auto _ : state) {
        FILE* file = std::fopen(path.c_str(), "rb");
        unsigned char* data = LoadOGG(file, &length, &channels, &bytesPerSample, &hertz);
        std::fclose(file);
        if (!data) {
            state.SkipWithError("the tune did not decode");
            return;
        }
        benchmark::DoNotOptimize(data);
        std::free(data);
    }
    double seconds = double(length) / hertz;
    state.counters["audio_s"] = seconds;
    // Seconds of sound decoded per second of decoding: the ratio to real time.
    state.counters["x_realtime"] =
        benchmark::Counter(seconds * double(state.iterations()), benchmark::Counter::kIsRate);
    state.counters["file_KiB"] = double(std::filesystem::file_size(path)) / 1024;
}
BENCHMARK(BM_DecodeOggTune90s)->Unit(benchmark::kMillisecond)->MinTime(3.0);

// PlaySample on channels whose source exists and has stopped: what the framework does for
// every sound effect. The device runs on OpenAL Soft's null backend, which mixes without
// an output.
void BM_PlaySampleOnFreeChannel(benchmark::State& state) {
    static hexwend::testing::OpenAlConfigFile config(
        "[general]\ndrivers = null\nchannels = stereo\nfrequency = 44100\n");

    RtGlfwGame host;
    gc_clear_roots();
    gc_reset();
    rtInit();
    static gxtkAudio* audio;
    gc_assign(audio, new gxtkAudio());
    gc_add_root("bench audio", audio);

    std::string wav = tempFolder() + "/blip.wav";
    sh("sox -n -r 44100 -c 1 -b 16 '" + wav + "' synth 0.2 sine 660");
    gxtkSample* blip = audio->LoadSample(String(wav.c_str()));
    if (!blip || !audio->alcContext) {
        state.SkipWithError("no OpenAL device or sample");
        return;
    }
    constexpr int kChannels = 32;
    for (int c = 0; c < kChannels; ++c) audio->SetVolume(c, 0.0f); // every channel has a source

    for (auto _ : state) {
        for (int c = 0; c < kChannels; ++c) audio->StopChannel(c);
        auto start = std::chrono::steady_clock::now();
        for (int c = 0; c < kChannels; ++c) audio->PlaySample(blip, c, 0);
        auto end = std::chrono::steady_clock::now();
        state.SetIterationTime(std::chrono::duration<double>(end - start).count() / kChannels);
    }
    gc_clear_roots();
    gc_reset();
}
BENCHMARK(BM_PlaySampleOnFreeChannel)->UseManualTime()->Unit(benchmark::kMicrosecond);

} // namespace
