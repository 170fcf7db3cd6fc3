#pragma once

#include <chrono>

namespace netutil {

// A port on 127.0.0.1 that was free a moment ago.
int freeLoopbackPort();
// True once something accepts TCP connections on 127.0.0.1:`port`.
bool canConnect(int port);

}  // namespace netutil
