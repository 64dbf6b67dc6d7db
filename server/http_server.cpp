#include "server/http_server.h"

#include "server/api_query.h"
#include "server/payload.h"
#include "server/render.h"

#include <arpa/inet.h>
#include <microhttpd.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <atomic>
#include <cstring>
#include <ctime>
#include <optional>
#include <stdexcept>
#include <thread>
#include <vector>

namespace hexwend::server {

namespace {

// Memory per connection; it also bounds a request's head (longer ones get a 414 from the
// library itself).
constexpr std::size_t kConnectionMemory = 8 * 1024;
constexpr unsigned kListenBacklog = 1024;
constexpr std::size_t kLoggedTarget = 200;

constexpr const char* kTextPlain = "text/plain; charset=utf-8";
constexpr const char* kJson = "application/json; charset=utf-8";

// What one request did, for its log line.
struct RequestLog {
    std::string target; // raw, as it arrived
    std::chrono::steady_clock::time_point start = std::chrono::steady_clock::now();
    std::string client;
    std::string method;
    bool headSeen = false;
    unsigned status = 0;
    std::size_t bytes = 0;
    std::string note;
};

struct Reply {
    unsigned status = 200;
    std::string contentType = kTextPlain;
    std::string body;
    std::string etag;
    std::string cacheControl;
    bool retryAfter = false;
    bool corsOpen = false;
};

Reply textReply(unsigned status, std::string body) {
    Reply r;
    r.status = status;
    r.body = std::move(body);
    return r;
}

Reply jsonErrorReply(unsigned status, std::string_view reason) {
    Reply r;
    r.status = status;
    r.contentType = kJson;
    r.body = renderJsonError(reason);
    r.corsOpen = true;
    return r;
}

std::string addressText(const sockaddr* addr) {
    char text[INET6_ADDRSTRLEN] = "?";
    if (!addr) return text;
    if (addr->sa_family == AF_INET)
        inet_ntop(AF_INET, &reinterpret_cast<const sockaddr_in*>(addr)->sin_addr, text, sizeof text);
    else if (addr->sa_family == AF_INET6)
        inet_ntop(AF_INET6, &reinterpret_cast<const sockaddr_in6*>(addr)->sin6_addr, text, sizeof text);
    return text;
}

// The key of an address's bucket: an IPv6 client owns a whole /64, so it counts as one.
std::string limitKey(const std::string& address) {
    if (address.find(':') == std::string::npos) return address;
    in6_addr a{};
    if (inet_pton(AF_INET6, address.c_str(), &a) != 1) return address;
    std::memset(a.s6_addr + 8, 0, 8);
    char text[INET6_ADDRSTRLEN];
    inet_ntop(AF_INET6, &a, text, sizeof text);
    return std::string(text) + "/64";
}

std::string trim(std::string_view s) {
    std::size_t b = s.find_first_not_of(" \t");
    if (b == std::string_view::npos) return {};
    std::size_t e = s.find_last_not_of(" \t");
    return std::string(s.substr(b, e - b + 1));
}

// Printable and bounded, so that a log line stays one line and its fields stay apart.
std::string loggable(std::string_view text, bool spaces = false) {
    std::string out;
    for (char c : text.substr(0, kLoggedTarget)) out += (c >= 0x21 && c <= 0x7e) || (spaces && c == ' ') ? c : '?';
    if (text.size() > kLoggedTarget) out += "...";
    return out.empty() ? "-" : out;
}

bool isScoreEndpoint(std::string_view path) { return path == "/Scores.php" || path == "//Scores.php"; }

} // namespace

struct HttpServer::Impl {
    ServerOptions options;
    Leaderboard& leaderboard;
    StorePool& pool;
    RateLimiter limiter;
    MHD_Daemon* daemon = nullptr;
    std::atomic<bool> draining{false};
    std::mutex logMutex;

    Impl(const ServerOptions& o, Leaderboard& l, StorePool& p)
        : options(o), leaderboard(l), pool(p), limiter(o.rate, o.burst) {}

    // libmicrohttpd's callbacks -------------------------------------------------------------

    static void* onRequestLine(void* cls, const char* uri, MHD_Connection*) {
        (void)cls;
        auto* log = new RequestLog;
        log->target = uri ? uri : "";
        return log;
    }

