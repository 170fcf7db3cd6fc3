// larkspire-pack: makes an on-demand pack out of a folder of media files, signed by its
// publisher, and makes the publisher's key.
//
//   larkspire-pack <source-folder> <output-folder> --tag <Tag> --edition <N> --key <private-key>
//   larkspire-pack --new-key <private-key>
//
// Writes the files, manifest.json and manifest.json.sig into <output-folder>, ready to be
// served as "<base-url>/<Tag>/". Exit status: 0 done, 1 failed, 2 bad command line.

#include <unistd.h>

#include <charconv>
#include <cstdint>
#include <cstdio>
#include <ctime>
#include <exception>
#include <iostream>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "packs/PackBuilder.h"
#include "packs/PackSignature.h"

namespace {

// Below this the copy is over before a bar would be worth drawing.
constexpr std::uint64_t kProgressBarThreshold = 16 * 1024 * 1024;

// Laid out as help2man reads it: the manual page is made from this text.
const char* const kUsage =
    "Usage: larkspire-pack SOURCE-FOLDER OUTPUT-FOLDER --tag TAG --edition N --key PRIVATE-KEY\n"
    "                      [--expires DATE]\n"
    "  or:  larkspire-pack --new-key PRIVATE-KEY\n"
    "Makes an on-demand pack for Larkspire: copies the files of SOURCE-FOLDER into\n"
    "OUTPUT-FOLDER and writes their manifest.json (edition, names, sizes and SHA-256)\n"
    "and its signature manifest.json.sig, ready to be served as <base-url>/TAG/.\n"
    "\n"
    "Options:\n"
    "  --tag TAG              the tag the pack is served as (\"Video\", \"Audio\")\n"
    "  --edition N            the pack's edition, a positive integer: raise it with\n"
    "                         every change, as applications refuse an edition older\n"
    "                         than one they installed, and the same one changed\n"
    "  --key PRIVATE-KEY      the publisher's private key, which signs the manifest\n"
    "  --expires DATE         when applications stop installing this edition, as\n"
    "                         2027-06-30 (midnight UTC) or 2027-06-30T12:00:00Z;\n"
    "                         an installed copy plays on\n"
    "  --new-key PRIVATE-KEY  make a key pair instead: the private key, and\n"
    "                         PRIVATE-KEY.pub for the keys folder of the\n"
    "                         applications that are to trust the packs\n"
    "  -h, --help             print this help and exit\n"
    "The options also take their value after \"=\", as in --tag=Video.\n";

struct Arguments {
    std::string source;
    std::string output;
    std::string tag;
    std::string key;
    std::string newKey;
    std::string edition;
    std::string expires;
};

// "2027-06-30", midnight UTC, or the manifest's own form "2027-06-30T12:00:00Z".
std::optional<std::int64_t> expiryOf(const std::string& text) {
    return PackManifest::parseTime(text.size() == 10 ? text + "T00:00:00Z" : text);
}

// Digits only: no sign, no space, nothing after them.
std::optional<std::uint64_t> editionOf(const std::string& text) {
    std::uint64_t edition = 0;
    auto end = text.data() + text.size();
    auto [stop, error] = std::from_chars(text.data(), end, edition);
    if (error != std::errc() || stop != end || edition == 0)
        return std::nullopt;
    return edition;
}

std::optional<Arguments> parseArguments(int argc, char** argv, bool& help) {
    Arguments arguments;
    const std::map<std::string, std::string*> valued = {{"--tag", &arguments.tag},
                                                        {"--edition", &arguments.edition},
                                                        {"--key", &arguments.key},
                                                        {"--expires", &arguments.expires},
                                                        {"--new-key", &arguments.newKey}};
    std::vector<std::string> positional;
    for (int i = 1; i < argc; ++i) {
        std::string argument = argv[i];
        if (argument == "-h" || argument == "--help") {
            help = true;
            return std::nullopt;
        }
        auto equals = argument.find('=');
        auto option = valued.find(argument.substr(0, equals));
        if (option != valued.end() && equals != std::string::npos) {
            *option->second = argument.substr(equals + 1);
        } else if (option != valued.end()) {
            if (i + 1 >= argc) {
                std::cerr << "larkspire-pack: " << argument << " needs a value\n";
                return std::nullopt;
            }
            *option->second = argv[++i];
        } else if (argument.size() > 1 && argument[0] == '-') {
            std::cerr << "larkspire-pack: unknown option " << argument << "\n";
            return std::nullopt;
        } else {
            positional.push_back(argument);
        }
    }
    if (!arguments.newKey.empty()) {
        if (positional.empty() && arguments.tag.empty() && arguments.edition.empty() &&
            arguments.key.empty() && arguments.expires.empty())
            return arguments;
        std::cerr << "larkspire-pack: --new-key takes nothing else\n";
        return std::nullopt;
    }
    if (positional.size() != 2 || arguments.tag.empty() || arguments.edition.empty() ||
        arguments.key.empty()) {
        std::cerr << "larkspire-pack: expected a source folder, an output folder, --tag, "
                     "--edition and --key\n";
        return std::nullopt;
    }
    if (!editionOf(arguments.edition)) {
        std::cerr << "larkspire-pack: --edition takes a positive integer, not \""
                  << arguments.edition << "\"\n";
        return std::nullopt;
    }
    if (!arguments.expires.empty() && !expiryOf(arguments.expires)) {
        std::cerr << "larkspire-pack: --expires takes a date such as 2027-06-30 or "
                     "2027-06-30T12:00:00Z, not \""
                  << arguments.expires << "\"\n";
        return std::nullopt;
    }
    if (!arguments.expires.empty() && *expiryOf(arguments.expires) <= std::time(nullptr)) {
        std::cerr << "larkspire-pack: --expires " << arguments.expires
                  << " is past: no application would install the pack\n";
        return std::nullopt;
    }
    arguments.source = positional[0];
    arguments.output = positional[1];
    return arguments;
}

int makeKey(const std::string& privateFile) {
    std::string publicFile = privateFile + TrustedKeys::kKeySuffix;
    PublisherKey::generate(privateFile, publicFile);
    PublisherKey key(privateFile);
    std::cout << "larkspire-pack: key " << packsignature::shortId(key.keyId())
              << ": private half in " << privateFile
              << " (keep it secret; it signs the packs), public half in " << publicFile
              << ".\nThe public half goes into share/larkspire/keys/ of each installation that "
                 "is to trust the packs\n(/usr/share/larkspire/keys/ for the Debian package).\n";
    return 0;
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
        if (!arguments->newKey.empty())
            return makeKey(arguments->newKey);
        PublisherKey key(arguments->key);
        auto manifest = PackBuilder::build(
            arguments->source, arguments->output, arguments->tag, key, progress,
            *editionOf(arguments->edition),
            arguments->expires.empty() ? std::nullopt : expiryOf(arguments->expires));
        bar.finish();
        std::cout << "larkspire-pack: " << manifest.tag() << " edition " << manifest.edition()
                  << ": " << manifest.files().size() << " files, " << manifest.totalSize()
                  << " bytes in " << arguments->output << ", signed by key "
                  << packsignature::shortId(key.keyId())
                  << (manifest.expires()
                          ? ", expires " + PackManifest::timeText(*manifest.expires())
                          : std::string())
                  << "\n";
        return 0;
    } catch (const std::exception& error) {
        bar.finish();
        std::cerr << "larkspire-pack: " << error.what() << "\n";
        return 1;
    }
}
