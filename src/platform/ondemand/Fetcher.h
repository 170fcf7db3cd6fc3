#pragma once

#include <atomic>
#include <chrono>
#include <cstddef>
#include <functional>
#include <string>
#include <string_view>

// How long a transfer may wait. A stalled server must fail a request in bounded time.
struct FetchTimeouts {
    std::chrono::milliseconds connect{15000};
    // The transfer fails once it has moved fewer than `lowSpeedLimit` bytes per second over
    // `lowSpeedTime`, waiting for the response included (checked about once a second).
    std::chrono::seconds lowSpeedTime{30};
    long lowSpeedLimit = 1;
};

// Streams one URL (file://, http:// or https://, all through libcurl) into a sink. One fetcher
// serves the requests of one pack in turn, so HTTP connections are reused between its files.
class Fetcher {
public:
    enum class Status {
        ok,
        notFound,      // HTTP 404/410, or a file:// path that does not exist
        httpError,     // any other HTTP status >= 400
        networkError,  // connect refused, cut connection, timeout, TLS failure...
        cancelled,
    };
    struct Result {
        Status status = Status::ok;
        long httpStatus = 0;
        std::string message;
    };
    // Receives the body as it arrives. May throw: the transfer stops and fetch() rethrows.
    using Sink = std::function<void(const char* data, std::size_t size)>;

    Fetcher(FetchTimeouts timeouts, const std::atomic<bool>& cancelled);
    ~Fetcher();
    Fetcher(const Fetcher&) = delete;
    Fetcher& operator=(const Fetcher&) = delete;

    Result fetch(const std::string& url, const Sink& sink);

    // Escapes every byte but the URL-unreserved ones, so any valid name is one path segment.
    static std::string percentEncode(std::string_view text);

private:
    static std::size_t onData(char* data, std::size_t size, std::size_t count, void* self);
    static int onProgress(void* self, long long, long long received, long long, long long);
    bool stalled(long long received);

    void* curl_;
    FetchTimeouts timeouts_;
    const std::atomic<bool>& cancelled_;
    const Sink* sink_ = nullptr;
    std::exception_ptr sinkFailure_;
    // libcurl's own low-speed check averages over several seconds, so a burst followed by
    // silence would outlive lowSpeedTime by that much: the window is kept here instead.
    std::chrono::steady_clock::time_point windowStart_;
    long long windowBytes_ = 0;
    bool stalled_ = false;
};
