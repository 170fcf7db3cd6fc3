#include "platform/ondemand/Fetcher.h"

#include <curl/curl.h>

#include <algorithm>
#include <mutex>
#include <stdexcept>
#include <utility>

namespace {

// Larger than libcurl's 16 KiB default: fewer callbacks and writes per megabyte.
constexpr long kBufferSize = 256 * 1024;

void initialiseCurlOnce() {
    static std::once_flag once;
    std::call_once(once, [] {
        if (curl_global_init(CURL_GLOBAL_DEFAULT) != CURLE_OK)
            throw std::runtime_error("libcurl cannot be initialised");
    });
}

}  // namespace

Fetcher::Fetcher(FetchTimeouts timeouts, const std::atomic<bool>& cancelled)
    : timeouts_(timeouts), cancelled_(cancelled) {
    timeouts_.lowSpeedTime = std::max(timeouts_.lowSpeedTime, std::chrono::seconds(1));
    initialiseCurlOnce();
    curl_ = curl_easy_init();
    if (curl_ == nullptr)
        throw std::runtime_error("libcurl cannot create a transfer");
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

std::size_t Fetcher::onData(char* data, std::size_t size, std::size_t count, void* self) {
    auto* fetcher = static_cast<Fetcher*>(self);
    std::size_t bytes = size * count;
    // Exceptions must not cross libcurl's C frames: keep it and fail the transfer instead.
    try {
        (*fetcher->sink_)(data, bytes);
    } catch (...) {
        fetcher->sinkFailure_ = std::current_exception();
        return CURL_WRITEFUNC_ERROR;
    }
    return bytes;
}

int Fetcher::onProgress(void* self, long long, long long received, long long, long long) {
    auto* fetcher = static_cast<Fetcher*>(self);
    if (fetcher->cancelled_.load())
        return 1;
    return fetcher->stalled(received) ? 1 : 0;
}

bool Fetcher::stalled(long long received) {
    auto now = std::chrono::steady_clock::now();
    if (received > windowBytes_ + timeouts_.lowSpeedLimit * timeouts_.lowSpeedTime.count()) {
        // Enough has arrived for the whole window: start a new one from here.
        windowStart_ = now;
        windowBytes_ = received;
        return false;
    }
    if (now - windowStart_ < timeouts_.lowSpeedTime)
        return false;
    stalled_ = true;
    return true;
}

Fetcher::Result Fetcher::fetch(const std::string& url, const Sink& sink) {
    if (cancelled_.load())
        return {Status::cancelled, 0, "the request was cancelled"};
    auto* curl = static_cast<CURL*>(curl_);
    curl_easy_reset(curl);
    sink_ = &sink;
    sinkFailure_ = nullptr;
    windowStart_ = std::chrono::steady_clock::now();
    windowBytes_ = 0;
    stalled_ = false;
    char errorBuffer[CURL_ERROR_SIZE] = {};

    curl_easy_setopt(curl, CURLOPT_URL, url.c_str());
    curl_easy_setopt(curl, CURLOPT_PROTOCOLS_STR, "file,http,https");
    curl_easy_setopt(curl, CURLOPT_REDIR_PROTOCOLS_STR, "http,https");
    curl_easy_setopt(curl, CURLOPT_FOLLOWLOCATION, 1L);
    curl_easy_setopt(curl, CURLOPT_MAXREDIRS, 5L);
    curl_easy_setopt(curl, CURLOPT_FAILONERROR, 1L);
    curl_easy_setopt(curl, CURLOPT_NOSIGNAL, 1L);
    curl_easy_setopt(curl, CURLOPT_BUFFERSIZE, kBufferSize);
    curl_easy_setopt(curl, CURLOPT_ERRORBUFFER, errorBuffer);
    curl_easy_setopt(curl, CURLOPT_CONNECTTIMEOUT_MS, static_cast<long>(timeouts_.connect.count()));
    curl_easy_setopt(curl, CURLOPT_WRITEFUNCTION, &Fetcher::onData);
    curl_easy_setopt(curl, CURLOPT_WRITEDATA, this);
    curl_easy_setopt(curl, CURLOPT_NOPROGRESS, 0L);
    curl_easy_setopt(curl, CURLOPT_XFERINFOFUNCTION, &Fetcher::onProgress);
    curl_easy_setopt(curl, CURLOPT_XFERINFODATA, this);

    CURLcode code = curl_easy_perform(curl);
    sink_ = nullptr;
    if (sinkFailure_)
        std::rethrow_exception(std::exchange(sinkFailure_, nullptr));

    long status = 0;
    curl_easy_getinfo(curl, CURLINFO_RESPONSE_CODE, &status);
    std::string message = errorBuffer[0] != '\0' ? errorBuffer : curl_easy_strerror(code);
    switch (code) {
        case CURLE_OK:
            return {Status::ok, status, {}};
        case CURLE_HTTP_RETURNED_ERROR:
            if (status == 404 || status == 410)
                return {Status::notFound, status, message};
            return {Status::httpError, status, message};
        case CURLE_FILE_COULDNT_READ_FILE:
            return {Status::notFound, 0, message};
        case CURLE_ABORTED_BY_CALLBACK:
            if (cancelled_.load())
                return {Status::cancelled, 0, "the request was cancelled"};
            if (stalled_)
                return {Status::networkError, status,
                        "the server sent less than " + std::to_string(timeouts_.lowSpeedLimit) +
                            " byte/s for " + std::to_string(timeouts_.lowSpeedTime.count()) + " s"};
            return {Status::networkError, 0, message};
        default:
            return {Status::networkError, status, message};
    }
}
