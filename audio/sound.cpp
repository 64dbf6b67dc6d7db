#include "audio/sound.h"

#include "host/rt_game.h"
#include "runtime/init.h"

gxtkAudio* rt_audio_device = nullptr;

c_Sound* c_Sound::m_new(gxtkSample* sample) {
    gc_assign(m_sample, sample);
    return this;
}

c_Sound* c_Sound::m_new2() {
    return this;
}

void c_Sound::mark() {
    gc_mark_q(m_sample);
}

int rt_audio_Init() {
    rt_audio_device = nullptr;
    gc_add_root("rt_audio_device", rt_audio_device);
    return 0;
}

namespace {
[[maybe_unused]] const bool registered = (rtAddModuleInit(rt_audio_Init), true);
} // namespace

int rt_audio_SetAudioDevice(gxtkAudio* device) {
    gc_assign(rt_audio_device, device);
    return 0;
}

c_Sound* rt_audio_LoadSound(String path) {
    if (!rt_audio_device) return nullptr;
    gxtkSample* sample = rt_audio_device->LoadSample(rt_data_FixDataPath(path));
    if (!sample) return nullptr;
    return (new c_Sound)->m_new(sample);
}

int rt_audio_PlaySound(c_Sound* sound, int channel, int flags) {
    if (!rt_audio_device || !sound || !sound->m_sample) return 0;
    rt_audio_device->PlaySample(sound->m_sample, channel, flags);
    return 0;
}

int rt_audio_StopChannel(int channel) {
    if (rt_audio_device) rt_audio_device->StopChannel(channel);
    return 0;
}

int rt_audio_SetChannelVolume(int channel, float volume) {
    if (rt_audio_device) rt_audio_device->SetVolume(channel, volume);
    return 0;
}

int rt_audio_SetChannelPan(int channel, float pan) {
    if (rt_audio_device) rt_audio_device->SetPan(channel, pan);
    return 0;
}

int rt_audio_SetChannelRate(int channel, float rate) {
    if (rt_audio_device) rt_audio_device->SetRate(channel, rate);
    return 0;
}

int rt_audio_PlayMusic(String path, int flags) {
    if (!rt_audio_device) return -1;
    return rt_audio_device->PlayMusic(rt_data_FixDataPath(path), flags);
}

int rt_audio_PrepareMusic(String path) {
    if (!rt_audio_device) return -1;
    return rt_audio_device->PrepareMusic(rt_data_FixDataPath(path)) ? 0 : -1;
}

int rt_audio_StopMusic() {
    if (rt_audio_device) rt_audio_device->StopMusic();
    return 0;
}

int rt_audio_PauseMusic() {
    if (rt_audio_device) rt_audio_device->PauseMusic();
    return 0;
}

int rt_audio_ResumeMusic() {
    if (rt_audio_device) rt_audio_device->ResumeMusic();
    return 0;
}

int rt_audio_SetMusicVolume(float volume) {
    if (rt_audio_device) rt_audio_device->SetMusicVolume(volume);
    return 0;
}
