#include "platform/PlatformBackend.h"

#include <stdlib.h>

std::uint32_t PlatformBackend::randomUniform(std::uint32_t upperBound) {
    // glibc draws from the kernel's random source and rejects the biased tail.
    return ::arc4random_uniform(upperBound);
}

void PlatformBackend::watchPacks(const std::shared_ptr<PackLibrary>&) {}
