#include "platform/memory.h"

#include <malloc.h>
#include <sys/mman.h>
#include <unistd.h>

#include <cstdint>
#include <cstring>

namespace hexwend::platform {

void zeroMemory(void* data, std::size_t size) {
    auto* bytes = static_cast<unsigned char*>(data);
    const std::size_t page = std::size_t(::sysconf(_SC_PAGESIZE));
    // Below a few pages, writing is cheaper than asking the system.
    if (page == 0 || size < 4 * page) {
        std::memset(bytes, 0, size);
        return;
    }
    const auto address = reinterpret_cast<std::uintptr_t>(bytes);
    unsigned char* first = bytes + (page - address % page) % page;
    unsigned char* last = bytes + size - (address + size) % page;
    std::memset(bytes, 0, std::size_t(first - bytes));
    std::memset(last, 0, std::size_t(bytes + size - last));
    // Private pages given up read as zero when next touched.
    if (::madvise(first, std::size_t(last - first), MADV_DONTNEED) != 0) {
        std::memset(first, 0, std::size_t(last - first));
    }
}

void releaseFreeMemory() {
    ::malloc_trim(0);
}

} // namespace hexwend::platform
