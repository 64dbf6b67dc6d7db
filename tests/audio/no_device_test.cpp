// The audio device when OpenAL Soft has no device to open (its only driver does not exist):
// the failure is printed once and everything else goes on silently.
#include "tests/audio/wave_device.h"

namespace hexwend::testing {
namespace {

class NoDeviceTest : public AudioDeviceTest {
  protected:
    NoDeviceTest() : AudioDeviceTest("no-such-driver") {}
};

TEST_F(NoDeviceTest, OpeningFailsWithOneMessageAndTheDeviceStaysSilent) {
    ::testing::internal::CaptureStdout();
    open();
    std::string printed = ::testing::internal::GetCapturedStdout();
    EXPECT_EQ(printed, "OpenAl error: alcOpenDevice failed\n");
    EXPECT_EQ(audio->alcDevice, nullptr);
    EXPECT_EQ(audio->alcContext, nullptr);

    ::testing::internal::CaptureStdout();
    std::string path = put("blip.wav", toneWav(440, 0.1));
    c_Sound* sound = rt_audio_LoadSound(String(path.c_str()));
    ASSERT_NE(sound, nullptr) << "decoding needs no device";
    EXPECT_EQ(audio->PlaySample(sound->m_sample, 0, 0), -1);
    rt_audio_PlaySound(sound, 0, 1);
    rt_audio_SetChannelVolume(0, 0.5f);
    rt_audio_SetChannelPan(0, 1.0f);
    rt_audio_SetChannelRate(0, 2.0f);
    EXPECT_EQ(audio->ChannelState(0), 0);
    audio->PauseChannel(0);
    audio->ResumeChannel(0);
    rt_audio_StopChannel(0);

    EXPECT_EQ(rt_audio_PlayMusic(String(path.c_str()), 1), 0);
    EXPECT_EQ(audio->MusicState(), 0);
    rt_audio_SetMusicVolume(0.5f);
    rt_audio_PauseMusic();
    rt_audio_ResumeMusic();
    rt_audio_StopMusic();
    EXPECT_EQ(rt_audio_PlayMusic(String((config.folder() + "/missing.ogg").c_str()), 1), -1);

    audio->Suspend();
    audio->Resume();
    sound->m_sample->Discard();
    EXPECT_TRUE(gxtkAudio::discarded.empty());
    gc_mark();
    gc_collect_all();
    close();
    EXPECT_EQ(::testing::internal::GetCapturedStdout(), "") << "nothing more is printed";
}

} // namespace
} // namespace hexwend::testing
