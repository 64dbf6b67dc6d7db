#include "platform/socket.h"

#include <arpa/inet.h>
#include <netdb.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <fcntl.h>

#include <cerrno>
#include <chrono>
#include <cstring>
#include <utility>

namespace hexwend::platform {

namespace {

constexpr std::size_t kMaxHostLength = 1023;
constexpr std::uint32_t kLoopback = 0x7F000001;

bool validPort(int port) {
    return port >= 0 && port <= 65535;
}

sockaddr_in toNative(const SocketAddress& a) {
    sockaddr_in native{};
    native.sin_family = AF_INET;
    native.sin_port = htons(static_cast<std::uint16_t>(a.port));
    native.sin_addr.s_addr = htonl(a.address);
    return native;
}

SocketAddress fromNative(const sockaddr_in& native) {
    return SocketAddress{ntohl(native.sin_addr.s_addr), ntohs(native.sin_port)};
}

char lower(char c) {
    return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
}

// True when `name` is `domain` or a name under it, ignoring case and one trailing dot.
bool inDomain(std::string name, const char* domain) {
    if (!name.empty() && name.back() == '.') name.pop_back();
    for (char& c : name) c = lower(c);
    std::string d(domain);
    if (name == d) return true;
    return name.size() > d.size() && name.compare(name.size() - d.size(), d.size(), d) == 0 &&
           name[name.size() - d.size() - 1] == '.';
}

int nativeType(SocketKind kind) {
    switch (kind) {
    case SocketKind::Stream:
    case SocketKind::Server:
        return SOCK_STREAM;
    case SocketKind::Datagram:
        return SOCK_DGRAM;
    }
    return -1;
}

void setNoDelay(int fd) {
    int one = 1;
    ::setsockopt(fd, IPPROTO_TCP, TCP_NODELAY, &one, sizeof one);
}

// Finishes a connect that a signal interrupted: the kernel goes on connecting, and the
// outcome is read once the socket becomes writable.
bool finishInterruptedConnect(int fd) {
    pollfd p{fd, POLLOUT, 0};
    int r;
    do {
        r = ::poll(&p, 1, -1);
    } while (r < 0 && errno == EINTR);
    if (r <= 0) return false;
    int error = 0;
    socklen_t length = sizeof error;
    if (::getsockopt(fd, SOL_SOCKET, SO_ERROR, &error, &length) != 0) return false;
    return error == 0;
}

// Waits until `events` are ready on `fd` or `timeoutMs` has passed (negative: no limit),
// going on after a signal with the time that is left. Returns false at the limit or on error.
bool waitFor(int fd, short events, int timeoutMs) {
    using Clock = std::chrono::steady_clock;
    const Clock::time_point deadline = Clock::now() + std::chrono::milliseconds(timeoutMs);
    for (;;) {
        int wait = -1;
        if (timeoutMs >= 0) {
            auto left = std::chrono::ceil<std::chrono::milliseconds>(deadline - Clock::now());
            wait = left.count() > 0 ? static_cast<int>(left.count()) : 0;
        }
        pollfd p{fd, events, 0};
        int r = ::poll(&p, 1, wait);
        if (r > 0) return true;
        if (r == 0 || errno != EINTR) return false;
    }
}

bool setNonBlocking(int fd, bool on) {
    int flags = ::fcntl(fd, F_GETFL);
    if (flags < 0) return false;
    flags = on ? (flags | O_NONBLOCK) : (flags & ~O_NONBLOCK);
    return ::fcntl(fd, F_SETFL, flags) == 0;
}

} // namespace

std::string SocketAddress::host() const {
    return std::to_string((address >> 24) & 0xFF) + "." + std::to_string((address >> 16) & 0xFF) +
           "." + std::to_string((address >> 8) & 0xFF) + "." + std::to_string(address & 0xFF);
}

bool resolveAddress(const std::string& host, int port, SocketAddress& out) {
    out = SocketAddress::any(validPort(port) ? port : 0);
    if (!validPort(port)) return false;
    if (host.empty()) return true;
    if (host.size() > kMaxHostLength || host.find('\0') != std::string::npos) return false;
    // Reserved names are answered here: ".invalid" never exists and "localhost" is always
    // this machine, so neither needs (or should cause) a query to a name server.
    if (inDomain(host, "invalid")) return false;
    if (inDomain(host, "localhost")) {
        out.address = kLoopback;
        return true;
    }

    addrinfo hints{};
    hints.ai_family = AF_INET;
    hints.ai_socktype = SOCK_STREAM;
    addrinfo* results = nullptr;
    if (::getaddrinfo(host.c_str(), nullptr, &hints, &results) != 0 || results == nullptr) {
        return false;
    }
    bool found = false;
    for (addrinfo* r = results; r != nullptr; r = r->ai_next) {
        if (r->ai_family == AF_INET && r->ai_addr != nullptr &&
            r->ai_addrlen >= sizeof(sockaddr_in)) {
            sockaddr_in native;
            std::memcpy(&native, r->ai_addr, sizeof native);
            out.address = ntohl(native.sin_addr.s_addr);
            found = true;
            break;
        }
    }
    ::freeaddrinfo(results);
    return found;
}

struct Socket::Handle {
    explicit Handle(int descriptor) : fd(descriptor) {}
    ~Handle() { ::close(fd); }
    Handle(const Handle&) = delete;
    Handle& operator=(const Handle&) = delete;
    const int fd;
};

Socket::Socket(std::shared_ptr<Handle> handle, SocketKind kind)
    : handle_(std::move(handle)), kind_(kind) {}

Socket::~Socket() {
    close();
}

Socket::Socket(Socket&& other) noexcept : handle_(other.take()), kind_(other.kind()) {}

Socket& Socket::operator=(Socket&& other) noexcept {
    if (this != &other) {
        close();
        SocketKind kind = other.kind();
        std::shared_ptr<Handle> taken = other.take();
        std::lock_guard<std::mutex> lock(mutex_);
        handle_ = std::move(taken);
        kind_ = kind;
    }
    return *this;
}

std::shared_ptr<Socket::Handle> Socket::current() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return handle_;
}

