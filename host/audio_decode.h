// Sound file decoding: RIFF WAV read by hand, Ogg Vorbis through stb_vorbis. Each decoder
// reads an open stream from its current position and hands back the samples as one block
// from std::malloc (the caller releases it with std::free), or null when the stream does not
// hold a sound it can decode. On success it stores the number of sample frames (one value
// per channel), the channel count, the bytes of one value and the sample rate; on failure
// it stores nothing. No decoder closes the stream. They touch no shared state, so they may
// run on any thread.
#pragma once

#include "runtime/string.h"

#include <cstdio>

// A RIFF WAV file with uncompressed PCM samples. The format chunk must come first, right
// after the RIFF header; other chunks before the data chunk are skipped by their size, with
// no padding to even sizes. Every size in the file is checked against the bytes the stream
// really holds, so a cut or damaged file gives null without reading or allocating past it.
unsigned char* LoadWAV(FILE* file, int* length, int* channels, int* bytesPerSample, int* hertz);

// An Ogg Vorbis file, decoded whole to interleaved 16-bit samples. A stream that is not
// Ogg Vorbis, that stb_vorbis reports damaged while decoding, or that holds no samples
// gives null.
unsigned char* LoadOGG(FILE* file, int* length, int* channels, int* bytesPerSample, int* hertz);

namespace hexwend::host {

// The decoding behind the host's LoadAudioData, for a stream opened from `path`: the path,
// lower-cased, must end in ".wav" (LoadWAV) or ".ogg" (LoadOGG). Closes the stream in every
// case (a null stream gives null). On success the decoded bytes are added to the collector's
// count of externally allocated bytes.
unsigned char* loadAudioStream(FILE* file, const String& path, int* length, int* channels,
                               int* bytesPerSample, int* hertz);

} // namespace hexwend::host
