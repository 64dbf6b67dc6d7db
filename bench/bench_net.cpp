// The HTTP client against a real server on this machine, side by side with libcurl, and the
// event dispatch when nothing is pending.
//
// BM_SequentialGets: rounds of 100 GETs of a 2 KB file from nginx on loopback (a new
// connection each), alternately through our client and through libcurl's easy interface
// (HTTP/1.0, no connection reuse), so that both meet the same load. Counters:
//   ours_us, curl_us   wall time per request; ratio = ours / curl
//   main_cpu_us        CPU time of the main thread per request for our client: creating and
//                      sending the request and every dispatch pass that completed something,
//                      thread creation included; the worker threads and idle passes excluded
//   curl_cpu_us        CPU time per request of the thread running libcurl
// Our client's main thread runs a dispatch pass, then sleeps until a worker has finished
// something (as libcurl sleeps in poll until the socket is ready); with a non-zero argument it
// polls instead, a pass every that many microseconds.
#include "net/net.h"
#include "runtime/gc.h"
#include "runtime/init.h"
#include "tests/net/server_processes.h"

#include <benchmark/benchmark.h>
#include <curl/curl.h>

#include <ctime>
#include <fstream>
#include <string>

namespace {

using Clock = std::chrono::steady_clock;

double threadCpuUs() {
    timespec t;
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
    return double(t.tv_sec) * 1e6 + double(t.tv_nsec) / 1e3;
}

class Receiver : public Object, public virtual c_IOnHttpRequestComplete {
  public:
    int calls = 0;
    int status = 0;
    int length = 0;
    int p_OnHttpRequestComplete(c_HttpRequest* request) override {
        ++calls;
        status = request->m_status;
        length = request->p_ResponseText().Length();
        return 0;
    }
};

Receiver* receiver = nullptr;

void startRuntime() {
    gc_clear_roots();
    gc_reset();
    hexwend::net::registerModules();
    rtInit();
    receiver = new Receiver();
    gc_add_root("bench receiver", receiver);
    gc_init2();
}

// Executed operations of the listed sockets that wait for their completion.
bool completionsWaiting() {
    for (int i = 0; i < rt_asyncevent__sources->p_Length2(); ++i) {
        auto* s = dynamic_cast<c_Socket*>(rt_asyncevent__sources->p_Get(i));
        if (!s) continue;
        for (c_AsyncQueue* q : {s->m_rqueue, s->m_wqueue}) {
            if (q->m_done.load() != q->m_run.load()) return true;
        }
        if (s->m_state == 0) return true; // its removal is work too
    }
    return false;
}

// One GET through our client; adds the main thread's CPU time to `mainCpu` when asked.
std::chrono::microseconds pause{0};

// True while a worker of a listed socket runs; only then is there progress to wait for.
bool workersRunning() {
    for (int i = 0; i < rt_asyncevent__sources->p_Length2(); ++i) {
        auto* s = dynamic_cast<c_Socket*>(rt_asyncevent__sources->p_Get(i));
        if (s && (s->m_rqueue->IsRunning() || s->m_wqueue->IsRunning())) return true;
    }
    return false;
}

bool ourGet(const String& url, double* mainCpu) {
    const int before = receiver->calls;
    double c0 = mainCpu ? threadCpuUs() : 0;
    (new c_HttpRequest())->m_new2(String("GET"), url, receiver)->p_Send();
    if (mainCpu) *mainCpu += threadCpuUs() - c0;
    while (receiver->calls == before) {
        const unsigned seen = hexwend::net::asyncProgress();
        const bool measure = mainCpu && completionsWaiting();
        if (measure) c0 = threadCpuUs();
        rt_asyncevent_UpdateAsyncEvents();
        gc_collect();
        if (measure) *mainCpu += threadCpuUs() - c0;
        if (pause.count() > 0) {
            std::this_thread::sleep_for(pause);
        } else if (receiver->calls == before && workersRunning()) {
            hexwend::net::waitForAsyncProgress(seen);
        }
    }
    return receiver->status == 200 && receiver->length == 2048;
}

size_t keepBody(char* data, size_t size, size_t count, void* into) {
    static_cast<std::string*>(into)->append(data, size * count);
    return size * count;
}

bool curlGet(CURL* curl, std::string& body) {
    body.clear();
    long status = 0;
    return curl_easy_perform(curl) == CURLE_OK &&
           curl_easy_getinfo(curl, CURLINFO_RESPONSE_CODE, &status) == CURLE_OK &&
           status == 200 && body.size() == 2048;
}

void BM_SequentialGets(benchmark::State& state) {
    hexwend::testing::Nginx nginx;
    if (!nginx.start()) {
        state.SkipWithError("nginx did not start");
        return;
    }
    std::ofstream(nginx.www("reply.txt")) << std::string(2048, 'r');
    const std::string url = nginx.url("/reply.txt");
    startRuntime();
    pause = std::chrono::microseconds(state.range(0));

    curl_global_init(CURL_GLOBAL_DEFAULT);
    CURL* curl = curl_easy_init();
    std::string body;
    curl_easy_setopt(curl, CURLOPT_URL, url.c_str());
    curl_easy_setopt(curl, CURLOPT_HTTP_VERSION, long(CURL_HTTP_VERSION_1_0));
    curl_easy_setopt(curl, CURLOPT_FORBID_REUSE, 1L);
    curl_easy_setopt(curl, CURLOPT_FRESH_CONNECT, 1L);
    curl_easy_setopt(curl, CURLOPT_NOSIGNAL, 1L);
    curl_easy_setopt(curl, CURLOPT_WRITEFUNCTION, keepBody);
    curl_easy_setopt(curl, CURLOPT_WRITEDATA, &body);

    const String ourUrl(url.c_str());
    constexpr int kRounds = 10, kPerRound = 100;
    double oursUs = 0, curlUs = 0, mainCpu = 0, curlCpu = 0;
    int failures = 0, n = 0;
    for (auto _ : state) {
        for (int round = 0; round < kRounds; ++round) {
            auto t0 = Clock::now();
            for (int i = 0; i < kPerRound; ++i) failures += !ourGet(ourUrl, nullptr);
            auto t1 = Clock::now();
            const double c0 = threadCpuUs();
            for (int i = 0; i < kPerRound; ++i) failures += !curlGet(curl, body);
            curlCpu += threadCpuUs() - c0;
            auto t2 = Clock::now();
            for (int i = 0; i < kPerRound; ++i) failures += !ourGet(ourUrl, &mainCpu);
            oursUs += std::chrono::duration<double, std::micro>(t1 - t0).count();
            curlUs += std::chrono::duration<double, std::micro>(t2 - t1).count();
            n += kPerRound;
        }
    }
    curl_easy_cleanup(curl);
    curl_global_cleanup();
    if (failures > 0) state.SkipWithError("a request failed");
    state.counters["ours_us"] = oursUs / n;
    state.counters["curl_us"] = curlUs / n;
    state.counters["ratio"] = oursUs / curlUs;
    state.counters["main_cpu_us"] = mainCpu / n;
    state.counters["curl_cpu_us"] = curlCpu / n;
    gc_clear_roots();
    gc_reset();
}
BENCHMARK(BM_SequentialGets)->Arg(0)->Iterations(1)->Unit(benchmark::kMillisecond)->UseRealTime();

// One dispatch pass with nothing pending: over an empty source list, and over one open,
// idle socket.
void BM_DispatchNothingPending(benchmark::State& state) {
    startRuntime();
    if (state.range(0) > 0) (new c_Socket())->m_new(); // listed as a source from now on
    for (auto _ : state) rt_asyncevent_UpdateAsyncEvents();
    gc_clear_roots();
    gc_reset();
}
BENCHMARK(BM_DispatchNothingPending)->Arg(0)->Arg(1);

} // namespace
