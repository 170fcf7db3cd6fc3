#pragma once

#include <atomic>
#include <chrono>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/foundation/FailureCause.h"

// How a transfer is made. A stalled or trickling server must fail a request in bounded time,
// and so release the pack's lock, rather than hold both for as long as a byte comes now and
// then.
struct FetchSettings {
    std::chrono::milliseconds connect{15000};
    // The transfer fails once it has moved fewer than `minimumRate` bytes per second on average
    // over `rateWindow`, waiting for the response included (checked about once a second).
    // 1 KiB/s is a tenth of what a weak mobile link moves, yet at that rate a pack of a few
    // megabytes would take over an hour, which nobody waits for; 30 s rides out the pauses of a
    // busy Wi-Fi or a train going through a tunnel.
    long minimumRate = 1024;
    std::chrono::seconds rateWindow{30};
    // A manifest is a few kilobytes: a server that has not sent it whole in this time (the
    // connection included) is not one a pack can come from.
    std::chrono::seconds manifestDeadline{60};
    // A PEM file of the certificate authorities an https:// server's certificate may come from,
    // in place of the system's store (a school's own authority); empty means the system's.
    // Certificates are always verified.
    std::string certificateAuthorities;
};

// Streams one URL (file://, http:// or https://, all through libcurl) into a sink. One fetcher
// serves the requests of one pack in turn, so HTTP connections are reused between its files.
class Fetcher {
public:
    enum class Status {
        ok,
        notModified,   // HTTP 304: the server's copy is the one the Conditions name
        notFound,      // HTTP 404/410, or a file:// path that does not exist
        httpError,     // any other HTTP status >= 400
        networkError,  // connect refused, cut connection, timeout, TLS failure...
        cancelled,
    };
    struct Result {
        Status status = Status::ok;
        long httpStatus = 0;
        std::string message;                         // the cause in words, without the URL
        FailureCause cause = FailureCause::unknown;  // as a grown-up is told it
    };
    // What a response said of its body, known before its first byte.
    struct Head {
        long httpStatus = 0;  // 0 for file://
        std::string etag;     // strong validators only; a weak ETag is left out
        std::string lastModified;
        std::optional<std::uint64_t> rangeStart;  // from Content-Range, on a 206
    };
    // Asks for the body from byte `from` on, unless the file no longer matches `ifRange` (an
    // ETag or Last-Modified value), in which case a server sends the whole file.
    struct Range {
        std::uint64_t from = 0;
        std::string ifRange;
    };
    // The validators of a copy the caller holds (If-None-Match, If-Modified-Since): a server whose
    // copy is the same answers 304, without a body.
    struct Conditions {
        std::string etag;
        std::string lastModified;
    };
    // Receives the body as it arrives, in pieces of up to 256 KiB, each at the latest when
    // libcurl next waits for the network. May throw: the transfer stops and fetch() rethrows.
    using Sink = std::function<void(const char* data, std::size_t size)>;
    // Hears the head of the response before its first body byte. May throw, as a sink may.
    using HeadSink = std::function<void(const Head& head)>;

    Fetcher(FetchSettings settings, const std::atomic<bool>& cancelled);
    ~Fetcher();
    Fetcher(const Fetcher&) = delete;
    Fetcher& operator=(const Fetcher&) = delete;

    // A `deadline` (none when zero) bounds the whole transfer. Redirects are followed, but never
    // from https to another scheme: a transfer begun over TLS stays on it.
    Result fetch(const std::string& url, const Sink& sink, const Range* range = nullptr,
                 const HeadSink& onHead = {}, std::chrono::seconds deadline = {},
                 const Conditions* conditions = nullptr);
    // The head of the last response, as far as it arrived (also after a failed transfer).
    const Head& lastHead() const { return head_; }

    // True when `value` has no control character (below 0x20, or 0x7f), so that it can be sent
    // back in a header line without ending that line or starting another.
    static bool isHeaderValue(std::string_view value);
    // Escapes every byte but the URL-unreserved ones, so any valid name is one path segment.
    static std::string percentEncode(std::string_view text);

private:
    static std::size_t onData(char* data, std::size_t size, std::size_t count, void* self);
    static std::size_t onHeader(char* data, std::size_t size, std::size_t count, void* self);
    static int onProgress(void* self, long long, long long received, long long, long long);
    // Hands what is gathered in batch_ to the sink; a sink's exception propagates.
    void deliverBatch();
    bool stalled(long long received);
    bool pastDeadline();
    // What a finished transfer amounts to, from libcurl's CURLcode and the HTTP status.
    Result resultOf(int curlCode, long status, const std::string& message) const;

    void* curl_;
    FetchSettings settings_;
    const std::atomic<bool>& cancelled_;
    const Sink* sink_ = nullptr;
    std::vector<char> batch_;  // body bytes read but not yet handed to the sink
    const HeadSink* headSink_ = nullptr;
    bool bodyStarted_ = false;
    Head head_;
    // The last redirect and the URL that answered with it, for the message when it is refused.
    std::string location_;
    std::string redirectedFrom_;
    std::exception_ptr sinkFailure_;
    // libcurl's own low-speed check averages over several seconds, so a burst followed by
    // silence would outlive rateWindow by that much: the window is kept here instead.
    std::chrono::steady_clock::time_point windowStart_;
    long long windowBytes_ = 0;
    bool stalled_ = false;
    std::chrono::steady_clock::time_point started_;
    std::chrono::seconds deadline_{};
    bool pastDeadline_ = false;
};