    // Called once when the head has arrived, then with each piece of a body, then once more
    // with nothing left. Refusals go out at once (the connection then closes); answers wait for
    // the whole request, so that the connection can be kept alive.
    static MHD_Result onRequest(void* cls, MHD_Connection* connection, const char*, const char* method,
                                const char* version, const char*, size_t* uploadSize, void** context) {
        auto* self = static_cast<Impl*>(cls);
        auto* log = static_cast<RequestLog*>(*context);
        if (!log) { // not expected: the request-line callback always runs first
            log = new RequestLog;
            *context = log;
        }
        if (log->status != 0) { // answered already; a body that follows is ignored
            *uploadSize = 0;
            return MHD_YES;
        }
        if (!log->headSeen) {
            log->headSeen = true;
            log->method = method ? method : "";
            if (auto refusal = self->refuse(connection, *log, version ? version : "")) return self->queue(connection, *log, *refusal);
            return MHD_YES;
        }
        if (*uploadSize > 0) { // a body on a GET means nothing here
            *uploadSize = 0;
            return MHD_YES;
        }
        return self->queue(connection, *log, self->handle(connection, *log));
    }

    static void onCompleted(void* cls, MHD_Connection*, void** context, MHD_RequestTerminationCode code) {
        auto* self = static_cast<Impl*>(cls);
        auto* log = static_cast<RequestLog*>(*context);
        if (!log) return;
        if (log->status == 0) log->note = "closed before an answer";
        else if (code != MHD_REQUEST_TERMINATED_COMPLETED_OK && log->note.empty()) log->note = "answer not delivered";
        self->writeLog(*log);
        delete log;
        *context = nullptr;
    }

    // Handling -------------------------------------------------------------------------------

    // What is refused before anything of the request is read: too many requests from the
    // address, an over-long request line, a method other than GET and HEAD.
    std::optional<Reply> refuse(MHD_Connection* connection, RequestLog& log, std::string_view version) {
        log.client = clientAddress(connection);
        if (!limiter.allow(limitKey(log.client))) {
            Reply r = textReply(MHD_HTTP_TOO_MANY_REQUESTS, "Too many requests\n");
            r.retryAfter = true;
            log.note = "rate limited";
            return r;
        }
        if (log.method.size() + 1 + log.target.size() + 1 + version.size() > kMaxRequestLine) {
            log.note = "request line too long";
            return textReply(MHD_HTTP_URI_TOO_LONG, "Request line too long\n");
        }
        if (log.method != "GET" && log.method != "HEAD") return textReply(MHD_HTTP_METHOD_NOT_ALLOWED, "Only GET and HEAD\n");
        return std::nullopt;
    }

    Reply handle(MHD_Connection* connection, RequestLog& log) {
        std::string_view target = log.target;
        std::size_t q = target.find('?');
        std::string_view path = target.substr(0, q);
        std::string_view query = q == std::string_view::npos ? std::string_view{} : target.substr(q + 1);

        if (isScoreEndpoint(path)) return scores(query, log);
        if (path == "/health") return health(log);
        if (path == "/") return page(connection);
        if (path == "/style.css") {
            Reply r = textReply(200, std::string(kStylesheet));
            r.contentType = "text/css; charset=utf-8";
            r.cacheControl = "public, max-age=86400";
            return r;
        }
        if (path == "/api/v1/scores") return api(connection, query);
        return textReply(MHD_HTTP_NOT_FOUND, "Not found\n");
    }

    Reply scores(std::string_view query, RequestLog& log) {
        ParseResult parsed = decodeScoreQuery(query);
        if (auto* error = std::get_if<ParseError>(&parsed)) {
            log.note = error->reason;
            return textReply(MHD_HTTP_BAD_REQUEST, "Bad request: " + error->reason + "\n");
        }
        const Submission& sub = std::get<Submission>(parsed);
        try {
            switch (leaderboard.submit(sub, std::int64_t(std::time(nullptr)))) {
            case SubmitOutcome::Stored: log.note = "stored"; break;
            case SubmitOutcome::Unchanged: log.note = "unchanged"; break;
            case SubmitOutcome::QueryOnly: log.note = "tables only"; break;
            }
        } catch (const StoreError& e) {
            log.note = std::string("store failed: ") + e.what();
            return textReply(MHD_HTTP_SERVICE_UNAVAILABLE, "Service unavailable\n");
        }
        return textReply(200, leaderboard.snapshot(sub.game)->gameReply());
    }

    Reply health(RequestLog& log) {
        if (draining) return textReply(MHD_HTTP_SERVICE_UNAVAILABLE, "draining\n");
        try {
            StorePool::Lease store = pool.acquire();
            try {
                store->revision();
            } catch (const StoreError&) {
                store.discard();
                throw;
            }
        } catch (const StoreError& e) {
            log.note = e.what();
            return textReply(MHD_HTTP_SERVICE_UNAVAILABLE, "database unavailable\n");
        }
        return textReply(200, "ok\n");
    }

