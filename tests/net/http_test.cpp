// The HTTP client: the response parser fed block by block, the exact request bytes, real web
// servers of this machine, a hostile server, the time limits, and a long run of requests.
#include "tests/net/net_support.h"
#include "tests/support/temp_folder.h"

#include <gmock/gmock.h>

#include <cstring>
#include <fstream>
#include <memory>

#if defined(__SANITIZE_ADDRESS__) || defined(__SANITIZE_THREAD__)
#define HEXWEND_NET_SANITIZED 1
#endif

namespace hexwend::testing {
namespace {

using hexwend::platform::Socket;
using hexwend::platform::SocketAddress;
using hexwend::platform::SocketKind;

// --- The response parser, fed blocks as the receive operations would --------------------

// A request that has sent its head and now takes blocks.
class Feed {
  public:
    Feed(c_HttpRequest* request, RecordingReceiver* receiver)
        : request(request), receiver(receiver) {
        request->m_lines->p_Clear(); // as after the head went out
    }
    // Bytes arriving from the server: each receive takes as much as the room after the kept
    // bytes allows, and what does not fit waits for the next receive, as on a socket.
    void block(const std::string& bytes) {
        pending += bytes;
        while (!pending.empty() && next >= 0) {
            const int room = c_HttpRequest::kReceiveBufferSize - next;
            const int n = std::min(room, int(pending.size()));
            std::memcpy(request->m_recvBuf->_data + next, pending.data(), size_t(n));
            pending.erase(0, size_t(n));
            next = request->takeBlock(next, n);
        }
    }
    void close() {
        if (next >= 0) next = request->takeBlock(next, 0);
    }
    void error() {
        if (next >= 0) next = request->takeBlock(next, -1);
    }

