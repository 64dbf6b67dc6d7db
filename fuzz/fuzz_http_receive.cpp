// libFuzzer target: arbitrary bytes handed to an HTTP request as received blocks, cut at
// arbitrary points. The input's first byte seeds the cuts; the rest is the response. Whatever
// arrives, nothing may crash or read out of bounds, and:
// - the receiver is called exactly once, once the blocks and then the close have arrived;
// - a failed request (status -1) has an empty response text;
// - the response text has no more characters than the body had bytes, and at most the limit.
#include "net/net.h"
#include "runtime/gc.h"
#include "runtime/init.h"

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <cstring>

namespace {

void check(bool condition) {
    if (!condition) std::abort();
}

class Receiver : public Object, public virtual c_IOnHttpRequestComplete {
  public:
    int calls = 0;
    int p_OnHttpRequestComplete(c_HttpRequest*) override {
        ++calls;
        return 0;
    }
};

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size == 0) return 0;
    static bool started = false;
    if (!started) {
        hexwend::net::registerModules();
        started = true;
    }
    gc_clear_roots();
    gc_reset();
    rtInit();

    auto* receiver = new Receiver();
    auto* request = (new c_HttpRequest())->m_new2(String("GET"), String("http://h/"), receiver);
    request->m_lines->p_Clear();

    uint32_t seed = data[0] * 2654435761u + 1;
    const uint8_t* bytes = data + 1;
    size_t left = size - 1;
    int next = 0;
    while (left > 0 && next >= 0) {
        seed = seed * 1103515245u + 12345u;
        const size_t cut = 1 + (seed >> 8) % std::min<size_t>(left, 2048);
        const int room = c_HttpRequest::kReceiveBufferSize - next;
        const int n = std::min(room, int(cut));
        std::memcpy(request->m_recvBuf->_data + next, bytes, size_t(n));
        next = request->takeBlock(next, n);
        bytes += cut;
        left -= cut;
    }
    if (next >= 0) request->takeBlock(next, 0);

    check(receiver->calls == 1);
    check(request->finished());
    if (request->m_status == -1) check(request->p_ResponseText().Length() == 0);
    check(request->p_ResponseText().Length() <= request->m_bytesReceived);
    check(request->m_bytesReceived <= hexwend::net::kMaxResponseBytes || request->m_status == -1);
    return 0;
}
