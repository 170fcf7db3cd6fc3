#include "platform/foundation/NSThread.h"

#include "platform/Platform.h"
#include "platform/PlatformBackend.h"

void NSThread::sleepForTimeInterval(double seconds) {
    Platform::backend().sleepForTimeInterval(seconds);
}
