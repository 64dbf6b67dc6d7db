// hexwend-scores as its own process: its help and usage errors, a SIGTERM that lets the
// request in flight finish, a kill in the middle of a load that loses nothing acknowledged,
// and the operator's commands.
#include "server/store.h"
#include "tests/server/server_support.h"
#include "tests/support/temp_folder.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <signal.h>
#include <sys/socket.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <atomic>
#include <mutex>
#include <thread>

namespace {

using namespace hexwend::server;
using namespace hexwend::testing;

TEST(ScoresProgram, HelpAndUsageErrors) {
    RunResult help = runScores({"--help"});
    EXPECT_EQ(help.status, 0);
    for (const char* text : {"serve", "list", "remove", "export", "--listen", "--db", "postgresql://"})
        EXPECT_NE(help.out.find(text), std::string::npos) << text;
    struct Case {
        std::vector<std::string> args;
        const char* message;
    } cases[] = {
        {{"--listen", "nowhere"}, "--listen wants HOST:PORT"},
        {{"--threads", "0"}, "--threads wants a number from 1"},
        {{"frobnicate"}, "unknown command frobnicate"},
        {{"serve", "--bogus"}, "unknown option --bogus"},
        {{"remove"}, "remove wants one identity"},
        {{"remove", "123"}, "an identity is 17 digits"},
    };
    for (const Case& c : cases) {
        RunResult r = runScores(c.args);
        EXPECT_EQ(r.status, 2) << c.message;
        EXPECT_NE(r.err.find(c.message), std::string::npos) << r.err;
    }
    TempFolder folder;
    RunResult busy = runScores({"serve", "--listen", "256.1.1.1:7506", "--db", folder / "s.db"});
    EXPECT_EQ(busy.status, 1);
}

int connectTo(std::uint16_t port) {
    int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_in addr{};
    addr.sin_family = AF_INET;
    addr.sin_port = htons(port);
    addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    if (::connect(fd, reinterpret_cast<sockaddr*>(&addr), sizeof addr) != 0) {
        ::close(fd);
        return -1;
    }
    return fd;
}

TEST(ScoresProgram, SigtermFinishesTheRequestInFlightAndExitsZero) {
    TempFolder folder;
    ServerProcess server({"--db", folder / "scores.db"});
    // Half a request is in the server's hands when the signal comes.
    int fd = connectTo(server.port());
    ASSERT_GE(fd, 0);
    std::string request = "GET " + scoreTarget(submission("20261211000000001", "Ann", {42})) +
                          " HTTP/1.0\r\nHost: localhost\r\n\r\n";
    std::size_t half = request.size() / 2;
    ASSERT_EQ(::send(fd, request.data(), half, MSG_NOSIGNAL), ssize_t(half));
    std::this_thread::sleep_for(std::chrono::milliseconds(200));
    server.signal(SIGTERM);
    std::this_thread::sleep_for(std::chrono::milliseconds(300));
    EXPECT_EQ(connectTo(server.port()), -1); // no new connections
    ASSERT_EQ(::send(fd, request.data() + half, request.size() - half, MSG_NOSIGNAL), ssize_t(request.size() - half));
    std::string answer;
    char buffer[4096];
    for (ssize_t n; (n = ::recv(fd, buffer, sizeof buffer, 0)) > 0;) answer.append(buffer, size_t(n));
    ::close(fd);
    EXPECT_TRUE(answer.starts_with("HTTP/1.")) << answer;
    EXPECT_NE(answer.find("200 OK"), std::string::npos);
    EXPECT_NE(answer.find("OnlineScores{1{Ann{42{"), std::string::npos) << answer;
    EXPECT_EQ(server.wait(), 0) << server.errors();
    EXPECT_NE(server.errors().find("stopped"), std::string::npos);
}

TEST(ScoresProgram, NothingAcknowledgedIsLostWhenTheServerIsKilled) {
    TempFolder folder;
    const std::string db = folder / "scores.db";
    std::mutex mutex;
    std::vector<std::pair<std::string, std::int64_t>> acknowledged;
    {
        ServerProcess server({"--db", db, "--rate", "0", "--threads", "4"});
        std::atomic<bool> stop{false};
        std::vector<std::thread> clients;
        for (int c = 0; c < 6; ++c) {
            clients.emplace_back([&, c] {
                for (int i = 0; !stop && i < 5000; ++i) {
                    char id[24];
                    std::snprintf(id, sizeof id, "2026%02d%011d", c, i);
                    std::int64_t best = 1000 + i;
                    HttpAnswer a = httpGet(server.port(), scoreTarget(submission(id, "P" + std::to_string(c), {best, 0, i})));
                    if (a.status == 200 && a.body.starts_with("OnlineScores")) {
                        std::lock_guard lock(mutex);
                        acknowledged.emplace_back(id, best);
                    }
                }
            });
        }
        // Kill once a few hundred submissions are in, in the middle of the traffic.
        for (int wait = 0; wait < 2000; ++wait) {
            {
                std::lock_guard lock(mutex);
                if (acknowledged.size() >= 300) break;
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(5));
        }
        server.signal(SIGKILL);
        EXPECT_EQ(server.wait(), -SIGKILL);
        stop = true;
        for (auto& t : clients) t.join();
    }
    ASSERT_GE(acknowledged.size(), 300u);

    // A new server on the same file opens it (recovering the log) and has every one of them.
    ServerProcess again({"--db", db});
    EXPECT_EQ(httpGet(again.port(), "/health").status, 200);
    auto store = openStore(db);
    std::size_t missing = 0;
    for (const auto& [id, best] : acknowledged) {
        auto p = store->findPlayer(506, id);
        if (!p || p->bests.empty() || p->bests[0].best != best) ++missing;
    }
    EXPECT_EQ(missing, 0u) << "of " << acknowledged.size();
}

TEST(ScoresProgram, OperatorCommandsListRemoveAndExport) {
    TempFolder folder;
    const std::string db = folder / "scores.db";
    {
        auto store = openStore(db);
        store->savePlayer({506, "20261211000000001", "Ann \"A\"", 1765454700, {{1, 900, 3, 0}, {2, 5, 0, 0}}});
        store->savePlayer({506, "20261211000000002", "Bob", 1765454800, {{1, 700, 0, 0}}});
    }
    RunResult list = runScores({"list", "--db", db, "--type", "1"});
    EXPECT_EQ(list.status, 0) << list.err;
    EXPECT_NE(list.out.find("Easy (type 1): 2 players"), std::string::npos) << list.out;
    EXPECT_LT(list.out.find("Ann"), list.out.find("Bob"));
    EXPECT_EQ(list.out.find("Normal"), std::string::npos);

    RunResult csv = runScores({"export", "--db", db});
    EXPECT_EQ(csv.status, 0);
    EXPECT_EQ(csv.out,
              "game,identity,name,first_seen,last_seen,type,best,extra,set_at\n"
              "506,20261211000000001,\"Ann \"\"A\"\"\",2025-12-11T12:05:00Z,2025-12-11T12:05:00Z,1,900,3,2025-12-11T12:05:00Z\n"
              "506,20261211000000001,\"Ann \"\"A\"\"\",2025-12-11T12:05:00Z,2025-12-11T12:05:00Z,2,5,0,2025-12-11T12:05:00Z\n"
              "506,20261211000000002,\"Bob\",2025-12-11T12:06:40Z,2025-12-11T12:06:40Z,1,700,0,2025-12-11T12:06:40Z\n");

    RunResult removed = runScores({"remove", "20261211000000001", "--db", db});
    EXPECT_EQ(removed.status, 0) << removed.err;
    EXPECT_EQ(runScores({"remove", "20261211000000001", "--db", db}).status, 1);
    list = runScores({"list", "--db", db});
    EXPECT_EQ(list.out.find("Ann"), std::string::npos);
    EXPECT_NE(list.out.find("Bob"), std::string::npos);
}

} // namespace
