#include "NginxServer.h"

#include <unistd.h>

#include <chrono>
#include <fstream>
#include <stdexcept>
#include <thread>

#include "PackFixtures.h"

namespace {

void replaceAll(std::string& text, const std::string& from, const std::string& to) {
    for (auto at = text.find(from); at != std::string::npos; at = text.find(from, at + to.size()))
        text.replace(at, from.size(), to);
}

}  // namespace

NginxServer::NginxServer(const std::filesystem::path& root) {
    std::string nginx = "nginx";
    if (const char* chosen = std::getenv("LARKSPIRE_NGINX"); chosen && *chosen)
        nginx = chosen;
    else if (::access("/usr/sbin/nginx", X_OK) == 0)
        nginx = "/usr/sbin/nginx";
    std::string configTemplate =
        packfixtures::readFile(std::filesystem::path(LARKSPIRE_TEST_SUPPORT_DIR) / "nginx.conf.in");
    // Another process may take the port between the probe and nginx's bind: try a few.
    for (int attempt = 0; attempt < 5; ++attempt) {
        port_ = freeLoopbackPort();
        std::string config = configTemplate;
        replaceAll(config, "@PORT@", std::to_string(port_));
        replaceAll(config, "@ROOT@", std::filesystem::absolute(root).string());
        replaceAll(config, "@PREFIX@", prefix_.path().string());
        std::ofstream(prefix_ / "nginx.conf", std::ios::trunc) << config;
        try {
            process_ = std::make_unique<Process>(
                std::vector<std::string>{nginx, "-p", prefix_.path().string() + "/", "-e",
                                         (prefix_ / "error.log").string(), "-c",
                                         (prefix_ / "nginx.conf").string()},
                std::vector<std::string>{}, false);
        } catch (const std::runtime_error&) {
            throw std::runtime_error("nginx is not installed (apt-get install nginx-light)");
        }
        auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
        while (process_->running() && std::chrono::steady_clock::now() < deadline) {
            if (canConnect(port_))
                return;
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        }
        process_.reset();
    }
    throw std::runtime_error("nginx did not start: " +
                             packfixtures::readFile(prefix_ / "error.log"));
}