std::shared_ptr<Socket::Handle> Socket::take() {
    std::lock_guard<std::mutex> lock(mutex_);
    return std::exchange(handle_, nullptr);
}

SocketKind Socket::kind() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return kind_;
}

int Socket::nativeHandle() const {
    std::shared_ptr<Handle> h = current();
    return h ? h->fd : -1;
}

bool Socket::open(SocketKind kind) {
    if (isOpen()) return false;
    int type = nativeType(kind);
    if (type < 0) return false;
    int protocol = type == SOCK_STREAM ? IPPROTO_TCP : IPPROTO_UDP;
    int fd = ::socket(AF_INET, type | SOCK_CLOEXEC, protocol);
    if (fd < 0) return false;
    if (type == SOCK_STREAM) setNoDelay(fd);
    auto handle = std::make_shared<Handle>(fd);
    std::lock_guard<std::mutex> lock(mutex_);
    // Another thread may have opened this socket meanwhile; then ours is dropped (and closed).
    if (handle_) return false;
    handle_ = std::move(handle);
    kind_ = kind;
    return true;
}

void Socket::close() {
    std::shared_ptr<Handle> h = take();
    if (!h) return;
    // Shutting down wakes any thread blocked in a receive or accept on this socket; the
    // descriptor is closed when the last of them has returned and dropped its reference.
    ::shutdown(h->fd, SHUT_RDWR);
}

bool Socket::bind(const SocketAddress& local) {
    std::shared_ptr<Handle> h = current();
    if (!h || !validPort(local.port)) return false;
    sockaddr_in native = toNative(local);
    return ::bind(h->fd, reinterpret_cast<const sockaddr*>(&native), sizeof native) == 0;
}

bool Socket::bind(const std::string& host, int port) {
    SocketAddress local;
    if (!resolveAddress(host, port, local)) return false;
    return bind(local);
}

bool Socket::connect(const SocketAddress& remote) {
    std::shared_ptr<Handle> h = current();
    if (!h || remote.isAny() || !validPort(remote.port)) return false;
    sockaddr_in native = toNative(remote);
    if (::connect(h->fd, reinterpret_cast<const sockaddr*>(&native), sizeof native) == 0) {
        return true;
    }
    return errno == EINTR && finishInterruptedConnect(h->fd);
}

bool Socket::connect(const SocketAddress& remote, int timeoutMs) {
    if (timeoutMs < 0) return connect(remote);
    std::shared_ptr<Handle> h = current();
    if (!h || remote.isAny() || !validPort(remote.port)) return false;
    // The connect runs without blocking and the wait for its outcome is bounded; the socket
    // blocks again afterwards, as every other call expects.
    if (!setNonBlocking(h->fd, true)) return false;
    sockaddr_in native = toNative(remote);
    bool connected = ::connect(h->fd, reinterpret_cast<const sockaddr*>(&native), sizeof native) == 0;
    if (!connected && (errno == EINPROGRESS || errno == EINTR) &&
        waitFor(h->fd, POLLOUT, timeoutMs)) {
        int error = 0;
        socklen_t length = sizeof error;
        connected = ::getsockopt(h->fd, SOL_SOCKET, SO_ERROR, &error, &length) == 0 && error == 0;
    }
    return setNonBlocking(h->fd, false) && connected;
}

