#include "run/QuietMedia.h"

#include <fcntl.h>
#include <unistd.h>
#include <QLoggingCategory>
#include <iostream>
#include <regex>
#include <thread>

#include "backends/qt/QtMedia.h"

struct QuietMedia::Filter {
    int terminal = -1;
    std::thread reader;
};

namespace {

void writeAll(int fd, const std::string& text) {
    for (std::size_t done = 0; done < text.size();) {
        ssize_t written = ::write(fd, text.data() + done, text.size() - done);
        if (written <= 0)
            return;
        done += std::size_t(written);
    }
}

// Reads standard error's pipe to its end, passing whole lines that are not chatter on.
void pass(int pipe, int terminal) {
    std::string pending;
    char buffer[4096];
    for (ssize_t got; (got = ::read(pipe, buffer, sizeof buffer)) > 0;) {
        pending.append(buffer, std::size_t(got));
        for (std::size_t end; (end = pending.find('\n')) != std::string::npos;) {
            std::string line = pending.substr(0, end + 1);
            pending.erase(0, end + 1);
            if (!QuietMedia::isChatter(line))
                writeAll(terminal, line);
        }
    }
    writeAll(terminal, pending);
    ::close(pipe);
}

}  // namespace

QuietMedia::QuietMedia(bool quiet) {
    if (!quiet)
        return;
    // Qt Multimedia's own categories; the rules in QT_LOGGING_RULES still win.
    QLoggingCategory::setFilterRules("qt.multimedia*=false");
    int ends[2];
    std::fflush(stderr);
    std::cerr.flush();
    if (::pipe2(ends, O_CLOEXEC) != 0)
        return;
    filter_ = std::make_unique<Filter>();
    filter_->terminal = ::fcntl(STDERR_FILENO, F_DUPFD_CLOEXEC, 0);
    ::dup2(ends[1], STDERR_FILENO);
    ::close(ends[1]);
    filter_->reader = std::thread(pass, ends[0], filter_->terminal);
}

QuietMedia::~QuietMedia() {
    if (!filter_)
        return;
    std::fflush(stderr);
    std::cerr.flush();
    // The pipe's last writer goes, so the reader sees its end once it has read everything.
    ::dup2(filter_->terminal, STDERR_FILENO);
    filter_->reader.join();
    ::close(filter_->terminal);
}

void QuietMedia::reportSoundDevice(QtMedia* media) {
    if (media && !media->soundCanBeHeard())
        std::cerr << "larkspire: no sound device: songs and videos play silently\n";
}

bool QuietMedia::isChatter(const std::string& line) {
    static const std::regex chatter(
        "^(ALSA lib |\\[ALSOFT\\]|AL lib: |PulseAudioService: |QRhi\\* initializeRHI|"
        "\\(.*:[0-9]+\\): Gst|[0-9:.]+ +[0-9]+ +0x[0-9a-f]+ (ERROR|WARN|FIXME) )");
    return std::regex_search(line, chatter);
}
