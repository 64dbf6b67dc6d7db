#include "platform/thread.h"

#include <pthread.h>

#include <memory>

namespace hexwend::platform {

namespace {

struct RawStart {
    void (*entry)(void*);
    void* arg;
};

void* runRaw(void* p) {
    RawStart start = *static_cast<RawStart*>(p);
    delete static_cast<RawStart*>(p);
    start.entry(start.arg);
    return nullptr;
}

void* runFunction(void* p) {
    std::unique_ptr<std::function<void()>> work(static_cast<std::function<void()>*>(p));
    (*work)();
    return nullptr;
}

bool createDetached(void* (*trampoline)(void*), void* payload) {
    pthread_attr_t attr;
    if (pthread_attr_init(&attr) != 0) return false;
    bool ok = pthread_attr_setdetachstate(&attr, PTHREAD_CREATE_DETACHED) == 0;
    if (ok) {
        pthread_t thread;
        ok = pthread_create(&thread, &attr, trampoline, payload) == 0;
    }
    pthread_attr_destroy(&attr);
    return ok;
}

} // namespace

bool startDetachedThread(void (*entry)(void*), void* arg) {
    if (entry == nullptr) return false;
    auto* start = new RawStart{entry, arg};
    if (createDetached(runRaw, start)) return true;
    delete start;
    return false;
}

bool startDetachedThread(std::function<void()> work) {
    if (!work) return false;
    auto* payload = new std::function<void()>(std::move(work));
    if (createDetached(runFunction, payload)) return true;
    delete payload;
    return false;
}

} // namespace hexwend::platform
