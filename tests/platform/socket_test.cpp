#include "platform/socket.h"

#include <gtest/gtest.h>

#include <signal.h>
#include <sys/socket.h>
#include <sys/time.h>

#include <chrono>
#include <cstring>
#include <future>
#include <string>
#include <thread>
#include <vector>

namespace {

using hexwend::platform::resolveAddress;
using hexwend::platform::Socket;
using hexwend::platform::SocketAddress;
using hexwend::platform::SocketKind;
using Clock = std::chrono::steady_clock;

constexpr std::uint32_t kLoopback = 0x7F000001;

// Keeps a faulty test from blocking for long: every wait on this socket gives up after a few
// seconds with -1.
void boundWaits(Socket& socket) {
    timeval limit{5, 0};
    setsockopt(socket.nativeHandle(), SOL_SOCKET, SO_RCVTIMEO, &limit, sizeof limit);
    setsockopt(socket.nativeHandle(), SOL_SOCKET, SO_SNDTIMEO, &limit, sizeof limit);
}

std::vector<char> pattern(std::size_t size, unsigned seed) {
    std::vector<char> bytes(size);
    for (std::size_t i = 0; i < size; ++i) bytes[i] = static_cast<char>((i * 131 + seed) >> 3);
    return bytes;
}

bool sendAll(Socket& socket, const std::vector<char>& bytes) {
    std::size_t sent = 0;
    while (sent < bytes.size()) {
        int n = socket.send(bytes.data() + sent, static_cast<int>(bytes.size() - sent));
        if (n <= 0) return false;
        sent += static_cast<std::size_t>(n);
    }
    return true;
}

std::vector<char> receiveAll(Socket& socket, std::size_t size) {
    std::vector<char> bytes(size);
    std::size_t got = 0;
    while (got < size) {
        int n = socket.receive(bytes.data() + got, static_cast<int>(size - got));
        if (n <= 0) break;
        got += static_cast<std::size_t>(n);
    }
    bytes.resize(got);
    return bytes;
}

// A listening server socket on a free loopback port.
class PlatformSocket : public ::testing::Test {
  protected:
    void SetUp() override {
        // A write to a closed connection must never raise SIGPIPE; with the default action in
        // place, one would end this test process.
        signal(SIGPIPE, SIG_DFL);
        ASSERT_TRUE(listener.open(SocketKind::Server));
        ASSERT_TRUE(listener.bind(SocketAddress{kLoopback, 0}));
        ASSERT_TRUE(listener.listen(8));
        boundWaits(listener);
        address = listener.localAddress();
    }

    // Connects `client` to the listener and accepts the other end into `server`.
    void connectPair(Socket& client, Socket& server) {
        ASSERT_TRUE(client.open(SocketKind::Stream));
        ASSERT_TRUE(client.connect(address));
        server = listener.accept();
        ASSERT_TRUE(server.isOpen());
        boundWaits(client);
        boundWaits(server);
    }

