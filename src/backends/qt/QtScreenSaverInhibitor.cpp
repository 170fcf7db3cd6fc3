#include "backends/qt/QtScreenSaverInhibitor.h"

#include <QDBusMessage>
#include <QDBusObjectPath>
#include <QDBusPendingCallWatcher>
#include <QDBusPendingReply>
#include <QFileInfo>

#include "backends/qt/QtDesktopBus.h"

namespace {

const QString kScreenSaver = "org.freedesktop.ScreenSaver";
const QString kPortal = "org.freedesktop.portal.Desktop";
const QString kPortalPath = "/org/freedesktop/portal/desktop";
const QString kReason = "Playing a video";
// The portal's flag for idleness, the screen saver's cause.
constexpr uint kIdle = 8;

bool sandboxed() {
    return QFileInfo::exists("/.flatpak-info");
}

}  // namespace

QtScreenSaverInhibitor::QtScreenSaverInhibitor(QDBusConnection bus)
    : bus_(std::move(bus)), calls_(std::make_unique<QObject>()) {}

QtScreenSaverInhibitor::~QtScreenSaverInhibitor() {
    wanted_ = false;
    release();
}

void QtScreenSaverInhibitor::setWanted(bool wanted) {
    wanted_ = wanted;
    if (pending_)
        return;
    if (wanted_ && held_ == Via::none)
        request(sandboxed() ? Via::portal : Via::screenSaver);
    else if (!wanted_)
        release();
}

void QtScreenSaverInhibitor::request(Via via) {
    QDBusMessage message =
        via == Via::screenSaver
            ? QDBusMessage::createMethodCall(kScreenSaver, "/org/freedesktop/ScreenSaver",
                                             kScreenSaver, "Inhibit")
            : QDBusMessage::createMethodCall(kPortal, kPortalPath, "org.freedesktop.portal.Inhibit",
                                             "Inhibit");
    if (via == Via::screenSaver)
        message << QString("Larkspire") << kReason;
    else
        message << QString() << kIdle << QVariantMap{{"reason", kReason}};
    pending_ = true;
    auto* watcher = new QDBusPendingCallWatcher(bus_.asyncCall(message), calls_.get());
    QObject::connect(watcher, &QDBusPendingCallWatcher::finished, calls_.get(),
                     [this, via](QDBusPendingCallWatcher* call) {
                         call->deleteLater();
                         answered(via, *call);
                     });
}

void QtScreenSaverInhibitor::answered(Via via, const QDBusPendingCall& call) {
    pending_ = false;
    if (call.isError()) {
        if (via == Via::screenSaver)
            return request(Via::portal);
        if (!reported_)
            qCDebug(desktopLog) << "the screen saver cannot be held off:" << call.error().message();
        reported_ = true;
        return;
    }
    held_ = via;
    if (via == Via::screenSaver)
        cookie_ = QDBusPendingReply<uint>(call).value();
    else
        handle_ = QDBusPendingReply<QDBusObjectPath>(call).value().path();
    // The video may have stopped while the answer was on its way.
    setWanted(wanted_);
}

void QtScreenSaverInhibitor::release() {
    // Sent without waiting for an answer: it may be the last message of the run.
    if (held_ == Via::screenSaver) {
        QDBusMessage message = QDBusMessage::createMethodCall(
            kScreenSaver, "/org/freedesktop/ScreenSaver", kScreenSaver, "UnInhibit");
        message << cookie_;
        bus_.send(message);
    } else if (held_ == Via::portal) {
        bus_.send(QDBusMessage::createMethodCall(kPortal, handle_, "org.freedesktop.portal.Request",
                                                 "Close"));
    }
    held_ = Via::none;
}