bool Socket::connect(const std::string& host, int port) {
    SocketAddress remote;
    if (!resolveAddress(host, port, remote)) return false;
    return connect(remote);
}

bool Socket::listen(int backlog) {
    std::shared_ptr<Handle> h = current();
    if (!h) return false;
    return ::listen(h->fd, backlog < 1 ? 1 : backlog) == 0;
}

Socket Socket::accept() {
    std::shared_ptr<Handle> h = current();
    if (!h) return Socket();
    int client;
    do {
        client = ::accept4(h->fd, nullptr, nullptr, SOCK_CLOEXEC);
    } while (client < 0 && errno == EINTR && isOpen());
    if (client < 0) return Socket();
    setNoDelay(client);
    return Socket(std::make_shared<Handle>(client), SocketKind::Stream);
}

int Socket::send(const void* data, int count) {
    std::shared_ptr<Handle> h = current();
    if (!h || count < 0 || (data == nullptr && count > 0)) return -1;
    if (count == 0) return 0;
    ssize_t n;
    do {
        n = ::send(h->fd, data, static_cast<std::size_t>(count), MSG_NOSIGNAL);
    } while (n < 0 && errno == EINTR);
    return n < 0 ? -1 : static_cast<int>(n);
}

int Socket::receive(void* data, int count) {
    std::shared_ptr<Handle> h = current();
    if (!h || count < 0 || (data == nullptr && count > 0)) return -1;
    if (count == 0) return 0;
    ssize_t n;
    do {
        n = ::recv(h->fd, data, static_cast<std::size_t>(count), 0);
    } while (n < 0 && errno == EINTR);
    return n < 0 ? -1 : static_cast<int>(n);
}

int Socket::receive(void* data, int count, int timeoutMs) {
    if (timeoutMs < 0 || count <= 0) return receive(data, count);
    std::shared_ptr<Handle> h = current();
    if (!h || data == nullptr) return -1;
    // Readable also covers an orderly close, a reset and a shutdown by close() on another
    // thread: the receive below then reports it.
    if (!waitFor(h->fd, POLLIN, timeoutMs)) return -1;
    ssize_t n;
    do {
        n = ::recv(h->fd, data, static_cast<std::size_t>(count), MSG_DONTWAIT);
    } while (n < 0 && errno == EINTR);
    return n < 0 ? -1 : static_cast<int>(n);
}

int Socket::sendTo(const void* data, int count, const SocketAddress& to) {
    std::shared_ptr<Handle> h = current();
    if (!h || count < 0 || (data == nullptr && count > 0) || !validPort(to.port)) return -1;
    sockaddr_in native = toNative(to);
    ssize_t n;
    do {
        n = ::sendto(h->fd, data, static_cast<std::size_t>(count), MSG_NOSIGNAL,
                     reinterpret_cast<const sockaddr*>(&native), sizeof native);
    } while (n < 0 && errno == EINTR);
    return n < 0 ? -1 : static_cast<int>(n);
}

int Socket::receiveFrom(void* data, int count, SocketAddress& from) {
    std::shared_ptr<Handle> h = current();
    if (!h || count < 0 || (data == nullptr && count > 0)) return -1;
    sockaddr_in native{};
    socklen_t length = sizeof native;
    ssize_t n;
    do {
        length = sizeof native;
        n = ::recvfrom(h->fd, data, static_cast<std::size_t>(count), 0,
                       reinterpret_cast<sockaddr*>(&native), &length);
    } while (n < 0 && errno == EINTR);
    if (n < 0) return -1;
    from = native.sin_family == AF_INET ? fromNative(native) : SocketAddress{};
    return static_cast<int>(n);
}

SocketAddress Socket::localAddress() const {
    std::shared_ptr<Handle> h = current();
    sockaddr_in native{};
    socklen_t length = sizeof native;
    if (!h || ::getsockname(h->fd, reinterpret_cast<sockaddr*>(&native), &length) != 0 ||
        native.sin_family != AF_INET) {
        return SocketAddress{};
    }
    return fromNative(native);
}

SocketAddress Socket::remoteAddress() const {
    std::shared_ptr<Handle> h = current();
    sockaddr_in native{};
    socklen_t length = sizeof native;
    if (!h || ::getpeername(h->fd, reinterpret_cast<sockaddr*>(&native), &length) != 0 ||
        native.sin_family != AF_INET) {
        return SocketAddress{};
    }
    return fromNative(native);
}

} // namespace hexwend::platform
