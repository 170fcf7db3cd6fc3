#include "FaultyHttpServer.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <stdexcept>

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

const char* reason(int status) {
    switch (status) {
        case 200:
            return "OK";
        case 404:
            return "Not Found";
        case 500:
            return "Internal Server Error";
        case 503:
            return "Service Unavailable";
        default:
            return "Status";
    }
}

}  // namespace

FaultyHttpServer::FaultyHttpServer() {
    listener_ = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (listener_ < 0)
        throw std::runtime_error("socket() failed");
    int yes = 1;
    ::setsockopt(listener_, SOL_SOCKET, SO_REUSEADDR, &yes, sizeof(yes));
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t length = sizeof(address);
    if (::bind(listener_, reinterpret_cast<sockaddr*>(&address), sizeof(address)) != 0 ||
        ::listen(listener_, 16) != 0 ||
        ::getsockname(listener_, reinterpret_cast<sockaddr*>(&address), &length) != 0) {
        ::close(listener_);
        throw std::runtime_error("FaultyHttpServer cannot listen on 127.0.0.1");
    }
    port_ = ntohs(address.sin_port);
    acceptor_ = std::thread(&FaultyHttpServer::acceptLoop, this);
}

FaultyHttpServer::~FaultyHttpServer() {
    stop();
}

void FaultyHttpServer::route(const std::string& path, Response response) {
    std::lock_guard lock(mutex_);
    routes_[path] = std::move(response);
}

void FaultyHttpServer::clearRoutes() {
    std::lock_guard lock(mutex_);
    routes_.clear();
}

int FaultyHttpServer::requestCount(const std::string& path) const {
    std::lock_guard lock(mutex_);
    auto found = counts_.find(path);
    return found == counts_.end() ? 0 : found->second;
}

void FaultyHttpServer::stop() {
    {
        std::lock_guard lock(mutex_);
        if (stopping_.exchange(true))
            return;
    }
    wake_.notify_all();
    if (acceptor_.joinable())
        acceptor_.join();
    std::vector<std::thread> connections;
    {
        std::lock_guard lock(mutex_);
        connections.swap(connections_);
    }
    for (auto& connection : connections)
        connection.join();
    ::close(listener_);
}

bool FaultyHttpServer::waitUnlessStopping(std::chrono::milliseconds duration) {
    std::unique_lock lock(mutex_);
    return !wake_.wait_for(lock, duration, [this] { return stopping_.load(); });
}

void FaultyHttpServer::acceptLoop() {
    while (!stopping_.load()) {
        pollfd waiting{listener_, POLLIN, 0};
        if (::poll(&waiting, 1, 20) <= 0)
            continue;
        int fd = ::accept4(listener_, nullptr, nullptr, SOCK_CLOEXEC);
        if (fd < 0)
            continue;
        std::lock_guard lock(mutex_);
        connections_.emplace_back(&FaultyHttpServer::serve, this, fd);
    }
}

void FaultyHttpServer::serve(int fd) {
    std::string request;
    char buffer[4096];
    while (request.find("\r\n\r\n") == std::string::npos && !stopping_.load()) {
        pollfd waiting{fd, POLLIN, 0};
        if (::poll(&waiting, 1, 20) <= 0)
            continue;
        ssize_t received = ::recv(fd, buffer, sizeof(buffer), 0);
        if (received <= 0)
            break;
        request.append(buffer, static_cast<std::size_t>(received));
    }
    auto firstSpace = request.find(' ');
    auto secondSpace = request.find(' ', firstSpace + 1);
    if (firstSpace == std::string::npos || secondSpace == std::string::npos) {
        ::close(fd);
        return;
    }
    std::string path = request.substr(firstSpace + 1, secondSpace - firstSpace - 1);

    Response response;
    {
        std::lock_guard lock(mutex_);
        ++counts_[path];
        auto found = routes_.find(path);
        if (found != routes_.end())
            response = found->second;
        else
            response = Response{404, "not found", {}, {}};
    }
    std::string head = "HTTP/1.1 " + std::to_string(response.status) + " " +
                       reason(response.status) +
                       "\r\nContent-Length: " + std::to_string(response.body.size()) +
                       "\r\nContent-Type: application/octet-stream\r\nConnection: close\r\n\r\n";
    std::size_t bodyBytes = response.body.size();
    if (response.cutAfter)
        bodyBytes = std::min(bodyBytes, *response.cutAfter);
    if (response.stallAfter)
        bodyBytes = std::min(bodyBytes, *response.stallAfter);
    if (sendAll(fd, head.data(), head.size()) && sendAll(fd, response.body.data(), bodyBytes) &&
        response.stallAfter) {
        waitUnlessStopping(std::chrono::hours(1));
    }
    ::shutdown(fd, SHUT_RDWR);
    ::close(fd);
}