    c_HttpRequest* request;
    RecordingReceiver* receiver;
    int next = 0;
    std::string pending;
};

class HttpTest : public NetTest {
  protected:
    Feed feed() {
        auto* receiver = keep(new RecordingReceiver());
        auto* request = keep(
            (new c_HttpRequest())->m_new2(String("GET"), String("http://h/p"), receiver));
        return Feed(request, receiver);
    }
};

enum class Ending { Close, Error };

struct ParseCase {
    const char* name;
    std::vector<std::string> blocks;
    Ending ending;
    int status;
    std::u16string text;
};

TEST_F(HttpTest, ResponsesParseBlockByBlock) {
    const std::string ok = "HTTP/1.0 200 OK\r\n";
    const ParseCase cases[] = {
        {"head and body in one block", {ok + "A: b\r\n\r\nhello"}, Ending::Close, 200, u"hello"},
        {"a head line completed by the next block",
         {"HTTP/1.0 20", "0 OK\r\nX: y\r", "\n\r\nbo", "dy"}, Ending::Close, 200, u"body"},
        {"a two-byte character split between blocks",
         {ok + "\r\ncaf\xc3", "\xa9"}, Ending::Close, 200, u"caf\u00e9"},
        {"a three-byte character split between blocks",
         {ok + "\r\n\xe2", "\x82", "\xac."}, Ending::Close, 200, u"\u20ac."},
        {"a body that is not UTF-8", {ok + "\r\nA\xe9" "B"}, Ending::Close, 200, u"A\u00e9B"},
        {"404 delivers its body", {"HTTP/1.1 404 Not Found\r\n\r\nmissing"}, Ending::Close, 404,
         u"missing"},
        {"the status line upper-cased", {"http/1.1 201 created\n\nmade"}, Ending::Close, 201,
         u"made"},
        {"Content-Length ignored", {ok + "Content-Length: 2\r\n\r\nhello"}, Ending::Close, 200,
         u"hello"},
        {"an empty body", {ok + "\r\n"}, Ending::Close, 200, u""},
        {"a status line of two parts", {"HTTP/1.0 200\r\n\r\nbody"}, Ending::Close, -1, u""},
        {"garbage instead of a status line", {"SSH-2.0 hi there\r\n\r\nbody"}, Ending::Close, -1,
         u""},
        {"a blank first line", {"\r\n\r\nbody"}, Ending::Close, -1, u""},
        {"a close before any byte", {}, Ending::Close, -1, u""},
        {"a close inside the head", {ok + "X: y"}, Ending::Close, -1, u""},
        {"a head line longer than the receive buffer",
         {ok + "X: " + std::string(20000, 'a'), "\r\n\r\nbody"}, Ending::Close, -1, u""},
        {"a failed receive in the body", {ok + "\r\npartial"}, Ending::Error, -1, u""},
    };
    for (const ParseCase& c : cases) {
        SCOPED_TRACE(c.name);
        Feed f = feed();
        for (const std::string& b : c.blocks) f.block(b);
        if (c.ending == Ending::Close) f.close();
        if (c.ending == Ending::Error) f.error();
        EXPECT_EQ(f.next, -1) << "the request has finished";
        EXPECT_EQ(f.receiver->calls, 1);
        EXPECT_EQ(f.receiver->status, c.status);
        EXPECT_EQ(chars(f.receiver->text), c.text);
        f.close(); // nothing more reaches the receiver
        EXPECT_EQ(f.receiver->calls, 1);
    }
}

TEST_F(HttpTest, TheBodyAndTheHeadAreBoundedByOneMebibyteEach) {
    const std::string chunk(16000, 'z');
    const int limit = hexwend::net::kMaxResponseBytes;
    // A body of exactly the limit is delivered; one byte more fails the request.
    for (int extra : {0, 1}) {
        SCOPED_TRACE(extra);
        Feed f = feed();
        f.block("HTTP/1.0 200 OK\r\n\r\n");
        int sent = 0;
        while (sent < limit + extra && f.next >= 0) {
            const int n = std::min(int(chunk.size()), limit + extra - sent);
            f.block(chunk.substr(0, size_t(n)));
            sent += n;
        }
        f.close();
        EXPECT_EQ(f.receiver->calls, 1);
        EXPECT_EQ(f.receiver->status, extra ? -1 : 200);
        EXPECT_EQ(f.receiver->text.Length(), extra ? 0 : limit);
    }
    Feed endless = feed();
    endless.block("HTTP/1.0 200 OK\r\n");
    for (int i = 0; i < 70000 && endless.next >= 0; ++i) endless.block("X-More: mmmmmmmm\r\n");
    EXPECT_EQ(endless.next, -1) << "endless head lines end the request";
    EXPECT_EQ(endless.receiver->status, -1);
    EXPECT_LE(endless.request->m_lines->p_Length2(), limit / 18 + 1);
}

// --- The request on the wire -------------------------------------------------------------

struct Captured {
    std::string bytes;
    std::atomic<bool> done{false};
};

// A server that keeps what a request sends (the head, then `bodyBytes` more) and answers.
LoopbackServer::Handler capture(Captured& into, size_t bodyBytes = 0) {
    return [&into, bodyBytes](Socket& peer) {
        std::string got = readHead(peer);
        size_t headEnd = got.find("\r\n\r\n");
        char more[256];
        while (headEnd != std::string::npos && got.size() < headEnd + 4 + bodyBytes) {
            int n = peer.receive(more, sizeof more, 5000);
            if (n <= 0) break;
            got.append(more, size_t(n));
        }
        into.bytes = got;
        into.done = true;
        sendAll(peer, "HTTP/1.0 200 OK\r\n\r\nok");
    };
}

TEST_F(HttpTest, AGetSendsExactlyItsHead) {
    Captured captured;
    LoopbackServer server(capture(captured));
    RecordingReceiver* r =
        fetch("x://127.0.0.1:" + std::to_string(server.port()) + "/p?q=1#frag");
    EXPECT_EQ(r->status, 200);
    EXPECT_EQ(chars(r->text), u"ok");
    ASSERT_TRUE(captured.done);
    EXPECT_EQ(captured.bytes, "GET //p?q=1#frag HTTP/1.0\r\nHost: 127.0.0.1\r\n\r\n");
}

TEST_F(HttpTest, APostSendsItsHeadThenTheEncodedBody) {
    Captured captured;
    LoopbackServer server(capture(captured, 3));
    auto* receiver = keep(new RecordingReceiver());
    auto* request = keep((new c_HttpRequest())
                             ->m_new2(String("POST"), String(server.url("/submit").c_str()),
                                      receiver));
    request->p_Send2(String(u"n\u00e9"), String("text/plain"));
    ASSERT_TRUE(updateUntil([&] { return receiver->calls > 0; }));
    EXPECT_EQ(receiver->status, 200);
    EXPECT_EQ(captured.bytes, "POST //submit HTTP/1.0\r\nHost: 127.0.0.1\r\n"
                              "Content-Type: text/plain\r\nContent-Length: 3\r\n\r\nn\xc3\xa9");
}

TEST_F(HttpTest, AHeadTooLongForTheSendBufferFailsWithoutSendingIt) {
    Captured captured;
    LoopbackServer server(capture(captured));
    RecordingReceiver* r = fetch(server.url("/" + std::string(5000, 'p')));
    EXPECT_EQ(r->calls, 1);
    EXPECT_EQ(r->status, -1);
    EXPECT_EQ(r->text.Length(), 0);
    server.stop();
    EXPECT_EQ(captured.bytes, "") << "no head cut short went out";
}

TEST_F(HttpTest, ARefusedConnectionFails) {
    Socket unused;
    ASSERT_TRUE(unused.open(SocketKind::Stream));
    ASSERT_TRUE(unused.bind(SocketAddress{0x7F000001, 0}));
    RecordingReceiver* r = fetch("http://127.0.0.1:" + std::to_string(unused.localAddress().port));
    EXPECT_EQ(r->calls, 1);
    EXPECT_EQ(r->status, -1);
    RecordingReceiver* unresolved = fetch("http://no-such-host.invalid/");
    EXPECT_EQ(unresolved->status, -1);
}

// --- Real web servers --------------------------------------------------------------------

// A page of a few KB with multi-byte characters, as text and as its UTF-8 bytes.
std::u16string pageText() {
    std::u16string text;
    for (int i = 0; i < 300; ++i) text += u"line " + std::u16string(1, u'A' + i % 26) + u" caf\u00e9 \u20ac\n";
    return text;
}

void writeFile(const std::string& path, const std::u16string& text) {
    std::ofstream out(path, std::ios::binary);
    out << String(text.data(), int(text.size())).ToUtf8();
}

TEST_F(HttpTest, PythonsHttpServerDeliversAFileAndA404WithItsBody) {
    TempFolder folder;
    ASSERT_TRUE(folder.ok());
    writeFile(folder / "page.txt", pageText());
    ServerProcess python({"/usr/bin/python3", "-u", "-m", "http.server", "0", "--bind",
                          "127.0.0.1", "--directory", folder.path()});
    const std::string banner = python.readLine();
    const size_t at = banner.find(" port ");
    ASSERT_NE(at, std::string::npos) << "http.server said: " << banner;
    const std::string base = "http://127.0.0.1:" + std::to_string(std::atoi(banner.c_str() + at + 6));

    RecordingReceiver* page = fetch(base + "/page.txt");
    EXPECT_EQ(page->status, 200);
    EXPECT_EQ(chars(page->text), pageText());
    RecordingReceiver* missing = fetch(base + "/missing.txt");
    EXPECT_EQ(missing->status, 404);
    EXPECT_THAT(page->text.Length(), ::testing::Gt(0));
    EXPECT_NE(missing->text.Find(String("404")), -1) << "the error page is delivered";
}

TEST_F(HttpTest, NginxDeliversAFileByteForByte) {
    Nginx nginx;
    ASSERT_TRUE(nginx.start()) << "nginx did not start";
    writeFile(nginx.www("page.txt"), pageText());
    RecordingReceiver* page = fetch(nginx.url("/page.txt"));
    EXPECT_EQ(page->status, 200);
    EXPECT_EQ(chars(page->text), pageText());
    RecordingReceiver* missing = fetch(nginx.url("/missing.txt"));
    EXPECT_EQ(missing->status, 404);
    EXPECT_NE(missing->text.Find(String("404")), -1);
}

// --- A hostile server --------------------------------------------------------------------

class HostileServerTest : public HttpTest {
  protected:
    void SetUp() override {
        HttpTest::SetUp();
        server_ = std::make_unique<ServerProcess>(std::vector<std::string>{
            "/usr/bin/python3", HEXWEND_SOURCE_DIR "/tests/net/hostile_server.py"});
        port_ = std::atoi(server_->readLine().c_str());
        ASSERT_GT(port_, 0) << "the hostile server did not start";
    }
    void TearDown() override {
        HttpTest::TearDown();
        server_.reset();
    }
    std::string url(const std::string& mode) const {
        return "http://127.0.0.1:" + std::to_string(port_) + "/" + mode;
    }

