// Fetches one pack into a cache, updates it to the newest edition, or removes it, and exits: the
// process the kill tests stop at random moments.
//   ondemand_fetch_process <base URL> <cache folder> <tag> <trusted keys folder>
//                          [fetch|update|remove]
// Writes a line to stdout once its service exists and the fetch is about to start. Exits 0
// once the pack is installed (or removed), 1 otherwise.
#include <cstdio>
#include <future>
#include <string_view>

#include "packs/ContentService.h"
#include "platform/foundation/NSError.h"
#include "platform/foundation/NSProgress.h"

int main(int argc, char** argv) {
    const std::string_view mode = argc == 6 ? argv[5] : "fetch";
    const bool remove = mode == "remove";
    if ((argc != 5 && argc != 6) || (mode != "fetch" && mode != "update" && !remove)) {
        std::fprintf(stderr, "usage: %s BASE_URL CACHE TAG KEYS [fetch|update|remove]\n", argv[0]);
        return 2;
    }
    ContentService::Options options;
    options.baseUrl = argv[1];
    options.cacheDirectory = argv[2];
    options.trustedKeys = argv[4];
    ContentService service(options);
    if (remove) {
        try {
            service.removePack(argv[3]);
            return 0;
        } catch (const std::exception& failure) {
            std::fprintf(stderr, "%s\n", failure.what());
            return 1;
        }
    }
    std::promise<long> code;
    auto done = [&](std::shared_ptr<NSError> error) { code.set_value(error ? error->code() : 0); };
    std::fputs("fetching\n", stdout);
    std::fflush(stdout);
    if (mode == "update")
        service.updatePack(argv[3], false, true, NSProgress::make(),
                           [&](const PackUpdate&, std::shared_ptr<NSError> error) { done(error); });
    else
        service.beginAccessing(argv[3], NSProgress::make(), done);
    return code.get_future().get() == 0 ? 0 : 1;
}
