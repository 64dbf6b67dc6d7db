#include "net/thread.h"

#include "net/socket.h"
#include "platform/thread.h"
#include "runtime/errors.h"
#include "runtime/init.h"

#include <cstdlib>

namespace {

std::atomic<unsigned> progress{0};

void signalProgress() {
    progress.fetch_add(1, std::memory_order_release);
    progress.notify_all();
}

} // namespace

// --- RtThread ----------------------------------------------------------------------------

void RtThread::mark() {
    gc_mark_q(result);
}

void RtThread::Start() {
    if (runState.load(std::memory_order_acquire) == 1) return;
    result = nullptr;
    runState.store(1, std::memory_order_release);
    if (!hexwend::platform::startDetachedThread(&RtThread::entry, this)) {
        rtPrint(String("CreateThread failed!"));
        std::exit(-1);
    }
}

void RtThread::entry(void* self) {
    auto* thread = static_cast<RtThread*>(self);
    thread->Run__UNSAFE__();
    // The last touch of the object: from here on the main thread may let it be collected.
    thread->runState.store(2, std::memory_order_release);
    signalProgress();
}

bool RtThread::IsRunning() {
    return runState.load(std::memory_order_acquire) == 1;
}

Object* RtThread::Result() {
    return result;
}

void RtThread::SetResult(Object* value) {
    gc_assign(result, value);
}

String RtThread::Strdup(const String& s) {
    return rtStrdup(s);
}

// --- c_AsyncQueue ------------------------------------------------------------------------

c_AsyncQueue* c_AsyncQueue::m_new(c_Socket* socket) {
    c_Thread::m_new();
    gc_assign(m_socket, socket);
    gc_assign(m_queue, Array<c_AsyncOp*>(kSlots));
    return this;
}

void c_AsyncQueue::mark() {
    c_Thread::mark();
    gc_mark_q(m_socket);
    gc_mark_q(m_queue);
}

int c_AsyncQueue::p_Enqueue(c_AsyncOp* op) {
    const int put = m_put.load(std::memory_order_relaxed);
    const int next = (put + 1) % kSlots;
    if (next == m_done.load(std::memory_order_relaxed)) {
        rtError(String("AsyncQueue queue overflow!"));
    }
    gc_assign(m_queue[put], op);
    // Publishes the slot: the worker reads it only after it has seen the new m_put.
    m_put.store(next, std::memory_order_release);
    Start();
    return 0;
}

void c_AsyncQueue::Run__UNSAFE__() {
    int run = m_run.load(std::memory_order_relaxed);
    while (run != m_put.load(std::memory_order_acquire)) {
        m_queue[run]->p_Execute__UNSAFE__(m_socket);
        run = (run + 1) % kSlots;
        // Publishes the operation's results along with the slot.
        m_run.store(run, std::memory_order_release);
        signalProgress();
    }
}

int c_AsyncQueue::p_UpdateAsyncEvents() {
    // A worker that ended just before an operation was enqueued is started again here.
    // Only operations executed before this call are completed in it: one that a completion
    // enqueues completes in a later call, however fast its worker is.
    const int run = m_run.load(std::memory_order_acquire);
    if (run != m_put.load(std::memory_order_relaxed)) Start();
    for (;;) {
        const int done = m_done.load(std::memory_order_relaxed);
        if (done == run) break;
        c_AsyncOp* op = m_queue[done];
        // A completed operation is no longer the queue's to keep alive.
        m_queue[done] = nullptr;
        m_done.store((done + 1) % kSlots, std::memory_order_release);
        op->p_Complete(m_socket);
    }
    return 0;
}

bool c_AsyncQueue::isIdle() const {
    const int put = m_put.load(std::memory_order_relaxed);
    return m_done.load(std::memory_order_relaxed) == put &&
           m_run.load(std::memory_order_acquire) == put &&
           runState.load(std::memory_order_acquire) != 1;
}

// --- The event dispatch ------------------------------------------------------------------

c_Stack3* rt_asyncevent__sources = nullptr;
c_IAsyncEventSource* rt_asyncevent__current = nullptr;

namespace {

// Sources taken off the list during the current pass, whose emptied slots close up at its end.
int removedDuringPass = 0;

void closeUpRemovedSources() {
    c_Stack3* sources = rt_asyncevent__sources;
    int kept = 0;
    for (int i = 0; i < sources->m_length; ++i) {
        c_IAsyncEventSource* s = sources->m_data[i];
        if (s) sources->m_data[kept++] = s;
    }
    sources->p_Length(kept);
    removedDuringPass = 0;
}

} // namespace

int rt_asyncevent_AddAsyncEventSource(c_IAsyncEventSource* source) {
    if (rt_asyncevent__sources->p_Contains2(source)) {
        rtError(String("Async event source is already active"));
    }
    rt_asyncevent__sources->p_Push7(source);
    return 0;
}

int rt_asyncevent_UpdateAsyncEvents() {
    if (rt_asyncevent__current) return 0;
    c_Stack3* sources = rt_asyncevent__sources;
    // The length is read on every round: sources added by a completion are visited too.
    for (int i = 0; i < sources->m_length; ++i) {
        c_IAsyncEventSource* source = sources->m_data[i];
        if (!source) continue; // taken off during this pass
        // No write barrier needed: the source is held by the list, itself a root.
        rt_asyncevent__current = source;
        source->p_UpdateAsyncEvents();
    }
    rt_asyncevent__current = nullptr;
    if (removedDuringPass > 0) closeUpRemovedSources();
    return 0;
}

namespace hexwend::net {

void removeAsyncEventSource(c_IAsyncEventSource* source) {
    c_Stack3* sources = rt_asyncevent__sources;
    if (!source || !sources) return;
    for (int i = 0; i < sources->m_length; ++i) {
        if (sources->m_data[i] != source) continue;
        sources->m_data[i] = nullptr;
        ++removedDuringPass;
        if (!rt_asyncevent__current) closeUpRemovedSources();
        return;
    }
}

void registerModules() {
    rtAddModuleInit(rt_asyncevent_Init);
}

unsigned asyncProgress() {
    return progress.load(std::memory_order_acquire);
}

void waitForAsyncProgress(unsigned seen) {
    progress.wait(seen, std::memory_order_acquire);
}

} // namespace hexwend::net

int rt_asyncevent_Init() {
    gc_assign(rt_asyncevent__sources, (new c_Stack3())->m_new());
    rt_asyncevent__current = nullptr;
    removedDuringPass = 0;
    hexwend::net::connectTimeoutMs.store(hexwend::net::kConnectTimeoutMs);
    hexwend::net::receiveTimeoutMs.store(hexwend::net::kReceiveTimeoutMs);
    gc_add_root("rt_asyncevent__sources", rt_asyncevent__sources);
    gc_add_root("rt_asyncevent__current", rt_asyncevent__current);
    return 0;
}
