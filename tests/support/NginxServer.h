#pragma once

#include <sys/types.h>

#include <filesystem>
#include <string>

#include "TempDirectory.h"

// A real nginx serving `root` on a free 127.0.0.1 port, run as a child process from the
// template nginx.conf.in. Throws std::runtime_error with the reason when nginx is missing or
// does not come up.
class NginxServer {
public:
    explicit NginxServer(const std::filesystem::path& root);
    ~NginxServer();
    NginxServer(const NginxServer&) = delete;
    NginxServer& operator=(const NginxServer&) = delete;

    int port() const { return port_; }
    std::string url() const { return "http://127.0.0.1:" + std::to_string(port_); }

    // The nginx executable: $LARKSPIRE_NGINX, else nginx on $PATH or in /usr/sbin.
    static std::string executable();

private:
    bool start(const std::string& nginx, const std::string& configTemplate);
    void stop();

    TempDirectory prefix_{"larkspire-nginx"};
    std::filesystem::path root_;
    int port_ = 0;
    pid_t pid_ = -1;
};
