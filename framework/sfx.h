// Sound effects and music.
//
// Effects live in 100 numbered slots (rt_quzo_QUZO_SFX): 0 ... 69 belong to the current game
// and load from its own "sfx" folder, 70 ... 99 belong to the framework and load from
// "common/". They play round-robin over the audio device's 32 effect channels with a slightly
// random pitch unless one is given, scaled by the effects volume setting. Music plays on the
// device's music channel; the framework keeps the last tune's name and its own play state
// (rt_quzo_QUZO_MusicPlaying: 0 none, 1 playing, 2 paused), which does not follow the device.
//
// Settings element 0 is the music volume and element 1 the effects volume, each 0 ... 10;
// the calls that read them store out-of-range values back clamped. The globals live in
// framework/quzo.h.
#pragma once

#include "runtime/string.h"

// Empties an effect slot and loads its file into it; a file that cannot be loaded leaves the
// slot empty. Slots outside 0 ... 99 are ignored. Returns 0.
int rt_quzo_LoadSFX(int slot);

// Plays an effect slot on the next effect channel. pitch -1 asks for a random rate of 0.7 ...
// 1.3 (always 1 for slots above 90) and advances the shared generator even when the slot is
// empty; any other pitch is the rate, clamped to 0.4 ... 3. volume is clamped to 0 ... 0.99
// and scaled by the effects volume setting; pan -1 ... 1 steers left and right. An empty slot
// plays nothing. Returns 0.
int rt_quzo_PlaySFX(int slot, float pitch = -1, float volume = 1, float pan = 0);

// Plays the tune "<game number>/sfx/<name>.ogg" with the device's play flags (1 loops) at the
// music volume setting. "-1" replays the last tune; an empty name does nothing. A tune that
// cannot be loaded is silent but still counts as playing. Returns 0.
int rt_quzo_PlayTune(String name, int flags);
// Decodes the tune of that name now (during loading), so that rt_quzo_PlayTune starts it at
// once instead of decoding it in the update that asks for it. Returns 0.
int rt_quzo_PrepareTune(String name);
// Pause only playing music, resume only paused music; stop always. Each returns 0.
int rt_quzo_PauseTune();
int rt_quzo_ResumeTune();
int rt_quzo_StopTune();

namespace hexwend::framework {

constexpr int kEffectSlots = 100;
constexpr int kEffectChannels = 32;

// The data path of an effect slot's file: "<game>/sfx/00<n>.wav" below 10,
// "<game>/sfx/0<n>.wav" for 10 ... 69, "common/0<n>.wav" for 70 ... 99.
String effectPath(int slot);

// A volume setting (settings::kMusicVolume or settings::kEffectsVolume), stored back clamped
// to 0 ... 10.
int clampedVolume(int element);
// The music channel's gain for the music volume setting (clamped as above): 0 ... 0.999.
float musicGain();

} // namespace hexwend::framework
