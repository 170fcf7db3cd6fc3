#pragma once

#include <sys/types.h>

#include <chrono>
#include <string>
#include <vector>

// A child process; with `capture`, its output and error come back through a pipe, otherwise
// they go to /dev/null. The destructor kills and reaps a process still running.
class Process {
public:
    explicit Process(const std::vector<std::string>& argv, const std::vector<std::string>& env = {},
                     bool capture = true);
    ~Process();
    Process(const Process&) = delete;
    Process& operator=(const Process&) = delete;

    // Waits for a first byte of output: the child's "ready". False if it ends or stays silent.
    bool waitForOutput(std::chrono::milliseconds timeout);
    // Everything the child writes until it closes its output.
    std::string readAll();
    void kill(int signal = 9);
    // The exit status, or 128 + the signal that ended it.
    int wait();
    bool running();
    pid_t pid() const { return pid_; }

private:
    pid_t pid_ = -1;
    int output_ = -1;
};

struct ProcessResult {
    int status;
    std::string output;
};
ProcessResult runProcess(const std::vector<std::string>& argv,
                         const std::vector<std::string>& env = {});

// A port on 127.0.0.1 that was free a moment ago, and whether something accepts there now.
int freeLoopbackPort();
bool canConnect(int port);
