#include "backends/qt/QtMprisService.h"

#include <unistd.h>
#include <QDBusMessage>
#include <QDBusObjectPath>
#include <QDBusVariant>
#include <QStringList>
#include <QTimer>

#include "backends/qt/QtMedia.h"
#include "backends/qt/QtMediaControls.h"
#include "backends/qt/QtNowPlaying.h"

namespace {

const QString kPath = "/org/mpris/MediaPlayer2";
const QString kRoot = "org.mpris.MediaPlayer2";
const QString kPlayer = "org.mpris.MediaPlayer2.Player";
const QString kProperties = "org.freedesktop.DBus.Properties";

const char* const kInterfaces = R"(<interface name="org.mpris.MediaPlayer2">
<method name="Raise"/><method name="Quit"/>
<property name="CanQuit" type="b" access="read"/>
<property name="CanRaise" type="b" access="read"/>
<property name="HasTrackList" type="b" access="read"/>
<property name="Identity" type="s" access="read"/>
<property name="DesktopEntry" type="s" access="read"/>
<property name="SupportedUriSchemes" type="as" access="read"/>
<property name="SupportedMimeTypes" type="as" access="read"/>
</interface>
<interface name="org.mpris.MediaPlayer2.Player">
<method name="Next"/><method name="Previous"/><method name="Pause"/><method name="PlayPause"/>
<method name="Stop"/><method name="Play"/>
<method name="Seek"><arg name="Offset" type="x" direction="in"/></method>
<method name="SetPosition"><arg name="TrackId" type="o" direction="in"/><arg name="Position" type="x" direction="in"/></method>
<method name="OpenUri"><arg name="Uri" type="s" direction="in"/></method>
<signal name="Seeked"><arg name="Position" type="x"/></signal>
<property name="PlaybackStatus" type="s" access="read"/>
<property name="Rate" type="d" access="read"/>
<property name="Metadata" type="a{sv}" access="read"/>
<property name="Volume" type="d" access="read"/>
<property name="Position" type="x" access="read"/>
<property name="MinimumRate" type="d" access="read"/>
<property name="MaximumRate" type="d" access="read"/>
<property name="CanGoNext" type="b" access="read"/>
<property name="CanGoPrevious" type="b" access="read"/>
<property name="CanPlay" type="b" access="read"/>
<property name="CanPause" type="b" access="read"/>
<property name="CanSeek" type="b" access="read"/>
<property name="CanControl" type="b" access="read"/>
</interface>
)";

const char* const kStandardInterfaces = R"(<interface name="org.freedesktop.DBus.Introspectable">
<method name="Introspect"><arg name="xml_data" type="s" direction="out"/></method>
</interface>
<interface name="org.freedesktop.DBus.Properties">
<method name="Get"><arg name="interface_name" type="s" direction="in"/><arg name="property_name" type="s" direction="in"/><arg name="value" type="v" direction="out"/></method>
<method name="GetAll"><arg name="interface_name" type="s" direction="in"/><arg name="values" type="a{sv}" direction="out"/></method>
<method name="Set"><arg name="interface_name" type="s" direction="in"/><arg name="property_name" type="s" direction="in"/><arg name="value" type="v" direction="in"/></method>
<signal name="PropertiesChanged"><arg name="interface_name" type="s"/><arg name="changed_properties" type="a{sv}"/><arg name="invalidated_properties" type="as"/></signal>
</interface>
)";

}  // namespace

QtMprisService::QtMprisService(QDBusConnection bus, const QtNowPlaying& nowPlaying,
                               QtMediaControls& controls)
    : bus_(std::move(bus)), nowPlaying_(nowPlaying), controls_(controls) {
    if (!bus_.registerVirtualObject(kPath, this, QDBusConnection::SingleNode))
        return;
    // A second window of the application takes a name of its own, as the desktop expects.
    for (QString name : {QString("org.mpris.MediaPlayer2.larkspire"),
                         QString("org.mpris.MediaPlayer2.larkspire.instance%1").arg(::getpid())}) {
        if (bus_.registerService(name)) {
            serviceName_ = name;
            break;
        }
    }
    published_ = playerProperties();
}

QtMprisService::~QtMprisService() {
    if (!serviceName_.isEmpty())
        bus_.unregisterService(serviceName_);
    bus_.unregisterObject(kPath);
}

QString QtMprisService::introspect(const QString&) const {
    return kInterfaces;
}

QVariantMap QtMprisService::rootProperties() const {
    return {{"CanQuit", false},
            {"CanRaise", true},
            {"HasTrackList", false},
            {"Identity", QString("Larkspire")},
            {"DesktopEntry", QString("com.larkspire_stories.larkspire")},
            {"SupportedUriSchemes", QStringList()},
            {"SupportedMimeTypes", QStringList()}};
}

QString QtMprisService::playbackStatus() const {
    if (nowPlaying_.playing())
        return "Playing";
    // A song that is not playing has stopped: the music screen has no pause.
    bool paused = nowPlaying_.kind() == QtNowPlaying::Kind::video && controls_.videoShown() &&
                  nowPlaying_.player()->paused();
    return paused ? "Paused" : "Stopped";
}

