#include "tests/server/server_support.h"

#include "tests/support/temp_folder.h"

#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <cstdlib>
#include <filesystem>
#include <stdexcept>
#include <thread>

extern char** environ;

namespace hexwend::testing {

namespace {

std::string lower(std::string s) {
    for (char& c : s) c = char(std::tolower((unsigned char)c));
    return s;
}

HttpAnswer parseAnswer(const std::string& raw) {
    HttpAnswer a;
    std::size_t headEnd = raw.find("\r\n\r\n");
    if (headEnd == std::string::npos || !raw.starts_with("HTTP/")) return a;
    std::size_t lineEnd = raw.find("\r\n");
    std::string statusLine = raw.substr(0, lineEnd);
    std::size_t space = statusLine.find(' ');
    if (space == std::string::npos) return a;
    a.status = std::atoi(statusLine.c_str() + space + 1);
    std::size_t pos = lineEnd + 2;
    while (pos < headEnd) {
        std::size_t end = raw.find("\r\n", pos);
        std::string line = raw.substr(pos, end - pos);
        std::size_t colon = line.find(':');
        if (colon != std::string::npos) {
            std::size_t v = line.find_first_not_of(' ', colon + 1);
            a.headers[lower(line.substr(0, colon))] = v == std::string::npos ? "" : line.substr(v);
        }
        pos = end + 2;
    }
    a.body = raw.substr(headEnd + 4);
    return a;
}

// Reads what is available on fd within the time left, appending to text; false at its end.
bool readSome(int fd, std::string& text, int timeoutMs) {
    pollfd p{fd, POLLIN, 0};
    if (::poll(&p, 1, timeoutMs) <= 0) return true;
    char buffer[4096];
    ssize_t n = ::read(fd, buffer, sizeof buffer);
    if (n <= 0) return false;
    text.append(buffer, size_t(n));
    return true;
}

// Starts a program (looked up on PATH when the name has no slash) with its standard output
// and error on the given descriptors (-1: inherited); answers its process id, or -1.
pid_t spawn(const std::vector<std::string>& command, int outFd, int errFd) {
    std::vector<std::string> all = command;
    std::vector<char*> argv;
    for (std::string& a : all) argv.push_back(a.data());
    argv.push_back(nullptr);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    if (outFd >= 0) posix_spawn_file_actions_adddup2(&actions, outFd, 1);
    if (errFd >= 0) posix_spawn_file_actions_adddup2(&actions, errFd, 2);
    pid_t pid = -1;
    int rc = posix_spawnp(&pid, argv[0], &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    return rc == 0 ? pid : -1;
}

} // namespace

HttpAnswer sendRaw(std::uint16_t port, const std::string& request, std::chrono::milliseconds timeout) {
    int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (fd < 0) return {};
    sockaddr_in addr{};
    addr.sin_family = AF_INET;
    addr.sin_port = htons(port);
    addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    std::string raw;
    if (::connect(fd, reinterpret_cast<sockaddr*>(&addr), sizeof addr) == 0) {
        for (std::size_t sent = 0; sent < request.size();) {
            ssize_t n = ::send(fd, request.data() + sent, request.size() - sent, MSG_NOSIGNAL);
            if (n <= 0) break;
            sent += size_t(n);
        }
        auto deadline = std::chrono::steady_clock::now() + timeout;
        while (std::chrono::steady_clock::now() < deadline) {
            int left = int(std::chrono::duration_cast<std::chrono::milliseconds>(deadline - std::chrono::steady_clock::now()).count());
            if (!readSome(fd, raw, std::max(left, 1))) break;
        }
    }
    ::close(fd);
    return parseAnswer(raw);
}

HttpAnswer httpGet(std::uint16_t port, const std::string& target, const std::string& headers) {
    return sendRaw(port, "GET " + target + " HTTP/1.0\r\nHost: localhost\r\n" + headers + "\r\n");
}

server::Submission submission(const std::string& identity, const std::string& name, std::vector<std::int64_t> bests) {
    server::Submission s;
    s.identity = identity;
    s.name = (name + std::string(server::kNameLength, ' ')).substr(0, server::kNameLength);
    s.game = server::kDefaultGame;
    s.version = 1;
    s.mode = 0;
    for (std::size_t i = 0; i < bests.size(); ++i) s.scores.push_back({int(i + 1), bests[i], 0});
    return s;
}

std::string scoreTarget(const server::Submission& s) { return "//Scores.php?" + server::encodeScoreQuery(s); }

std::vector<std::string> replyElements(const std::string& reply) {
    std::vector<std::string> out;
    std::size_t start = 0;
    for (std::size_t i = 0; i <= reply.size(); ++i)
        if (i == reply.size() || reply[i] == '{') {
            out.push_back(reply.substr(start, i - start));
            start = i + 1;
        }
    return out;
}

server::ServerOptions LocalServer::quietOptions() {
    server::ServerOptions o;
    o.port = 0;
    o.logFd = -1;
    o.rate = 0;
    o.threads = 2;
    return o;
}

LocalServer::LocalServer(server::ServerOptions options, const std::string& location) {
    if (location.empty()) {
        std::string pattern = (std::filesystem::temp_directory_path() / "hexwend-scores-XXXXXX");
        if (!::mkdtemp(pattern.data())) throw std::runtime_error("no temporary folder");
        folder_ = pattern;
        location_ = folder_ + "/scores.db";
    } else {
        location_ = location;
    }
    pool_ = std::make_unique<server::StorePool>(location_, options.threads + 1);
    leaderboard_ = std::make_unique<server::Leaderboard>(*pool_, std::chrono::milliseconds(0));
    http_ = std::make_unique<server::HttpServer>(options, *leaderboard_, *pool_);
}

LocalServer::~LocalServer() {
    http_.reset();
    leaderboard_.reset();
    pool_.reset();
    std::error_code ignored;
    if (!folder_.empty()) std::filesystem::remove_all(folder_, ignored);
}

std::string scoresProgram() { return std::string(HEXWEND_BINARY_DIR) + "/server/hexwend-scores"; }

ServerProcess::ServerProcess(const std::vector<std::string>& args) {
    int pipeFds[2];
    if (::pipe2(pipeFds, O_CLOEXEC) != 0) throw std::runtime_error("pipe");
    std::vector<std::string> all = {scoresProgram(), "serve", "--listen", "127.0.0.1:0", "--quiet"};
    all.insert(all.end(), args.begin(), args.end());
    pid_t pid = spawn(all, -1, pipeFds[1]);
    ::close(pipeFds[1]);
    errFd_ = pipeFds[0];
    if (pid < 0) throw std::runtime_error("cannot start " + all[0]);
    pid_ = pid;
    const std::string marker = "listening on http://127.0.0.1:";
    auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(20);
    while (std::chrono::steady_clock::now() < deadline) {
        if (!readSome(errFd_, errText_, 100)) break;
        std::size_t at = errText_.find(marker);
        if (at != std::string::npos && errText_.find('/', at + marker.size()) != std::string::npos) {
            port_ = std::uint16_t(std::atoi(errText_.c_str() + at + marker.size()));
            return;
        }
    }
    throw std::runtime_error("hexwend-scores did not start listening: " + errText_);
}

ServerProcess::~ServerProcess() {
    if (pid_ > 0) {
        ::kill(pid_, SIGKILL);
        ::waitpid(pid_, nullptr, 0);
    }
    if (errFd_ >= 0) ::close(errFd_);
}

void ServerProcess::signal(int signalNumber) {
    if (pid_ > 0) ::kill(pid_, signalNumber);
}

int ServerProcess::wait(std::chrono::milliseconds timeout) {
    auto deadline = std::chrono::steady_clock::now() + timeout;
    while (pid_ > 0) {
        int status = 0;
        pid_t done = ::waitpid(pid_, &status, WNOHANG);
        if (done == pid_) {
            pid_ = -1;
            errors();
            return WIFEXITED(status) ? WEXITSTATUS(status) : -WTERMSIG(status);
        }
        if (std::chrono::steady_clock::now() >= deadline) return -1000;
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    return -1000;
}

std::string ServerProcess::errors() {
    while (errFd_ >= 0 && readSome(errFd_, errText_, 0)) {
        pollfd p{errFd_, POLLIN, 0};
        if (::poll(&p, 1, 0) <= 0) break;
    }
    return errText_;
}

RunResult runScores(const std::vector<std::string>& args) {
    std::vector<std::string> all = {scoresProgram()};
    all.insert(all.end(), args.begin(), args.end());
    return runProgram(all);
}

RunResult runProgram(const std::vector<std::string>& command, std::chrono::milliseconds timeout) {
    int outPipe[2], errPipe[2];
    if (::pipe2(outPipe, O_CLOEXEC) != 0 || ::pipe2(errPipe, O_CLOEXEC) != 0) return {};
    pid_t pid = spawn(command, outPipe[1], errPipe[1]);
    ::close(outPipe[1]);
    ::close(errPipe[1]);
    RunResult result;
    if (pid > 0) {
        bool outOpen = true, errOpen = true;
        auto deadline = std::chrono::steady_clock::now() + timeout;
        while ((outOpen || errOpen) && std::chrono::steady_clock::now() < deadline) {
            if (outOpen) outOpen = readSome(outPipe[0], result.out, 20);
            if (errOpen) errOpen = readSome(errPipe[0], result.err, 20);
        }
        if (outOpen || errOpen) ::kill(pid, SIGKILL); // out of time
        int status = 0;
        ::waitpid(pid, &status, 0);
        result.status = WIFEXITED(status) ? WEXITSTATUS(status) : -WTERMSIG(status);
    }
    ::close(outPipe[0]);
    ::close(errPipe[0]);
    return result;
}

} // namespace hexwend::testing
