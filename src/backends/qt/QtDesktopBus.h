#pragma once

#include <QDBusConnection>
#include <QLoggingCategory>
#include <string>

// The desktop's messages: off unless QT_LOGGING_RULES="larkspire.desktop.debug=true", so that
// a machine without a session bus stays silent.
Q_DECLARE_LOGGING_CATEGORY(desktopLog)

// The session bus, or the bus at `address` when one is given (a private bus for tests); not
// connected when there is none, after one debug line.
QDBusConnection desktopBus(const std::string& address);
