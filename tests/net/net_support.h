// Shared set-up of the net tests: a fresh runtime with the net layer's globals, updates that
// dispatch and collect as the host does, objects kept alive for the test, loopback servers
// run inside the test and server programs run as processes of their own.
#pragma once

#include "net/net.h"
#include "platform/socket.h"
#include "runtime/gc.h"
#include "runtime/init.h"
#include "tests/net/server_processes.h"

#include <gtest/gtest.h>

#include <dirent.h>
#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <cstdio>
#include <functional>
#include <string>
#include <thread>
#include <vector>

namespace hexwend::testing {

using namespace std::chrono_literals;

// The threads of this process.
inline int threadCount() {
    int n = 0;
    if (DIR* d = ::opendir("/proc/self/task")) {
        while (dirent* e = ::readdir(d)) {
            if (e->d_name[0] != '.') ++n;
        }
        ::closedir(d);
    }
    return n;
}

// The resident memory of this process, in bytes.
inline long residentBytes() {
    long pages = 0, resident = 0;
    if (FILE* f = std::fopen("/proc/self/statm", "r")) {
        if (std::fscanf(f, "%ld %ld", &pages, &resident) != 2) resident = 0;
        std::fclose(f);
    }
    return resident * ::sysconf(_SC_PAGESIZE);
}

inline std::u16string chars(const String& s) {
    return std::u16string(s.Data(), size_t(s.Length()));
}

// Records what a request hands its receiver.
class RecordingReceiver : public Object, public virtual c_IOnHttpRequestComplete {
  public:
    int calls = 0;
    int status = -2;
    String text;
    std::function<void(c_HttpRequest*)> onComplete;

    int p_OnHttpRequestComplete(c_HttpRequest* request) override {
        ++calls;
        status = request->m_status;
        text = request->p_ResponseText();
        if (onComplete) onComplete(request);
        return 0;
    }
};

class NetTest : public ::testing::Test {
  protected:
    static constexpr int kKept = 256;

    void SetUp() override {
        rtClearModuleInits();
        gc_clear_roots();
        gc_reset();
        hexwend::net::registerModules();
        rtInit();
        gc_assign(kept_, Array<Object*>(kKept));
        gc_add_root("net test objects", kept_);
        gc_init2();
        // A sanitizer may add a helper thread of its own at the first thread the process
        // starts; one started and joined here puts it in the baseline.
        std::thread([] {}).join();
        baselineThreads_ = threadCount();
    }

    void TearDown() override {
        // Every worker must be gone before the collector's objects are destroyed.
        for (int i = 0; i < rt_asyncevent__sources->p_Length2(); ++i) {
            if (auto* s = dynamic_cast<c_Socket*>(rt_asyncevent__sources->p_Get(i))) s->p_Close();
        }
        const bool settled = updateUntil([] { return socketSources() == 0 && queuesIdle(); }, 20s);
        EXPECT_TRUE(settled) << "sockets still busy at the end of the test";
        EXPECT_TRUE(noWorkers()) << "worker threads still running at the end of the test";
        gc_clear_roots();
        if (settled) gc_reset();
    }

    // Keeps an object alive until the end of the test.
    template <class T> T* keep(T* object) {
        gc_assign(kept_[keptCount_++ % kKept], static_cast<Object*>(object));
        return object;
    }

    // One update's share of the network work: the dispatch, then a collection step.
    static void update() {
        rt_asyncevent_UpdateAsyncEvents();
        gc_collect();
    }

    // Updates, a millisecond apart, until `done` holds or `limit` has passed.
    template <class F> static bool updateUntil(F done, std::chrono::milliseconds limit = 15s) {
        const auto deadline = std::chrono::steady_clock::now() + limit;
        for (;;) {
            update();
            if (done()) return true;
            if (std::chrono::steady_clock::now() > deadline) return false;
            std::this_thread::sleep_for(1ms);
        }
    }

    // True while a worker of a listed socket runs.
    static bool workersRunning() {
        for (int i = 0; i < rt_asyncevent__sources->p_Length2(); ++i) {
            auto* s = dynamic_cast<c_Socket*>(rt_asyncevent__sources->p_Get(i));
            if (s && (s->m_rqueue->IsRunning() || s->m_wqueue->IsRunning())) return true;
        }
        return false;
    }

