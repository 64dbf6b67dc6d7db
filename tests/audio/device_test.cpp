// The audio device on real OpenAL Soft mixing into a WAV file: what comes out of a channel
// (frequency, gain, pan, rate), looping and finished channels, pausing across a focus loss,
// running out of OpenAL sources, deferred buffer deletion and samples kept alive while they
// are heard.
#include "tests/audio/wave_device.h"

#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cmath>

namespace hexwend::testing {
namespace {

using DeviceTest = AudioDeviceTest;

// The steady part of a recording: from 20 ms after the first loud window to 20 ms before
// the last.
std::pair<size_t, size_t> steadyPart(const StereoRecording& rec) {
    std::vector<double> l = loudness(rec);
    size_t first = 0, last = 0;
    bool found = false;
    for (size_t i = 0; i < l.size(); ++i) {
        if (l[i] > 0.01) {
            if (!found) first = i;
            found = true;
            last = i;
        }
    }
    size_t window = size_t(rec.rate / 100);
    if (!found || last < first + 5) return {0, 0};
    return {(first + 2) * window, (last - 1) * window};
}

// The strongest power of one frequency in any 50 ms stretch of a recording. Taken over the
// whole recording instead, a tone heard before and after a pause could cancel itself out,
// depending on how long the pause lasted.
double peakTonePower(const std::vector<double>& x, double hertz, int rate) {
    size_t window = size_t(rate / 20);
    double peak = 0;
    for (size_t at = 0; window && at + window <= x.size(); at += window) {
        std::vector<double> part(x.begin() + long(at), x.begin() + long(at + window));
        peak = std::max(peak, tonePower(part, hertz, rate));
    }
    return peak;
}

TEST_F(DeviceTest, ChannelPlaysItsSampleAtTheGainAndRateSet) {
    struct Case {
        float gain, rate;
        double hertz, level; // level relative to the first case
    } cases[] = {{1.0f, 1.0f, 440, 1.0},
                 {0.5f, 1.0f, 440, 0.5},
                 {1.0f, 2.0f, 880, 1.0},
                 {0.25f, 0.5f, 220, 0.25}};
    double reference = 0;
    for (const Case& c : cases) {
        SCOPED_TRACE(::testing::Message() << "gain " << c.gain << ", rate " << c.rate);
        open();
        gxtkSample* tone = loadTone(440, 1.0);
        audio->SetVolume(3, c.gain); // set before playing: PlaySample keeps gain and pitch
        audio->SetRate(3, c.rate);
        ASSERT_EQ(audio->PlaySample(tone, 3, 0), 0);
        EXPECT_EQ(audio->ChannelState(3), 1);
        wait(300);
        StereoRecording rec = close();
        ASSERT_EQ(rec.rate, 44100);
        auto [from, to] = steadyPart(rec);
        ASSERT_GT(to, from + 4410) << "at least 0.1 s of sound";
        for (int side = 0; side < 2; ++side) {
            std::vector<double> s(rec.side(side).begin() + long(from),
                                  rec.side(side).begin() + long(to));
            EXPECT_NEAR(frequency(s, rec.rate), c.hertz, c.hertz * 0.01) << "side " << side;
        }
        double level = rms(rec.left, from, to) + rms(rec.right, from, to);
        if (reference == 0) reference = level;
        EXPECT_NEAR(level / reference, c.level, 0.05 * c.level);
    }
}

TEST_F(DeviceTest, PanSteersTheSoundLeftOrRight) {
    struct Case {
        const char* name;
        float pan;        // radians
        double leftShare; // of the energy of both sides
    } cases[] = {{"hard left", float(-M_PI / 2), 1.0},
                 {"hard right", float(M_PI / 2), 0.0},
                 {"centre", 0.0f, 0.5}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        open();
        gxtkSample* tone = loadTone(440, 1.0);
        audio->SetPan(0, c.pan);
        ASSERT_EQ(audio->PlaySample(tone, 0, 0), 0);
        wait(250);
        StereoRecording rec = close();
        double left = rms(rec.left), right = rms(rec.right);
        ASSERT_GT(left + right, 0.05);
        EXPECT_NEAR(left * left / (left * left + right * right), c.leftShare, 0.05);
    }
}

TEST_F(DeviceTest, LoopingMusicKeepsPlayingAndFinishedMusicReadsStopped) {
    struct Case {
        int flags;
        int stateAfter;
        double minSeconds, maxSeconds; // audible time in the recording
    } cases[] = {{1, 1, 0.45, 10}, {0, 0, 0.05, 0.2}};
    for (const Case& c : cases) {
        SCOPED_TRACE(::testing::Message() << "flags " << c.flags);
        open();
        std::string tune = put("tune.wav", toneWav(330, 0.1));
        ASSERT_EQ(rt_audio_PlayMusic(String(tune.c_str()), c.flags), 0);
        wait(600);
        EXPECT_EQ(audio->MusicState(), c.stateAfter);
        EXPECT_EQ(audio->ChannelState(32), c.stateAfter);
        StereoRecording rec = close();
        double heard = audibleSeconds(rec);
        EXPECT_GE(heard, c.minSeconds);
        EXPECT_LE(heard, c.maxSeconds);
        EXPECT_NEAR(frequency(rec.left, rec.rate), 330, 4);
    }
}

TEST_F(DeviceTest, PlayingOnABusyChannelReplacesItsSound) {
    open();
    gxtkSample* first = loadTone(440, 3.0);
    gxtkSample* second = loadTone(1000, 3.0);
    ASSERT_EQ(audio->PlaySample(first, 6, 0), 0);
    wait(250);
    ASSERT_EQ(audio->PlaySample(second, 6, 0), 0);
    EXPECT_EQ(audio->channels[6].sample, second);
    wait(250);
    StereoRecording rec = close();
    auto [from, to] = steadyPart(rec);
    ASSERT_GT(to, from + 4410);
    std::vector<double> head(rec.left.begin() + long(from), rec.left.begin() + long(from + 4410));
    std::vector<double> tail(rec.left.begin() + long(to - 4410), rec.left.begin() + long(to));
    EXPECT_GT(tonePower(head, 440, rec.rate), 50 * tonePower(head, 1000, rec.rate));
    EXPECT_GT(tonePower(tail, 1000, rec.rate), 50 * tonePower(tail, 440, rec.rate))
        << "the first sound stopped when the second started";
}

TEST_F(DeviceTest, PausedChannelStaysPausedAcrossSuspendAndResume) {
    open();
    gxtkSample* low = loadTone(440, 3.0);
    gxtkSample* high = loadTone(1000, 3.0);
    ASSERT_EQ(audio->PlaySample(low, 0, 0), 0);
    ASSERT_EQ(audio->PlaySample(high, 1, 0), 0);
    audio->PauseChannel(1);
    EXPECT_EQ(audio->ChannelState(1), 2);
    wait(200);

    audio->Suspend();
    EXPECT_EQ(sourceState(audio->channels[0].source), AL_PAUSED);
    EXPECT_EQ(audio->ChannelState(0), 1) << "a focus loss leaves the recorded state alone";
    EXPECT_EQ(audio->ChannelState(1), 2);
    wait(300);

    audio->Resume();
    EXPECT_EQ(sourceState(audio->channels[0].source), AL_PLAYING);
    EXPECT_EQ(sourceState(audio->channels[1].source), AL_PAUSED);
    EXPECT_EQ(audio->ChannelState(1), 2);
    wait(200);
    StereoRecording rec = close();

    EXPECT_GE(longestGapSeconds(rec), 0.2) << "silence while suspended";
    EXPECT_GE(audibleSeconds(rec), 0.6) << "the playing channel went on after the resume";
    double lowPower = peakTonePower(rec.left, 440, rec.rate);
    double highPower = peakTonePower(rec.left, 1000, rec.rate);
    EXPECT_GT(lowPower, 0.001);
    EXPECT_LT(highPower, lowPower * 0.02) << "the paused channel was not heard";
}

TEST_F(DeviceTest, ChannelOutOfSourcesTakesTheLowestFinishedEffectChannels) {
    open(); // OpenAL Soft is limited to 32 sources; the music channel holds one from the start
    ASSERT_NE(audio->channels[32].source, 0u);
    gxtkSample* longTone = loadTone(440, 5.0);
    gxtkSample* blip = loadTone(440, 0.02);
    for (int channel = 0; channel <= 30; ++channel) {
        audio->SetVolume(channel, 0.02f);
        bool finishes = channel == 2 || channel == 5 || channel == 9;
        ASSERT_EQ(audio->PlaySample(finishes ? blip : longTone, channel, 0), 0) << channel;
    }
    audio->PauseChannel(1); // paused channels keep their source
    audio->StopMusic();     // and so does the music channel, even stopped
    wait(150);

    ALuint second = audio->channels[2].source, fifth = audio->channels[5].source,
           ninth = audio->channels[9].source;
    ALuint music = audio->channels[32].source;
    ASSERT_EQ(audio->channels[31].source, 0u);
    EXPECT_EQ(audio->PlaySample(longTone, 31, 0), 0);
    EXPECT_EQ(audio->channels[31].source, second);
    EXPECT_EQ(audio->channels[2].source, 0u);
    EXPECT_EQ(audio->ChannelState(31), 1);

    EXPECT_EQ(audio->PlaySample(longTone, 2, 0), 0) << "the robbed channel robs the next one";
    EXPECT_EQ(audio->channels[2].source, fifth);
    audio->SetVolume(5, 1.0f); // needs a source too, and gets it without playing
    EXPECT_EQ(audio->channels[5].source, ninth);
    EXPECT_EQ(audio->PlaySample(longTone, 9, 0), 0);
    EXPECT_EQ(audio->channels[9].source, ninth) << "taken back from the channel not playing";

    audio->StopChannel(31);
    EXPECT_EQ(audio->PlaySample(longTone, 5, 0), 0) << "a stopped channel gives its source";
    EXPECT_EQ(audio->channels[5].source, second);

    EXPECT_EQ(audio->PlaySample(blip, 31, 0), -1) << "nothing left to take";
    EXPECT_EQ(audio->ChannelState(31), 0);
    EXPECT_EQ(audio->channels[32].source, music);
    EXPECT_EQ(audio->ChannelState(1), 2);
}

TEST_F(DeviceTest, DiscardedBufferIsDeletedOnlyOnceItsSourceStopped) {
    struct Case {
        const char* name;
        bool stopChannel; // otherwise the sound ends by itself
    } cases[] = {{"channel stopped", true}, {"sound ended", false}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        open();
        gxtkSample* sound = loadTone(440, c.stopChannel ? 5.0 : 0.3);
        gxtkSample* other = loadTone(880, 0.05);
        ALuint buffer = sound->buffer;
        ASSERT_EQ(audio->PlaySample(sound, 0, 0), 0);
        sound->Discard();
        EXPECT_EQ(sound->buffer, 0u);

        ASSERT_EQ(audio->PlaySample(other, 1, 0), 0); // flushes the discarded buffers
        EXPECT_TRUE(alIsBuffer(buffer)) << "still playing: kept";
        EXPECT_EQ(gxtkAudio::discarded, std::vector<ALuint>{buffer});
        EXPECT_EQ(sourceState(audio->channels[0].source), AL_PLAYING);

        if (c.stopChannel) {
            audio->StopChannel(0);
        } else {
            wait(500);
        }
        ASSERT_EQ(audio->PlaySample(other, 1, 0), 0); // no new buffer could take its name
        EXPECT_FALSE(alIsBuffer(buffer)) << "deleted once the source stopped";
        EXPECT_TRUE(gxtkAudio::discarded.empty());
        close();
    }
}

TEST_F(DeviceTest, SampleStaysAliveWhileItIsHeard) {
    open();
    gxtkSample* blip = loadTone(440, 0.3);
    static gxtkSample* other; // kept by a root of its own
    gc_assign(other, loadTone(880, 0.05));
    gc_add_root("other", other);
    ALuint buffer = blip->buffer;
    ASSERT_EQ(audio->PlaySample(blip, 0, 0), 0); // nothing but the channel refers to it

    for (int cycle = 0; cycle < 2; ++cycle) { // the second finds it only through the device
        gc_mark();
        gc_collect_all();
        gc_flush_free(INT_MAX);
    }
    EXPECT_TRUE(gc_is_live(blip));
    EXPECT_TRUE(gxtkAudio::discarded.empty());

    wait(500); // it has ended: no longer held
    gc_mark();
    gc_collect_all();
    gc_flush_free(INT_MAX);
    EXPECT_FALSE(gc_is_live(blip));
    EXPECT_EQ(gxtkAudio::discarded, std::vector<ALuint>{buffer});
    ASSERT_EQ(audio->PlaySample(other, 1, 0), 0);
    EXPECT_FALSE(alIsBuffer(buffer));
}

TEST_F(DeviceTest, SoundModuleLoadsAndPlaysThroughTheDevice) {
    open();
    std::string path = put("blip.wav", toneWav(440, 0.2));
    c_Sound* sound = rt_audio_LoadSound(String(path.c_str()));
    ASSERT_NE(sound, nullptr);
    ASSERT_NE(sound->m_sample, nullptr);
    rt_audio_SetChannelVolume(4, 0.5f);
    rt_audio_PlaySound(sound, 4, 1);
    EXPECT_EQ(audio->ChannelState(4), 1);
    EXPECT_EQ(audio->channels[4].sample, sound->m_sample);
    rt_audio_StopChannel(4);
    EXPECT_EQ(audio->ChannelState(4), 0);

    struct Missing {
        const char* name;
        std::string path;
    } missing[] = {{"no such file", config.folder() + "/missing.wav"},
                   {"not a sound ending", put("blip.mp3", toneWav(440, 0.2))},
                   {"not a sound", put("text.wav", "plain text")}};
    for (const Missing& m : missing) {
        SCOPED_TRACE(m.name);
        EXPECT_EQ(rt_audio_LoadSound(String(m.path.c_str())), nullptr);
        EXPECT_EQ(rt_audio_PlayMusic(String(m.path.c_str()), 1), -1);
    }
    rt_audio_PlaySound(nullptr, 0, 0);
    rt_audio_PlaySound((new c_Sound)->m_new2(), 0, 0);
    EXPECT_EQ(audio->ChannelState(0), 0);
}

TEST_F(DeviceTest, ChannelNumbersOutsideTheBankAreIgnored) {
    open();
    gxtkSample* tone = loadTone(440, 0.1);
    for (int channel : {-1, 33, 1000, -2147483647}) {
        SCOPED_TRACE(channel);
        EXPECT_EQ(audio->PlaySample(tone, channel, 0), -1);
        EXPECT_EQ(audio->ChannelState(channel), 0);
        audio->SetVolume(channel, 0.5f);
        audio->SetPan(channel, 1.0f);
        audio->SetRate(channel, 2.0f);
        audio->PauseChannel(channel);
        audio->ResumeChannel(channel);
        audio->StopChannel(channel);
    }
    EXPECT_EQ(audio->PlaySample(tone, 32, 0), 0);
}

// A process that ends with its device still open, as the game does, closes it on the way
// out: OpenAL finds no open device at its own clean-up, and the exit status stays the one
// the process gave.
TEST_F(DeviceTest, DeviceStillOpenAtExitIsClosedOnTheWayOut) {
    int err[2];
    ASSERT_EQ(pipe(err), 0);
    pid_t pid = fork();
    ASSERT_GE(pid, 0);
    if (pid == 0) {
        dup2(err[1], 2);
        ::close(err[0]);
        ::close(err[1]);
        open();
        audio->PlaySample(loadTone(440, 1.0), 0, 0);
        std::exit(3);
    }
    ::close(err[1]);
    std::string said;
    char buffer[512];
    for (ssize_t n; (n = read(err[0], buffer, sizeof buffer)) > 0;) said.append(buffer, size_t(n));
    ::close(err[0]);
    int status = 0;
    ASSERT_EQ(waitpid(pid, &status, 0), pid);
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 3);
    EXPECT_EQ(said.find("not closed"), std::string::npos) << said;
}

} // namespace
} // namespace hexwend::testing
