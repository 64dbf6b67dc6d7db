#include "server/cli.h"

#include "server/http_server.h"
#include "server/leaderboard.h"
#include "server/payload.h"
#include "server/render.h"
#include "server/store.h"

#include <fcntl.h>
#include <pthread.h>
#include <signal.h>
#include <unistd.h>

#include <algorithm>
#include <charconv>
#include <cstdio>
#include <cstring>
#include <iostream>
#include <optional>
#include <stdexcept>
#include <string>
#include <thread>
#include <vector>

namespace hexwend::server {

namespace {

constexpr const char* kUsage = R"(Usage: hexwend-scores [serve] [options]
       hexwend-scores list [--type T] [--limit N] [--game N] [--db LOCATION]
       hexwend-scores remove IDENTITY [--game N] [--db LOCATION]
       hexwend-scores export [--db LOCATION]
       hexwend-scores --help

Hexwend's score server. The game sends its best scores to GET /Scores.php and reads the top five
of each game type back; a browser finds the tables at / and programs at /api/v1/scores.

Commands:
  serve              serve HTTP until SIGTERM or SIGINT (the default)
  list               print the tables (every type, or --type T), best first
  remove IDENTITY    delete a player's name and scores (17 digits)
  export             every player and score as CSV on standard output

Options:
  --db LOCATION      an SQLite file (default hexwend-scores.db) or a PostgreSQL
                     connection URI (postgresql://user@host/dbname)
  --listen HOST:PORT where to listen (default 127.0.0.1:7506; [::1]:7506 for IPv6;
                     port 0 picks a free one)
  --threads N        HTTP threads (default: 1 with SQLite, whose reads take
                     microseconds; two per core, at least 4, with PostgreSQL,
                     where each request waits for the database server)
  --max-connections N  open connections at most (default 1024)
  --timeout SECONDS  an idle connection is closed after this (default 10)
  --rate R           requests per second per client address (default 10; 0: no limit)
  --burst B          requests an address may send at once (default 40)
  --trust-forwarded-for  behind a proxy: the client is the last X-Forwarded-For entry
  --poll-ms N        how often to look for changes made by other processes (default 1000)
  --log FILE         append the request log to FILE (default standard output)
  --quiet            no request log
  --game N           the game for list and remove (default 506)
  --type T           the game type for list
  --limit N          places per table for list (default 20, at most 100)
)";

class UsageError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

struct Arguments {
    std::string command = "serve";
    std::vector<std::string> operands;
    std::string db = "hexwend-scores.db";
    ServerOptions server;
    long pollMs = 1000;
    std::string logFile;
    bool quiet = false;
    int game = kDefaultGame;
    int type = 0;
    int limit = 20;
    bool help = false;
};

long number(const std::string& option, const std::string& text, long low, long high) {
    long v = 0;
    auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), v);
    if (ec != std::errc() || end != text.data() + text.size() || v < low || v > high)
        throw UsageError(option + " wants a number from " + std::to_string(low) + " to " + std::to_string(high));
    return v;
}

double decimal(const std::string& option, const std::string& text) {
    try {
        std::size_t used = 0;
        double v = std::stod(text, &used);
        if (used == text.size() && v >= 0) return v;
    } catch (const std::exception&) {
    }
    throw UsageError(option + " wants a number of 0 or more");
}

void parseListen(const std::string& text, ServerOptions& options) {
    std::size_t colon = text.rfind(':');
    if (colon == std::string::npos) throw UsageError("--listen wants HOST:PORT");
    std::string host = text.substr(0, colon);
    if (host.size() >= 2 && host.front() == '[' && host.back() == ']') host = host.substr(1, host.size() - 2);
    if (host == "localhost") host = "127.0.0.1";
    if (host.empty()) throw UsageError("--listen wants HOST:PORT");
    options.host = host;
    options.port = std::uint16_t(number("--listen", text.substr(colon + 1), 0, 65535));
}

