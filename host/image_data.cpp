#include "host/rt_game.h"

// Image decoding is not available yet: every image fails to load.
unsigned char* RtGlfwGame::LoadImageData(String /*path*/, int* /*width*/, int* /*height*/,
                                         int* /*depth*/) {
    return nullptr;
}
