#pragma once

#include <cstdint>

namespace sys {

// An unpredictable integer in [0, upperBound), evenly distributed; drawn by
// the running backend, which tests can fix.
std::uint32_t arc4random_uniform(std::uint32_t upperBound);

}  // namespace sys
