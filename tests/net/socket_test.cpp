// The language-level socket against loopback peers run by the test.
#include "tests/net/net_support.h"

#include <gmock/gmock.h>

namespace hexwend::testing {
namespace {

using hexwend::platform::Socket;
using hexwend::platform::SocketAddress;
using hexwend::platform::SocketKind;

// Records the results of a socket's operations.
class SocketLog : public Object,
                  public virtual c_IOnConnectComplete,
                  public virtual c_IOnSendComplete,
                  public virtual c_IOnReceiveComplete {
  public:
    std::vector<int> connects; // 1 connected, 0 not
    std::vector<int> sends;
    std::vector<int> receives;
    int p_OnConnectComplete(bool connected, c_Socket*) override {
        connects.push_back(connected ? 1 : 0);
        return 0;
    }
    int p_OnSendComplete(c_DataBuffer*, int, int count, c_Socket*) override {
        sends.push_back(count);
        return 0;
    }
    int p_OnReceiveComplete(c_DataBuffer*, int, int count, c_Socket*) override {
        receives.push_back(count);
        return 0;
    }
};

class SocketTest : public NetTest {
  protected:
    c_Socket* stream() { return keep((new c_Socket())->m_new(String("stream"))); }
    c_DataBuffer* buffer(int n) { return keep((new c_DataBuffer())->m_new(n)); }
    // Connects `s` to the port and updates until the connect has completed.
    bool connect(c_Socket* s, const char* host, int port) {
        s->p_ConnectAsync(String(host), port, log);
        EXPECT_TRUE(updateUntil([&] { return !log->connects.empty(); }));
        return !log->connects.empty() && log->connects.back() == 1;
    }

    void SetUp() override {
        NetTest::SetUp();
        log = keep(new SocketLog());
    }

