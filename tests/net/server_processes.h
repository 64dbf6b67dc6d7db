// Web servers run as processes of their own by the net tests and the HTTP benchmark: a program
// with its standard streams on pipes, and nginx on a free loopback port.
#pragma once

#include "platform/socket.h"
#include "tests/support/temp_folder.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>
#include <thread>
#include <vector>

namespace hexwend::testing {

using namespace std::chrono_literals;

// A program run as a process of its own, with its standard input and output on pipes. It is
// asked to stop (its input closed, then SIGTERM, then SIGKILL) when this object ends.
class ServerProcess {
  public:
    explicit ServerProcess(const std::vector<std::string>& argv) {
        int in[2], out[2];
        if (::pipe2(in, O_CLOEXEC) != 0 || ::pipe2(out, O_CLOEXEC) != 0) return;
        std::vector<char*> args;
        for (const std::string& a : argv) args.push_back(const_cast<char*>(a.c_str()));
        args.push_back(nullptr);
        pid_ = ::fork();
        if (pid_ == 0) {
            ::dup2(in[0], 0);
            ::dup2(out[1], 1);
            ::execvp(args[0], args.data());
            ::_exit(127);
        }
        ::close(in[0]);
        ::close(out[1]);
        input_ = in[1];
        output_ = out[0];
    }
    ~ServerProcess() { stop(); }

    void stop() {
        if (input_ >= 0) ::close(input_);
        input_ = -1;
        if (pid_ > 0) {
            int status = 0;
            if (!waitFor(pid_, 500ms, status)) {
                ::kill(pid_, SIGTERM);
                if (!waitFor(pid_, 3s, status)) {
                    ::kill(pid_, SIGKILL);
                    ::waitpid(pid_, &status, 0);
                }
            }
            pid_ = -1;
        }
        if (output_ >= 0) ::close(output_);
        output_ = -1;
    }

    bool started() const { return pid_ > 0; }
    pid_t pid() const { return pid_; }

    // The next line of the program's output, without its line feed; empty after `limit`.
    std::string readLine(std::chrono::milliseconds limit = 10s) {
        const auto deadline = std::chrono::steady_clock::now() + limit;
        for (;;) {
            size_t end = buffered_.find('\n');
            if (end != std::string::npos) {
                std::string line = buffered_.substr(0, end);
                buffered_.erase(0, end + 1);
                return line;
            }
            auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
                deadline - std::chrono::steady_clock::now());
            if (left.count() <= 0) return std::string();
            pollfd p{output_, POLLIN, 0};
            if (::poll(&p, 1, int(left.count())) <= 0) continue;
            char chunk[256];
            ssize_t n = ::read(output_, chunk, sizeof chunk);
            if (n <= 0) return std::string();
            buffered_.append(chunk, size_t(n));
        }
    }

  private:
    static bool waitFor(pid_t pid, std::chrono::milliseconds limit, int& status) {
        const auto deadline = std::chrono::steady_clock::now() + limit;
        while (::waitpid(pid, &status, WNOHANG) == 0) {
            if (std::chrono::steady_clock::now() > deadline) return false;
            std::this_thread::sleep_for(5ms);
        }
        return true;
    }

    pid_t pid_ = -1;
    int input_ = -1;
    int output_ = -1;
    std::string buffered_;
};

// nginx on a free loopback port with a configuration of its own in a temporary folder; one
// process (no workers to switch users), no daemon, every path of its own in the folder.
class Nginx {
  public:
    bool start() {
        if (!folder_.ok()) return false;
        std::filesystem::create_directories(folder_ / "www");
        for (int attempt = 0; attempt < 5; ++attempt) {
            port_ = freePort();
            std::ofstream(folder_ / "nginx.conf")
                << "daemon off;\nmaster_process off;\nworker_processes 1;\n"
                << "pid " << folder_ / "nginx.pid" << ";\n"
                << "error_log " << folder_ / "error.log" << ";\n"
                << "events { worker_connections 64; }\n"
                << "http {\n  access_log off;\n  default_type application/octet-stream;\n"
                << "  client_body_temp_path " << folder_ / "body" << ";\n"
                << "  proxy_temp_path " << folder_ / "proxy" << ";\n"
                << "  fastcgi_temp_path " << folder_ / "fastcgi" << ";\n"
                << "  uwsgi_temp_path " << folder_ / "uwsgi" << ";\n"
                << "  scgi_temp_path " << folder_ / "scgi" << ";\n"
                << "  server { listen 127.0.0.1:" << port_ << "; root " << folder_ / "www"
                << "; }\n}\n";
            process_ = std::make_unique<ServerProcess>(std::vector<std::string>{
                "/usr/sbin/nginx", "-p", folder_.path(), "-c", folder_ / "nginx.conf", "-e",
                folder_ / "error.log"});
            if (waitUntilListening()) return true;
            process_.reset();
        }
        return false;
    }
    std::string www(const std::string& name) const { return folder_ / ("www/" + name); }
    std::string url(const std::string& path) const {
        return "http://127.0.0.1:" + std::to_string(port_) + path;
    }

  private:
    static int freePort() {
        hexwend::platform::Socket s;
        s.open(hexwend::platform::SocketKind::Stream);
        s.bind(hexwend::platform::SocketAddress{0x7F000001, 0});
        return s.localAddress().port;
    }
    bool waitUntilListening() {
        const auto deadline = std::chrono::steady_clock::now() + 10s;
        while (std::chrono::steady_clock::now() < deadline) {
            int status = 0;
            if (::waitpid(process_->pid(), &status, WNOHANG) != 0) return false; // it gave up
            hexwend::platform::Socket probe;
            probe.open(hexwend::platform::SocketKind::Stream);
            if (probe.connect(hexwend::platform::SocketAddress{0x7F000001, port_}, 200)) return true;
            std::this_thread::sleep_for(20ms);
        }
        return false;
    }

    TempFolder folder_;
    int port_ = 0;
    std::unique_ptr<ServerProcess> process_;
};

} // namespace hexwend::testing
