// A test fixture that runs the audio device on real OpenAL Soft, configured to mix into a WAV
// file instead of a sound card, so that tests can check what a listener would have heard.
#pragma once

#include "audio/audio_device.h"
#include "audio/sound.h"
#include "host/rt_game.h"
#include "runtime/gc.h"
#include "runtime/init.h"
#include "tests/audio/audio_support.h"
#include "tests/support/openal_config.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <memory>
#include <string>
#include <thread>

namespace hexwend::testing {

// OpenAL Soft reads its configuration once per process, before its first device opens, so
// every test of one program shares it. `driver` is the backend to use ("wave" mixes into
// `output()`).
class OpenAlConfig {
  public:
    static OpenAlConfig& use(const std::string& driver) {
        static OpenAlConfig config(driver);
        return config;
    }
    std::string output() const { return file.folder() / "mixed.wav"; }
    std::string folder() const { return file.folder().path(); }

  private:
    explicit OpenAlConfig(const std::string& driver) {
        file.write("[general]\n"
                   "drivers = " +
                   driver +
                   "\n"
                   "sources = 32\n"
                   "channels = stereo\n"
                   "sample-type = int16\n"
                   "frequency = 44100\n"
                   "hrtf = false\n"
                   "[wave]\n"
                   "file = " +
                   output() + "\n");
    }
    OpenAlConfigFile file;
};

class AudioDeviceTest : public ::testing::Test {
  protected:
    explicit AudioDeviceTest(const std::string& driver = "wave")
        : config(OpenAlConfig::use(driver)) {}

    void SetUp() override {
        resetRuntime();
        host = std::make_unique<RtGlfwGame>();
    }
    void TearDown() override {
        gc_clear_roots();
        gc_reset();
        host.reset();
    }

    void resetRuntime() {
        gc_clear_roots();
        gc_reset();
        rtAddModuleInit(rt_audio_Init);
        rtInit();
    }

    // Opens a new device, registered with the sound module.
    gxtkAudio* open() {
        audio = new gxtkAudio();
        rt_audio_SetAudioDevice(audio);
        return audio;
    }

    // Closes the device (and everything else of the runtime) and reads what it mixed.
    StereoRecording close() {
        resetRuntime();
        audio = nullptr;
        return readRecording(config.output());
    }

    // Writes a sound file into the test's folder and gives its path.
    std::string put(const std::string& name, const std::string& bytes) {
        std::string path = config.folder() + "/" + name;
        EXPECT_TRUE(writeFile(path, bytes));
        return path;
    }

    gxtkSample* loadTone(double hertz, double seconds) {
        std::string name = "tone" + std::to_string(int(hertz)) + "x" +
                           std::to_string(int(seconds * 1000)) + ".wav";
        gxtkSample* sample = audio->LoadSample(String(put(name, toneWav(hertz, seconds)).c_str()));
        EXPECT_NE(sample, nullptr);
        return sample;
    }

    static void wait(int milliseconds) {
        std::this_thread::sleep_for(std::chrono::milliseconds(milliseconds));
    }

    static ALint sourceState(ALuint source) {
        ALint state = 0;
        alGetSourcei(source, AL_SOURCE_STATE, &state);
        return state;
    }

    OpenAlConfig& config;
    std::unique_ptr<RtGlfwGame> host;
    gxtkAudio* audio = nullptr;
};

} // namespace hexwend::testing
