// Sockets: a native class over the platform layer's blocking IPv4 socket, an address class,
// and the language-level socket whose connects, sends and receives run as operations on its
// two queues (one for connecting and receiving, one for sending) and are reported to receiver
// objects from the event dispatch.
#pragma once

#include "net/data_buffer.h"
#include "net/thread.h"
#include "platform/socket.h"

#include <netinet/in.h>

#include <atomic>

namespace hexwend::net {

// How long a connect may take and how long a receive waits for its first byte; past either the
// operation fails as if the system had refused it. Start-up sets the defaults; tests shorten
// them. Read on worker threads, hence atomic.
inline constexpr int kConnectTimeoutMs = 5000;
inline constexpr int kReceiveTimeoutMs = 10000;
extern std::atomic<int> connectTimeoutMs;
extern std::atomic<int> receiveTimeoutMs;

} // namespace hexwend::net

class RtSocketAddress;

// Resolves a host name or dotted-decimal text (IPv4, the first address found) into `address`
// with the port. The address is first the any-address 0.0.0.0 with the port and keeps that
// when the lookup fails (false); a connect to it fails. Safe on any thread; reads the host's
// characters only.
bool setsockaddr(sockaddr_in* address, const String& host, int port);

class RtSocket : public Object {
  public:
    hexwend::platform::Socket _sock;
    int _proto = 0; // 1 stream, 2 server, 3 datagram
    hexwend::platform::Socket _accepted;

    RtSocket();

    // Nothing to start on Linux: the platform layer already keeps sends from raising SIGPIPE
    // and opens every socket close-on-exec.
    static void InitSockets();

    bool Open(int proto);
    void Close();
    bool Bind(const String& host, int port);
    // Resolves and connects, giving up after hexwend::net::connectTimeoutMs.
    bool Connect(const String& host, int port);
    bool Listen(int backlog);
    bool Accept();
    // A new socket on the connection Accept took, or null.
    RtSocket* Accepted();
    // Send and receive use the buffer's bytes from offset, cut to the buffer's end; the result
    // is the number of bytes moved, 0 at an orderly close (receive), -1 on error, on a range
    // outside the buffer and when a receive has waited hexwend::net::receiveTimeoutMs.
    int Send(RtDataBuffer* data, int offset, int count);
    int Receive(RtDataBuffer* data, int offset, int count);
    int SendTo(RtDataBuffer* data, int offset, int count, RtSocketAddress* address);
    int ReceiveFrom(RtDataBuffer* data, int offset, int count, RtSocketAddress* address);
    void GetLocalAddress(RtSocketAddress* address);
    void GetRemoteAddress(RtSocketAddress* address);
};

class RtSocketAddress : public Object {
  public:
    sockaddr_in _addr{};
    bool _valid = false; // _host and _port describe _addr
    String _host;
    int _port = 0;

    RtSocketAddress();

    bool Set(const String& host, int port);
    void Set(RtSocketAddress* other);
    void Set(const sockaddr_in& raw);
    void Validate();
};

// Receivers of the socket operations' results, called on the main thread.
class c_IOnConnectComplete : public virtual gc_interface {
  public:
    virtual int p_OnConnectComplete(bool connected, c_Socket* source) = 0;
};

class c_IOnSendComplete : public virtual gc_interface {
  public:
    virtual int p_OnSendComplete(c_DataBuffer* data, int offset, int count, c_Socket* source) = 0;
};

class c_IOnReceiveComplete : public virtual gc_interface {
  public:
    virtual int p_OnReceiveComplete(c_DataBuffer* data, int offset, int count,
                                    c_Socket* source) = 0;
};

class c_Socket : public Object, public virtual c_IAsyncEventSource {
  public:
    RtSocket* m_sock = nullptr;
    int m_proto = 0;
    int m_state = 0; // bits: 1 open, 2 bound, 4 connected, 8 listening
    c_AsyncQueue* m_rqueue = nullptr;
    c_AsyncQueue* m_wqueue = nullptr;

    // "stream", "server" or "datagram"; anything else raises "Illegal socket protocol", a
    // socket the system refuses "Socket open failed".
    c_Socket* m_new(String protocol = String("stream"));
    c_Socket* m_new2(RtSocket* native, int proto, int state);
    void mark() override;

    int p_Start();
    bool p_IsOpen();
    bool p_IsConnected();
    bool p_IsListening();
    int p_ConnectAsync(String host, int port, c_IOnConnectComplete* onComplete);
    int p_SendAsync(c_DataBuffer* data, int offset, int count, c_IOnSendComplete* onComplete);
    int p_ReceiveAsync(c_DataBuffer* data, int offset, int count,
                       c_IOnReceiveComplete* onComplete);
    int p_Close();
    // Completes what the two queues have finished. A closed socket whose queues have nothing
    // left and no worker running leaves the dispatcher's list.
    int p_UpdateAsyncEvents() override;
    int p_OnConnectComplete2();
};

class c_AsyncConnectOp : public c_AsyncOp {
  public:
    RtSocket* m_socket = nullptr;
    String m_host; // a copy of its own, read by the worker
    int m_port = 0;
    c_IOnConnectComplete* m_onComplete = nullptr;
    bool m_connected = false;

    c_AsyncConnectOp* m_new(RtSocket* socket, String host, int port,
                            c_IOnConnectComplete* onComplete);
    void mark() override;
    int p_Complete(c_Socket* socket) override;
    int p_Execute__UNSAFE__(c_Socket* socket) override;
};

class c_AsyncSocketIoOp : public c_AsyncOp {
  public:
    RtSocket* m_socket = nullptr;
    c_DataBuffer* m_data = nullptr;
    int m_offset = 0;
    int m_count = 0; // asked for; after execution the bytes moved, or -1

    c_AsyncSocketIoOp* m_new(RtSocket* socket, c_DataBuffer* data, int offset, int count);
    void mark() override;
};

class c_AsyncSendOp : public c_AsyncSocketIoOp {
  public:
    c_IOnSendComplete* m_onComplete = nullptr;

    c_AsyncSendOp* m_new(RtSocket* socket, c_DataBuffer* data, int offset, int count,
                         c_IOnSendComplete* onComplete);
    void mark() override;
    int p_Complete(c_Socket* socket) override;
    int p_Execute__UNSAFE__(c_Socket* socket) override;
};

class c_AsyncReceiveOp : public c_AsyncSocketIoOp {
  public:
    c_IOnReceiveComplete* m_onComplete = nullptr;

    c_AsyncReceiveOp* m_new(RtSocket* socket, c_DataBuffer* data, int offset, int count,
                            c_IOnReceiveComplete* onComplete);
    void mark() override;
    int p_Complete(c_Socket* socket) override;
    int p_Execute__UNSAFE__(c_Socket* socket) override;
};
