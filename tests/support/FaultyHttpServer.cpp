#include "FaultyHttpServer.h"

#include <arpa/inet.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdint>
#include <stdexcept>
#include <string>

namespace {

bool sendAll(int fd, const char* data, std::size_t size) {
    while (size > 0) {
        ssize_t sent = ::send(fd, data, size, MSG_NOSIGNAL);
        if (sent <= 0)
            return false;
        data += sent;
        size -= static_cast<std::size_t>(sent);
    }
    return true;
}

// The value of header `name` ("Range: ") in a request head, or "".
std::string headerValue(const std::string& head, const std::string& name) {
    auto at = head.find("\r\n" + name);
    if (at == std::string::npos)
        return {};
    at += 2 + name.size();
    return head.substr(at, head.find("\r\n", at) - at);
}

}  // namespace

FaultyHttpServer::FaultyHttpServer() {
    listener_ = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t length = sizeof(address);
    if (::bind(listener_, reinterpret_cast<sockaddr*>(&address), sizeof(address)) != 0 ||
        ::listen(listener_, 16) != 0 ||
        ::getsockname(listener_, reinterpret_cast<sockaddr*>(&address), &length) != 0)
        throw std::runtime_error("FaultyHttpServer cannot listen on 127.0.0.1");
    port_ = ntohs(address.sin_port);
    acceptor_ = std::thread(&FaultyHttpServer::acceptLoop, this);
}

FaultyHttpServer::~FaultyHttpServer() {
    {
        std::lock_guard lock(mutex_);
        stopping_ = true;
    }
    wake_.notify_all();
    if (acceptor_.joinable())
        acceptor_.join();
    for (auto& thread : threads_)
        thread.join();
    ::close(listener_);
}

void FaultyHttpServer::route(const std::string& path, Response response) {
    std::lock_guard lock(mutex_);
    routes_[path] = std::move(response);
}

int FaultyHttpServer::requestCount(const std::string& path) const {
    std::lock_guard lock(mutex_);
    return counts_.count(path) ? counts_.at(path) : 0;
}

std::size_t FaultyHttpServer::bytesSent(const std::string& path) const {
    std::lock_guard lock(mutex_);
    return sent_.count(path) ? sent_.at(path) : 0;
}

void FaultyHttpServer::acceptLoop() {
    while (!stopping_) {
        pollfd waiting{listener_, POLLIN, 0};
        if (::poll(&waiting, 1, 20) <= 0)
            continue;
        int fd = ::accept4(listener_, nullptr, nullptr, SOCK_CLOEXEC);
        if (fd < 0)
            continue;
        ++connections_;
        std::lock_guard lock(mutex_);
        threads_.emplace_back(&FaultyHttpServer::serve, this, fd);
    }
}

bool FaultyHttpServer::readRequest(int fd, std::string& buffer, std::string& path,
                                   std::string& head) {
    std::size_t end;
    while ((end = buffer.find("\r\n\r\n")) == std::string::npos) {
        pollfd waiting{fd, POLLIN, 0};
        if (stopping_)
            return false;
        if (::poll(&waiting, 1, 20) <= 0)
            continue;
        char chunk[4096];
        ssize_t received = ::recv(fd, chunk, sizeof chunk, 0);
        if (received <= 0)
            return false;
        buffer.append(chunk, static_cast<std::size_t>(received));
    }
    auto first = buffer.find(' ');
    auto second = buffer.find(' ', first + 1);
    path = buffer.substr(first + 1, second - first - 1);
    head = buffer.substr(0, end + 2);
    buffer.erase(0, end + 4);
    return first < end && second < end;
}

bool FaultyHttpServer::trickle(int fd, const char* data, std::size_t size, std::size_t perSecond) {
    std::size_t tick = std::max<std::size_t>(perSecond / 10, 1);
    for (std::size_t at = 0; at < size; at += tick) {
        if (!sendAll(fd, data + at, std::min(tick, size - at)))
            return false;
        std::unique_lock lock(mutex_);
        if (wake_.wait_for(lock, std::chrono::milliseconds(100),
                           [this] { return stopping_.load(); }))
            return false;
    }
    return true;
}

void FaultyHttpServer::serve(int fd) {
    std::string buffer, path, request;
    while (readRequest(fd, buffer, path, request)) {
        Response response{404, "not found", {}, {}, {}, false};
        {
            std::lock_guard lock(mutex_);
            ++counts_[path];
            if (auto found = routes_.find(path); found != routes_.end())
                response = found->second;
        }
        std::string etag = response.etag.empty() ? "" : "\"" + response.etag + "\"";
        if (!etag.empty() && response.status == 200 &&
            headerValue(request, "If-None-Match: ") == etag)
            response = Response{304, "", {}, {}, response.etag};
        std::string range = headerValue(request, "Range: bytes="),
                    ifRange = headerValue(request, "If-Range: ");
        std::size_t from = 0;
        if (response.ranges && response.status == 200 && !range.empty() &&
            (ifRange.empty() || ifRange == etag))
            from = std::min<std::size_t>(std::stoull(range), response.body.size());
        std::string head =
            "HTTP/1.1 " + std::to_string(from > 0 ? 206 : response.status) +
            " Status\r\nContent-Length: " + std::to_string(response.body.size() - from) + "\r\n";
        if (from > 0)
            head += "Content-Range: bytes " + std::to_string(from) + "-" +
                    std::to_string(response.body.size() - 1) + "/" +
                    std::to_string(response.body.size()) + "\r\n";
        if (!etag.empty())
            head += "ETag: " + etag + "\r\n";
        head += "\r\n";
        std::size_t bodyBytes =
            std::min({response.body.size() - from, response.cutAfter.value_or(SIZE_MAX),
                      response.stallAfter.value_or(SIZE_MAX)});
        const char* body = response.body.data() + from;
        bool sent = sendAll(fd, head.data(), head.size()) &&
                    (response.trickle ? trickle(fd, body, bodyBytes, *response.trickle)
                                      : sendAll(fd, body, bodyBytes));
        {
            std::lock_guard lock(mutex_);
            sent_[path] += bodyBytes;
        }
        if (!sent || response.cutAfter)
            break;
        if (response.stallAfter) {
            std::unique_lock lock(mutex_);
            wake_.wait(lock, [this] { return stopping_.load(); });
            break;
        }
    }
    ::shutdown(fd, SHUT_RDWR);
    ::close(fd);
}
