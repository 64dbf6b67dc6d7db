// The game delegate's audio: the start creates the device, a focus loss pauses what plays
// and the focus's return restarts it.
#include "tests/audio/wave_device.h"
#include "tests/support/headless_game.h"

namespace hexwend::testing {
namespace {

ALint sourceState(ALuint source) {
    ALint state = 0;
    alGetSourcei(source, AL_SOURCE_STATE, &state);
    return state;
}

TEST(AudioDelegateTest, StartCreatesTheDeviceAndFocusChangesPauseAndRestartIt) {
    OpenAlConfig& config = OpenAlConfig::use("wave");
    HeadlessGame game;
    game.startRuntime<c_App>();
    EXPECT_EQ(rt_audio_device, nullptr);
    game.startGame();
    ASSERT_NE(rt_audio_device, nullptr);
    EXPECT_EQ(rt_app__delegate->m_audio, rt_audio_device);
    EXPECT_EQ(gxtkAudio::audio, rt_audio_device);

    std::string path = config.folder() + "/loop.wav";
    ASSERT_TRUE(writeFile(path, toneWav(440, 0.2)));
    c_Sound* sound = rt_audio_LoadSound(String(path.c_str()));
    ASSERT_NE(sound, nullptr);
    rt_audio_PlaySound(sound, 0, 1);
    rt_audio_PlaySound(sound, 1, 1);
    rt_audio_device->PauseChannel(1);
    ALuint playing = rt_audio_device->channels[0].source;
    ALuint paused = rt_audio_device->channels[1].source;

    game.loseFocus();
    ASSERT_TRUE(game.Suspended());
    EXPECT_EQ(sourceState(playing), AL_PAUSED);
    EXPECT_EQ(rt_audio_device->ChannelState(0), 1);

    game.regainFocus();
    ASSERT_FALSE(game.Suspended());
    EXPECT_EQ(sourceState(playing), AL_PLAYING);
    EXPECT_EQ(sourceState(paused), AL_PAUSED);
    EXPECT_EQ(rt_audio_device->ChannelState(1), 2);

    gc_clear_roots();
    gc_reset(); // closes the device
    EXPECT_EQ(gxtkAudio::audio, nullptr);
}

} // namespace
} // namespace hexwend::testing
