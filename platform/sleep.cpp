#include "platform/sleep.h"

#include <cerrno>
#include <climits>
#include <cmath>
#include <ctime>

namespace hexwend::platform {

void sleepMilliseconds(int milliseconds) {
    if (milliseconds <= 0) return;
    timespec deadline{};
    clock_gettime(CLOCK_MONOTONIC, &deadline);
    deadline.tv_sec += milliseconds / 1000;
    deadline.tv_nsec += static_cast<long>(milliseconds % 1000) * 1000000L;
    if (deadline.tv_nsec >= 1000000000L) {
        deadline.tv_sec += 1;
        deadline.tv_nsec -= 1000000000L;
    }
    // An absolute deadline makes a wait that a signal interrupted resume for only what is
    // left of it.
    while (clock_nanosleep(CLOCK_MONOTONIC, TIMER_ABSTIME, &deadline, nullptr) == EINTR) {
    }
}

void sleepSeconds(double seconds) {
    if (!(seconds > 0.0)) return; // also NaN
    double ms = std::trunc(seconds * 1000.0);
    if (ms >= static_cast<double>(INT_MAX)) {
        sleepMilliseconds(INT_MAX);
        return;
    }
    sleepMilliseconds(static_cast<int>(ms));
}

} // namespace hexwend::platform
