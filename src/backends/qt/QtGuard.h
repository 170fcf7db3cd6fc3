#pragma once

#include <functional>

// Runs story code from a Qt event handler. Exceptions must not cross the Qt
// event loop, so one that escapes is reported on standard error and ends the
// event loop with a failure status instead.
void runGuarded(const std::function<void()>& work);