    SocketLog* log = nullptr;
};

TEST_F(SocketTest, AStreamSocketOpensUnconnectedAndIgnoresCallsInTheWrongState) {
    c_Socket* s = stream();
    EXPECT_TRUE(s->p_IsOpen());
    EXPECT_FALSE(s->p_IsConnected());
    EXPECT_FALSE(s->p_IsListening());
    EXPECT_EQ(s->m_proto, 1);
    EXPECT_GE(s->m_sock->_sock.nativeHandle(), 0);
    EXPECT_EQ(rt_asyncevent__sources->p_Length2(), 1);

    c_DataBuffer* b = buffer(4);
    s->p_SendAsync(b, 0, 4, log);
    s->p_ReceiveAsync(b, 0, 4, log);
    for (int i = 0; i < 5; ++i) update();
    EXPECT_TRUE(log->sends.empty());
    EXPECT_TRUE(log->receives.empty());
    EXPECT_EQ(threadCount(), baselineThreads_) << "nothing was started";
}

TEST_F(SocketTest, AnUnknownProtocolIsARuntimeError) {
    EXPECT_EXIT(
        {
            ::dup2(2, 1);
            (new c_Socket())->m_new(String("tcp"));
        },
        ::testing::ExitedWithCode(255), "Vorpix Runtime Error : Illegal socket protocol");
}

TEST_F(SocketTest, ExchangesBytesWithAPeerAndSeesItClose) {
    LoopbackServer server([](Socket& peer) {
        char bytes[5];
        int n = peer.receive(bytes, sizeof bytes, 5000);
        if (n > 0) peer.send(bytes, n); // echo once, then close
    });
    c_Socket* s = stream();
    s->p_ConnectAsync(String("127.0.0.1"), server.port(), log);
    EXPECT_TRUE(log->connects.empty()) << "completions come from the dispatch only";
    ASSERT_TRUE(updateUntil([&] { return !log->connects.empty(); }));
    ASSERT_EQ(log->connects[0], 1);
    EXPECT_TRUE(s->p_IsConnected());
    EXPECT_EQ(s->m_state, 7);

    c_DataBuffer* out = buffer(5);
    out->p_PokeString(0, String("hello"), String("ascii"));
    c_DataBuffer* in = buffer(16);
    s->p_SendAsync(out, 0, 5, log);
    s->p_ReceiveAsync(in, 2, 14, log);
    ASSERT_TRUE(updateUntil([&] { return !log->sends.empty() && !log->receives.empty(); }));
    EXPECT_EQ(log->sends[0], 5);
    ASSERT_EQ(log->receives[0], 5);
    EXPECT_EQ(in->p_PeekString(2, 5, String("ascii")), String("hello"));

    s->p_ReceiveAsync(in, 0, 16, log);
    ASSERT_TRUE(updateUntil([&] { return log->receives.size() == 2; }));
    EXPECT_EQ(log->receives[1], 0) << "the peer's close reads as 0 bytes";

    s->p_ConnectAsync(String("127.0.0.1"), server.port(), log); // already connected
    for (int i = 0; i < 5; ++i) update();
    EXPECT_EQ(log->connects.size(), 1u);
}

// An unresolvable name leaves the any-address, which the system would route to a listener on
// this machine; the connect must fail instead.
TEST_F(SocketTest, ANameThatDoesNotResolveFailsToConnectInALaterUpdate) {
    Socket any;
    ASSERT_TRUE(any.open(SocketKind::Server));
    ASSERT_TRUE(any.bind(SocketAddress::any(0)));
    ASSERT_TRUE(any.listen(4));
    const int port = any.localAddress().port;
    c_Socket* s = stream();
    EXPECT_FALSE(connect(s, "no-such-host.invalid", port));
    EXPECT_EQ(log->connects.size(), 1u);
    EXPECT_TRUE(s->p_IsOpen());
    EXPECT_FALSE(s->p_IsConnected()) << "a failed connect leaves it open and unconnected";
}

// A socket closed while its connect runs stays closed, however the connect ends, and leaves
// the source list.
TEST_F(SocketTest, ASocketClosedWhileConnectingIsNeverReportedConnected) {
    LoopbackServer server([](Socket& peer) { readHead(peer); });
    c_Socket* s = stream();
    s->p_ConnectAsync(String("127.0.0.1"), server.port(), log);
    // The connect has been made on the worker, but its completion has not run yet.
    const auto deadline = std::chrono::steady_clock::now() + 10s;
    while (s->m_rqueue->m_run.load() == 0 && std::chrono::steady_clock::now() < deadline) {
        std::this_thread::sleep_for(1ms);
    }
    s->p_Close();
    ASSERT_TRUE(updateUntil([&] { return !log->connects.empty(); }));
    EXPECT_EQ(log->connects[0], 0);
    EXPECT_EQ(s->m_state, 0);
    EXPECT_TRUE(updateUntil([] { return rt_asyncevent__sources->p_Length2() == 0; }));
}

TEST_F(SocketTest, AClosedSocketLeavesTheSourceListOnceItsWorkersAreDone) {
    LoopbackServer server([](Socket& peer) { readHead(peer); }); // holds until we close
    c_Socket* first = stream();
    c_Socket* busy = stream();
    c_Socket* last = stream();
    ASSERT_TRUE(connect(busy, "127.0.0.1", server.port()));

    // A receive that blocks on its worker keeps the closed socket listed until it returns.
    c_DataBuffer* in = buffer(16);
    busy->p_ReceiveAsync(in, 0, 16, log);
    for (int i = 0; i < 20 && !busy->m_rqueue->IsRunning(); ++i) update();
    first->p_Close();
    update();
    EXPECT_EQ(rt_asyncevent__sources->p_Length2(), 2) << "the idle closed socket leaves at once";
    EXPECT_EQ(rt_asyncevent__sources->p_Get(0), static_cast<c_IAsyncEventSource*>(busy));
    EXPECT_EQ(rt_asyncevent__sources->p_Get(1), static_cast<c_IAsyncEventSource*>(last));

    busy->p_Close(); // wakes the blocked receive
    ASSERT_TRUE(updateUntil([&] { return rt_asyncevent__sources->p_Length2() == 1; }));
    EXPECT_EQ(rt_asyncevent__sources->p_Get(0), static_cast<c_IAsyncEventSource*>(last));
    ASSERT_EQ(log->receives.size(), 1u);
    EXPECT_LE(log->receives[0], 0);
    server.stop();
    EXPECT_TRUE(noWorkers());
}

} // namespace
} // namespace hexwend::testing
