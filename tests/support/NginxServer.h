#pragma once

#include <filesystem>
#include <memory>
#include <string>

#include "Process.h"
#include "TempDirectory.h"

// A real nginx serving `root` on a free 127.0.0.1 port, from the template nginx.conf.in.
// Throws std::runtime_error with the reason when nginx is missing or does not come up.
// The executable is $LARKSPIRE_NGINX, else nginx on $PATH or in /usr/sbin.
class NginxServer {
public:
    explicit NginxServer(const std::filesystem::path& root);
    std::string url() const { return "http://127.0.0.1:" + std::to_string(port_); }
    // The one nginx process (it serves without a master process).
    pid_t pid() const { return process_->pid(); }

private:
    TempDirectory prefix_{"larkspire-nginx"};
    int port_ = 0;
    std::unique_ptr<Process> process_;
};
