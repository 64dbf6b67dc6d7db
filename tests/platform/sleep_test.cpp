#include "platform/sleep.h"

#include <gtest/gtest.h>

#include <pthread.h>
#include <signal.h>
#include <time.h>

#include <chrono>
#include <cmath>
#include <thread>

namespace {

using hexwend::platform::sleepMilliseconds;
using hexwend::platform::sleepSeconds;
using Clock = std::chrono::steady_clock;

long long elapsedMs(Clock::time_point since) {
    return std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - since).count();
}

struct WaitCase {
    int milliseconds;
    long long atLeast;
};

void PrintTo(const WaitCase& c, std::ostream* out) {
    *out << c.milliseconds << " ms";
}

class PlatformSleepWaits : public ::testing::TestWithParam<WaitCase> {};

TEST_P(PlatformSleepWaits, BlocksAtLeastTheTimeAskedAndReturns) {
    const WaitCase c = GetParam();
    auto start = Clock::now();
    sleepMilliseconds(c.milliseconds);
    long long took = elapsedMs(start);
    EXPECT_GE(took, c.atLeast);
    // Generous: only a wait that never ends, or runs far over, fails here.
    EXPECT_LT(took, c.atLeast + 2000);
}

INSTANTIATE_TEST_SUITE_P(Durations, PlatformSleepWaits,
                         ::testing::Values(WaitCase{0, 0}, WaitCase{-5, 0}, WaitCase{1, 1},
                                           WaitCase{30, 30}, WaitCase{1250, 1250}));

TEST(PlatformSleep, SecondsAreTruncatedToWholeMilliseconds) {
    auto start = Clock::now();
    sleepSeconds(0.0409);
    long long took = elapsedMs(start);
    EXPECT_GE(took, 40);
    EXPECT_LT(took, 2040);

    // Nothing to wait for: these must come back at once rather than turn into a huge count.
    for (double nothing : {0.0, -1.0, -1e300, std::nan("")}) {
        start = Clock::now();
        sleepSeconds(nothing);
        EXPECT_LT(elapsedMs(start), 1000) << nothing;
    }
}

TEST(PlatformSleep, WaitsWithoutSpinning) {
    timespec before{}, after{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &before);
    sleepMilliseconds(200);
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &after);
    double cpuMs = (after.tv_sec - before.tv_sec) * 1e3 + (after.tv_nsec - before.tv_nsec) / 1e6;
    EXPECT_LT(cpuMs, 50.0);
}

void onAlarm(int) {}

TEST(PlatformSleep, ASignalDoesNotCutTheWaitShort) {
    struct sigaction action {};
    action.sa_handler = onAlarm; // no SA_RESTART: the signal interrupts the system call
    sigemptyset(&action.sa_mask);
    struct sigaction previous {};
    ASSERT_EQ(sigaction(SIGUSR1, &action, &previous), 0);

    pthread_t sleeper = pthread_self();
    std::thread interrupter([sleeper] {
        for (int i = 0; i < 3; ++i) {
            std::this_thread::sleep_for(std::chrono::milliseconds(40));
            pthread_kill(sleeper, SIGUSR1);
        }
    });
    auto start = Clock::now();
    sleepMilliseconds(300);
    long long took = elapsedMs(start);
    interrupter.join();
    sigaction(SIGUSR1, &previous, nullptr);
    EXPECT_GE(took, 300);
}

} // namespace
