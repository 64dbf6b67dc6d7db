#include "net/socket.h"

#include "runtime/errors.h"

#include <arpa/inet.h>

#include <string>

namespace hexwend::net {

std::atomic<int> connectTimeoutMs{kConnectTimeoutMs};
std::atomic<int> receiveTimeoutMs{kReceiveTimeoutMs};

} // namespace hexwend::net

namespace {

using hexwend::platform::SocketAddress;
using hexwend::platform::SocketKind;

sockaddr_in toNative(const SocketAddress& a) {
    sockaddr_in native{};
    native.sin_family = AF_INET;
    native.sin_port = htons(static_cast<uint16_t>(a.port));
    native.sin_addr.s_addr = htonl(a.address);
    return native;
}

SocketAddress fromNative(const sockaddr_in& native) {
    return SocketAddress{ntohl(native.sin_addr.s_addr), ntohs(native.sin_port)};
}

bool validKind(int proto) {
    return proto >= 1 && proto <= 3;
}

// The bytes of a buffer that a transfer of `count` from `offset` may use; false for a range
// that starts outside the buffer.
bool bufferRange(RtDataBuffer* data, int offset, int& count) {
    if (!data || offset < 0 || count < 0 || offset > data->_length) return false;
    if (count > data->_length - offset) count = data->_length - offset;
    return true;
}

// The low 8 bits of every character, a NUL included (the resolver refuses names with one).
std::string narrow(const String& s) {
    std::string out(static_cast<size_t>(s.Length()), '\0');
    for (int i = 0; i < s.Length(); ++i) out[static_cast<size_t>(i)] = static_cast<char>(s[i] & 0xFF);
    return out;
}

} // namespace

bool setsockaddr(sockaddr_in* address, const String& host, int port) {
    SocketAddress resolved;
    const bool ok = hexwend::platform::resolveAddress(narrow(host), port, resolved);
    *address = toNative(resolved);
    return ok;
}

// --- RtSocket ----------------------------------------------------------------------------

RtSocket::RtSocket() {
    InitSockets();
}

void RtSocket::InitSockets() {}

bool RtSocket::Open(int proto) {
    if (_sock.isOpen() || !validKind(proto)) return false;
    if (!_sock.open(static_cast<SocketKind>(proto))) return false;
    _proto = proto;
    return true;
}

void RtSocket::Close() {
    _sock.close();
}

bool RtSocket::Bind(const String& host, int port) {
    sockaddr_in address;
    setsockaddr(&address, host, port);
    return _sock.bind(fromNative(address));
}

bool RtSocket::Connect(const String& host, int port) {
    sockaddr_in address;
    // A failed lookup leaves the any-address, which the platform never connects to.
    setsockaddr(&address, host, port);
    return _sock.connect(fromNative(address), hexwend::net::connectTimeoutMs.load());
}

bool RtSocket::Listen(int backlog) {
    return _sock.listen(backlog);
}

bool RtSocket::Accept() {
    _accepted = _sock.accept();
    return _accepted.isOpen();
}

RtSocket* RtSocket::Accepted() {
    if (!_accepted.isOpen()) return nullptr;
    auto* socket = new RtSocket();
    socket->_sock = std::move(_accepted);
    socket->_proto = 1;
    return socket;
}

int RtSocket::Send(RtDataBuffer* data, int offset, int count) {
    if (!bufferRange(data, offset, count)) return -1;
    return _sock.send(data->_data + offset, count);
}

int RtSocket::Receive(RtDataBuffer* data, int offset, int count) {
    if (!bufferRange(data, offset, count)) return -1;
    return _sock.receive(data->_data + offset, count, hexwend::net::receiveTimeoutMs.load());
}

int RtSocket::SendTo(RtDataBuffer* data, int offset, int count, RtSocketAddress* address) {
    if (!address || !bufferRange(data, offset, count)) return -1;
    return _sock.sendTo(data->_data + offset, count, fromNative(address->_addr));
}

