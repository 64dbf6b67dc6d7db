// Sound effects and music.
#include "framework/sfx.h"

#include "audio/sound.h"
#include "framework/quzo.h"
#include "runtime/random.h"

using namespace hexwend::framework;

namespace {

// Effects above this slot never vary their pitch.
constexpr int kLastVariedSlot = 90;

float clampf(float v, float lo, float hi) {
    return v < lo ? lo : v > hi ? hi : v;
}

// The data path of a tune: "<game number>/sfx/<name>.ogg".
String tunePath(const String& name) {
    return String(rt_quzo_QUZO_GameNum) + "/sfx/" + name + ".ogg";
}

} // namespace

namespace hexwend::framework {

int clampedVolume(int element) {
    int& v = rt_quzo_QUZO_Set[element];
    if (v < 0) v = 0;
    if (v > settings::kMaxVolume) v = settings::kMaxVolume;
    return v;
}

float musicGain() {
    return float(clampedVolume(settings::kMusicVolume)) * settings::kMusicVolumeStep;
}

String effectPath(int slot) {
    if (slot >= 70) return "common/0" + String(slot) + ".wav";
    String prefix = slot < 10 ? String("/sfx/00") : String("/sfx/0");
    return String(rt_quzo_QUZO_GameNum) + prefix + String(slot) + ".wav";
}

} // namespace hexwend::framework

int rt_quzo_LoadSFX(int slot) {
    if (slot < 0 || slot >= kEffectSlots) return 0;
    gc_assign(rt_quzo_QUZO_SFX[slot], nullptr);
    gc_assign(rt_quzo_QUZO_SFX[slot], rt_audio_LoadSound(effectPath(slot)));
    return 0;
}

int rt_quzo_PlaySFX(int slot, float pitch, float volume, float pan) {
    // 1. The rate. The generator advances for a random pitch whatever the slot holds.
    float rate;
    if (pitch == -1) {
        float u = rt_random_Step(rt_random_Seed);
        rate = slot > kLastVariedSlot ? 1.0f : clampf(u * 0.6f + 0.7f, 0.4f, 3.0f);
    } else {
        rate = clampf(pitch, 0.4f, 3.0f);
    }
    // 2. Volume and pan.
    volume = clampf(volume, 0, 0.99f);
    pan = clampf(pan, -1, 1);
    // 3. The effects volume setting.
    const int effectsVolume = clampedVolume(settings::kEffectsVolume);
    // 4. An empty slot (or one outside the table) plays nothing.
    if (slot < 0 || slot >= kEffectSlots) return 0;
    c_Sound* sound = rt_quzo_QUZO_SFX[slot];
    gxtkAudio* device = rt_audio_device;
    if (!sound || !sound->m_sample || !device) return 0;
    // 5. The next effect channel, cut off if it still sounds.
    const int channel = (rt_quzo_QUZO_LChan + 1) % kEffectChannels;
    rt_quzo_QUZO_LChan = channel;
    if (device->ChannelState(channel) != 0) device->StopChannel(channel);
    // 6, 7. Play once, then rate, gain and pan.
    device->PlaySample(sound->m_sample, channel, 0);
    device->SetRate(channel, rate);
    device->SetVolume(channel, volume * float(effectsVolume) * 0.1f);
    device->SetPan(channel, pan);
    return 0;
}

int rt_quzo_PlayTune(String name, int flags) {
    if (name == String("-1") && rt_quzo_QUZO_LastTune.Length() != 0) name = rt_quzo_QUZO_LastTune;
    if (name.Length() == 0) return 0;
    rt_quzo_QUZO_LastTune = name;
    String path = tunePath(name);
    if (rt_quzo_QUZO_MusicPlaying != 0) {
        rt_audio_StopMusic();
        rt_quzo_QUZO_MusicPlaying = 0;
    }
    rt_audio_PlayMusic(path, flags);
    rt_quzo_QUZO_MusicPlaying = 1;
    rt_audio_SetMusicVolume(musicGain());
    return 0;
}

int rt_quzo_PrepareTune(String name) {
    if (name.Length() != 0) rt_audio_PrepareMusic(tunePath(name));
    return 0;
}

int rt_quzo_PauseTune() {
    if (rt_quzo_QUZO_MusicPlaying == 1) {
        rt_quzo_QUZO_MusicPlaying = 2;
        rt_audio_PauseMusic();
    }
    return 0;
}

int rt_quzo_ResumeTune() {
    if (rt_quzo_QUZO_MusicPlaying == 2) {
        rt_quzo_QUZO_MusicPlaying = 1;
        rt_audio_ResumeMusic();
    }
    return 0;
}

int rt_quzo_StopTune() {
    rt_audio_StopMusic();
    rt_quzo_QUZO_MusicPlaying = 0;
    return 0;
}
