#pragma once

// Timed waits on the calling thread. The thread blocks in the kernel; nothing spins.

namespace hexwend::platform {

// Blocks the calling thread for at least `milliseconds` milliseconds, measured on the
// monotonic clock, so changes of the wall clock do not shorten or stretch the wait. A signal
// that interrupts the wait does not end it early. Zero or a negative value returns at once.
void sleepMilliseconds(int milliseconds);

// Blocks for `seconds` converted to whole milliseconds, truncated toward zero (0.0159 s
// waits 15 ms). Negative values, NaN and anything below one millisecond return at once;
// values too large for an int millisecond count wait for the largest count an int holds.
void sleepSeconds(double seconds);

} // namespace hexwend::platform
