#pragma once

#include <cstdint>
#include <memory>
#include <mutex>
#include <string>

// IPv4 sockets over the operating system's blocking socket calls, and host-name lookup.
//
// Every call reports failure by its result (false, -1 or a closed socket), never through
// errno or an exception. No call raises SIGPIPE: writing to a connection the peer has closed
// returns -1 instead of ending the process.

namespace hexwend::platform {

// An IPv4 address and port. `address` is in host byte order (127.0.0.1 is 0x7F000001);
// 0 is the any-address (0.0.0.0). A usable port is 0 ... 65535.
struct SocketAddress {
    std::uint32_t address = 0;
    int port = 0;

    // The any-address with the given port.
    static SocketAddress any(int port) { return SocketAddress{0, port}; }

    // The four address bytes as decimal numbers joined by "." ("127.0.0.1").
    std::string host() const;

    bool isAny() const { return address == 0; }
    bool operator==(const SocketAddress&) const = default;
};

// Resolves `host` to an IPv4 address and stores it with `port` in `out`. `out` is first set to
// the any-address with `port`, and keeps that on failure. Accepts dotted-decimal text
// ("127.0.0.1") and host names, which are looked up through the system's resolver (hosts file,
// then DNS); the first IPv4 address found is used.
//
// Returns true when `out` holds the result, and also for an empty host, which means the
// any-address (for binding to every local interface). Returns false, without asking the
// resolver, for a port outside 0 ... 65535, a host longer than 1023 bytes or containing a NUL
// byte, and a name under the reserved ".invalid" domain, which never exists; "localhost" and
// names under ".localhost" resolve to 127.0.0.1 without a lookup. Otherwise false when the
// lookup fails. Safe to call from several threads at once.
bool resolveAddress(const std::string& host, int port, SocketAddress& out);

// The kinds of socket, numbered as the socket classes above this layer number them.
enum class SocketKind : int {
    Stream = 1,   // a TCP connection (IPv4, TCP_NODELAY set)
    Server = 2,   // a TCP socket meant to listen and accept (IPv4, TCP_NODELAY set)
    Datagram = 3, // UDP (IPv4)
};

// One operating-system socket, owned: closed when the object is destroyed. Movable, not
// copyable.
//
// Threads: one thread may receive while another sends on the same socket, and any thread may
// close it. Closing shuts the connection down first, so a thread blocked in receive() or
// accept() on this socket returns (receive() with 0 or -1, accept() with a closed socket)
// rather than waiting forever. The descriptor itself is released only when the last call
// using it has returned, so a call racing with close() never reaches a descriptor number the
// system has meanwhile handed to another file or connection. Calls made after close() fail.
// The caller must not destroy or move the object while another thread is inside one of its
// calls.
class Socket {
  public:
    Socket() = default;
    ~Socket();
    Socket(Socket&& other) noexcept;
    Socket& operator=(Socket&& other) noexcept;
    Socket(const Socket&) = delete;
    Socket& operator=(const Socket&) = delete;

    // Creates the operating-system socket of the given kind. Returns false, changing nothing,
    // if this socket is already open, if `kind` is not one of the three kinds (a value cast
    // from an int is checked), or if the system refuses a socket.
    bool open(SocketKind kind);

    // Shuts the connection down and releases the socket. Does nothing when closed.
    void close();

    bool isOpen() const { return current() != nullptr; }

    // The kind given to open(); Stream for a socket returned by accept(). Meaningless while
    // closed.
    SocketKind kind() const;

    // Binds to a local address; the any-address binds to every interface, port 0 to a free
    // port chosen by the system (read it back with localAddress()). False on failure.
    bool bind(const SocketAddress& local);
    // Resolves `host` with resolveAddress() and binds; an empty host binds to every interface.
    bool bind(const std::string& host, int port);

    // Connects to `remote`, blocking until the connection is made or refused. False on
    // failure, and always for the any-address, which names no peer.
    bool connect(const SocketAddress& remote);
    // Resolves `host` with resolveAddress() and connects; false when the name does not resolve
    // (including an empty host) or the connection fails.
    bool connect(const std::string& host, int port);
    // The same, giving up after `timeoutMs` milliseconds (a negative value waits as long as
    // the system does). A connection still pending at the limit is abandoned and the socket
    // is left unconnected: close it, since a socket cannot start another connect.
    bool connect(const SocketAddress& remote, int timeoutMs);

    // Starts listening for connections on a bound stream or server socket, with at most
    // `backlog` pending ones (values below 1 mean 1). False on failure.
    bool listen(int backlog);

    // Blocks until a connection arrives and returns it as an open Stream socket. Returns a
    // closed socket on failure, including when this socket is closed while waiting.
    Socket accept();

    // Sends up to `count` bytes from `data` on a connected socket. Returns the number of bytes
    // sent, which may be fewer than `count`; 0 when `count` is 0; -1 on error (also a negative
    // `count`, a null `data` with a positive count, a closed socket, or a peer that has gone).
    int send(const void* data, int count);

    // Receives up to `count` bytes into `data`, blocking until at least one byte arrives.
    // Returns the number of bytes received; 0 when the peer has closed the connection in
    // order (or `count` is 0); -1 on error.
    int receive(void* data, int count);
    // The same, but waiting at most `timeoutMs` milliseconds for the first byte (a negative
    // value waits as long as it takes); -1 when nothing arrived in time.
    int receive(void* data, int count, int timeoutMs);

    // Sends one datagram of `count` bytes to `to`. Returns the number of bytes sent or -1.
    int sendTo(const void* data, int count, const SocketAddress& to);

    // Receives one datagram into `data`, blocking until one arrives; stores the sender in
    // `from`. Bytes of the datagram beyond `count` are dropped. Returns the number of bytes
    // stored, or -1 on error (then `from` is left unchanged).
    int receiveFrom(void* data, int count, SocketAddress& from);

    // The address this socket is bound to, and the address of its peer. The any-address with
    // port 0 when the socket is closed, unbound or (for the peer) not connected.
    SocketAddress localAddress() const;
    SocketAddress remoteAddress() const;

    // The operating-system descriptor, -1 when closed; for diagnostics and tests only, since
    // another thread may close the socket at any time.
    int nativeHandle() const;

  private:
    struct Handle; // owns one descriptor and releases it when the last user lets go
    explicit Socket(std::shared_ptr<Handle> handle, SocketKind kind);
    std::shared_ptr<Handle> current() const; // a reference that keeps the descriptor alive
    std::shared_ptr<Handle> take();          // detaches the descriptor from this socket

    // The lock guards only the handle pointer, never a system call.
    mutable std::mutex mutex_;
    std::shared_ptr<Handle> handle_;
    SocketKind kind_ = SocketKind::Stream;
};

} // namespace hexwend::platform
