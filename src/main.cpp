#include "run/Run.h"

int main(int argc, char** argv) {
    auto options = parseRunOptions(argc, argv);
    return options ? runApplication(argc, argv, *options) : 2;
}
