#include "audio/audio_device.h"

#include "host/rt_game.h"
#include "runtime/errors.h"

#include <cmath>
#include <cstdlib>
#include <thread>

gxtkAudio* gxtkAudio::audio = nullptr;
std::vector<ALuint> gxtkAudio::discarded;
int gxtkAudio::generation = 0;

// --- Samples -----------------------------------------------------------------------------

gxtkSample::gxtkSample() {}

gxtkSample::gxtkSample(ALuint buffer) {
    SetBuffer(buffer);
}

gxtkSample::~gxtkSample() {
    Discard();
}

void gxtkSample::SetBuffer(ALuint newBuffer) {
    buffer = newBuffer;
    generation = gxtkAudio::generation;
}

int gxtkSample::Discard() {
    if (buffer != 0 && generation == gxtkAudio::generation) gxtkAudio::discarded.push_back(buffer);
    buffer = 0;
    return 0;
}

// --- Channels ----------------------------------------------------------------------------

namespace {

ALint sourceState(ALuint source) {
    ALint state = AL_STOPPED;
    alGetSourcei(source, AL_SOURCE_STATE, &state);
    return state;
}

} // namespace

int gxtkChannel::refreshState() {
    if (state == 1 && sourceState(source) == AL_STOPPED) state = 0;
    return state;
}

ALuint gxtkChannel::AL_Source() {
    if (source) return source;

    alGetError();
    ALuint made = 0;
    alGenSources(1, &made);
    if (alGetError() == AL_NO_ERROR) {
        source = made;
        return source;
    }

    // OpenAL has no more sources: take the one of the first effect channel that has
    // finished. Playing and paused channels keep theirs, and so does the music channel.
    if (gxtkAudio* device = gxtkAudio::audio) {
        for (int i = 0; i < gxtkAudio::kMusicChannel; ++i) {
            gxtkChannel& other = device->channels[i];
            if (other.source && other.refreshState() == 0) {
                source = other.source;
                other.source = 0;
                break;
            }
        }
    }
    return source;
}

// --- The device --------------------------------------------------------------------------

namespace {

// The thread that opened the device last: the main thread, the only one that uses it.
std::thread::id openingThread;

// Closes the device still open when the process ends (the game usually ends with its device
// open), so that OpenAL does not find an open device at its own clean-up. Only when the
// process is ended from the thread that uses the device: any other thread might end it while
// that one is still inside OpenAL.
void closeDeviceAtExit() {
    if (std::this_thread::get_id() != openingThread) return;
    if (gxtkAudio* device = gxtkAudio::audio) device->closeDevice();
}

} // namespace

gxtkAudio::gxtkAudio() {
    audio = this;
    ++generation;

    alcDevice = alcOpenDevice(nullptr);
    if (!alcDevice) alcDevice = alcOpenDevice("Generic Hardware");
    if (!alcDevice) alcDevice = alcOpenDevice("Generic Software");
    if (alcDevice) {
        alcContext = alcCreateContext(alcDevice, nullptr);
        if (!alcContext) {
            rtPrint("OpenAl error: alcCreateContext failed");
        } else if (!alcMakeContextCurrent(alcContext)) {
            rtPrint("OpenAl error: alcMakeContextCurrent failed");
        }
        openingThread = std::this_thread::get_id();
        static bool closedAtExit = std::atexit(closeDeviceAtExit) == 0;
        (void)closedAtExit;
    } else {
        rtPrint("OpenAl error: alcOpenDevice failed");
    }

    alDistanceModel(AL_NONE);
    channels[kMusicChannel].AL_Source();
}

gxtkAudio::~gxtkAudio() {
    closeDevice();
    if (audio == this) audio = nullptr;
}

void gxtkAudio::closeDevice() {
    if (alcContext) {
        alcMakeContextCurrent(alcContext);
        for (gxtkChannel& channel : channels) {
            if (channel.source) alDeleteSources(1, &channel.source);
            channel.source = 0;
        }
        for (ALuint buffer : discarded) alDeleteBuffers(1, &buffer);
        alcMakeContextCurrent(nullptr);
        alcDestroyContext(alcContext);
        alcContext = nullptr;
    }
    if (alcDevice) alcCloseDevice(alcDevice);
    alcDevice = nullptr;
    // Closing the device released every buffer made in it.
    discarded.clear();
    ++generation;
}

void gxtkAudio::mark() {
    gc_mark_q(preparedMusic_);
    for (gxtkChannel& channel : channels) {
        if (channel.state != 0 && channel.sample && sourceState(channel.source) != AL_STOPPED) {
            gc_mark_q(channel.sample);
        }
    }
}

gxtkChannel* gxtkAudio::channelAt(int channel) {
    return channel >= 0 && channel < kChannels ? &channels[channel] : nullptr;
}

void gxtkAudio::FlushDiscarded() {
    if (discarded.empty()) return;

    // A source that has stopped still holds its buffer, and OpenAL refuses to delete a
    // buffer that a source holds: let go of it first. Stopped sources are let go whatever
    // the recorded state, so a buffer last played on a channel that was stopped is freed too.
    if (gxtkAudio* device = audio) {
        for (gxtkChannel& channel : device->channels) {
            if (channel.source && sourceState(channel.source) == AL_STOPPED) {
                alSourcei(channel.source, AL_BUFFER, 0);
            }
        }
    }

    // Buffers that a playing or paused source still holds stay for the next attempt.
    size_t kept = 0;
    for (ALuint buffer : discarded) {
        alGetError();
        alDeleteBuffers(1, &buffer);
        if (alGetError() != AL_NO_ERROR) discarded[kept++] = buffer;
    }
    discarded.resize(kept);
}

