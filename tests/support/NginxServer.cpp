#include "NginxServer.h"

#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <fstream>
#include <sstream>
#include <stdexcept>
#include <thread>
#include <vector>

#include "NetUtil.h"

extern char** environ;

namespace {

std::string readFile(const std::filesystem::path& path) {
    std::ifstream input(path, std::ios::binary);
    std::ostringstream text;
    text << input.rdbuf();
    return text.str();
}

void replaceAll(std::string& text, const std::string& from, const std::string& to) {
    for (auto at = text.find(from); at != std::string::npos; at = text.find(from, at + to.size()))
        text.replace(at, from.size(), to);
}

bool isExecutable(const std::filesystem::path& path) {
    return ::access(path.c_str(), X_OK) == 0;
}

}  // namespace

std::string NginxServer::executable() {
    if (const char* chosen = std::getenv("LARKSPIRE_NGINX"); chosen && *chosen)
        return chosen;
    std::vector<std::string> folders;
    if (const char* path = std::getenv("PATH")) {
        std::stringstream list(path);
        for (std::string folder; std::getline(list, folder, ':');)
            folders.push_back(folder);
    }
    folders.insert(folders.end(), {"/usr/sbin", "/usr/local/sbin", "/sbin"});
    for (const auto& folder : folders) {
        if (!folder.empty() && isExecutable(std::filesystem::path(folder) / "nginx"))
            return (std::filesystem::path(folder) / "nginx").string();
    }
    return {};
}

NginxServer::NginxServer(const std::filesystem::path& root)
    : root_(std::filesystem::absolute(root)) {
    std::string nginx = executable();
    if (nginx.empty())
        throw std::runtime_error(
            "nginx is not installed: the HTTP tests need it (apt-get install nginx-light)");
    std::string configTemplate =
        readFile(std::filesystem::path(LARKSPIRE_TEST_SUPPORT_DIR) / "nginx.conf.in");
    if (configTemplate.empty())
        throw std::runtime_error("cannot read " LARKSPIRE_TEST_SUPPORT_DIR "/nginx.conf.in");
    // Another process may take the port between the probe and nginx's bind: try a few.
    for (int attempt = 0; attempt < 5; ++attempt) {
        if (start(nginx, configTemplate))
            return;
    }
    throw std::runtime_error("nginx did not start: " + readFile(prefix_ / "error.log") +
                             readFile(prefix_ / "stderr.log"));
}

NginxServer::~NginxServer() {
    stop();
}

bool NginxServer::start(const std::string& nginx, const std::string& configTemplate) {
    port_ = netutil::freeLoopbackPort();
    std::string config = configTemplate;
    replaceAll(config, "@PORT@", std::to_string(port_));
    replaceAll(config, "@ROOT@", root_.string());
    replaceAll(config, "@PREFIX@", prefix_.path().string());
    auto configPath = prefix_ / "nginx.conf";
    std::ofstream(configPath, std::ios::binary | std::ios::trunc) << config;

    std::string prefixArgument = prefix_.path().string() + "/";
    std::string errorLog = (prefix_ / "error.log").string();
    std::string configArgument = configPath.string();
    std::vector<char*> argv = {const_cast<char*>(nginx.c_str()),
                               const_cast<char*>("-p"),
                               prefixArgument.data(),
                               const_cast<char*>("-e"),
                               errorLog.data(),
                               const_cast<char*>("-c"),
                               configArgument.data(),
                               nullptr};
    std::string stderrLog = (prefix_ / "stderr.log").string();
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, STDIN_FILENO, "/dev/null", O_RDONLY, 0);
    posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, "/dev/null", O_WRONLY, 0);
    posix_spawn_file_actions_addopen(&actions, STDERR_FILENO, stderrLog.c_str(),
                                     O_WRONLY | O_CREAT | O_APPEND, 0644);
    int spawned = ::posix_spawn(&pid_, nginx.c_str(), &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    if (spawned != 0) {
        pid_ = -1;
        throw std::runtime_error("cannot run " + nginx);
    }

    auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
    while (std::chrono::steady_clock::now() < deadline) {
        int status = 0;
        if (::waitpid(pid_, &status, WNOHANG) == pid_) {
            pid_ = -1;
            return false;
        }
        if (netutil::canConnect(port_))
            return true;
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    stop();
    return false;
}

void NginxServer::stop() {
    if (pid_ <= 0)
        return;
    ::kill(pid_, SIGTERM);
    auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(5);
    int status = 0;
    while (::waitpid(pid_, &status, WNOHANG) == 0) {
        if (std::chrono::steady_clock::now() > deadline) {
            ::kill(pid_, SIGKILL);
            ::waitpid(pid_, &status, 0);
            break;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    pid_ = -1;
}
