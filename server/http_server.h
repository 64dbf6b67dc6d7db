// The HTTP front of the score server: the game's endpoint, the web page, the JSON API and the
// health check, served by libmicrohttpd's bounded thread pool.
#pragma once

#include "server/leaderboard.h"
#include "server/rate_limiter.h"
#include "server/store.h"

#include <chrono>
#include <cstdint>
#include <memory>
#include <string>

namespace hexwend::server {

constexpr std::size_t kMaxRequestLine = 4096;

struct ServerOptions {
    std::string host = "127.0.0.1";     // an IPv4 or IPv6 address
    std::uint16_t port = 7506;          // 0 picks a free port
    unsigned threads = 4;
    unsigned maxConnections = 1024;
    unsigned connectionTimeoutSeconds = 10;
    double rate = 10;                   // requests per second and address; 0 for no limit
    double burst = 40;
    bool trustForwardedFor = false;     // the client is the last X-Forwarded-For entry
    int logFd = 1;                      // one line per request; -1 for none
};

class HttpServer {
public:
    // Starts serving; throws std::runtime_error when the address cannot be bound.
    HttpServer(const ServerOptions& options, Leaderboard& leaderboard, StorePool& pool);
    ~HttpServer();
    HttpServer(const HttpServer&) = delete;
    HttpServer& operator=(const HttpServer&) = delete;

    std::uint16_t port() const;
    // Stops accepting connections, lets those open finish for at most `grace`, then stops.
    void drain(std::chrono::milliseconds grace);

    struct Impl;

private:
    std::unique_ptr<Impl> impl_;
};

} // namespace hexwend::server