int RtSocket::ReceiveFrom(RtDataBuffer* data, int offset, int count, RtSocketAddress* address) {
    if (!address || !bufferRange(data, offset, count)) return -1;
    SocketAddress from;
    const int n = _sock.receiveFrom(data->_data + offset, count, from);
    if (n >= 0) address->Set(toNative(from));
    return n;
}

void RtSocket::GetLocalAddress(RtSocketAddress* address) {
    if (address) address->Set(toNative(_sock.localAddress()));
}

void RtSocket::GetRemoteAddress(RtSocketAddress* address) {
    if (address) address->Set(toNative(_sock.remoteAddress()));
}

// --- RtSocketAddress ---------------------------------------------------------------------

RtSocketAddress::RtSocketAddress() {
    RtSocket::InitSockets();
    _addr.sin_family = AF_INET;
}

bool RtSocketAddress::Set(const String& host, int port) {
    _valid = false;
    return setsockaddr(&_addr, host, port);
}

void RtSocketAddress::Set(RtSocketAddress* other) {
    _valid = false;
    if (other) _addr = other->_addr;
}

void RtSocketAddress::Set(const sockaddr_in& raw) {
    _valid = false;
    _addr = raw;
}

void RtSocketAddress::Validate() {
    if (_valid) return;
    const SocketAddress a = fromNative(_addr);
    _host = String(a.host().c_str());
    _port = a.port;
    _valid = true;
}

// --- c_Socket ----------------------------------------------------------------------------

c_Socket* c_Socket::m_new(String protocol) {
    int proto = 0;
    if (protocol == String("stream")) {
        proto = 1;
    } else if (protocol == String("server")) {
        proto = 2;
    } else if (protocol == String("datagram")) {
        proto = 3;
    } else {
        rtError(String("Illegal socket protocol"));
    }
    gc_assign(m_sock, new RtSocket());
    if (!m_sock->_sock.isOpen() && !m_sock->Open(proto)) rtError(String("Socket open failed"));
    m_sock->_proto = proto;
    m_proto = proto;
    m_state = 1;
    p_Start();
    return this;
}

c_Socket* c_Socket::m_new2(RtSocket* native, int proto, int state) {
    gc_assign(m_sock, native);
    m_proto = proto;
    m_state = state;
    p_Start();
    return this;
}

void c_Socket::mark() {
    gc_mark_q(m_sock);
    gc_mark_q(m_rqueue);
    gc_mark_q(m_wqueue);
}

int c_Socket::p_Start() {
    gc_assign(m_rqueue, (new c_AsyncQueue())->m_new(this));
    gc_assign(m_wqueue, (new c_AsyncQueue())->m_new(this));
    rt_asyncevent_AddAsyncEventSource(this);
    return 0;
}

bool c_Socket::p_IsOpen() {
    return (m_state & 1) != 0;
}

bool c_Socket::p_IsConnected() {
    return (m_state & 4) != 0;
}

bool c_Socket::p_IsListening() {
    return (m_state & 8) != 0;
}

int c_Socket::p_ConnectAsync(String host, int port, c_IOnConnectComplete* onComplete) {
    if (!p_IsOpen() || p_IsConnected() || p_IsListening()) return 0;
    m_rqueue->p_Enqueue((new c_AsyncConnectOp())->m_new(m_sock, host, port, onComplete));
    return 0;
}

int c_Socket::p_SendAsync(c_DataBuffer* data, int offset, int count,
                          c_IOnSendComplete* onComplete) {
    if (!p_IsConnected()) return 0;
    m_wqueue->p_Enqueue((new c_AsyncSendOp())->m_new(m_sock, data, offset, count, onComplete));
    return 0;
}

int c_Socket::p_ReceiveAsync(c_DataBuffer* data, int offset, int count,
                             c_IOnReceiveComplete* onComplete) {
    if (!p_IsConnected()) return 0;
    m_rqueue->p_Enqueue((new c_AsyncReceiveOp())->m_new(m_sock, data, offset, count, onComplete));
    return 0;
}