    Socket listener;
    SocketAddress address;
};

TEST_F(PlatformSocket, ListensOnAFreeLoopbackPort) {
    EXPECT_EQ(address.address, kLoopback);
    EXPECT_GT(address.port, 0);
    EXPECT_EQ(address.host(), "127.0.0.1");
}

TEST_F(PlatformSocket, ExchangesBytesBothWaysAndSeesThePeerClose) {
    Socket client, server;
    connectPair(client, server);
    EXPECT_EQ(server.kind(), SocketKind::Stream);
    EXPECT_EQ(client.remoteAddress(), address);
    EXPECT_EQ(server.remoteAddress(), client.localAddress());
    EXPECT_EQ(server.localAddress(), address);

    const std::vector<char> request = pattern(100, 1);
    ASSERT_TRUE(sendAll(client, request));
    EXPECT_EQ(receiveAll(server, request.size()), request);

    const std::vector<char> reply = pattern(200000, 2);
    ASSERT_TRUE(sendAll(server, reply));
    EXPECT_EQ(receiveAll(client, reply.size()), reply);

    client.close();
    EXPECT_FALSE(client.isOpen());
    char byte;
    EXPECT_EQ(server.receive(&byte, 1), 0) << "an orderly close reads as 0 bytes";
    EXPECT_EQ(client.receive(&byte, 1), -1) << "a closed socket cannot receive";
}

TEST_F(PlatformSocket, WritingToAClosedPeerFailsWithoutASignal) {
    Socket client, server;
    connectPair(client, server);
    server.close();

    const std::vector<char> chunk = pattern(65536, 3);
    int result = 0;
    for (int i = 0; i < 200 && result >= 0; ++i) {
        result = client.send(chunk.data(), static_cast<int>(chunk.size()));
        if (result >= 0) std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    EXPECT_EQ(result, -1);
}

TEST_F(PlatformSocket, ConnectFailuresAreReported) {
    // A bound port that nobody listens on refuses connections.
    Socket silent;
    ASSERT_TRUE(silent.open(SocketKind::Stream));
    ASSERT_TRUE(silent.bind(SocketAddress{kLoopback, 0}));
    Socket refused;
    ASSERT_TRUE(refused.open(SocketKind::Stream));
    EXPECT_FALSE(refused.connect(silent.localAddress()));

    // The any-address names no peer, although the system would route it to this machine's
    // listener: an empty or unresolved host must not connect anywhere.
    Socket toAny;
    ASSERT_TRUE(toAny.open(SocketKind::Stream));
    EXPECT_FALSE(toAny.connect(SocketAddress::any(address.port)));
    EXPECT_FALSE(toAny.connect("", address.port));
    EXPECT_FALSE(toAny.connect("nothing-here.invalid", address.port));

    Socket closed;
    EXPECT_FALSE(closed.connect(address));
}

class PlatformSocketByName : public PlatformSocket,
                             public ::testing::WithParamInterface<const char*> {};

TEST_P(PlatformSocketByName, ConnectsToTheListener) {
    Socket client;
    ASSERT_TRUE(client.open(SocketKind::Stream));
    ASSERT_TRUE(client.connect(GetParam(), address.port));
    Socket server = listener.accept();
    ASSERT_TRUE(server.isOpen());
    EXPECT_EQ(server.remoteAddress(), client.localAddress());
}

INSTANTIATE_TEST_SUITE_P(Hosts, PlatformSocketByName,
                         ::testing::Values("localhost", "127.0.0.1", "LocalHost."));

TEST_F(PlatformSocket, ClosingWakesBlockedCalls) {
    Socket client, server;
    connectPair(client, server);

    auto received = std::async(std::launch::async, [&client] {
        char byte;
        return client.receive(&byte, 1);
    });
    auto accepted = std::async(std::launch::async, [this] { return listener.accept(); });
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
    auto start = Clock::now();
    client.close();
    listener.close();

    ASSERT_EQ(received.wait_for(std::chrono::seconds(10)), std::future_status::ready);
    ASSERT_EQ(accepted.wait_for(std::chrono::seconds(10)), std::future_status::ready);
    // The sockets' own 5 s limit would end the waits too; closing must be what ended them.
    EXPECT_LT(Clock::now() - start, std::chrono::seconds(2));
    EXPECT_LE(received.get(), 0);
    EXPECT_FALSE(accepted.get().isOpen());
}

// The bounded calls: a receive gives up when nothing arrives in time but still takes data,
// a close and an orderly end at once; a connect gives up on a listener whose accept queue is
// full (the system then drops the handshake and would retry for minutes).
TEST_F(PlatformSocket, BoundedReceiveGivesUpOnlyWhenNothingArrives) {
    Socket client, server;
    connectPair(client, server);
    char bytes[8];

    auto start = Clock::now();
    EXPECT_EQ(client.receive(bytes, sizeof bytes, 150), -1);
    EXPECT_GE(Clock::now() - start, std::chrono::milliseconds(140));

    ASSERT_EQ(server.send("abc", 3), 3);
    EXPECT_EQ(client.receive(bytes, sizeof bytes, 2000), 3);

    auto closing = std::async(std::launch::async, [&client] {
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
        client.close();
    });
    start = Clock::now();
    EXPECT_LE(client.receive(bytes, sizeof bytes, 5000), 0);
    EXPECT_LT(Clock::now() - start, std::chrono::seconds(2)) << "a close wakes the wait";
    closing.get();

    server.close();
    Socket other, otherServer;
    connectPair(other, otherServer);
    otherServer.close();
    EXPECT_EQ(other.receive(bytes, sizeof bytes, 2000), 0) << "an orderly close is not a time-out";
}

TEST(PlatformSocketConnect, BoundedConnectGivesUpOnAFullAcceptQueue) {
    Socket listener;
    ASSERT_TRUE(listener.open(SocketKind::Server));
    ASSERT_TRUE(listener.bind(SocketAddress{kLoopback, 0}));
    ASSERT_TRUE(listener.listen(1));
    const SocketAddress address = listener.localAddress();

    // Fill the accept queue: connections the listener never accepts, until one hangs.
    std::vector<Socket> waiting(8);
    bool full = false;
    for (Socket& s : waiting) {
        ASSERT_TRUE(s.open(SocketKind::Stream));
        if (!s.connect(address, 300)) {
            full = true;
            break;
        }
    }
    ASSERT_TRUE(full) << "the accept queue never filled";

    Socket late;
    ASSERT_TRUE(late.open(SocketKind::Stream));
    auto start = Clock::now();
    EXPECT_FALSE(late.connect(address, 200));
    auto took = Clock::now() - start;
    EXPECT_GE(took, std::chrono::milliseconds(190));
    EXPECT_LT(took, std::chrono::seconds(3));

    // The socket blocks again afterwards, and a bounded connect to a live listener succeeds.
    Socket live;
    ASSERT_TRUE(live.open(SocketKind::Server));
    ASSERT_TRUE(live.bind(SocketAddress{kLoopback, 0}));
    ASSERT_TRUE(live.listen(4));
    Socket ok;
    ASSERT_TRUE(ok.open(SocketKind::Stream));
    EXPECT_TRUE(ok.connect(live.localAddress(), 2000));
    Socket peer = live.accept();
    ASSERT_TRUE(peer.isOpen());
    ASSERT_EQ(peer.send("x", 1), 1);
    char byte = 0;
    EXPECT_EQ(ok.receive(&byte, 1), 1);
    EXPECT_FALSE(ok.connect(SocketAddress::any(address.port), 100));
}

TEST_F(PlatformSocket, SendsAndReceivesFromTwoThreadsAtOnce) {
    Socket client, server;
    connectPair(client, server);
    const std::vector<char> up = pattern(1 << 20, 4);
    const std::vector<char> down = pattern(1 << 20, 5);

    // Each end sends on one thread while another thread receives, as the socket's send and
    // receive workers do.
    auto clientSends = std::async(std::launch::async, [&] { return sendAll(client, up); });
    auto serverSends = std::async(std::launch::async, [&] { return sendAll(server, down); });
    auto clientGets =
        std::async(std::launch::async, [&] { return receiveAll(client, down.size()); });
    std::vector<char> serverGot = receiveAll(server, up.size());

    EXPECT_TRUE(clientSends.get());
    EXPECT_TRUE(serverSends.get());
    EXPECT_EQ(clientGets.get(), down);
    EXPECT_EQ(serverGot, up);
}

TEST(PlatformSocketState, MisuseFailsWithoutTouchingTheSystem) {
    Socket socket;
    EXPECT_FALSE(socket.isOpen());
    EXPECT_EQ(socket.nativeHandle(), -1);
    char buffer[4] = {};
    SocketAddress from{kLoopback, 9};
    EXPECT_EQ(socket.send(buffer, 4), -1);
    EXPECT_EQ(socket.receive(buffer, 4), -1);
    EXPECT_EQ(socket.sendTo(buffer, 4, SocketAddress{kLoopback, 9}), -1);
    EXPECT_EQ(socket.receiveFrom(buffer, 4, from), -1);
    EXPECT_EQ(from, (SocketAddress{kLoopback, 9}));
    EXPECT_FALSE(socket.bind(SocketAddress{kLoopback, 0}));
    EXPECT_FALSE(socket.listen(1));
    EXPECT_FALSE(socket.accept().isOpen());
    EXPECT_EQ(socket.localAddress(), SocketAddress{});
    EXPECT_EQ(socket.remoteAddress(), SocketAddress{});
    socket.close(); // closing a closed socket does nothing

    EXPECT_FALSE(socket.open(static_cast<SocketKind>(0)));
    EXPECT_FALSE(socket.open(static_cast<SocketKind>(4)));
    EXPECT_FALSE(socket.isOpen());

    ASSERT_TRUE(socket.open(SocketKind::Datagram));
    const int handle = socket.nativeHandle();
    EXPECT_FALSE(socket.open(SocketKind::Stream)) << "an open socket stays as it is";
    EXPECT_EQ(socket.nativeHandle(), handle);
    EXPECT_EQ(socket.kind(), SocketKind::Datagram);
    EXPECT_EQ(socket.send(buffer, -1), -1);
    EXPECT_EQ(socket.send(nullptr, 4), -1);
    EXPECT_EQ(socket.sendTo(buffer, 4, SocketAddress{kLoopback, 70000}), -1);
    EXPECT_FALSE(socket.bind(SocketAddress{kLoopback, -1}));

    Socket moved(std::move(socket));
    EXPECT_FALSE(socket.isOpen());
    EXPECT_EQ(moved.nativeHandle(), handle);
}

TEST(PlatformDatagram, SendToAndReceiveFromOnLoopback) {
    Socket a, b;
    ASSERT_TRUE(a.open(SocketKind::Datagram));
    ASSERT_TRUE(b.open(SocketKind::Datagram));
    ASSERT_TRUE(a.bind(SocketAddress{kLoopback, 0}));
    ASSERT_TRUE(b.bind("127.0.0.1", 0));
    boundWaits(a);
    boundWaits(b);

    ASSERT_EQ(a.sendTo("ping", 4, b.localAddress()), 4);
    char buffer[64] = {};
    SocketAddress from;
    ASSERT_EQ(b.receiveFrom(buffer, sizeof buffer, from), 4);
    EXPECT_EQ(std::string(buffer, 4), "ping");
    EXPECT_EQ(from, a.localAddress());

    ASSERT_EQ(b.sendTo("pong!", 5, from), 5);
    ASSERT_EQ(a.receiveFrom(buffer, sizeof buffer, from), 5);
    EXPECT_EQ(std::string(buffer, 5), "pong!");
    EXPECT_EQ(from, b.localAddress());

    // A datagram longer than the buffer is cut; the next one arrives whole and separate.
    const std::vector<char> big = pattern(100, 6);
    ASSERT_EQ(a.sendTo(big.data(), 100, b.localAddress()), 100);
    ASSERT_EQ(a.sendTo("x", 1, b.localAddress()), 1);
    ASSERT_EQ(b.receiveFrom(buffer, 10, from), 10);
    EXPECT_EQ(std::string(buffer, 10), std::string(big.data(), 10));
    ASSERT_EQ(b.receiveFrom(buffer, sizeof buffer, from), 1);
    EXPECT_EQ(buffer[0], 'x');
}

struct ResolveCase {
    std::string host;
    int port;
    bool resolves;
    std::uint32_t address;
};

void PrintTo(const ResolveCase& c, std::ostream* out) {
    std::string shown = c.host.size() > 40 ? c.host.substr(0, 8) + "... (" +
                                                 std::to_string(c.host.size()) + " bytes)"
                                           : c.host;
    for (char& ch : shown) {
        if (ch == '\0') ch = '?';
    }
    *out << '"' << shown << "\" port " << c.port;
}

class PlatformResolve : public ::testing::TestWithParam<ResolveCase> {};

TEST_P(PlatformResolve, AnswersQuicklyWithTheAddressOrFailure) {
    const ResolveCase c = GetParam();
    SocketAddress out{0x01020304, 1};
    auto start = Clock::now();
    bool ok = resolveAddress(c.host, c.port, out);
    EXPECT_LT(Clock::now() - start, std::chrono::seconds(1));
    EXPECT_EQ(ok, c.resolves);
    EXPECT_EQ(out.address, c.address) << out.host();
    const bool portUsable = c.port >= 0 && c.port <= 65535;
    EXPECT_EQ(out.port, portUsable ? c.port : 0);
}

INSTANTIATE_TEST_SUITE_P(
    Hosts, PlatformResolve,
    ::testing::Values(
        ResolveCase{"localhost", 80, true, kLoopback},
        ResolveCase{"LOCALHOST.", 80, true, kLoopback},
        ResolveCase{"scores.localhost", 8080, true, kLoopback},
        ResolveCase{"127.0.0.1", 0, true, kLoopback},
        ResolveCase{"127.1.255.3", 65535, true, 0x7F01FF03},
        // An empty host is the any-address, used for binding to every interface.
        ResolveCase{"", 5000, true, 0},
        // The reserved ".invalid" domain never resolves, and is answered without a lookup.
        ResolveCase{"scores.invalid", 80, false, 0}, ResolveCase{"INVALID", 80, false, 0},
        ResolveCase{"a.b.Invalid.", 80, false, 0},
        ResolveCase{"invalid.localhost.invalid", 80, false, 0},
        ResolveCase{std::string(1024, 'a'), 80, false, 0},
        ResolveCase{std::string("127.0.0.1\0.x", 12), 80, false, 0},
        ResolveCase{"127.0.0.1", 65536, false, 0}, ResolveCase{"127.0.0.1", -1, false, 0}));

} // namespace
