// How much memory decoding asks for when a small file claims a huge image. This program
// replaces malloc and realloc with versions that note the largest request, so it runs on its
// own and not in a sanitizer build (the sanitizers replace them too).
#include "tests/graphics/png_bytes.h"

#include "host/image_data.h"

#include <gtest/gtest.h>

#include <atomic>
#include <cstdio>
#include <cstdlib>

extern "C" void* __libc_malloc(size_t size);
extern "C" void* __libc_realloc(void* p, size_t size);

namespace {
std::atomic<size_t> largestRequest{0};

void note(size_t size) {
    size_t seen = largestRequest.load();
    while (size > seen && !largestRequest.compare_exchange_weak(seen, size)) {
    }
}
} // namespace

extern "C" void* malloc(size_t size) {
    note(size);
    return __libc_malloc(size);
}

extern "C" void* realloc(void* p, size_t size) {
    note(size);
    return __libc_realloc(p, size);
}

namespace hexwend::testing {
namespace {

TEST(ImageAllocationTest, SmallFilesClaimingHugeImagesAreRefusedBeforeAnyLargeAllocation) {
    struct Case {
        const char* name;
        std::vector<unsigned char> bytes;
    };
    const Case cases[] = {
        {"a data chunk claiming 1 GiB", pngWithOversizedChunk(0x40000000)},
        {"a data chunk claiming 2 GiB", pngWithOversizedChunk(0x7ffffff0)},
        {"16000 x 16000 grey", pngClaiming(16000, 16000, 0)},
        {"30000 x 30000 RGBA", pngClaiming(30000, 30000, 6)},
        {"8193 x 8192 RGB", pngClaiming(8193, 8192, 2)},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        std::vector<unsigned char> bytes = c.bytes;
        std::FILE* stream = fmemopen(bytes.data(), bytes.size(), "rb");
        ASSERT_NE(stream, nullptr);
        largestRequest = 0;
        int w = 0, h = 0, d = 0;
        unsigned char* pixels = hexwend::host::decodeImage(stream, &w, &h, &d);
        size_t largest = largestRequest.load();
        std::fclose(stream);
        EXPECT_EQ(pixels, nullptr);
        std::free(pixels);
        EXPECT_LT(largest, size_t(1) << 20);
    }
}

} // namespace
} // namespace hexwend::testing
