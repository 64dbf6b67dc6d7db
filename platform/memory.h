#pragma once

#include <cstddef>

// Clearing large blocks of memory.

namespace hexwend::platform {

// Sets `size` bytes from `data` to zero. The whole pages inside the block are handed back to
// the system instead of written: they read as zero and take no memory until written again.
// The block must come from malloc or calloc (private memory of the process); small blocks are
// simply written.
void zeroMemory(void* data, std::size_t size);

// Hands the memory that the allocator holds free back to the system, after a burst of large
// allocations that have been released (loading and decoding files).
void releaseFreeMemory();

} // namespace hexwend::platform
