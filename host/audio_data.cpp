#include "host/audio_decode.h"
#include "host/rt_game.h"

// Decoded samples of a WAV or Ogg Vorbis file named by a host path; null when the file
// cannot be opened, has another ending or does not decode.
unsigned char* RtGlfwGame::LoadAudioData(String path, int* length, int* channels,
                                         int* bytesPerSample, int* hertz) {
    return hexwend::host::loadAudioStream(OpenFile(path, "rb"), path, length, channels,
                                          bytesPerSample, hertz);
}
