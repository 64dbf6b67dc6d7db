// Sound effects and music through the game's own audio device on real OpenAL Soft (its null
// output, so nothing is heard): what the framework asked for is read back from the OpenAL
// sources themselves.
#include "tests/framework/framework_support.h"

#include "audio/sound.h"
#include "runtime/random.h"
#include "tests/audio/audio_support.h"
#include "tests/support/openal_config.h"
#include "tests/support/temp_folder.h"

#include <chrono>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <thread>

namespace hexwend::testing {
namespace {

using namespace hexwend::framework;

// The null output with the library's default number of sources, for every test here.
void useNullOutput() {
    static OpenAlConfigFile config("[general]\ndrivers = null\nfrequency = 44100\n");
}

class SfxTest : public ::testing::Test {
  protected:
    void SetUp() override {
        useNullOutput();
        game.startRuntime<c_App>(registerModules);
        game.dataDir = data.path();
        game.startGame();
        ASSERT_NE(rt_audio_device, nullptr);
        rt_quzo_QUZO_GameNum = 12;
        rt_quzo_QUZO_Set[0] = 10;
        rt_quzo_QUZO_Set[1] = 10;
    }
    void TearDown() override {
        gc_clear_roots();
        gc_reset(); // closes the device
    }

    // A file under the data folder.
    void put(const std::string& name, const std::string& bytes) {
        std::filesystem::create_directories(std::filesystem::path(data / name).parent_path());
        ASSERT_TRUE(writeFile(data / name, bytes));
    }
    // A tune: a tone encoded to Ogg Vorbis by oggenc.
    void putTune(const std::string& name, double seconds) {
        put(name + ".wav", toneWav(330, seconds));
        ASSERT_TRUE(run("oggenc -Q -o '" + data / name + "' '" + data / name + ".wav'"));
    }

    static ALuint source(int channel) { return rt_audio_device->channels[channel].source; }
    static float sourcef(int channel, ALenum param) {
        float v = -1;
        alGetSourcef(source(channel), param, &v);
        return v;
    }
    static ALint sourcei(int channel, ALenum param) {
        ALint v = -1;
        alGetSourcei(source(channel), param, &v);
        return v;
    }
    static ALuint bufferOf(int slot) { return rt_quzo_QUZO_SFX[slot]->m_sample->buffer; }

