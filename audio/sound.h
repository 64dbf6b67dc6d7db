// The sound module: the game language's interface to the audio device. Every function does
// nothing (or gives none, or -1) while no device has been set.
#pragma once

#include "audio/audio_device.h"
#include "runtime/gc.h"
#include "runtime/string.h"

// A loaded sound: a sample of the audio device, or no sample.
class c_Sound : public Object {
  public:
    gxtkSample* m_sample = nullptr;

    c_Sound* m_new(gxtkSample* sample);
    c_Sound* m_new2();
    void mark() override;
};

// The audio device the module plays through, set by the game delegate at start.
extern gxtkAudio* rt_audio_device;

// Gives the module's globals their defaults and registers them as collector roots.
int rt_audio_Init();

int rt_audio_SetAudioDevice(gxtkAudio* device);
// The sound of a data path, or none when it cannot be loaded.
c_Sound* rt_audio_LoadSound(String path);
int rt_audio_PlaySound(c_Sound* sound, int channel, int flags);
int rt_audio_StopChannel(int channel);
int rt_audio_SetChannelVolume(int channel, float volume);
int rt_audio_SetChannelPan(int channel, float pan);
int rt_audio_SetChannelRate(int channel, float rate);
// 0 when the music plays, -1 when it cannot be loaded.
int rt_audio_PlayMusic(String path, int flags);
// Decodes the music of a data path now, so that playing it later starts at once. 0 when it
// is ready, -1 when it cannot be loaded.
int rt_audio_PrepareMusic(String path);
int rt_audio_StopMusic();
int rt_audio_PauseMusic();
int rt_audio_ResumeMusic();
int rt_audio_SetMusicVolume(float volume);
