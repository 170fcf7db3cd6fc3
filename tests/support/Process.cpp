#include "Process.h"

#include <arpa/inet.h>
#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <stdexcept>

extern char** environ;

Process::Process(const std::vector<std::string>& argv, const std::vector<std::string>& env,
                 bool capture) {
    std::vector<char*> args, vars;
    for (const auto& arg : argv)
        args.push_back(const_cast<char*>(arg.c_str()));
    args.push_back(nullptr);
    for (char** var = environ; *var; ++var)
        vars.push_back(*var);
    for (const auto& var : env)
        vars.push_back(const_cast<char*>(var.c_str()));
    vars.push_back(nullptr);
    int pipeFds[2] = {-1, -1};
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
    if (capture && ::pipe2(pipeFds, O_CLOEXEC) == 0) {
        posix_spawn_file_actions_adddup2(&actions, pipeFds[1], 1);
        posix_spawn_file_actions_adddup2(&actions, pipeFds[1], 2);
    } else {
        posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
        posix_spawn_file_actions_adddup2(&actions, 1, 2);
    }
    int failed = ::posix_spawnp(&pid_, args[0], &actions, nullptr, args.data(), vars.data());
    posix_spawn_file_actions_destroy(&actions);
    if (pipeFds[1] >= 0)
        ::close(pipeFds[1]);
    output_ = pipeFds[0];
    if (failed != 0) {
        pid_ = -1;
        throw std::runtime_error("cannot run " + argv[0]);
    }
}

Process::~Process() {
    if (pid_ > 0) {
        kill();
        wait();
    }
    if (output_ >= 0)
        ::close(output_);
}

bool Process::waitForOutput(std::chrono::milliseconds timeout) {
    pollfd ready{output_, POLLIN, 0};
    char byte;
    return ::poll(&ready, 1, static_cast<int>(timeout.count())) == 1 &&
           ::read(output_, &byte, 1) == 1;
}

std::string Process::readAll() {
    std::string text;
    char buffer[4096];
    for (ssize_t n; (n = ::read(output_, buffer, sizeof buffer)) != 0;) {
        if (n > 0)
            text.append(buffer, static_cast<std::size_t>(n));
        else if (errno != EINTR)
            break;
    }
    return text;
}

void Process::kill(int signal) {
    if (pid_ > 0)
        ::kill(pid_, signal);
}

int Process::wait() {
    int status = 0;
    while (::waitpid(pid_, &status, 0) < 0 && errno == EINTR) {
    }
    pid_ = -1;
    return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
}

bool Process::running() {
    int status = 0;
    if (pid_ <= 0 || ::waitpid(pid_, &status, WNOHANG) == 0)
        return pid_ > 0;
    pid_ = -1;
    return false;
}

ProcessResult runProcess(const std::vector<std::string>& argv,
                         const std::vector<std::string>& env) {
    Process process(argv, env);
    std::string output = process.readAll();
    return {process.wait(), output};
}

namespace {

sockaddr_in loopback(int port) {
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    address.sin_port = htons(static_cast<uint16_t>(port));
    return address;
}

}  // namespace

int freeLoopbackPort() {
    int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_in address = loopback(0);
    socklen_t length = sizeof(address);
    bool bound = ::bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof(address)) == 0 &&
                 ::getsockname(fd, reinterpret_cast<sockaddr*>(&address), &length) == 0;
    ::close(fd);
    if (!bound)
        throw std::runtime_error("cannot find a free loopback port");
    return ntohs(address.sin_port);
}

bool canConnect(int port) {
    int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_in address = loopback(port);
    bool connected = ::connect(fd, reinterpret_cast<sockaddr*>(&address), sizeof(address)) == 0;
    ::close(fd);
    return connected;
}
