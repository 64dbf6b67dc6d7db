// A minimal HTTP/1.0 client: URLs split into their parts, and requests sent over a stream
// socket whose response (status line, head lines, then the body up to the server's close) is
// handed to a receiver on the main thread.
//
// A request always ends, and its receiver is called exactly once: at the server's close; or as
// a failure (status -1, empty response text) when the connect fails or takes longer than
// hexwend::net::connectTimeoutMs, a receive fails or waits longer than
// hexwend::net::receiveTimeoutMs for its next block, the status line is malformed, or the head
// or the body grows past kMaxResponseBytes.
#pragma once

#include "net/socket.h"

#include <vector>

namespace hexwend::net {

// The most a response's head, and separately its body, may hold.
inline constexpr int kMaxResponseBytes = 1 << 20;

} // namespace hexwend::net

class c_Url : public Object {
  public:
    String m_defaultScheme;
    int m_defaultPort = 0;
    String m_url;
    String m_scheme;
    String m_username;
    String m_password;
    String m_domain;
    int m_port = 0;
    String m_path;
    String m_query;
    String m_fragment;

    c_Url* m_new(String url, String defaultScheme, int defaultPort);
    c_Url* m_new2();
    int p_Set2(String url);
    String p_FullPath();
    String p_Domain();
    int p_Port();
};

class c_HttpRequest;

class c_IOnHttpRequestComplete : public virtual gc_interface {
  public:
    virtual int p_OnHttpRequestComplete(c_HttpRequest* request) = 0;
};

class c_HttpRequest : public Object,
                      public virtual c_IOnConnectComplete,
                      public virtual c_IOnSendComplete,
                      public virtual c_IOnReceiveComplete {
  public:
    static constexpr int kSendBufferSize = 4096;
    static constexpr int kReceiveBufferSize = 16384;

    String m_method;
    c_Url* m_url = nullptr;
    c_IOnHttpRequestComplete* m_onComplete = nullptr;
    c_DataBuffer* m_body = nullptr;
    int m_bodyLength = 0;
    int m_status = -1;
    c_StringStack* m_response = nullptr; // not null once the head has ended
    String m_responseText;
    int m_bytesReceived = 0;
    c_StringStack* m_lines = nullptr;
    c_Socket* m_sock = nullptr;
    c_DataBuffer* m_sendBuf = nullptr;
    c_DataBuffer* m_recvBuf = nullptr;

    c_HttpRequest* m_new();
    c_HttpRequest* m_new2(String method, String url, c_IOnHttpRequestComplete* onComplete);
    void mark() override;

    int p_Open(String method, String url, c_IOnHttpRequestComplete* onComplete);
    int p_Send();
    int p_Send2(String data, String mimeType, String encoding = String("utf8"));
    String p_ResponseText();
    int p_Finish();

    int p_OnConnectComplete(bool connected, c_Socket* source) override;
    int p_OnReceiveComplete(c_DataBuffer* data, int offset, int count, c_Socket* source) override;
    int p_OnSendComplete(c_DataBuffer* data, int offset, int count, c_Socket* source) override;

    // Takes a received block, m_recvBuf[offset, offset + count) (count 0: the server closed;
    // below 0: the receive failed). Returns the offset at which the next block is to be
    // received, the rest of the buffer being its room, or -1 once the request has finished.
    int takeBlock(int offset, int count);
    bool finished() const { return finished_; }

  private:
    // Ends the request as a failed one: status -1 and an empty response text.
    void fail();
    // Keeps body bytes for decoding at the end; false once the body is too large.
    bool keepBody(const unsigned char* bytes, int count);

    std::vector<unsigned char> bodyBytes_;
    int headBytes_ = 0;
    bool finished_ = false;
};
