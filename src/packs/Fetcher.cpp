#include "packs/Fetcher.h"

#include <curl/curl.h>

#include <algorithm>
#include <cctype>
#include <charconv>
#include <mutex>
#include <stdexcept>
#include <utility>

namespace {

// Larger than libcurl's 16 KiB default: fewer reads per megabyte.
constexpr long kBufferSize = 256 * 1024;
// libcurl hands the body over 16 KiB at a time, however much it read at once. The sink gets
// it in batches of up to this size instead, as a file system spends less per byte on fewer,
// larger writes.
constexpr std::size_t kBatchSize = 256 * 1024;

void initialiseCurlOnce() {
    static std::once_flag once;
    std::call_once(once, [] {
        if (curl_global_init(CURL_GLOBAL_DEFAULT) != CURLE_OK)
            throw std::runtime_error("libcurl cannot be initialised");
    });
}

// Schemes are case-insensitive: "HTTPS://" is https too.
bool isHttps(const std::string& url) {
    constexpr std::string_view kScheme = "https://";
    return url.size() >= kScheme.size() &&
           std::equal(kScheme.begin(), kScheme.end(), url.begin(), [](char scheme, char c) {
               return scheme == std::tolower(static_cast<unsigned char>(c));
           });
}

}  // namespace

Fetcher::Fetcher(FetchSettings settings, const std::atomic<bool>& cancelled)
    : settings_(std::move(settings)), cancelled_(cancelled) {
    settings_.rateWindow = std::max(settings_.rateWindow, std::chrono::seconds(1));
    settings_.minimumRate = std::max(settings_.minimumRate, 1L);
    initialiseCurlOnce();
    curl_ = curl_easy_init();
    if (curl_ == nullptr)
        throw std::runtime_error("libcurl cannot create a transfer");
    batch_.reserve(kBatchSize);
}

Fetcher::~Fetcher() {
    curl_easy_cleanup(static_cast<CURL*>(curl_));
}

