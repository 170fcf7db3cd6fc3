#include "backends/qt/QtDesktopBus.h"

#include <QDBusError>

Q_LOGGING_CATEGORY(desktopLog, "larkspire.desktop", QtInfoMsg)

QDBusConnection desktopBus(const std::string& address) {
    // Qt hands back an existing connection of the same name whatever its address, so the name
    // carries the address: a later backend on another bus gets a connection of its own.
    QString where = QString::fromStdString(address);
    QDBusConnection bus = address.empty()
                              ? QDBusConnection::sessionBus()
                              : QDBusConnection::connectToBus(where, "larkspire-desktop " + where);
    if (!bus.isConnected())
        qCDebug(desktopLog) << "no session bus, so no screen-saver inhibition or player controls:"
                            << bus.lastError().message();
    return bus;
}
