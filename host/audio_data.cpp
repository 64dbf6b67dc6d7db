#include "host/rt_game.h"

// Sound decoding is not available yet: every sound fails to load.
unsigned char* RtGlfwGame::LoadAudioData(String /*path*/, int* /*length*/, int* /*channels*/,
                                         int* /*bytesPerSample*/, int* /*hertz*/) {
    return nullptr;
}
