// The audio device: a fixed bank of 33 channels over OpenAL, 32 for sound effects and one
// (channel 32) for music. A sample is a whole decoded sound in one OpenAL buffer; playing it
// attaches the buffer to the channel's source. Sources are created when a channel first
// needs one and taken from a finished effect channel when OpenAL has no more.
//
// Everything here runs on the main thread, except LoadSample__UNSAFE__, which touches no
// channel.
#pragma once

#include "runtime/gc.h"
#include "runtime/string.h"

#include <AL/al.h>
#include <AL/alc.h>

#include <vector>

class gxtkAudio;

// A decoded sound held in one OpenAL buffer (0 = none).
class gxtkSample : public Object {
  public:
    ALuint buffer = 0;

    gxtkSample();
    explicit gxtkSample(ALuint buffer);
    // A buffer still held is handed to the device's deferred deletion.
    ~gxtkSample() override;

    void SetBuffer(ALuint buffer);
    // Gives the buffer up: it is deleted once no source holds it any more.
    virtual int Discard();

  private:
    // The device generation the buffer was made in; a buffer of a device since closed is
    // gone with that device and must not be deleted again.
    int generation = 0;
};

// One channel of the device: a plain record inside it.
struct gxtkChannel {
    ALuint source = 0;            // 0 until the channel first needs one
    gxtkSample* sample = nullptr; // the sample last started here
    int flags = 0;                // the play flags last given; non-zero loops
    int state = 0;                // 0 stopped, 1 playing, 2 paused

    // The channel's source, created on first use or taken from a finished effect channel
    // when OpenAL refuses another; 0 when neither can be had.
    ALuint AL_Source();
    // The recorded state, with a playing channel whose source has run out set to 0.
    int refreshState();
};

class gxtkAudio : public Object {
  public:
    static constexpr int kChannels = 33;
    static constexpr int kMusicChannel = 32;

    ALCdevice* alcDevice = nullptr;
    ALCcontext* alcContext = nullptr;
    gxtkChannel channels[kChannels];

    // The one device, set by the constructor and cleared when it is destroyed.
    static gxtkAudio* audio;
    // Buffers of discarded or collected samples still to be deleted.
    static std::vector<ALuint> discarded;
    // Counts device openings and closings; samples remember the one their buffer is from.
    static int generation;

    // Opens the default OpenAL device (or one of the generic ones) and makes a context
    // current. Failures are printed and otherwise ignored: without a context the device
    // stays silent.
    gxtkAudio();
    // Releases the sources, the context and the device.
    ~gxtkAudio() override;
    // Releases the sources, the context and the device now; the device is silent from then
    // on. Also run at process exit for the device still open.
    void closeDevice();
    // Keeps the sample of every channel that is still audible alive.
    void mark() override;

    virtual int Suspend();
    virtual int Resume();
    virtual gxtkSample* LoadSample(String path);
    virtual bool LoadSample__UNSAFE__(gxtkSample* sample, String path);
    virtual int PlaySample(gxtkSample* sample, int channel, int flags);
    virtual int StopChannel(int channel);
    virtual int PauseChannel(int channel);
    virtual int ResumeChannel(int channel);
    virtual int ChannelState(int channel);
    virtual int SetVolume(int channel, float volume);
    virtual int SetPan(int channel, float pan);
    virtual int SetRate(int channel, float rate);
    virtual int PlayMusic(String path, int flags);
    // Decodes a music file ahead of its PlayMusic, which then starts it at once. The last
    // one prepared is kept for the life of the device. False when it cannot be loaded.
    bool PrepareMusic(String path);
    virtual int StopMusic();
    virtual int PauseMusic();
    virtual int ResumeMusic();
    virtual int MusicState();
    virtual int SetMusicVolume(float volume);

    // Deletes the discarded buffers that no source holds any more; the others stay listed.
    static void FlushDiscarded();

  private:
    // The channel record for a channel number; null for a number outside 0 ... 32.
    gxtkChannel* channelAt(int channel);

    // The music decoded ahead by PrepareMusic, and its path.
    gxtkSample* preparedMusic_ = nullptr;
    String preparedPath_;
};