    TempFolder data;
    HeadlessGame game;
};

// --- Loading -----------------------------------------------------------------------------

TEST_F(SfxTest, SlotsLoadFromTheGameFolderOrTheCommonFolder) {
    struct Case {
        int slot;
        const char* path;
    };
    const Case cases[] = {
        {0, "12/sfx/000.wav"},  {5, "12/sfx/005.wav"},  {9, "12/sfx/009.wav"},
        {10, "12/sfx/010.wav"}, {15, "12/sfx/015.wav"}, {69, "12/sfx/069.wav"},
        {70, "common/070.wav"}, {96, "common/096.wav"}, {99, "common/099.wav"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.slot);
        EXPECT_EQ(effectPath(c.slot), String(c.path));
        rt_quzo_LoadSFX(c.slot);
        EXPECT_EQ(rt_quzo_QUZO_SFX[c.slot], nullptr) << "no file yet";
        put(c.path, toneWav(440, 0.05));
        rt_quzo_LoadSFX(c.slot);
        ASSERT_NE(rt_quzo_QUZO_SFX[c.slot], nullptr);
        EXPECT_NE(bufferOf(c.slot), 0u);
    }

    // Loading again empties the slot first: a file gone leaves it empty.
    std::filesystem::remove(data / "12/sfx/015.wav");
    rt_quzo_LoadSFX(15);
    EXPECT_EQ(rt_quzo_QUZO_SFX[15], nullptr);
    // A damaged file loads nothing; numbers outside the table are ignored.
    put("12/sfx/016.wav", "RIFF....WAVEjunk");
    rt_quzo_LoadSFX(16);
    EXPECT_EQ(rt_quzo_QUZO_SFX[16], nullptr);
    rt_quzo_LoadSFX(-1);
    rt_quzo_LoadSFX(100);
}

// --- Effects -----------------------------------------------------------------------------

TEST_F(SfxTest, ThirtyThreeEffectsGoRoundTheChannelsAndTheLastCutsOffTheFirst) {
    put("12/sfx/020.wav", toneWav(440, 2));
    put("12/sfx/021.wav", toneWav(660, 2));
    rt_quzo_LoadSFX(20);
    rt_quzo_LoadSFX(21);

    std::vector<int> channels;
    for (int i = 0; i < 32; ++i) {
        rt_quzo_PlaySFX(20);
        channels.push_back(rt_quzo_QUZO_LChan);
    }
    rt_quzo_PlaySFX(21);
    channels.push_back(rt_quzo_QUZO_LChan);

    std::vector<int> expected;
    for (int c = 1; c <= 31; ++c) expected.push_back(c);
    expected.push_back(0);
    expected.push_back(1);
    EXPECT_EQ(channels, expected);

    // Every effect channel sounds; channel 1 now plays the 33rd effect, once.
    for (int c = 0; c < 32; ++c) {
        SCOPED_TRACE(c);
        ASSERT_NE(source(c), 0u);
        EXPECT_EQ(sourcei(c, AL_SOURCE_STATE), AL_PLAYING);
        EXPECT_EQ(ALuint(sourcei(c, AL_BUFFER)), bufferOf(c == 1 ? 21 : 20));
        EXPECT_EQ(sourcei(c, AL_LOOPING), AL_FALSE);
    }
}

TEST_F(SfxTest, RateFromThePitchArgument) {
    put("12/sfx/020.wav", toneWav(440, 0.5));
    put("common/095.wav", toneWav(440, 0.5));
    rt_quzo_LoadSFX(20);
    rt_quzo_LoadSFX(95);

    struct Case {
        int slot;
        float pitch;
        float rate; // 0: random, 0.7 + 0.6·u of one draw
        int draws;
    };
    const Case cases[] = {
        {95, -1, 1, 1},      {20, -1, 0, 1},      {20, 5, 3, 0}, {20, 0.1f, 0.4f, 0},
        {20, 1.5f, 1.5f, 0}, {95, 0.1f, 0.4f, 0}, {95, 2, 2, 0}, {20, -2, 0.4f, 0},
    };
    for (int seed : {1, 777, -5}) {
        for (const Case& c : cases) {
            SCOPED_TRACE(::testing::Message() << c.slot << " pitch " << c.pitch);
            rt_random_Seed = seed;
            uint32_t s = uint32_t(seed);
            for (int i = 0; i < c.draws; ++i) s = s * 1664525u + 1013904223u;
            rt_quzo_PlaySFX(c.slot, c.pitch, 1, 0);
            EXPECT_EQ(rt_random_Seed, int(s));
            const float rate = sourcef(rt_quzo_QUZO_LChan, AL_PITCH);
            if (c.rate == 0) {
                EXPECT_FLOAT_EQ(rate, float(s >> 8) / 16777216.0f * 0.6f + 0.7f);
                EXPECT_GE(rate, 0.7f);
                EXPECT_LE(rate, 1.3f);
            } else {
                EXPECT_FLOAT_EQ(rate, c.rate);
            }
        }
    }
}

TEST_F(SfxTest, AnEmptySlotPlaysNothingButTheRandomPitchStillDraws) {
    for (int slot : {30, 95, -1, 100, 5000}) {
        SCOPED_TRACE(slot);
        rt_random_Seed = 42;
        rt_quzo_QUZO_Set[1] = 14;
        rt_quzo_PlaySFX(slot);
        EXPECT_EQ(rt_random_Seed, int(42u * 1664525u + 1013904223u));
        EXPECT_EQ(rt_quzo_QUZO_LChan, 0) << "no channel taken";
        EXPECT_EQ(rt_quzo_QUZO_Set[1], 10) << "the setting is clamped all the same";
    }
    for (int c = 0; c < 32; ++c) EXPECT_EQ(rt_audio_device->ChannelState(c), 0);
}

TEST_F(SfxTest, GainFromTheVolumeAndTheEffectsVolumeSetting) {
    put("12/sfx/020.wav", toneWav(440, 0.5));
    rt_quzo_LoadSFX(20);
    struct Case {
        int setting;
        float volume;
        float gain;
        int stored;
    };
    const Case cases[] = {
        {5, 1, 0.495f, 5}, {14, 1, 0.99f, 10}, {10, 0.5f, 0.5f, 10},
        {-3, 1, 0, 0},     {10, -2, 0, 10},    {1, 0.5f, 0.05f, 1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(::testing::Message() << c.setting << " " << c.volume);
        rt_quzo_QUZO_Set[1] = c.setting;
        rt_quzo_PlaySFX(20, 1, c.volume, 0);
        EXPECT_NEAR(sourcef(rt_quzo_QUZO_LChan, AL_GAIN), c.gain, 1e-6);
        EXPECT_EQ(rt_quzo_QUZO_Set[1], c.stored);
    }
}

TEST_F(SfxTest, PanSteersLeftAndRight) {
    put("12/sfx/020.wav", toneWav(440, 0.5));
    rt_quzo_LoadSFX(20);
    struct Case {
        float pan, used;
    };
    const Case cases[] = {{0, 0}, {1, 1}, {-0.5f, -0.5f}, {5, 1}, {-3, -1}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.pan);
        rt_quzo_PlaySFX(20, 1, 1, c.pan);
        float x = 9, y = 9, z = 9;
        alGetSource3f(source(rt_quzo_QUZO_LChan), AL_POSITION, &x, &y, &z);
        EXPECT_NEAR(x, std::sin(c.used), 1e-5);
        EXPECT_NEAR(y, 0, 1e-6);
        EXPECT_NEAR(z, -std::cos(c.used), 1e-5);
    }
}

// --- Music -------------------------------------------------------------------------------

TEST_F(SfxTest, TuneFromTheGameFolderAtTheMusicVolume) {
    putTune("12/sfx/Days.ogg", 1);
    struct Case {
        int setting;
        float gain;
        int stored;
    };
    const Case cases[] = {{10, 0.999f, 10}, {7, 0.6993f, 7}, {12, 0.999f, 10}, {-1, 0, 0}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.setting);
        rt_quzo_QUZO_Set[0] = c.setting;
        rt_quzo_PlayTune("Days", 1);
        EXPECT_EQ(rt_quzo_QUZO_MusicPlaying, 1);
        EXPECT_EQ(rt_quzo_QUZO_LastTune, String("Days"));
        EXPECT_NE(rt_audio_device->channels[32].sample, nullptr) << "12/sfx/Days.ogg loaded";
        EXPECT_EQ(sourcei(32, AL_SOURCE_STATE), AL_PLAYING);
        EXPECT_EQ(sourcei(32, AL_LOOPING), AL_TRUE);
        EXPECT_NEAR(sourcef(32, AL_GAIN), c.gain, 1e-5);
        EXPECT_EQ(rt_quzo_QUZO_Set[0], c.stored);
    }
}

TEST_F(SfxTest, MinusOneReplaysTheLastTuneFromTheStart) {
    putTune("12/sfx/Days.ogg", 2);
    rt_quzo_PlayTune("Days", 0);
    std::this_thread::sleep_for(std::chrono::milliseconds(300));
    const ALint before = sourcei(32, AL_SAMPLE_OFFSET);
    EXPECT_GT(before, 4410) << "the tune has been playing";

    rt_quzo_PlayTune("-1", 0);
    EXPECT_EQ(rt_quzo_QUZO_LastTune, String("Days"));
    EXPECT_EQ(rt_quzo_QUZO_MusicPlaying, 1);
    EXPECT_EQ(sourcei(32, AL_SOURCE_STATE), AL_PLAYING);
    EXPECT_LT(sourcei(32, AL_SAMPLE_OFFSET), before / 2) << "started again";

    // An empty name changes nothing.
    rt_quzo_PlayTune("", 1);
    EXPECT_EQ(rt_quzo_QUZO_LastTune, String("Days"));
    EXPECT_EQ(sourcei(32, AL_SOURCE_STATE), AL_PLAYING);
}

TEST_F(SfxTest, AMissingTuneIsSilentButCountsAsPlaying) {
    putTune("12/sfx/Days.ogg", 1);
    rt_quzo_PlayTune("Days", 1);
    rt_quzo_PlayTune("Nights", 1);
    EXPECT_EQ(rt_quzo_QUZO_MusicPlaying, 1);
    EXPECT_EQ(rt_quzo_QUZO_LastTune, String("Nights"));
    EXPECT_EQ(rt_audio_device->MusicState(), 0) << "Days was stopped";

    // "-1" with no tune before it is a name like any other.
    rt_quzo_QUZO_LastTune = String();
    put("12/sfx/-1.ogg", readFile(data / "12/sfx/Days.ogg"));
    rt_quzo_PlayTune("-1", 1);
    EXPECT_EQ(rt_quzo_QUZO_LastTune, String("-1"));
    EXPECT_EQ(rt_audio_device->MusicState(), 1);
}

TEST_F(SfxTest, PauseResumeAndStopKeepTheFrameworksOwnState) {
    putTune("12/sfx/Days.ogg", 1);
    rt_quzo_PlayTune("Days", 1);

    // Resuming without a pause of the framework's own does nothing, even to music the
    // device was told to pause directly.
    rt_audio_PauseMusic();
    rt_quzo_ResumeTune();
    EXPECT_EQ(rt_quzo_QUZO_MusicPlaying, 1);
    EXPECT_EQ(sourcei(32, AL_SOURCE_STATE), AL_PAUSED);
    rt_audio_ResumeMusic();
    EXPECT_EQ(sourcei(32, AL_SOURCE_STATE), AL_PLAYING);

    rt_quzo_PauseTune();
    EXPECT_EQ(rt_quzo_QUZO_MusicPlaying, 2);
    EXPECT_EQ(sourcei(32, AL_SOURCE_STATE), AL_PAUSED);
    rt_quzo_PauseTune();
    EXPECT_EQ(rt_quzo_QUZO_MusicPlaying, 2);

    rt_quzo_ResumeTune();
    EXPECT_EQ(rt_quzo_QUZO_MusicPlaying, 1);
    EXPECT_EQ(sourcei(32, AL_SOURCE_STATE), AL_PLAYING);

    rt_quzo_StopTune();
    EXPECT_EQ(rt_quzo_QUZO_MusicPlaying, 0);
    EXPECT_EQ(sourcei(32, AL_SOURCE_STATE), AL_STOPPED);
    rt_quzo_PauseTune();
    rt_quzo_ResumeTune();
    EXPECT_EQ(rt_quzo_QUZO_MusicPlaying, 0);
    EXPECT_EQ(sourcei(32, AL_SOURCE_STATE), AL_STOPPED);

    // Stopping works from the pause too.
    rt_quzo_PlayTune("-1", 1);
    rt_quzo_PauseTune();
    rt_quzo_StopTune();
    EXPECT_EQ(rt_quzo_QUZO_MusicPlaying, 0);
    EXPECT_EQ(sourcei(32, AL_SOURCE_STATE), AL_STOPPED);
}

TEST_F(SfxTest, ATuneThatEndsByItselfStillCountsAsPlaying) {
    putTune("12/sfx/Short.ogg", 0.05);
    rt_quzo_PlayTune("Short", 0);
    for (int i = 0; i < 300 && sourcei(32, AL_SOURCE_STATE) == AL_PLAYING; ++i) {
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    EXPECT_EQ(sourcei(32, AL_SOURCE_STATE), AL_STOPPED);
    EXPECT_EQ(rt_quzo_QUZO_MusicPlaying, 1);
}

// --- Without an audio device -------------------------------------------------------------

TEST(SfxWithoutDeviceTest, NothingPlaysAndNothingBreaks) {
    HeadlessGame game;
    game.startRuntime<c_App>(registerModules);
    ASSERT_EQ(rt_audio_device, nullptr);
    rt_quzo_LoadSFX(96);
    EXPECT_EQ(rt_quzo_QUZO_SFX[96], nullptr);
    rt_random_Seed = 3;
    rt_quzo_PlaySFX(96);
    EXPECT_NE(rt_random_Seed, 3);
    rt_quzo_PlayTune("Days", 1);
    EXPECT_EQ(rt_quzo_QUZO_MusicPlaying, 1);
    rt_quzo_PauseTune();
    EXPECT_EQ(rt_quzo_QUZO_MusicPlaying, 2);
    rt_quzo_StopTune();
    EXPECT_EQ(rt_quzo_QUZO_MusicPlaying, 0);
}

} // namespace
} // namespace hexwend::testing
