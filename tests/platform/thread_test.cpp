#include "platform/thread.h"

#include <gtest/gtest.h>

#include <pthread.h>

#include <chrono>
#include <future>
#include <memory>
#include <thread>

namespace {

using hexwend::platform::startDetachedThread;

struct Report {
    std::thread::id id;
    int detachState = -1;
};

Report describeCurrentThread() {
    Report report;
    report.id = std::this_thread::get_id();
    pthread_attr_t attr;
    if (pthread_getattr_np(pthread_self(), &attr) == 0) {
        pthread_attr_getdetachstate(&attr, &report.detachState);
        pthread_attr_destroy(&attr);
    }
    return report;
}

TEST(PlatformThread, CallableRunsOnADetachedThreadAndSignalsBack) {
    auto done = std::make_shared<std::promise<Report>>();
    std::future<Report> result = done->get_future();
    ASSERT_TRUE(startDetachedThread([done] { done->set_value(describeCurrentThread()); }));

    ASSERT_EQ(result.wait_for(std::chrono::seconds(10)), std::future_status::ready);
    Report report = result.get();
    EXPECT_NE(report.id, std::this_thread::get_id());
    EXPECT_EQ(report.detachState, PTHREAD_CREATE_DETACHED);
}

struct RawWork {
    std::promise<Report> done;
    int calls = 0;
};

// The argument is a heap-held reference to the work, released by the thread itself so that the
// promise outlives its own set_value() whatever the test does after the result arrives.
void rawEntry(void* arg) {
    std::unique_ptr<std::shared_ptr<RawWork>> work(static_cast<std::shared_ptr<RawWork>*>(arg));
    ++(*work)->calls;
    (*work)->done.set_value(describeCurrentThread());
}

TEST(PlatformThread, EntryFunctionGetsItsArgument) {
    auto work = std::make_shared<RawWork>();
    std::future<Report> result = work->done.get_future();
    auto* arg = new std::shared_ptr<RawWork>(work);
    ASSERT_TRUE(startDetachedThread(rawEntry, arg));

    ASSERT_EQ(result.wait_for(std::chrono::seconds(10)), std::future_status::ready);
    Report report = result.get();
    EXPECT_EQ(work->calls, 1);
    EXPECT_NE(report.id, std::this_thread::get_id());
    EXPECT_EQ(report.detachState, PTHREAD_CREATE_DETACHED);
}

TEST(PlatformThread, NothingToRunIsRefused) {
    EXPECT_FALSE(startDetachedThread(nullptr, nullptr));
    EXPECT_FALSE(startDetachedThread(std::function<void()>()));
}

} // namespace
