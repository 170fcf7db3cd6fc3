#pragma once

class NSThread {
public:
    static void sleepForTimeInterval(double seconds);
};