Arguments parse(int argc, char** argv) {
    Arguments a;
    a.server.threads = 0; // chosen by the database, see serve()
    std::vector<std::string> args(argv + 1, argv + argc);
    std::size_t i = 0;
    if (i < args.size() && !args[i].starts_with("-")) a.command = args[i++];
    if (a.command != "serve" && a.command != "list" && a.command != "remove" && a.command != "export")
        throw UsageError("unknown command " + a.command);
    auto value = [&](const std::string& option) -> std::string {
        if (i + 1 >= args.size()) throw UsageError(option + " wants a value");
        return args[++i];
    };
    for (; i < args.size(); ++i) {
        const std::string& arg = args[i];
        if (arg == "--help" || arg == "-h") a.help = true;
        else if (arg == "--db") a.db = value(arg);
        else if (arg == "--listen") parseListen(value(arg), a.server);
        else if (arg == "--threads") a.server.threads = unsigned(number(arg, value(arg), 1, 256));
        else if (arg == "--max-connections") a.server.maxConnections = unsigned(number(arg, value(arg), 1, 1000000));
        else if (arg == "--timeout") a.server.connectionTimeoutSeconds = unsigned(number(arg, value(arg), 1, 3600));
        else if (arg == "--rate") a.server.rate = decimal(arg, value(arg));
        else if (arg == "--burst") a.server.burst = decimal(arg, value(arg));
        else if (arg == "--trust-forwarded-for") a.server.trustForwardedFor = true;
        else if (arg == "--poll-ms") a.pollMs = number(arg, value(arg), 0, 3600000);
        else if (arg == "--log") a.logFile = value(arg);
        else if (arg == "--quiet") a.quiet = true;
        else if (arg == "--game") a.game = int(number(arg, value(arg), 1, 9999));
        else if (arg == "--type") a.type = int(number(arg, value(arg), 1, 99));
        else if (arg == "--limit") a.limit = int(number(arg, value(arg), 1, kCachedPlaces));
        else if (arg.starts_with("-")) throw UsageError("unknown option " + arg);
        else a.operands.push_back(arg);
    }
    std::size_t wanted = a.command == "remove" ? 1 : 0;
    if (!a.help && a.operands.size() != wanted)
        throw UsageError(a.command + (wanted ? " wants one identity" : " takes no operands"));
    return a;
}

const GameInfo& gameOf(const Arguments& a) {
    const GameInfo* game = findGame(a.game);
    if (!game) throw UsageError("unknown game " + std::to_string(a.game));
    return *game;
}

int serve(const Arguments& a) {
    // Signals are taken by sigwait below, so every thread started from here on blocks them.
    sigset_t stopSignals;
    sigemptyset(&stopSignals);
    sigaddset(&stopSignals, SIGTERM);
    sigaddset(&stopSignals, SIGINT);
    pthread_sigmask(SIG_BLOCK, &stopSignals, nullptr);
    signal(SIGPIPE, SIG_IGN);

    ServerOptions options = a.server;
    if (options.threads == 0) {
        // One event loop is fastest when the store answers in microseconds: pool threads all
        // wake for every new connection. A remote database's round trips need threads to wait in.
        options.threads = isPostgresLocation(a.db) ? std::max(4u, 2 * std::thread::hardware_concurrency()) : 1;
    }
    int logFd = -1;
    if (a.quiet) {
        options.logFd = -1;
    } else if (!a.logFile.empty()) {
        logFd = ::open(a.logFile.c_str(), O_WRONLY | O_CREAT | O_APPEND | O_CLOEXEC, 0644);
        if (logFd < 0) throw std::runtime_error("cannot open the log " + a.logFile + ": " + std::strerror(errno));
        options.logFd = logFd;
    }
    // One connection per HTTP thread, and one for the thread that looks for outside changes.
    StorePool pool(a.db, options.threads + 1);
    Leaderboard leaderboard(pool, std::chrono::milliseconds(a.pollMs));
    HttpServer server(options, leaderboard, pool);
    std::string host = options.host.find(':') != std::string::npos ? "[" + options.host + "]" : options.host;
    std::fprintf(stderr, "hexwend-scores: listening on http://%s:%u/ (database %s)\n", host.c_str(),
                 unsigned(server.port()), isPostgresLocation(a.db) ? "PostgreSQL" : a.db.c_str());
    std::fflush(stderr);

    int signalNumber = 0;
    sigwait(&stopSignals, &signalNumber);
    std::fprintf(stderr, "hexwend-scores: %s, finishing the requests in flight\n", strsignal(signalNumber));
    server.drain(std::chrono::seconds(5));
    if (logFd >= 0) ::close(logFd);
    std::fprintf(stderr, "hexwend-scores: stopped\n");
    return 0;
}