    Reply page(MHD_Connection* connection) {
        const Rendered& page = leaderboard.snapshot(kDefaultGame)->page();
        Reply r;
        r.contentType = "text/html; charset=utf-8";
        r.etag = page.etag;
        r.cacheControl = "no-cache";
        if (matches(connection, page.etag)) r.status = MHD_HTTP_NOT_MODIFIED;
        else r.body = page.body;
        return r;
    }

    Reply api(MHD_Connection* connection, std::string_view query) {
        auto parsed = parseApiQuery(query);
        if (auto* error = std::get_if<ApiError>(&parsed)) return jsonErrorReply(unsigned(error->status), error->reason);
        const ApiQuery& q = std::get<ApiQuery>(parsed);
        std::shared_ptr<const Rendered> json = leaderboard.snapshot(q.game)->json(q.type, q.limit);
        Reply r;
        r.contentType = kJson;
        r.etag = json->etag;
        r.cacheControl = "public, max-age=5";
        r.corsOpen = true;
        if (matches(connection, json->etag)) r.status = MHD_HTTP_NOT_MODIFIED;
        else r.body = json->body;
        return r;
    }

    // If-None-Match: a list of tags, or "*".
    static bool matches(MHD_Connection* connection, const std::string& etag) {
        const char* header = MHD_lookup_connection_value(connection, MHD_HEADER_KIND, MHD_HTTP_HEADER_IF_NONE_MATCH);
        if (!header) return false;
        std::string_view list = header;
        while (!list.empty()) {
            std::size_t comma = list.find(',');
            std::string tag = trim(list.substr(0, comma));
            if (tag.starts_with("W/")) tag = tag.substr(2);
            if (tag == etag || tag == "*") return true;
            list = comma == std::string_view::npos ? std::string_view{} : list.substr(comma + 1);
        }
        return false;
    }

    std::string clientAddress(MHD_Connection* connection) {
        if (options.trustForwardedFor) {
            if (const char* fwd = MHD_lookup_connection_value(connection, MHD_HEADER_KIND, "X-Forwarded-For")) {
                std::string_view list = fwd;
                std::size_t comma = list.rfind(',');
                std::string last = trim(comma == std::string_view::npos ? list : list.substr(comma + 1));
                if (!last.empty()) return loggable(last);
            }
        }
        const MHD_ConnectionInfo* info = MHD_get_connection_info(connection, MHD_CONNECTION_INFO_CLIENT_ADDRESS);
        return addressText(info ? info->client_addr : nullptr);
    }

    MHD_Result queue(MHD_Connection* connection, RequestLog& log, const Reply& reply) {
        MHD_Response* response =
            MHD_create_response_from_buffer(reply.body.size(), const_cast<char*>(reply.body.data()), MHD_RESPMEM_MUST_COPY);
        if (!response) return MHD_NO;
        if (reply.status != MHD_HTTP_NOT_MODIFIED)
            MHD_add_response_header(response, MHD_HTTP_HEADER_CONTENT_TYPE, reply.contentType.c_str());
        if (!reply.etag.empty()) MHD_add_response_header(response, MHD_HTTP_HEADER_ETAG, reply.etag.c_str());
        if (!reply.cacheControl.empty())
            MHD_add_response_header(response, MHD_HTTP_HEADER_CACHE_CONTROL, reply.cacheControl.c_str());
        if (reply.retryAfter) MHD_add_response_header(response, MHD_HTTP_HEADER_RETRY_AFTER, "1");
        if (reply.status == MHD_HTTP_METHOD_NOT_ALLOWED) MHD_add_response_header(response, MHD_HTTP_HEADER_ALLOW, "GET, HEAD");
        if (reply.corsOpen) MHD_add_response_header(response, MHD_HTTP_HEADER_ACCESS_CONTROL_ALLOW_ORIGIN, "*");
        if (draining) MHD_add_response_header(response, MHD_HTTP_HEADER_CONNECTION, "close");
        MHD_Result result = MHD_queue_response(connection, reply.status, response);
        MHD_destroy_response(response);
        log.status = reply.status;
        log.bytes = reply.body.size();
        return result;
    }

