#include "platform/qt/QtDesktopBus.h"

#include <QDBusError>

Q_LOGGING_CATEGORY(desktopLog, "larkspire.desktop", QtInfoMsg)

QDBusConnection desktopBus(const std::string& address) {
    QDBusConnection bus =
        address.empty()
            ? QDBusConnection::sessionBus()
            : QDBusConnection::connectToBus(QString::fromStdString(address), "larkspire-desktop");
    if (!bus.isConnected())
        qCDebug(desktopLog) << "no session bus, so no screen-saver inhibition or player controls:"
                            << bus.lastError().message();
    return bus;
}
