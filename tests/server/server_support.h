// Helpers of the score server's tests: a plain HTTP client over loopback, the server in this
// process or as its own process, and submissions as the game makes them.
#pragma once

#include "server/http_server.h"
#include "server/leaderboard.h"
#include "server/payload.h"
#include "server/store.h"

#include <chrono>
#include <cstdint>
#include <map>
#include <memory>
#include <string>
#include <vector>

namespace hexwend::testing {

struct HttpAnswer {
    int status = -1;                           // -1: no answer
    std::map<std::string, std::string> headers; // names lower-cased
    std::string body;
};

// Sends raw request bytes to 127.0.0.1:port and reads until the server closes (at most
// `timeout`).
HttpAnswer sendRaw(std::uint16_t port, const std::string& request,
                   std::chrono::milliseconds timeout = std::chrono::seconds(10));
// GET target over HTTP/1.0, as the game sends it, with extra header lines ("Name: value\r\n").
HttpAnswer httpGet(std::uint16_t port, const std::string& target, const std::string& headers = "");

// A submission of game 506 in mode 0 with a best (and extra 0) per game type.
server::Submission submission(const std::string& identity, const std::string& name,
                              std::vector<std::int64_t> bests);
// The target of the game's request for it: "//Scores.php?Game=0506&Score=…".
std::string scoreTarget(const server::Submission& s);
// The game's reply split at "{" into its elements.
std::vector<std::string> replyElements(const std::string& reply);

// The server in this process on a free loopback port, with a fresh SQLite file unless a
// location is given.
class LocalServer {
public:
    explicit LocalServer(server::ServerOptions options = quietOptions(), const std::string& location = "");
    ~LocalServer();

    std::uint16_t port() const { return http_->port(); }
    server::Leaderboard& leaderboard() { return *leaderboard_; }
    server::StorePool& pool() { return *pool_; }
    const std::string& location() const { return location_; }

    static server::ServerOptions quietOptions();

private:
    std::string folder_;
    std::string location_;
    std::unique_ptr<server::StorePool> pool_;
    std::unique_ptr<server::Leaderboard> leaderboard_;
    std::unique_ptr<server::HttpServer> http_;
};

// hexwend-scores as a process of its own; stopped with SIGKILL at the end if still running.
class ServerProcess {
public:
    // Starts the program with these arguments (after "serve --listen 127.0.0.1:0 --quiet")
    // and waits until it listens.
    explicit ServerProcess(const std::vector<std::string>& args);
    ~ServerProcess();

    std::uint16_t port() const { return port_; }
    int pid() const { return pid_; }
    void signal(int signalNumber);
    // The exit status, or -(signal) when a signal ended it; waits at most `timeout`.
    int wait(std::chrono::milliseconds timeout = std::chrono::seconds(20));
    // What the program wrote on standard error so far.
    std::string errors();

private:
    int pid_ = -1;
    int errFd_ = -1;
    std::string errText_;
    std::uint16_t port_ = 0;
};

// Runs hexwend-scores with these arguments to its end; answers the exit status and the output.
struct RunResult {
    int status = -1;
    std::string out;
    std::string err;
};
RunResult runScores(const std::vector<std::string>& args);
// Runs a program (a path, or a name looked up on PATH) to its end, killed after `timeout`.
RunResult runProgram(const std::vector<std::string>& command,
                     std::chrono::milliseconds timeout = std::chrono::seconds(30));

std::string scoresProgram();

} // namespace hexwend::testing