int list(const Arguments& a) {
    const GameInfo& game = gameOf(a);
    if (a.type > game.typeCount()) throw UsageError("game " + std::to_string(game.number) + " has types 1 to " +
                                                    std::to_string(game.typeCount()));
    std::unique_ptr<Store> store = openStore(a.db);
    GameTables tables = store->readTables(game.number, game.typeCount(), a.limit);
    std::printf("Game %d: %lld players, last new best %s\n", game.number, (long long)tables.players,
                tables.lastSetAt ? isoTime(tables.lastSetAt).c_str() : "none");
    for (const TypeTable& t : tables.types) {
        if (a.type && t.type != a.type) continue;
        std::printf("\n%s (type %d): %lld players\n", game.typeNames[size_t(t.type - 1)].c_str(), t.type,
                    (long long)t.players);
        std::printf("%5s  %8s  %-20s  %-17s  %s\n", "place", "score", "set", "identity", "name");
        int place = 0;
        for (const ScoreEntry& e : t.top)
            std::printf("%5d  %8lld  %-20s  %-17s  %s\n", ++place, (long long)e.best, isoTime(e.setAt).c_str(),
                        e.identity.c_str(), e.name.c_str());
    }
    return 0;
}

int remove(const Arguments& a) {
    const GameInfo& game = gameOf(a);
    const std::string& identity = a.operands[0];
    if (identity.size() != size_t(kIdentityLength) || identity.find_first_not_of("0123456789") != std::string::npos)
        throw UsageError("an identity is 17 digits");
    std::unique_ptr<Store> store = openStore(a.db);
    if (!store->removePlayer(game.number, identity)) {
        std::fprintf(stderr, "hexwend-scores: no player %s in game %d\n", identity.c_str(), game.number);
        return 1;
    }
    std::printf("removed %s from game %d\n", identity.c_str(), game.number);
    return 0;
}

std::string csvField(std::string_view text) {
    std::string out = "\"";
    for (char c : text) out += c == '"' ? std::string("\"\"") : std::string(1, c);
    return out + "\"";
}

int exportCsv(const Arguments& a) {
    std::unique_ptr<Store> store = openStore(a.db);
    std::printf("game,identity,name,first_seen,last_seen,type,best,extra,set_at\n");
    store->exportAll([](const ExportRow& r) {
        std::printf("%d,%s,%s,%s,%s,", r.game, r.identity.c_str(), csvField(r.name).c_str(),
                    isoTime(r.firstSeen).c_str(), isoTime(r.lastSeen).c_str());
        if (r.score.type) std::printf("%d,%lld,%lld,%s\n", r.score.type, (long long)r.score.best,
                                      (long long)r.score.extra, isoTime(r.score.setAt).c_str());
        else std::printf(",,,\n");
    });
    return std::fflush(stdout) == 0 ? 0 : 1;
}

} // namespace

int runCommandLine(int argc, char** argv) {
    try {
        Arguments a = parse(argc, argv);
        if (a.help) {
            std::fputs(kUsage, stdout);
            return 0;
        }
        if (a.command == "list") return list(a);
        if (a.command == "remove") return remove(a);
        if (a.command == "export") return exportCsv(a);
        return serve(a);
    } catch (const UsageError& e) {
        std::fprintf(stderr, "hexwend-scores: %s\n(hexwend-scores --help tells more)\n", e.what());
        return 2;
    } catch (const std::exception& e) {
        std::fprintf(stderr, "hexwend-scores: %s\n", e.what());
        return 1;
    }
}

} // namespace hexwend::server
