// Threads and the asynchronous operation queues: the one model of concurrency of the system.
//
// A thread object runs its Run__UNSAFE__ on a detached operating-system thread. An operation
// queue is a single-producer, single-consumer ring: the main thread enqueues operations, a
// worker thread (started on demand, ending when the ring is empty) executes them one after
// another, and the main thread completes them, in order, from the event dispatch. The ring's
// indices and the thread's run state are atomics published with release stores and read with
// acquire loads; there are no locks.
//
// Code that runs on a worker (the names ending in __UNSAFE__) allocates no collected object
// and shares no string representation with the main thread.
#pragma once

#include "runtime/containers.h"
#include "runtime/gc.h"
#include "runtime/string.h"

#include <atomic>

class RtThread : public Object {
  public:
    // 0 never started, 1 running, 2 finished. Written by the main thread when it starts the
    // thread and by the worker when its work has returned.
    std::atomic<int> runState{0};
    Object* result = nullptr;

    void mark() override;

    // Starts the work on a new detached thread unless it is running already. Ends the
    // process with "CreateThread failed!" when the system refuses a thread.
    virtual void Start();
    virtual bool IsRunning();
    virtual Object* Result();
    virtual void SetResult(Object* value);
    // The thread's work; runs off the main thread.
    virtual void Run__UNSAFE__() {}

    // A copy of s with a representation of its own, for text a worker thread will use.
    static String Strdup(const String& s);

  private:
    static void entry(void* self);
};

class c_Thread : public RtThread {
  public:
    c_Thread* m_new() { return this; }
};

class c_Socket;

// One blocking operation: executed on a worker thread, then completed on the main thread.
class c_AsyncOp : public Object {
  public:
    c_AsyncOp* m_new() { return this; }
    virtual int p_Complete(c_Socket* socket) = 0;
    virtual int p_Execute__UNSAFE__(c_Socket* socket) = 0;
};

class c_AsyncQueue : public c_Thread, public virtual c_IAsyncEventSource {
  public:
    static constexpr int kSlots = 256;

    c_Socket* m_socket = nullptr;
    Array<c_AsyncOp*> m_queue;
    // Slots [m_done, m_run) hold executed operations awaiting completion, [m_run, m_put)
    // operations awaiting execution. m_put and m_done are written by the main thread only,
    // m_run by the worker only.
    std::atomic<int> m_put{0};
    std::atomic<int> m_done{0};
    std::atomic<int> m_run{0};

    c_AsyncQueue* m_new(c_Socket* socket);
    void mark() override;

    // Main thread: adds an operation and makes sure a worker runs. Raises "AsyncQueue queue
    // overflow!" when 256 operations would be outstanding.
    int p_Enqueue(c_AsyncOp* op);
    void Run__UNSAFE__() override;
    // Main thread: restarts a worker for operations still waiting, then completes every
    // executed operation in enqueue order.
    int p_UpdateAsyncEvents() override;

    // True when nothing waits, executes or awaits completion and no worker of this queue runs.
    bool isIdle() const;
};

// The event dispatch. Sources are polled in the order they were added; a source added during
// a pass is visited in that pass.
extern c_Stack3* rt_asyncevent__sources;
extern c_IAsyncEventSource* rt_asyncevent__current;

int rt_asyncevent_AddAsyncEventSource(c_IAsyncEventSource* source);
int rt_asyncevent_UpdateAsyncEvents();
// Gives the dispatcher's globals their start-up values and registers them as roots.
int rt_asyncevent_Init();

namespace hexwend::net {

// Takes a source off the dispatcher's list, keeping the order of the others. During a pass the
// source's slot is emptied at once (so it is not visited again) and the list closes up at the
// end of the pass. Nothing happens for a source that is not on the list.
void removeAsyncEventSource(c_IAsyncEventSource* source);

// Adds the net layer's module initialisation to the ones the runtime start-up runs.
void registerModules();

// A count that moves whenever a worker finishes an operation or ends. A loop with nothing else
// to do may wait for it instead of polling: read it, run a dispatch pass, and if work is still
// outstanding wait until it moves past what was read. The game polls once per update instead.
unsigned asyncProgress();
// Returns once the count differs from `seen` (at once if it already does). Only for a caller
// that knows a worker is running: with none, nothing moves the count.
void waitForAsyncProgress(unsigned seen);

} // namespace hexwend::net
