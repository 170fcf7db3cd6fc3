// larkspire-pack: makes an on-demand pack out of a folder of media files.
//
//   larkspire-pack <source-folder> <output-folder> --tag <Tag>
//
// Writes the files and manifest.json into <output-folder>, ready to be served as
// "<base-url>/<Tag>/". Exit status: 0 done, 1 failed, 2 bad command line.

#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <exception>
#include <iostream>
#include <optional>
#include <string>
#include <vector>

#include "platform/ondemand/PackBuilder.h"

namespace {

// Below this the copy is over before a bar would be worth drawing.
constexpr std::uint64_t kProgressBarThreshold = 16 * 1024 * 1024;

const char* const kUsage =
    "usage: larkspire-pack <source-folder> <output-folder> --tag <Tag>\n"
    "Copies the files of <source-folder> into <output-folder> and writes their manifest.json\n"
    "(names, sizes and SHA-256), ready to be served as <base-url>/<Tag>/.\n";

struct Arguments {
    std::string source;
    std::string output;
    std::string tag;
};

std::optional<Arguments> parseArguments(int argc, char** argv, bool& help) {
    Arguments arguments;
    std::vector<std::string> positional;
    bool haveTag = false;
    for (int i = 1; i < argc; ++i) {
        std::string argument = argv[i];
        if (argument == "-h" || argument == "--help") {
            help = true;
            return std::nullopt;
        }
        if (argument == "--tag") {
            if (i + 1 >= argc) {
                std::cerr << "larkspire-pack: --tag needs a value\n";
                return std::nullopt;
            }
            arguments.tag = argv[++i];
            haveTag = true;
        } else if (argument.rfind("--tag=", 0) == 0) {
            arguments.tag = argument.substr(6);
            haveTag = true;
        } else if (argument.size() > 1 && argument[0] == '-') {
            std::cerr << "larkspire-pack: unknown option " << argument << "\n";
            return std::nullopt;
        } else {
            positional.push_back(argument);
        }
    }
    if (positional.size() != 2 || !haveTag) {
        std::cerr << "larkspire-pack: expected a source folder, an output folder and --tag\n";
        return std::nullopt;
    }
    arguments.source = positional[0];
    arguments.output = positional[1];
    return arguments;
}

// A one-line bar on stderr, redrawn only when the whole percentage changes.
class ProgressBar {
public:
    void update(std::uint64_t done, std::uint64_t total) {
        if (total < kProgressBarThreshold)
            return;
        int percent = static_cast<int>(done * 100 / total);
        if (percent == shown_)
            return;
        shown_ = percent;
        constexpr int kWidth = 40;
        int filled = percent * kWidth / 100;
        std::fprintf(stderr, "\r[%s%s] %3d%%  %.1f/%.1f MB", std::string(filled, '#').c_str(),
                     std::string(kWidth - filled, ' ').c_str(), percent, done / 1e6, total / 1e6);
        std::fflush(stderr);
    }
    void finish() {
        if (shown_ >= 0)
            std::fputc('\n', stderr);
    }

private:
    int shown_ = -1;
};

}  // namespace

int main(int argc, char** argv) {
    bool help = false;
    auto arguments = parseArguments(argc, argv, help);
    if (help) {
        std::cout << kUsage;
        return 0;
    }
    if (!arguments) {
        std::cerr << kUsage;
        return 2;
    }

    ProgressBar bar;
    PackBuilder::Progress progress;
    if (::isatty(STDERR_FILENO))
        progress = [&bar](std::uint64_t done, std::uint64_t total) { bar.update(done, total); };
    try {
        auto manifest =
            PackBuilder::build(arguments->source, arguments->output, arguments->tag, progress);
        bar.finish();
        std::cout << "larkspire-pack: " << manifest.tag() << ": " << manifest.files().size()
                  << " files, " << manifest.totalSize() << " bytes in " << arguments->output
                  << "\n";
        return 0;
    } catch (const std::exception& error) {
        bar.finish();
        std::cerr << "larkspire-pack: " << error.what() << "\n";
        return 1;
    }
}