int gxtkAudio::Suspend() {
    for (gxtkChannel& channel : channels) {
        if (channel.state == 1 && sourceState(channel.source) == AL_PLAYING) {
            alSourcePause(channel.source);
        }
    }
    return 0;
}

int gxtkAudio::Resume() {
    for (gxtkChannel& channel : channels) {
        if (channel.state == 1 && sourceState(channel.source) == AL_PAUSED) {
            alSourcePlay(channel.source);
        }
    }
    return 0;
}

gxtkSample* gxtkAudio::LoadSample(String path) {
    FlushDiscarded();
    gxtkSample* sample = new gxtkSample();
    if (!LoadSample__UNSAFE__(sample, path)) return nullptr;
    return sample;
}

bool gxtkAudio::LoadSample__UNSAFE__(gxtkSample* sample, String path) {
    if (!sample || !RtGame::_game) return false;
    int length = 0, numChannels = 0, bytesPerSample = 0, hertz = 0;
    unsigned char* data =
        RtGame::_game->LoadAudioData(path, &length, &numChannels, &bytesPerSample, &hertz);
    if (!data) return false;

    ALenum format = 0;
    if (bytesPerSample == 1) {
        format = numChannels == 2 ? AL_FORMAT_STEREO8 : AL_FORMAT_MONO8;
    } else if (bytesPerSample == 2) {
        format = numChannels == 2 ? AL_FORMAT_STEREO16 : AL_FORMAT_MONO16;
    }

    ALuint buffer = 0;
    alGenBuffers(1, &buffer);
    alBufferData(buffer, format, data, length * numChannels * bytesPerSample, hertz);
    std::free(data);
    sample->SetBuffer(buffer);
    return true;
}

int gxtkAudio::PlaySample(gxtkSample* sample, int channel, int flags) {
    FlushDiscarded();
    gxtkChannel* chan = channelAt(channel);
    if (!chan || !sample) return -1;
    ALuint source = chan->AL_Source();
    if (!source) return -1;

    alSourceStop(source);
    alSourcei(source, AL_BUFFER, ALint(sample->buffer));
    alSourcei(source, AL_LOOPING, flags ? 1 : 0);
    alSourcePlay(source);
    gc_assign(chan->sample, sample);
    chan->flags = flags;
    chan->state = 1;
    return 0;
}

int gxtkAudio::StopChannel(int channel) {
    gxtkChannel* chan = channelAt(channel);
    if (!chan || chan->state == 0) return 0;
    alSourceStop(chan->source);
    chan->state = 0;
    return 0;
}

int gxtkAudio::PauseChannel(int channel) {
    gxtkChannel* chan = channelAt(channel);
    if (!chan || chan->state != 1) return 0;
    if (sourceState(chan->source) == AL_STOPPED) {
        chan->state = 0;
    } else {
        alSourcePause(chan->source);
        chan->state = 2;
    }
    return 0;
}

int gxtkAudio::ResumeChannel(int channel) {
    gxtkChannel* chan = channelAt(channel);
    if (!chan || chan->state != 2) return 0;
    alSourcePlay(chan->source);
    chan->state = 1;
    return 0;
}

int gxtkAudio::ChannelState(int channel) {
    gxtkChannel* chan = channelAt(channel);
    return chan ? chan->refreshState() : 0;
}

int gxtkAudio::SetVolume(int channel, float volume) {
    gxtkChannel* chan = channelAt(channel);
    if (chan) alSourcef(chan->AL_Source(), AL_GAIN, volume);
    return 0;
}

int gxtkAudio::SetPan(int channel, float pan) {
    gxtkChannel* chan = channelAt(channel);
    if (chan) alSource3f(chan->AL_Source(), AL_POSITION, std::sin(pan), 0.0f, -std::cos(pan));
    return 0;
}

int gxtkAudio::SetRate(int channel, float rate) {
    gxtkChannel* chan = channelAt(channel);
    if (chan) alSourcef(chan->AL_Source(), AL_PITCH, rate);
    return 0;
}

int gxtkAudio::PlayMusic(String path, int flags) {
    StopMusic();
    gxtkSample* music =
        preparedMusic_ && path == preparedPath_ ? preparedMusic_ : LoadSample(path);
    if (!music) return -1;
    PlaySample(music, kMusicChannel, flags);
    return 0;
}

bool gxtkAudio::PrepareMusic(String path) {
    if (preparedMusic_ && path == preparedPath_) return true;
    gc_assign(preparedMusic_, LoadSample(path));
    preparedPath_ = preparedMusic_ ? path : String();
    return preparedMusic_ != nullptr;
}

int gxtkAudio::StopMusic() {
    return StopChannel(kMusicChannel);
}

int gxtkAudio::PauseMusic() {
    return PauseChannel(kMusicChannel);
}

int gxtkAudio::ResumeMusic() {
    return ResumeChannel(kMusicChannel);
}

int gxtkAudio::MusicState() {
    return ChannelState(kMusicChannel);
}

int gxtkAudio::SetMusicVolume(float volume) {
    return SetVolume(kMusicChannel, volume);
}
