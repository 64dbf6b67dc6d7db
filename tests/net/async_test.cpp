// Threads, operation queues and the event dispatch, with operations that only record what
// happens to them.
#include "tests/net/net_support.h"

#include <gmock/gmock.h>

#include <atomic>

namespace hexwend::testing {
namespace {

using ::testing::ElementsAre;

// The log of one test: which operations were executed (by the workers) and completed.
struct OpLog {
    std::atomic<int> executed{0};
    std::atomic<bool> release{true}; // while false, executions wait
    std::vector<int> completed;      // main thread only
};

class RecordingOp : public c_AsyncOp {
  public:
    int id = 0;
    OpLog* log = nullptr;
    std::atomic<bool> ran{false};
    std::function<void()> onComplete;

    RecordingOp* init(int opId, OpLog* opLog) {
        id = opId;
        log = opLog;
        return this;
    }
    int p_Execute__UNSAFE__(c_Socket*) override {
        while (!log->release.load()) std::this_thread::sleep_for(1ms);
        ran.store(true);
        log->executed.fetch_add(1);
        return 0;
    }
    int p_Complete(c_Socket*) override {
        EXPECT_TRUE(ran.load()) << "completed before it was executed";
        log->completed.push_back(id);
        if (onComplete) onComplete();
        return 0;
    }
};

class RecordingSource : public Object, public virtual c_IAsyncEventSource {
  public:
    std::function<void()> onUpdate;
    int updates = 0;
    int p_UpdateAsyncEvents() override {
        ++updates;
        if (onUpdate) onUpdate();
        return 0;
    }
};

class AsyncTest : public NetTest {
  protected:
    c_AsyncQueue* newQueue() {
        auto* queue = keep((new c_AsyncQueue())->m_new(nullptr));
        rt_asyncevent_AddAsyncEventSource(queue);
        return queue;
    }
    RecordingOp* op(int id) { return keep(new RecordingOp())->init(id, &log); }