    void writeLog(const RequestLog& log) {
        if (options.logFd < 0) return;
        std::time_t now = std::time(nullptr);
        double ms = std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - log.start).count();
        char took[32];
        std::snprintf(took, sizeof took, "%.2fms", ms);
        std::string line = isoTime(now) + " " + (log.client.empty() ? "-" : log.client) + " " +
                           (log.method.empty() ? "-" : loggable(log.method)) + " " + loggable(log.target) + " " +
                           (log.status ? std::to_string(log.status) : "-") + " " + std::to_string(log.bytes) + " " +
                           took;
        if (!log.note.empty()) line += " " + loggable(log.note, true);
        line += "\n";
        // One write per line, so that lines from the pool's threads never interleave.
        std::lock_guard lock(logMutex);
        for (std::size_t done = 0; done < line.size();) {
            ssize_t n = ::write(options.logFd, line.data() + done, line.size() - done);
            if (n <= 0) break;
            done += size_t(n);
        }
    }
};

HttpServer::HttpServer(const ServerOptions& options, Leaderboard& leaderboard, StorePool& pool)
    : impl_(std::make_unique<Impl>(options, leaderboard, pool)) {
    sockaddr_storage address{};
    unsigned flags = MHD_USE_INTERNAL_POLLING_THREAD | MHD_USE_EPOLL | MHD_USE_TURBO | MHD_USE_ITC | MHD_USE_ERROR_LOG;
    if (options.host.find(':') != std::string::npos) {
        auto* a6 = reinterpret_cast<sockaddr_in6*>(&address);
        a6->sin6_family = AF_INET6;
        a6->sin6_port = htons(options.port);
        if (inet_pton(AF_INET6, options.host.c_str(), &a6->sin6_addr) != 1)
            throw std::runtime_error("not an IPv6 address: " + options.host);
        flags |= MHD_USE_IPv6;
    } else {
        auto* a4 = reinterpret_cast<sockaddr_in*>(&address);
        a4->sin_family = AF_INET;
        a4->sin_port = htons(options.port);
        if (inet_pton(AF_INET, options.host.c_str(), &a4->sin_addr) != 1)
            throw std::runtime_error("not an IPv4 address: " + options.host);
    }
    // One thread is the library's own polling thread; more make a pool of them.
    std::vector<MHD_OptionItem> items = {
        {MHD_OPTION_SOCK_ADDR, 0, &address},
        {MHD_OPTION_CONNECTION_LIMIT, options.maxConnections, nullptr},
        {MHD_OPTION_CONNECTION_TIMEOUT, options.connectionTimeoutSeconds, nullptr},
        {MHD_OPTION_CONNECTION_MEMORY_LIMIT, intptr_t(kConnectionMemory), nullptr},
        {MHD_OPTION_LISTEN_BACKLOG_SIZE, kListenBacklog, nullptr},
        {MHD_OPTION_URI_LOG_CALLBACK, intptr_t(&Impl::onRequestLine), impl_.get()},
        {MHD_OPTION_NOTIFY_COMPLETED, intptr_t(&Impl::onCompleted), impl_.get()},
    };
    if (options.threads > 1) items.push_back({MHD_OPTION_THREAD_POOL_SIZE, options.threads, nullptr});
    items.push_back({MHD_OPTION_END, 0, nullptr});
    impl_->daemon = MHD_start_daemon(flags, options.port, nullptr, nullptr, &Impl::onRequest, impl_.get(),
                                     MHD_OPTION_ARRAY, items.data(), MHD_OPTION_END);
    if (!impl_->daemon)
        throw std::runtime_error("cannot listen on " + options.host + ":" + std::to_string(options.port));
}

HttpServer::~HttpServer() {
    if (impl_->daemon) MHD_stop_daemon(impl_->daemon);
}

std::uint16_t HttpServer::port() const {
    const MHD_DaemonInfo* info = MHD_get_daemon_info(impl_->daemon, MHD_DAEMON_INFO_BIND_PORT);
    return info ? info->port : 0;
}

void HttpServer::drain(std::chrono::milliseconds grace) {
    if (!impl_->daemon) return;
    impl_->draining = true;
    MHD_socket listener = MHD_quiesce_daemon(impl_->daemon);
    if (listener != MHD_INVALID_SOCKET) ::close(listener);
    auto deadline = std::chrono::steady_clock::now() + grace;
    while (std::chrono::steady_clock::now() < deadline) {
        const MHD_DaemonInfo* info = MHD_get_daemon_info(impl_->daemon, MHD_DAEMON_INFO_CURRENT_CONNECTIONS);
        if (!info || info->num_connections == 0) break;
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    MHD_stop_daemon(impl_->daemon);
    impl_->daemon = nullptr;
}

} // namespace hexwend::server
