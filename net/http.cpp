#include "net/http.h"

#include <algorithm>

// --- c_Url -------------------------------------------------------------------------------

c_Url* c_Url::m_new(String url, String defaultScheme, int defaultPort) {
    m_defaultScheme = defaultScheme;
    m_defaultPort = defaultPort;
    p_Set2(url);
    return this;
}

c_Url* c_Url::m_new2() {
    return this;
}

int c_Url::p_Set2(String url) {
    m_url = url;
    m_scheme = m_defaultScheme;
    m_username = m_password = m_domain = String();
    m_port = m_defaultPort;
    m_path = String("/");
    m_query = m_fragment = String();

    // A "?" inside the fragment belongs to the fragment.
    int q = url.Find(String("?"));
    const int h = url.Find(String("#"));
    if (q >= 0 && h >= 0 && q > h) q = -1;
    const int end = (q >= 0 && (h < 0 || q < h)) ? q : (h >= 0 ? h : url.Length());
    // A position found at or past the end of the address part counts as absent.
    auto before = [end](int at) { return at < end ? at : -1; };

    int s = 0;
    const int scheme = before(url.Find(String("://")));
    if (scheme >= 0) {
        m_scheme = url.Slice(0, scheme);
        s = scheme + 3;
    }
    const int at = before(url.Find(String("@"), s));
    if (at >= 0) {
        const int colon = url.Find(String(":"), s);
        if (colon >= 0 && colon < at) {
            m_username = url.Slice(s, colon);
            m_password = url.Slice(colon + 1, at);
        } else {
            m_username = url.Slice(s, at);
        }
        s = at + 1;
    }
    const int c = before(url.Find(String(":"), s));
    const int p = before(url.Find(String("/"), s));
    if (c < 0 && p < 0) {
        m_domain = url.Slice(s, end);
    } else if (p >= 0 && (c < 0 || c > p)) {
        m_domain = url.Slice(s, p);
        m_path = url.Slice(p, end);
    } else if (p < 0) {
        m_domain = url.Slice(s, c);
        m_port = url.Slice(c + 1, end).ToInt();
    } else {
        m_domain = url.Slice(s, c);
        m_port = url.Slice(c + 1, p).ToInt();
        m_path = url.Slice(p, end);
    }
    if (q >= 0) m_query = h >= 0 ? url.Slice(q + 1, h) : url.Slice(q + 1);
    if (h >= 0) m_fragment = url.Slice(h + 1);
    return 0;
}

String c_Url::p_FullPath() {
    String path = m_path;
    if (m_query.Length() > 0) path = path + String("?") + m_query;
    if (m_fragment.Length() > 0) path = path + String("#") + m_fragment;
    return path;
}

String c_Url::p_Domain() {
    return m_domain;
}

int c_Url::p_Port() {
    return m_port;
}

// --- c_HttpRequest -----------------------------------------------------------------------

c_HttpRequest* c_HttpRequest::m_new() {
    gc_assign(m_sendBuf, (new c_DataBuffer())->m_new(kSendBufferSize));
    gc_assign(m_recvBuf, (new c_DataBuffer())->m_new(kReceiveBufferSize));
    return this;
}

c_HttpRequest* c_HttpRequest::m_new2(String method, String url,
                                     c_IOnHttpRequestComplete* onComplete) {
    m_new();
    p_Open(method, url, onComplete);
    return this;
}

void c_HttpRequest::mark() {
    gc_mark_q(m_url);
    gc_mark_q(m_onComplete);
    gc_mark_q(m_body);
    gc_mark_q(m_response);
    gc_mark_q(m_lines);
    gc_mark_q(m_sock);
    gc_mark_q(m_sendBuf);
    gc_mark_q(m_recvBuf);
}

int c_HttpRequest::p_Open(String method, String url, c_IOnHttpRequestComplete* onComplete) {
    m_method = method;
    gc_assign(m_url, (new c_Url())->m_new(url, String("http"), 80));
    gc_assign(m_onComplete, onComplete);
    m_body = nullptr;
    m_bodyLength = 0;
    m_status = -1;
    m_response = nullptr;
    m_responseText = String();
    m_bytesReceived = 0;
    gc_assign(m_lines, (new c_StringStack())->m_new2());
    // The full path begins with "/" already, so the request target begins with two slashes;
    // servers have been seeing it this way all along. The Host line carries no port.
    m_lines->p_Push4(m_method + String(" /") + m_url->p_FullPath() + String(" HTTP/1.0"));
    m_lines->p_Push4(String("Host: ") + m_url->m_domain);
    return 0;
}

int c_HttpRequest::p_Send() {
    gc_assign(m_sock, (new c_Socket())->m_new(String("stream")));
    m_sock->p_ConnectAsync(m_url->m_domain, m_url->m_port, this);
    return 0;
}

int c_HttpRequest::p_Send2(String data, String mimeType, String encoding) {
    gc_assign(m_body, (new c_DataBuffer())->m_new(3 * data.Length()));
    m_bodyLength = m_body->p_PokeString(0, data, encoding);
    if (mimeType.Length() > 0) m_lines->p_Push4(String("Content-Type: ") + mimeType);
    m_lines->p_Push4(String("Content-Length: ") + String(m_bodyLength));
    return p_Send();
}

