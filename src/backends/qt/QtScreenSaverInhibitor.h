#pragma once

#include <QDBusConnection>
#include <QDBusPendingCall>
#include <QObject>
#include <QString>
#include <memory>

// Keeps the screen saver away while wanted (while a video plays): through the desktop's
// screen-saver service, else through the desktop portal (the only way out of a sandbox).
// Every call is asynchronous; a failure costs one debug line and nothing else.
class QtScreenSaverInhibitor {
public:
    explicit QtScreenSaverInhibitor(QDBusConnection bus);
    ~QtScreenSaverInhibitor();
    QtScreenSaverInhibitor(const QtScreenSaverInhibitor&) = delete;
    QtScreenSaverInhibitor& operator=(const QtScreenSaverInhibitor&) = delete;

    void setWanted(bool wanted);
    bool held() const { return held_ != Via::none; }

private:
    enum class Via { none, screenSaver, portal };
    void request(Via via);
    void answered(Via via, const QDBusPendingCall& call);
    void release();

    QDBusConnection bus_;
    bool wanted_ = false;
    bool pending_ = false;
    Via held_ = Via::none;
    uint cookie_ = 0;
    QString handle_;
    bool reported_ = false;
    // Parent of the calls in flight: they are dropped with it.
    std::unique_ptr<QObject> calls_;
};