QVariantMap QtMprisService::metadata() const {
    if (nowPlaying_.kind() == QtNowPlaying::Kind::none)
        return {{"mpris:trackid", QVariant::fromValue(QDBusObjectPath(
                                      "/org/mpris/MediaPlayer2/TrackList/NoTrack"))}};
    QVariantMap data{
        {"mpris:trackid",
         QVariant::fromValue(QDBusObjectPath(QString("/org/larkspire/track/%1").arg(track_)))},
        {"xesam:title", title_.isEmpty() ? controls_.title() : title_}};
    if (QString art = title_.isEmpty() ? controls_.artUrl() : art_; !art.isEmpty())
        data["mpris:artUrl"] = art;
    if (qint64 duration = nowPlaying_.player()->duration(); duration > 0)
        data["mpris:length"] = duration * 1000;
    return data;
}

QVariantMap QtMprisService::playerProperties() const {
    bool video = controls_.videoShown();
    QtPlayback* player = nowPlaying_.player();
    return {{"PlaybackStatus", playbackStatus()},
            {"Rate", 1.0},
            {"Metadata", metadata()},
            {"Volume", 1.0},
            {"Position", player ? player->position() * 1000 : qint64(0)},
            {"MinimumRate", 1.0},
            {"MaximumRate", 1.0},
            {"CanGoNext", false},
            {"CanGoPrevious", false},
            // Clients read CanPlay as "there is a current track" and refuse Stop, Play/Pause
            // and the metadata without it; Play on a playing song does nothing.
            {"CanPlay", controls_.hasTrack()},
            // Only a video pauses and plays again; a song can only be stopped.
            {"CanPause", video},
            {"CanSeek", false},
            // What the player can do at all, not what it can do now: it never changes.
            {"CanControl", true}};
}

void QtMprisService::publish() {
    if (serviceName_.isEmpty() || publishing_)
        return;
    publishing_ = true;
    QTimer::singleShot(0, this, [this] {
        publishing_ = false;
        publishNow();
    });
}

void QtMprisService::publishNow() {
    if (nowPlaying_.player() != lastPlayer_) {
        lastPlayer_ = nowPlaying_.player();
        ++track_;
        title_.clear();
    }
    if (title_.isEmpty()) {
        title_ = controls_.title();
        art_ = controls_.artUrl();
    }
    QVariantMap now = playerProperties();
    QVariantMap changed;
    for (auto it = now.cbegin(); it != now.cend(); ++it) {
        // The position moves all the time; listeners ask for it.
        if (it.key() != "Position" && published_.value(it.key()) != it.value())
            changed.insert(it.key(), it.value());
    }
    published_ = now;
    if (changed.isEmpty())
        return;
    QDBusMessage signal = QDBusMessage::createSignal(kPath, kProperties, "PropertiesChanged");
    signal << kPlayer << changed << QStringList();
    bus_.send(signal);
}

bool QtMprisService::act(const QString& member) {
    if (member == "Raise")
        controls_.raise();
    else if (member == "Stop")
        controls_.stop();
    else if (member == "PlayPause")
        controls_.playPause();
    else if (member == "Play")
        controls_.play();
    else if (member == "Pause")
        controls_.pause();
    else
        // Quit, Next, Previous, Seek, SetPosition and OpenUri do nothing, as the Can* say.
        return QStringList{"Quit", "Next", "Previous", "Seek", "SetPosition", "OpenUri"}.contains(
            member);
    return true;
}

bool QtMprisService::answerProperties(const QDBusMessage& message,
                                      const QDBusConnection& connection) {
    const QList<QVariant> arguments = message.arguments();
    QString interface = arguments.value(0).toString();
    QVariantMap properties = interface == kRoot     ? rootProperties()
                             : interface == kPlayer ? playerProperties()
                                                    : QVariantMap();
    if (message.member() == "GetAll")
        return connection.send(message.createReply(properties));
    QString name = arguments.value(1).toString();
    if (message.member() == "Get" && properties.contains(name))
        return connection.send(
            message.createReply(QVariant::fromValue(QDBusVariant(properties.value(name)))));
    return connection.send(message.createErrorReply(
        message.member() == "Set" ? "org.freedesktop.DBus.Error.PropertyReadOnly"
                                  : "org.freedesktop.DBus.Error.UnknownProperty",
        "No such writable property: " + name));
}

bool QtMprisService::handleMessage(const QDBusMessage& message, const QDBusConnection& connection) {
    if (message.interface() == kProperties)
        return answerProperties(message, connection);
    if (message.interface() == "org.freedesktop.DBus.Introspectable")
        return connection.send(message.createReply(
            QString("<!DOCTYPE node PUBLIC \"-//freedesktop//DTD D-BUS Object Introspection "
                    "1.0//EN\"\n\"http://www.freedesktop.org/standards/dbus/1.0/"
                    "introspect.dtd\">\n<node>\n") +
            kInterfaces + kStandardInterfaces + "</node>\n"));
    if (!act(message.member()))
        return false;
    connection.send(message.createReply());
    publish();
    return true;
}