    // True when every queue on the source list is idle: nothing waits, nothing executes and its
    // worker has ended (read with acquire ordering, so its last writes are seen).
    static bool queuesIdle() {
        for (int i = 0; i < rt_asyncevent__sources->p_Length2(); ++i) {
            auto* q = dynamic_cast<c_AsyncQueue*>(rt_asyncevent__sources->p_Get(i));
            if (q && !q->isIdle()) return false;
        }
        return true;
    }

    static int socketSources() {
        int n = 0;
        for (int i = 0; i < rt_asyncevent__sources->p_Length2(); ++i) {
            if (dynamic_cast<c_Socket*>(rt_asyncevent__sources->p_Get(i))) ++n;
        }
        return n;
    }

    // True once the process is back to the threads it had when the test began (a worker that
    // has finished its work takes a moment to end).
    bool noWorkers(std::chrono::milliseconds limit = 5s) const {
        const auto deadline = std::chrono::steady_clock::now() + limit;
        while (threadCount() > baselineThreads_) {
            if (std::chrono::steady_clock::now() > deadline) return false;
            std::this_thread::sleep_for(1ms);
        }
        return true;
    }

    // A request sent to `url`, reporting to a new recording receiver.
    std::pair<c_HttpRequest*, RecordingReceiver*> get(const std::string& url) {
        auto* receiver = keep(new RecordingReceiver());
        auto* request =
            keep((new c_HttpRequest())->m_new2(String("GET"), String(url.c_str()), receiver));
        request->p_Send();
        return {request, receiver};
    }

    // Sends a GET and updates until its receiver has been called (or 15 s have passed).
    RecordingReceiver* fetch(const std::string& url, std::chrono::milliseconds limit = 15s) {
        RecordingReceiver* receiver = get(url).second;
        EXPECT_TRUE(updateUntil([receiver] { return receiver->calls > 0; }, limit))
            << "no answer from " << url;
        return receiver;
    }

    int baselineThreads_ = 0;

  private:
    Array<Object*> kept_;
    int keptCount_ = 0;
};

// A loopback server on a thread of the test: accepts connections one after another and hands
// each to `serve`, until stopped.
class LoopbackServer {
  public:
    using Handler = std::function<void(hexwend::platform::Socket&)>;

    explicit LoopbackServer(Handler serve, int backlog = 16) : serve_(std::move(serve)) {
        using hexwend::platform::SocketAddress;
        using hexwend::platform::SocketKind;
        if (!listener_.open(SocketKind::Server) ||
            !listener_.bind(SocketAddress{0x7F000001, 0}) || !listener_.listen(backlog)) {
            return;
        }
        port_ = listener_.localAddress().port;
        thread_ = std::thread([this] {
            for (;;) {
                hexwend::platform::Socket client = listener_.accept();
                if (!client.isOpen()) return; // stopped
                serve_(client);
                ++served_;
            }
        });
    }
    ~LoopbackServer() { stop(); }

    void stop() {
        listener_.close();
        if (thread_.joinable()) thread_.join();
    }

    int port() const { return port_; }
    int served() const { return served_.load(); }
    std::string url(const std::string& path = "/") const {
        return "http://127.0.0.1:" + std::to_string(port_) + path;
    }

  private:
    Handler serve_;
    hexwend::platform::Socket listener_;
    int port_ = 0;
    std::atomic<int> served_{0};
    std::thread thread_;
};

// Reads a request head (up to the blank line) from a connection; bounded by `limit` bytes.
inline std::string readHead(hexwend::platform::Socket& s, size_t limit = 65536) {
    std::string head;
    char buffer[1024];
    while (head.find("\r\n\r\n") == std::string::npos && head.size() < limit) {
        int n = s.receive(buffer, sizeof buffer, 5000);
        if (n <= 0) break;
        head.append(buffer, size_t(n));
    }
    return head;
}

inline void sendAll(hexwend::platform::Socket& s, const std::string& bytes) {
    size_t sent = 0;
    while (sent < bytes.size()) {
        int n = s.send(bytes.data() + sent, int(bytes.size() - sent));
        if (n <= 0) return;
        sent += size_t(n);
    }
}

} // namespace hexwend::testing
