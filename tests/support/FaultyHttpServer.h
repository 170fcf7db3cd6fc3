#pragma once

#include <atomic>
#include <condition_variable>
#include <cstddef>
#include <map>
#include <mutex>
#include <optional>
#include <string>
#include <thread>
#include <vector>

// An HTTP/1.1 server on 127.0.0.1 that misbehaves on purpose. Connections are kept alive
// between requests, as a real server's are, unless a response ends its connection.
class FaultyHttpServer {
public:
    // Every member has a default, so that a route names only what it changes.
    struct Response {
        int status = 200;
        std::string body = {};
        // Sends only this many body bytes (after announcing the full length), then closes.
        std::optional<std::size_t> cutAfter = {};
        // Sends this many body bytes, then goes silent without closing until the server stops.
        std::optional<std::size_t> stallAfter = {};
        // Sent as the ETag (quoted) when not empty; a request whose If-None-Match is that ETag
        // gets 304 and no body.
        std::string etag = {};
        // Answers "Range: bytes=N-" with a 206 from byte N, unless an If-Range differs from
        // the ETag. Cuts and stalls then count from byte N.
        bool ranges = false;
        // Sends the body at this many bytes a second, a tenth each 100 ms, as a failing link.
        std::optional<std::size_t> trickle = {};
    };

    FaultyHttpServer();
    ~FaultyHttpServer();
    FaultyHttpServer(const FaultyHttpServer&) = delete;
    FaultyHttpServer& operator=(const FaultyHttpServer&) = delete;

    // Serves `response` for GET `path` (as sent, percent-encoded); other paths get 404.
    void route(const std::string& path, Response response);
    int requestCount(const std::string& path) const;
    // Body bytes sent for `path` so far, over every request.
    std::size_t bytesSent(const std::string& path) const;
    int connectionCount() const { return connections_.load(); }
    std::string url() const { return "http://127.0.0.1:" + std::to_string(port_); }

private:
    void acceptLoop();
    void serve(int fd);
    bool trickle(int fd, const char* data, std::size_t size, std::size_t perSecond);
    bool readRequest(int fd, std::string& buffer, std::string& path, std::string& head);

    int listener_ = -1;
    int port_ = 0;
    std::atomic<bool> stopping_{false};
    std::atomic<int> connections_{0};
    mutable std::mutex mutex_;
    std::condition_variable wake_;
    std::map<std::string, Response> routes_;
    std::map<std::string, int> counts_;
    std::map<std::string, std::size_t> sent_;
    std::vector<std::thread> threads_;
    std::thread acceptor_;
};