    OpLog log;
    std::vector<int> visits; // of the recording sources, which outlive the test body
};

TEST_F(AsyncTest, CompletionsRunInEnqueueOrderFromTheDispatchOnly) {
    c_AsyncQueue* queue = newQueue();
    log.release = false;
    queue->p_Enqueue(op(1));
    queue->p_Enqueue(op(2));
    EXPECT_TRUE(log.completed.empty()) << "never during p_Enqueue";
    update();
    EXPECT_TRUE(log.completed.empty()) << "nothing has been executed yet";

    log.release = true;
    ASSERT_TRUE(updateUntil([&] { return log.completed.size() == 2; }));
    EXPECT_THAT(log.completed, ElementsAre(1, 2));
    EXPECT_TRUE(noWorkers()) << "the worker ends once its queue is empty";
    EXPECT_TRUE(queue->isIdle());
}

TEST_F(AsyncTest, AnOperationEnqueuedByACompletionCompletesInALaterUpdate) {
    c_AsyncQueue* queue = newQueue();
    RecordingOp* first = op(1);
    RecordingOp* second = op(2);
    int updateOfFirst = -1, updateOfSecond = -1, updates = 0;
    first->onComplete = [&] {
        updateOfFirst = updates;
        queue->p_Enqueue(second);
        EXPECT_TRUE(queue->IsRunning() || second->ran.load())
            << "a worker is started in that same call";
    };
    second->onComplete = [&] { updateOfSecond = updates; };
    queue->p_Enqueue(first);
    // The first worker has ended before the completion runs, so the enqueue must start one.
    const auto deadline = std::chrono::steady_clock::now() + 10s;
    while (queue->IsRunning() && std::chrono::steady_clock::now() < deadline) {
        std::this_thread::sleep_for(1ms);
    }
    ASSERT_TRUE(updateUntil([&] {
        ++updates;
        return log.completed.size() == 2;
    }));
    EXPECT_GT(updateOfSecond, updateOfFirst);
}

TEST_F(AsyncTest, DispatchingFromInsideACompletionDoesNothing) {
    c_AsyncQueue* queue = newQueue();
    RecordingOp* first = op(1);
    first->onComplete = [&] {
        EXPECT_EQ(rt_asyncevent__current, static_cast<c_IAsyncEventSource*>(queue));
        rt_asyncevent_UpdateAsyncEvents();
        EXPECT_EQ(log.completed.size(), 1u) << "the nested pass completed another operation";
    };
    log.release = false;
    queue->p_Enqueue(first);
    queue->p_Enqueue(op(2));
    log.release = true;
    ASSERT_TRUE(updateUntil([&] { return log.executed.load() == 2; }));
    update();
    EXPECT_THAT(log.completed, ElementsAre(1, 2));
    EXPECT_EQ(rt_asyncevent__current, nullptr);
}

TEST_F(AsyncTest, TheRingHolds255UnfinishedOperationsAndThe256thIsARuntimeError) {
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    c_AsyncQueue* queue = newQueue();
    for (int i = 0; i < 255; ++i) queue->p_Enqueue(op(i));
    ASSERT_TRUE(updateUntil([&] { return log.completed.size() == 255; }));
    for (int i = 0; i < 255; ++i) ASSERT_EQ(log.completed[size_t(i)], i);

    // Another 255 without a dispatch in between fill the ring again; one more overflows it.
    log.release = false;
    for (int i = 0; i < 255; ++i) queue->p_Enqueue(op(i));
    EXPECT_EXIT(
        {
            ::dup2(2, 1);
            queue->p_Enqueue(op(255));
        },
        ::testing::ExitedWithCode(255), "Vorpix Runtime Error : AsyncQueue queue overflow!");
    log.release = true;
    ASSERT_TRUE(updateUntil([&] { return log.completed.size() == 510; }));
}

// A thread whose work waits until it is released.
class GatedThread : public c_Thread {
  public:
    std::atomic<bool> release{false};
    std::atomic<int> runs{0};
    void Run__UNSAFE__() override {
        runs.fetch_add(1);
        while (!release.load()) std::this_thread::sleep_for(1ms);
    }
};

TEST_F(AsyncTest, StartOnARunningThreadNeitherCreatesAThreadNorClearsTheResult) {
    auto* thread = keep(new GatedThread());
    thread->m_new();
    auto* result = keep(new Object());
    EXPECT_EQ(thread->runState.load(), 0);
    thread->Start();
    EXPECT_TRUE(thread->IsRunning());
    thread->SetResult(result);
    const int threads = threadCount();
    thread->Start();
    EXPECT_EQ(thread->Result(), result);
    EXPECT_EQ(threadCount(), threads);

    thread->release = true;
    const auto deadline = std::chrono::steady_clock::now() + 10s;
    while (thread->IsRunning() && std::chrono::steady_clock::now() < deadline) {
        std::this_thread::sleep_for(1ms);
    }
    EXPECT_EQ(thread->runState.load(), 2);
    EXPECT_EQ(thread->runs.load(), 1);

    thread->Start(); // a finished thread starts again, with its result cleared
    EXPECT_EQ(thread->Result(), nullptr);
    while (thread->IsRunning() && std::chrono::steady_clock::now() < deadline) {
        std::this_thread::sleep_for(1ms);
    }
    EXPECT_EQ(thread->runs.load(), 2);
    EXPECT_TRUE(noWorkers());
}

TEST_F(AsyncTest, SourcesAddedDuringAPassAreVisitedInItAndRemovalsKeepTheOrder) {
    auto source = [&](int id) {
        auto* s = keep(new RecordingSource());
        s->onUpdate = [this, id] { visits.push_back(id); };
        return s;
    };
    RecordingSource* a = source(1);
    RecordingSource* b = source(2);
    RecordingSource* c = source(3);
    RecordingSource* late = source(4);
    rt_asyncevent_AddAsyncEventSource(a);
    rt_asyncevent_AddAsyncEventSource(b);
    rt_asyncevent_AddAsyncEventSource(c);
    // b takes itself off and adds another source during the pass.
    b->onUpdate = [this, b, late] {
        visits.push_back(2);
        hexwend::net::removeAsyncEventSource(b);
        rt_asyncevent_AddAsyncEventSource(late);
    };
    rt_asyncevent_UpdateAsyncEvents();
    EXPECT_THAT(visits, ElementsAre(1, 2, 3, 4));
    visits.clear();
    rt_asyncevent_UpdateAsyncEvents();
    EXPECT_THAT(visits, ElementsAre(1, 3, 4));
    EXPECT_EQ(rt_asyncevent__sources->p_Length2(), 3);

    hexwend::net::removeAsyncEventSource(a); // outside a pass
    visits.clear();
    rt_asyncevent_UpdateAsyncEvents();
    EXPECT_THAT(visits, ElementsAre(3, 4));
}

TEST_F(AsyncTest, AddingASourceTwiceIsARuntimeError) {
    auto* s = keep(new RecordingSource());
    rt_asyncevent_AddAsyncEventSource(s);
    EXPECT_EXIT(
        {
            ::dup2(2, 1);
            rt_asyncevent_AddAsyncEventSource(s);
        },
        ::testing::ExitedWithCode(255),
        "Vorpix Runtime Error : Async event source is already active");
}

TEST_F(AsyncTest, TheDispatcherGlobalsAreCollectorRoots) {
    std::vector<std::string> names;
    for (int i = 0; i < gc_root_count(); ++i) names.push_back(gc_root_name(i));
    EXPECT_THAT(names, ::testing::IsSupersetOf({"rt_asyncevent__sources", "rt_asyncevent__current"}));

    // A queue reachable only from the source list survives a full collection with its work.
    c_AsyncQueue* queue = (new c_AsyncQueue())->m_new(nullptr);
    rt_asyncevent_AddAsyncEventSource(queue);
    queue->p_Enqueue((new RecordingOp())->init(7, &log));
    gc_collect_all();
    gc_collect_all();
    ASSERT_TRUE(updateUntil([&] { return log.completed.size() == 1; }));
    EXPECT_TRUE(gc_is_live(queue));
}

} // namespace
} // namespace hexwend::testing
