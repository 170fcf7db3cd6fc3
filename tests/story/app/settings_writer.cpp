// Counts launches in a settings file as fast as it can, until killed: the
// crash tests kill it at random moments and check what it leaves behind.
#include <cstdio>

#include "platform/foundation/NSUserDefaults.h"

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: settings_writer FILE\n");
        return 2;
    }
    for (;;) {
        NSUserDefaults defaults(argv[1]);
        defaults.setInteger(defaults.integerForKey("numberOfTimesLaunched") + 1,
                            "numberOfTimesLaunched");
    }
}