String c_HttpRequest::p_ResponseText() {
    return m_responseText;
}

int c_HttpRequest::p_Finish() {
    if (finished_) return 0;
    finished_ = true;
    if (m_sock) m_sock->p_Close();
    if (m_response) {
        // The body is decoded once, whole, so a character cut by a block boundary is whole.
        const int n = static_cast<int>(bodyBytes_.size());
        if (n > 0) m_response->p_Push4(hexwend::net::decodeUtf8OrBytes(bodyBytes_.data(), n));
        m_responseText = m_response->p_Join(String());
    }
    std::vector<unsigned char>().swap(bodyBytes_);
    if (m_onComplete) m_onComplete->p_OnHttpRequestComplete(this);
    return 0;
}

void c_HttpRequest::fail() {
    m_status = -1;
    m_response = nullptr;
    bodyBytes_.clear();
    p_Finish();
}

bool c_HttpRequest::keepBody(const unsigned char* bytes, int count) {
    if (count <= 0) return true;
    m_bytesReceived += count;
    if (m_bytesReceived > hexwend::net::kMaxResponseBytes) return false;
    bodyBytes_.insert(bodyBytes_.end(), bytes, bytes + count);
    return true;
}

int c_HttpRequest::p_OnConnectComplete(bool connected, c_Socket*) {
    if (finished_) return 0;
    if (!connected) {
        p_Finish();
        return 0;
    }
    m_lines->p_Push4(String());
    m_lines->p_Push4(String());
    const String head = m_lines->p_Join(String("\r\n"));
    m_lines->p_Clear();
    // A head that does not fit the send buffer would go out cut short.
    if (head.Length() > m_sendBuf->p_Length()) {
        fail();
        return 0;
    }
    const int n = m_sendBuf->p_PokeString(0, head, String("ascii"));
    if (m_sock->p_IsConnected()) {
        // Receiving starts at once, in parallel with sending.
        m_sock->p_SendAsync(m_sendBuf, 0, n, this);
        m_sock->p_ReceiveAsync(m_recvBuf, 0, kReceiveBufferSize, this);
    }
    return 0;
}

int c_HttpRequest::p_OnSendComplete(c_DataBuffer*, int, int, c_Socket*) {
    if (m_bodyLength != 0 && m_sock->p_IsConnected()) {
        m_sock->p_SendAsync(m_body, 0, m_bodyLength, this);
    }
    m_bodyLength = 0;
    return 0;
}

int c_HttpRequest::p_OnReceiveComplete(c_DataBuffer*, int offset, int count, c_Socket*) {
    const int next = takeBlock(offset, count);
    if (next < 0) return 0;
    if (!m_sock->p_IsConnected()) {
        fail(); // closed from outside: nothing more will arrive
        return 0;
    }
    m_sock->p_ReceiveAsync(m_recvBuf, next, kReceiveBufferSize - next, this);
    return 0;
}

int c_HttpRequest::takeBlock(int offset, int count) {
    if (finished_) return -1;
    if (count < 0) {
        fail();
        return -1;
    }
    if (count == 0) {
        p_Finish(); // the server closed the connection: the response is complete
        return -1;
    }
    const unsigned char* bytes = m_recvBuf->_data;
    const int end = offset + count;
    if (m_response) {
        if (!keepBody(bytes + offset, count)) {
            fail();
            return -1;
        }
        return 0;
    }

    headBytes_ += count;
    if (headBytes_ > hexwend::net::kMaxResponseBytes) {
        fail();
        return -1;
    }
    int lineStart = 0;
    for (int i = offset; i < end; ++i) {
        if (bytes[i] != '\n') continue;
        const String line = m_recvBuf->p_PeekString(lineStart, i - lineStart, String("ascii")).Trim();
        lineStart = i + 1;
        if (line.Length() > 0) {
            m_lines->p_Push4(line);
            continue;
        }
        // A blank line ends the head; the first line must be a status line of three or more
        // parts.
        if (m_lines->p_Length2() == 0) {
            p_Finish();
            return -1;
        }
        const Array<String> parts = m_lines->p_Get(0).ToUpper().Split(String(" "));
        if (parts.Length() > 2 && parts[0].StartsWith(String("HTTP/"))) {
            m_status = parts[1].ToInt();
            gc_assign(m_response, (new c_StringStack())->m_new2());
            if (!keepBody(bytes + lineStart, end - lineStart)) {
                fail();
                return -1;
            }
            return 0;
        }
        p_Finish();
        return -1;
    }
    // The block ended inside a line: its bytes move to the front and the next block follows
    // them. A line that fills the whole buffer leaves no room, and the receive of 0 bytes that
    // follows ends the request like a close.
    const int rest = end - lineStart;
    if (lineStart > 0 && rest > 0) m_recvBuf->p_CopyBytes(lineStart, m_recvBuf, 0, rest);
    return rest;
}
