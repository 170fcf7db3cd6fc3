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

// A small HTTP/1.1 server on 127.0.0.1 that misbehaves on purpose: it can cut a connection
// mid-body, stall, or answer with an error status. Each connection is served by its own
// thread; every response closes its connection.
class FaultyHttpServer {
public:
    struct Response {
        int status = 200;
        std::string body;
        // Sends only this many body bytes (after announcing the full length), then closes.
        std::optional<std::size_t> cutAfter;
        // Sends this many body bytes, then goes silent without closing until the server stops.
        std::optional<std::size_t> stallAfter;
    };

    FaultyHttpServer();
    ~FaultyHttpServer();
    FaultyHttpServer(const FaultyHttpServer&) = delete;
    FaultyHttpServer& operator=(const FaultyHttpServer&) = delete;

    // Serves `response` for GET `path` (as sent, percent-encoded); other paths get 404.
    void route(const std::string& path, Response response);
    void clearRoutes();
    // GET requests received for `path` so far.
    int requestCount(const std::string& path) const;

    int port() const { return port_; }
    std::string url() const { return "http://127.0.0.1:" + std::to_string(port_); }

    void stop();

private:
    void acceptLoop();
    void serve(int fd);
    bool waitUnlessStopping(std::chrono::milliseconds duration);

    int listener_ = -1;
    int port_ = 0;
    std::atomic<bool> stopping_{false};
    mutable std::mutex mutex_;
    std::condition_variable wake_;
    std::map<std::string, Response> routes_;
    std::map<std::string, int> counts_;
    std::vector<std::thread> connections_;
    std::thread acceptor_;
};