    std::unique_ptr<ServerProcess> server_;
    int port_ = 0;
};

struct HostileCase {
    const char* mode;
    int status;
    std::u16string text;
};

TEST_F(HostileServerTest, EveryMisbehaviourEndsTheRequestOnce) {
    hexwend::net::receiveTimeoutMs = 1000;
    const HostileCase cases[] = {
        {"ok", 200, u"hello body"},
        {"bytewise", 200, u"hello body"},
        {"split", 200, u"caf\u00e9 \u20ac!"},
        {"nothing-here", 404, u"no such mode"},
        {"twopart", -1, u""},
        {"garbage", -1, u""},
        {"close", -1, u""},
        {"longline", -1, u""},
        {"huge", -1, u""},
        {"endlesshead", -1, u""},
        {"silent", -1, u""},              // accepts and never answers: the receive time-out
        {"drip?ms=1600", -1, u""},        // a byte per 1.6 s against a 1 s limit
        {"drip?ms=5", 200, u"drip"},      // the limit is per block, not for the whole reply
    };
    // All at once, as separate requests: each ends by itself.
    std::vector<RecordingReceiver*> receivers;
    for (const HostileCase& c : cases) receivers.push_back(get(url(c.mode)).second);
    ASSERT_TRUE(updateUntil(
        [&] {
            for (RecordingReceiver* r : receivers) {
                if (r->calls == 0) return false;
            }
            return true;
        },
        30s));
    for (int i = 0; i < 20; ++i) update();
    for (size_t i = 0; i < receivers.size(); ++i) {
        SCOPED_TRACE(cases[i].mode);
        EXPECT_EQ(receivers[i]->calls, 1);
        EXPECT_EQ(receivers[i]->status, cases[i].status);
        EXPECT_EQ(chars(receivers[i]->text), cases[i].text);
    }
}

TEST_F(HostileServerTest, ASilentServerTimesOutAtTheLimit) {
    hexwend::net::receiveTimeoutMs = 300;
    const auto start = std::chrono::steady_clock::now();
    RecordingReceiver* r = fetch(url("silent"));
    const auto took = std::chrono::steady_clock::now() - start;
    EXPECT_EQ(r->calls, 1);
    EXPECT_EQ(r->status, -1);
    EXPECT_GE(took, 290ms);
    EXPECT_LT(took, 5s);
}

// A listener whose accept queue is full: the system drops the handshake and would retry for
// minutes.
TEST_F(HttpTest, AConnectTimeOutFailsTheRequest) {
    hexwend::net::connectTimeoutMs = 300;
    Socket listener;
    ASSERT_TRUE(listener.open(SocketKind::Server));
    ASSERT_TRUE(listener.bind(SocketAddress{0x7F000001, 0}));
    ASSERT_TRUE(listener.listen(1));
    std::vector<Socket> waiting(8);
    bool full = false;
    for (Socket& w : waiting) {
        ASSERT_TRUE(w.open(SocketKind::Stream));
        if (!w.connect(listener.localAddress(), 300)) {
            full = true;
            break;
        }
    }
    ASSERT_TRUE(full);
    const auto start = std::chrono::steady_clock::now();
    RecordingReceiver* r =
        fetch("http://127.0.0.1:" + std::to_string(listener.localAddress().port) + "/", 5s);
    EXPECT_LT(std::chrono::steady_clock::now() - start, 3s);
    EXPECT_EQ(r->calls, 1);
    EXPECT_EQ(r->status, -1);
    EXPECT_EQ(r->text.Length(), 0);
}

// --- Many requests in a row --------------------------------------------------------------

TEST_F(HttpTest, ManyRequestsInARowLeaveNoSourcesThreadsOrMemoryBehind) {
#ifdef HEXWEND_NET_SANITIZED
    const int requests = 1000; // the sanitizers' own bookkeeping makes memory meaningless
#else
    const int requests = 10000;
#endif
    const std::string reply = "HTTP/1.0 200 OK\r\n\r\n" + std::string(2048, 'r');
    LoopbackServer server([&reply](Socket& peer) {
        readHead(peer);
        sendAll(peer, reply);
    });
    const String url(server.url("/scores").c_str());
    auto* receiver = keep(new RecordingReceiver());
    int mostSources = 0;
    receiver->onComplete = [&](c_HttpRequest*) {
        mostSources = std::max(mostSources, rt_asyncevent__sources->p_Length2());
    };
    [[maybe_unused]] long residentAfterThousand = 0; // measured in unsanitized builds only
    for (int i = 0; i < requests; ++i) {
        (new c_HttpRequest())->m_new2(String("GET"), url, receiver)->p_Send();
        const int before = receiver->calls;
        const auto deadline = std::chrono::steady_clock::now() + 10s;
        while (receiver->calls == before && std::chrono::steady_clock::now() < deadline) {
            const unsigned seen = hexwend::net::asyncProgress();
            update();
            // Sleeps until a worker has finished something rather than polling.
            if (receiver->calls == before && workersRunning()) {
                hexwend::net::waitForAsyncProgress(seen);
            }
        }
        ASSERT_EQ(receiver->calls, i + 1) << "request " << i << " did not end";
        ASSERT_EQ(receiver->status, 200);
        ASSERT_EQ(receiver->text.Length(), 2048);
        if (i + 1 == 1000) residentAfterThousand = residentBytes();
    }
    // The request's own socket is listed at its completion; the previous one may still be
    // there when its last worker was held up between its final operation and its end.
    EXPECT_LE(mostSources, 2) << "closed sockets stayed on the source list";
    server.stop();
    EXPECT_TRUE(updateUntil([] { return rt_asyncevent__sources->p_Length2() == 0; }, 5s));
    EXPECT_TRUE(noWorkers()) << "an idle client has no worker threads";
#ifndef HEXWEND_NET_SANITIZED
    const long growth = residentBytes() - residentAfterThousand;
    RecordProperty("resident_growth_bytes", std::to_string(growth));
    EXPECT_LT(growth, 1L << 20) << "resident memory grew by " << growth << " bytes";
#endif
}

} // namespace
} // namespace hexwend::testing
