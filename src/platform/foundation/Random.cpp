#include "platform/foundation/Random.h"

#include "platform/Platform.h"
#include "platform/PlatformBackend.h"

namespace sys {

std::uint32_t arc4random_uniform(std::uint32_t upperBound) {
    return Platform::backend().randomUniform(upperBound);
}

}  // namespace sys