int c_Socket::p_Close() {
    // Closing wakes a worker blocked in a receive on this socket; the descriptor itself is
    // released once that worker has let go of it.
    if (m_sock) m_sock->Close();
    m_state = 0;
    return 0;
}

int c_Socket::p_UpdateAsyncEvents() {
    if (m_rqueue) m_rqueue->p_UpdateAsyncEvents();
    if (m_wqueue) m_wqueue->p_UpdateAsyncEvents();
    if (m_state == 0 && (!m_rqueue || m_rqueue->isIdle()) && (!m_wqueue || m_wqueue->isIdle())) {
        hexwend::net::removeAsyncEventSource(this);
    }
    return 0;
}

int c_Socket::p_OnConnectComplete2() {
    m_state |= 6;
    return 0;
}

// --- The operations ----------------------------------------------------------------------

c_AsyncConnectOp* c_AsyncConnectOp::m_new(RtSocket* socket, String host, int port,
                                          c_IOnConnectComplete* onComplete) {
    c_AsyncOp::m_new();
    gc_assign(m_socket, socket);
    // The worker reads this text; no other handle shares its representation.
    m_host = RtThread::Strdup(host);
    m_port = port;
    gc_assign(m_onComplete, onComplete);
    return this;
}

void c_AsyncConnectOp::mark() {
    gc_mark_q(m_socket);
    gc_mark_q(m_onComplete);
}

int c_AsyncConnectOp::p_Execute__UNSAFE__(c_Socket*) {
    m_connected = m_socket->Connect(m_host, m_port);
    return 0;
}

int c_AsyncConnectOp::p_Complete(c_Socket* socket) {
    // A socket closed while it was connecting stays closed.
    const bool connected = m_connected && socket->p_IsOpen();
    if (connected) socket->p_OnConnectComplete2();
    m_onComplete->p_OnConnectComplete(connected, socket);
    return 0;
}

c_AsyncSocketIoOp* c_AsyncSocketIoOp::m_new(RtSocket* socket, c_DataBuffer* data, int offset,
                                            int count) {
    c_AsyncOp::m_new();
    gc_assign(m_socket, socket);
    gc_assign(m_data, data);
    m_offset = offset;
    m_count = count;
    return this;
}

void c_AsyncSocketIoOp::mark() {
    gc_mark_q(m_socket);
    gc_mark_q(m_data);
}

c_AsyncSendOp* c_AsyncSendOp::m_new(RtSocket* socket, c_DataBuffer* data, int offset, int count,
                                    c_IOnSendComplete* onComplete) {
    c_AsyncSocketIoOp::m_new(socket, data, offset, count);
    gc_assign(m_onComplete, onComplete);
    return this;
}

void c_AsyncSendOp::mark() {
    c_AsyncSocketIoOp::mark();
    gc_mark_q(m_onComplete);
}

int c_AsyncSendOp::p_Execute__UNSAFE__(c_Socket*) {
    m_count = m_socket->Send(m_data, m_offset, m_count);
    return 0;
}

int c_AsyncSendOp::p_Complete(c_Socket* socket) {
    m_onComplete->p_OnSendComplete(m_data, m_offset, m_count, socket);
    return 0;
}

c_AsyncReceiveOp* c_AsyncReceiveOp::m_new(RtSocket* socket, c_DataBuffer* data, int offset,
                                          int count, c_IOnReceiveComplete* onComplete) {
    c_AsyncSocketIoOp::m_new(socket, data, offset, count);
    gc_assign(m_onComplete, onComplete);
    return this;
}

void c_AsyncReceiveOp::mark() {
    c_AsyncSocketIoOp::mark();
    gc_mark_q(m_onComplete);
}

int c_AsyncReceiveOp::p_Execute__UNSAFE__(c_Socket*) {
    m_count = m_socket->Receive(m_data, m_offset, m_count);
    return 0;
}

int c_AsyncReceiveOp::p_Complete(c_Socket* socket) {
    m_onComplete->p_OnReceiveComplete(m_data, m_offset, m_count, socket);
    return 0;
}