std::string Fetcher::percentEncode(std::string_view text) {
    static constexpr char kDigits[] = "0123456789ABCDEF";
    std::string encoded;
    encoded.reserve(text.size());
    for (char c : text) {
        auto byte = static_cast<unsigned char>(c);
        bool unreserved = (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') ||
                          (c >= '0' && c <= '9') || c == '-' || c == '.' || c == '_' || c == '~';
        if (unreserved) {
            encoded.push_back(c);
        } else {
            encoded.push_back('%');
            encoded.push_back(kDigits[byte >> 4]);
            encoded.push_back(kDigits[byte & 0x0f]);
        }
    }
    return encoded;
}

bool Fetcher::isHeaderValue(std::string_view value) {
    return std::none_of(value.begin(), value.end(), [](char c) {
        return static_cast<unsigned char>(c) < 0x20 || static_cast<unsigned char>(c) == 0x7f;
    });
}

std::size_t Fetcher::onData(char* data, std::size_t size, std::size_t count, void* self) {
    auto* fetcher = static_cast<Fetcher*>(self);
    std::size_t bytes = size * count;
    // libcurl may hand over many buffers before it next asks for progress: a cancelled
    // transfer stops here, so it keeps no more than it had when it was cancelled.
    if (fetcher->cancelled_.load())
        return CURL_WRITEFUNC_ERROR;
    // Exceptions must not cross libcurl's C frames: keep it and fail the transfer instead.
    try {
        if (!fetcher->bodyStarted_) {
            fetcher->bodyStarted_ = true;
            curl_easy_getinfo(static_cast<CURL*>(fetcher->curl_), CURLINFO_RESPONSE_CODE,
                              &fetcher->head_.httpStatus);
            if (*fetcher->headSink_)
                (*fetcher->headSink_)(fetcher->head_);
        }
        if (fetcher->batch_.size() + bytes > kBatchSize)
            fetcher->deliverBatch();
        if (bytes >= kBatchSize)
            (*fetcher->sink_)(data, bytes);
        else
            fetcher->batch_.insert(fetcher->batch_.end(), data, data + bytes);
    } catch (...) {
        fetcher->sinkFailure_ = std::current_exception();
        return CURL_WRITEFUNC_ERROR;
    }
    return bytes;
}

std::size_t Fetcher::onHeader(char* data, std::size_t size, std::size_t count, void* self) {
    auto* fetcher = static_cast<Fetcher*>(self);
    std::string_view line(data, size * count);
    // A new status line (after a redirect or a 100 Continue) starts a new head.
    if (line.starts_with("HTTP/")) {
        fetcher->head_ = {};
        fetcher->location_.clear();
        return line.size();
    }
    auto colon = line.find(':');
    if (colon == std::string_view::npos)
        return line.size();
    std::string name(line.substr(0, colon));
    std::transform(name.begin(), name.end(), name.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    auto value = line.substr(colon + 1);
    while (!value.empty() && (value.front() == ' ' || value.front() == '\t'))
        value.remove_prefix(1);
    while (!value.empty() && (value.back() == '\r' || value.back() == '\n' || value.back() == ' '))
        value.remove_suffix(1);
    // A validator is sent back in If-Range: one that could break that header is never kept.
    if (!isHeaderValue(value)) {
        return line.size();
    } else if (name == "etag" && !value.starts_with("W/")) {
        fetcher->head_.etag = value;
    } else if (name == "last-modified") {
        fetcher->head_.lastModified = value;
    } else if (name == "location") {
        // The URL this response answered, which libcurl moves on from once it follows it.
        char* answered = nullptr;
        curl_easy_getinfo(static_cast<CURL*>(fetcher->curl_), CURLINFO_EFFECTIVE_URL, &answered);
        fetcher->location_ = value;
        fetcher->redirectedFrom_ = answered ? answered : "";
    } else if (name == "content-range" && value.starts_with("bytes ")) {
        std::uint64_t start = 0;
        auto digits = value.substr(6);
        auto [end, error] = std::from_chars(digits.data(), digits.data() + digits.size(), start);
        if (error == std::errc() && end != digits.data() && *end == '-')
            fetcher->head_.rangeStart = start;
    }
    return line.size();
}

void Fetcher::deliverBatch() {
    if (batch_.empty())
        return;
    try {
        (*sink_)(batch_.data(), batch_.size());
    } catch (...) {
        batch_.clear();
        throw;
    }
    batch_.clear();
}

int Fetcher::onProgress(void* self, long long, long long received, long long, long long) {
    auto* fetcher = static_cast<Fetcher*>(self);
    if (fetcher->cancelled_.load())
        return 1;
    // libcurl asks for progress whenever it goes back to wait for the network: what it read
    // so far reaches the sink then, not only once a batch is full.
    try {
        fetcher->deliverBatch();
    } catch (...) {
        fetcher->sinkFailure_ = std::current_exception();
        return 1;
    }
    return fetcher->stalled(received) || fetcher->pastDeadline() ? 1 : 0;
}

bool Fetcher::pastDeadline() {
    if (deadline_.count() == 0 || std::chrono::steady_clock::now() - started_ < deadline_)
        return false;
    pastDeadline_ = true;
    return true;
}

bool Fetcher::stalled(long long received) {
    auto now = std::chrono::steady_clock::now();
    if (received > windowBytes_ + settings_.minimumRate * settings_.rateWindow.count()) {
        // Enough has arrived for the whole window: start a new one from here.
        windowStart_ = now;
        windowBytes_ = received;
        return false;
    }
    if (now - windowStart_ < settings_.rateWindow)
        return false;
    stalled_ = true;
    return true;
}

Fetcher::Result Fetcher::fetch(const std::string& url, const Sink& sink, const Range* range,
                               const HeadSink& onHead, std::chrono::seconds deadline,
                               const Conditions* conditions) {
    if (cancelled_.load())
        return {Status::cancelled, 0, "the request was cancelled", FailureCause::unknown};
    auto* curl = static_cast<CURL*>(curl_);
    curl_easy_reset(curl);
    sink_ = &sink;
    headSink_ = &onHead;
    bodyStarted_ = false;
    head_ = {};
    location_.clear();
    redirectedFrom_.clear();
    sinkFailure_ = nullptr;
    windowStart_ = started_ = std::chrono::steady_clock::now();
    windowBytes_ = 0;
    stalled_ = pastDeadline_ = false;
    deadline_ = deadline;
    char errorBuffer[CURL_ERROR_SIZE] = {};

    curl_easy_setopt(curl, CURLOPT_URL, url.c_str());
    curl_easy_setopt(curl, CURLOPT_PROTOCOLS_STR, "file,http,https");
    curl_easy_setopt(curl, CURLOPT_REDIR_PROTOCOLS_STR, isHttps(url) ? "https" : "http,https");
    if (!settings_.certificateAuthorities.empty())
        curl_easy_setopt(curl, CURLOPT_CAINFO, settings_.certificateAuthorities.c_str());
    curl_easy_setopt(curl, CURLOPT_FOLLOWLOCATION, 1L);
    curl_easy_setopt(curl, CURLOPT_MAXREDIRS, 5L);
    curl_easy_setopt(curl, CURLOPT_FAILONERROR, 1L);
    curl_easy_setopt(curl, CURLOPT_NOSIGNAL, 1L);
    curl_easy_setopt(curl, CURLOPT_BUFFERSIZE, kBufferSize);
    curl_easy_setopt(curl, CURLOPT_ERRORBUFFER, errorBuffer);
    curl_easy_setopt(curl, CURLOPT_CONNECTTIMEOUT_MS, static_cast<long>(settings_.connect.count()));
    curl_easy_setopt(curl, CURLOPT_WRITEFUNCTION, &Fetcher::onData);
    curl_easy_setopt(curl, CURLOPT_WRITEDATA, this);
    curl_easy_setopt(curl, CURLOPT_HEADERFUNCTION, &Fetcher::onHeader);
    curl_easy_setopt(curl, CURLOPT_HEADERDATA, this);
    std::string rangeText = range ? std::to_string(range->from) + "-" : std::string();
    curl_slist* headers = nullptr;
    if (range) {
        curl_easy_setopt(curl, CURLOPT_RANGE, rangeText.c_str());
        if (!range->ifRange.empty() && isHeaderValue(range->ifRange))
            headers = curl_slist_append(headers, ("If-Range: " + range->ifRange).c_str());
    }
    if (conditions && !conditions->etag.empty() && isHeaderValue(conditions->etag))
        headers = curl_slist_append(headers, ("If-None-Match: " + conditions->etag).c_str());
    if (conditions && !conditions->lastModified.empty() && isHeaderValue(conditions->lastModified))
        headers =
            curl_slist_append(headers, ("If-Modified-Since: " + conditions->lastModified).c_str());
    curl_easy_setopt(curl, CURLOPT_HTTPHEADER, headers);
    curl_easy_setopt(curl, CURLOPT_NOPROGRESS, 0L);
    curl_easy_setopt(curl, CURLOPT_XFERINFOFUNCTION, &Fetcher::onProgress);
    curl_easy_setopt(curl, CURLOPT_XFERINFODATA, this);

    CURLcode code = curl_easy_perform(curl);
    curl_slist_free_all(headers);
    // The rest of the body, also after a cut (what came is worth keeping), but not once the
    // request is cancelled: it keeps no more than it had then.
    if (!sinkFailure_ && !cancelled_.load()) {
        try {
            deliverBatch();
        } catch (...) {
            sinkFailure_ = std::current_exception();
        }
    }
    batch_.clear();
    sink_ = nullptr;
    headSink_ = nullptr;
    if (sinkFailure_)
        std::rethrow_exception(std::exchange(sinkFailure_, nullptr));

    long status = 0;
    curl_easy_getinfo(curl, CURLINFO_RESPONSE_CODE, &status);
    return resultOf(code, status, errorBuffer[0] != '\0' ? errorBuffer : curl_easy_strerror(code));
}

Fetcher::Result Fetcher::resultOf(int curlCode, long status, const std::string& message) const {
    using Cause = FailureCause;
    auto code = static_cast<CURLcode>(curlCode);
    if (code != CURLE_OK && cancelled_.load())
        return {Status::cancelled, 0, "the request was cancelled", Cause::unknown};
    switch (code) {
        case CURLE_OK:
            return {status == 304 ? Status::notModified : Status::ok, status, {}, Cause::unknown};
        case CURLE_UNSUPPORTED_PROTOCOL:
            if (!location_.empty())
                return {Status::networkError, status,
                        "refused the redirect from " + redirectedFrom_ + " to " + location_ +
                            ", which leaves https",
                        Cause::insecureServer};
            return {Status::networkError, status, message, Cause::unreachable};
        case CURLE_HTTP_RETURNED_ERROR:
            if (status == 404 || status == 410)
                return {Status::notFound, status, "HTTP status " + std::to_string(status),
                        Cause::notOnServer};
            return {Status::httpError, status, "HTTP status " + std::to_string(status),
                    Cause::serverRefused};
        case CURLE_FILE_COULDNT_READ_FILE:
            // The URL names the path already.
            return {Status::notFound, 0, "not found", Cause::notOnServer};
        case CURLE_ABORTED_BY_CALLBACK:
            if (stalled_)
                return {Status::networkError, status,
                        "too slow: less than " + std::to_string(settings_.minimumRate) +
                            " bytes/s over " + std::to_string(settings_.rateWindow.count()) + " s",
                        Cause::tooSlow};
            if (pastDeadline_)
                return {Status::networkError, status,
                        "not received whole within " + std::to_string(deadline_.count()) + " s",
                        Cause::tooSlow};
            return {Status::networkError, 0, message, Cause::unknown};
        // With no whole-transfer timeout set, a timeout is the connect timeout.
        case CURLE_COULDNT_RESOLVE_HOST:
        case CURLE_COULDNT_RESOLVE_PROXY:
        case CURLE_COULDNT_CONNECT:
        case CURLE_OPERATION_TIMEDOUT:
            return {Status::networkError, status, "host not reachable (" + message + ")",
                    Cause::unreachable};
        case CURLE_PARTIAL_FILE:
        case CURLE_RECV_ERROR:
        case CURLE_SEND_ERROR:
        case CURLE_GOT_NOTHING:
            return {Status::networkError, status, "the connection was cut (" + message + ")",
                    Cause::connectionCut};
        case CURLE_PEER_FAILED_VERIFICATION:
        case CURLE_SSL_CONNECT_ERROR:
        case CURLE_SSL_CACERT_BADFILE:
        case CURLE_SSL_CERTPROBLEM:
            return {Status::networkError, status, message, Cause::insecureServer};
        default:
            return {Status::networkError, status, message, Cause::unknown};
    }
}
