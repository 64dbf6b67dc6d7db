// Clearing large blocks: every byte asked for reads zero, the bytes around it are left alone,
// and the whole pages inside are given back to the system.
#include "platform/memory.h"

#include <gtest/gtest.h>

#include <sys/mman.h>
#include <unistd.h>

#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <vector>

namespace hexwend::platform {
namespace {

// How many of the whole pages inside [data, data + size) are in memory.
size_t residentPages(unsigned char* data, size_t size) {
    const size_t page = size_t(::sysconf(_SC_PAGESIZE));
    const auto address = reinterpret_cast<std::uintptr_t>(data);
    unsigned char* first = data + (page - address % page) % page;
    const size_t pages = size_t(data + size - first) / page;
    std::vector<unsigned char> in(pages);
    if (::mincore(first, pages * page, in.data()) != 0) return pages;
    size_t n = 0;
    for (unsigned char v : in) n += v & 1;
    return n;
}

TEST(MemoryTest, ZeroingLeavesTheBytesAroundAloneAndGivesWholePagesBack) {
    const size_t size = 4 << 20;
    auto* block = static_cast<unsigned char*>(std::malloc(size));
    ASSERT_NE(block, nullptr);
    std::memset(block, 0xab, size);

    struct Case {
        size_t from, count;
    };
    // A few bytes, a block just under the size that goes to the system, and large blocks
    // starting and ending inside pages.
    for (Case c : {Case{3, 5}, Case{100, 4 * 4096 - 1}, Case{4097, (1 << 20) + 123},
                   Case{7, size - 7 - 9}}) {
        SCOPED_TRACE(c.count);
        std::memset(block, 0xab, size);
        zeroMemory(block + c.from, c.count);
        for (size_t i = 0; i < size; ++i) {
            const bool inside = i >= c.from && i < c.from + c.count;
            if (block[i] != (inside ? 0 : 0xab)) {
                ADD_FAILURE() << "byte " << i << " is " << int(block[i]);
                break;
            }
        }
    }

    std::memset(block, 0xab, size);
    zeroMemory(block, size);
    EXPECT_LE(residentPages(block, size), 1u) << "the cleared pages take no memory";
    block[size / 2] = 1; // and can be written again
    EXPECT_EQ(block[size / 2 + 1], 0);
    std::free(block);
}

} // namespace
} // namespace hexwend::platform
