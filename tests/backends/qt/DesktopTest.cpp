#include <QAccessible>
#include <QApplication>
#include <QDBusArgument>
#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusObjectPath>
#include <QDBusVirtualObject>
#include <QFileInfo>
#include <QKeySequence>
#include <QProcess>
#include <QRegularExpression>
#include <sstream>

#include "QtFixture.h"
#include "backends/qt/QtPictures.h"
#include "backends/qt/QtPlayerScreen.h"
#include "backends/qt/QtTheme.h"
#include "backends/qt/QtViewWidgets.h"
#include "backends/qt/QtWindow.h"
#include "backends/qt/QtWindowState.h"
#include "platform/foundation/AtomicFile.h"
#include "run/QuietMedia.h"

namespace fs = std::filesystem;

namespace {

// A session bus of the test's own, gone with it.
struct PrivateBus {
    QProcess daemon;
    QString address;
    PrivateBus() {
        daemon.start("dbus-daemon", {"--session", "--nofork", "--print-address=1"});
        if (daemon.waitForReadyRead(5000))
            address = QString::fromUtf8(daemon.readLine()).trimmed();
    }
    ~PrivateBus() {
        daemon.kill();
        daemon.waitForFinished(5000);
    }
};

// A desktop service that holds off the screen saver (its own, or the portal's), noting each
// call with its arguments, and "at" the object when it is not the service's own.
struct FakeInhibitor : QDBusVirtualObject {
    FakeInhibitor(QString name, QString path) : name(std::move(name)), path(std::move(path)) {}
    const QString name, path;
    std::vector<std::string> calls;
    uint inhibits = 0;
    QString introspect(const QString&) const override { return {}; }
    bool handleMessage(const QDBusMessage& message, const QDBusConnection& bus) override {
        QString line = message.member();
        // Of the portal's options only the reason matters.
        for (const QVariant& argument : message.arguments())
            line += " " + (argument.canConvert<QDBusArgument>()
                               ? qdbus_cast<QVariantMap>(argument).value("reason").toString()
                               : argument.toString());
        calls.push_back(
            (message.path() == path ? line : line + " at " + message.path()).toStdString());
        if (message.member() != "Inhibit")
            return bus.send(message.createReply());
        // The portal answers with a request, which is closed to let the screen sleep again.
        QDBusObjectPath request(path + "/request/" + QString::number(++inhibits));
        return bus.send(message.createReply(name.contains("portal") ? QVariant::fromValue(request)
                                                                    : QVariant(inhibits)));
    }
};

// A reader's buttons and media keys, and playerctl, each step "what > the button it leaves the
// screen offering for what plays". Without a bus playerctl's steps are left out: the others find
// the screens as they would after them.
const char* const kSteps = R"(Mend the Sky > Stop; key Media Play > Stop; playerctl pause > Stop
playerctl play-pause > nothing; playerctl stop > nothing; Someday (Brief Return) > Stop
key Toggle Media Play/Pause > nothing; Mend the Sky > Stop; key Media Pause > nothing
Someday (Brief Return) > Stop; playerctl stop > nothing; Mend the Sky > Stop
key Media Stop > nothing; chapters > nothing; chapter13 > Pause; key Media Pause > Play
key Media Play > Pause; playerctl play-pause > Play; playerctl play > Pause
key Toggle Media Play/Pause > Play; playerctl play-pause > Pause; playerctl pause > Play
key Toggle Media Play/Pause > Pause; key Media Stop > nothing; chapter13 > Pause
playerctl stop > nothing)";
// What playerctl says with those buttons, and of each track: its title and picture.
const std::map<std::string, std::string> kStatus{
    {"nothing", "Stopped"}, {"Stop", "Playing"}, {"Pause", "Playing"}, {"Play", "Paused"}};
const std::map<std::string, std::string> kTracks{
    {"Mend the Sky", "Mend the Sky, song-mend-the-sky.svg"},
    {"Someday (Brief Return)", "Someday (Brief Return), song-someday.svg"},
    {"chapter13", "Chapter 13, LKSChapter13.jpg"}};

// The application with a song pack and a chapter on the test's bus, driven as a reader would.
class DesktopTest : public QtFixture {
protected:
    void configure(QtBackendOptions& options) override {
        options.desktopServices = true;
        options.busAddress = bus.address.toStdString();
        options.translationsDirectory = LARKSPIRE_TRANSLATIONS_DIR;
    }
    void SetUp() override {
        QtFixture::SetUp();
        ASSERT_FALSE(bus.address.isEmpty()) << "no dbus-daemon";
        for (const char* file : {"LKSChapter13.mp4", "LKSChapter13.jpg"})
            fs::copy_file(fs::path(LARKSPIRE_BUNDLE_DIR) / file, scratch / "bundle" / file);
        addSamplePack("Audio");
        resources->install("Audio");
    }
    void TearDown() override {
        serve(screenSaver, false);
        serve(portal, false);
        QtFixture::TearDown();
    }
    // Puts a desktop service on the bus, or takes it off.
    void serve(FakeInhibitor& service, bool on) {
        if (on && client.registerVirtualObject(service.path, &service, QDBusConnection::SubPath))
            client.registerService(service.name);
        if (!on && client.unregisterService(service.name))
            client.unregisterObject(service.path, QDBusConnection::UnregisterTree);
    }
    // A screen by name, a key by its name ("key Media Play"), else a button of the screen.
    void act(const std::string& what) {
        if (what.starts_with("key ")) {
            QKeySequence key(QString::fromStdString(what.substr(4)));
            QKeyEvent press(QEvent::KeyPress, key[0].key(), Qt::NoModifier);
            QApplication::sendEvent(&window(), &press);
        } else if (what == "music" || what == "chapters") {
            showScreen(what);
            backend->startDesktopServices();
        } else {
            button(what)->click();
        }
    }
    // The button the screen offers for what plays: the music screen's Stop, or the player
    // screen's Play/Pause as it reads now; else nothing.
    std::string shown() const {
        if (QtPlayerScreen* player = window().playerScreen())
            return player->playPauseButton()->text().toStdString();
        return button("stop") && button("stop")->isVisible() ? "Stop" : "nothing";
    }
    // playerctl as a desktop's media keys or status bar run it, on the test's bus.
    std::string playerctl(const std::string& command) {
        QProcess process;
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert("DBUS_SESSION_BUS_ADDRESS", bus.address);
        process.setProcessEnvironment(environment);
        process.setProcessChannelMode(QProcess::MergedChannels);
        process.start("playerctl", {"-p", "larkspire", QString::fromStdString(command)});
        waitUntil([&] { return process.state() == QProcess::NotRunning; }, 10000);
        return process.readAll().trimmed().toStdString();
    }
    // The title and picture `playerctl metadata` shows, when it shows a track and its length;
    // else what it says.
    std::string metadata() {
        QString text = QString::fromStdString(playerctl("metadata"));
        auto field = [&](const QString& key) {
            return QRegularExpression("larkspire +" + key + " +(.*)").match(text).captured(1);
        };
        bool track = field("mpris:trackid").contains("/org/larkspire/track/");
        if (!track || field("mpris:length").toLongLong() <= 0)
            return text.toStdString();
        QString art = QFileInfo(QUrl(field("mpris:artUrl")).toLocalFile()).fileName();
        return (field("xesam:title") + ", " + art).toStdString();
    }
    // Takes the steps, checking the screen after each; on the bus also what playerctl shows and
    // that every change of CanPlay is announced, as those following the player rely on.
    void takeSteps(bool onBus) {
        act("music");
        QProcess monitor;
        if (onBus)
            monitor.start("dbus-monitor", {"--address", bus.address, "member='PropertiesChanged'"});
        ASSERT_TRUE(!onBus || waitUntil([&] { return monitor.bytesAvailable() > 0; }, 5000));
        QString announced;
        QRegularExpression canPlay(R"("CanPlay"\s+variant\s+boolean (\w+)(?![\s\S]*"CanPlay"))");
        std::string track;
        for (const QString& step : QString(kSteps).split(QRegularExpression("; |\n"))) {
            std::string action = step.section(" > ", 0, 0).toStdString();
            std::string offered = step.section(" > ", 1).toStdString();
            bool viaBus = action.starts_with("playerctl ");
            if (viaBus && !onBus)
                continue;
            viaBus ? (void)playerctl(action.substr(10)) : act(action);
            EXPECT_TRUE(waitUntil([&] { return shown() == offered; }, 5000)) << action;
            if (!onBus)
                continue;
            track = kTracks.contains(action) ? kTracks.at(action) : track;
            auto seen = [&] { return playerctl("status") + " | " + metadata(); };
            std::string expected =
                kStatus.at(offered) + " | " +
                (offered == "nothing" ? "No player could handle this command" : track);
            waitUntil([&] { return seen() == expected; }, 5000);
            EXPECT_EQ(seen(), expected) << action;
            EXPECT_TRUE(waitUntil(
                [&] {
                    announced += monitor.readAll();
                    return (canPlay.match(announced).captured(1) == "true") ==
                           (offered != "nothing");
                },
                3000))
                << action;
        }
        monitor.kill();
        monitor.waitForFinished();
    }

    PrivateBus bus;
    QDBusConnection client = QDBusConnection::connectToBus(bus.address, "test " + bus.address);
    FakeInhibitor screenSaver{"org.freedesktop.ScreenSaver", "/org/freedesktop/ScreenSaver"};
    FakeInhibitor portal{"org.freedesktop.portal.Desktop", "/org/freedesktop/portal/desktop"};
};

// The application on the session bus, which the test's is not.
class NoSessionBusTest : public DesktopTest {
protected:
    void configure(QtBackendOptions& options) override { options.desktopServices = true; }
};

}  // namespace

TEST_F(DesktopTest, AChapterKeepsTheScreenAwakeUntilItEndsOrClosesAndASongNever) {
    struct Case {
        const char* screen;
        const char* tap;
        std::function<void()> close;  // null: it plays to its end
        bool inhibits;
        bool portal = false;  // the desktop has no screen-saver service, as in a sandbox
    };
    auto done = [this] { window().playerScreen()->doneButton()->click(); };
    auto stop = [this] { button("stop")->click(); };
    auto closeWindow = [this] { window().QWidget::close(); };
    for (const auto& test : std::vector<Case>{{"chapters", "chapter13", nullptr, true},
                                              {"chapters", "chapter13", done, true},
                                              {"chapters", "chapter13", done, true, true},
                                              {"music", "Mend the Sky", stop, false},
                                              {"chapters", "chapter13", closeWindow, true}}) {
        SCOPED_TRACE(test.tap);
        serve(screenSaver, !test.portal);
        serve(portal, test.portal);
        FakeInhibitor& service = test.portal ? portal : screenSaver;
        act(test.screen);
        service.calls.clear();
        button(test.tap)->click();
        EXPECT_EQ(waitUntil([&] { return !service.calls.empty(); }, 3000), test.inhibits);
        if (test.close)
            test.close();
        waitUntil([&] { return service.calls.size() == 2; }, test.close ? 3000 : 60000);
        std::string n = std::to_string(service.inhibits);
        std::vector<std::string> expected;
        if (test.inhibits && test.portal)
            expected = {"Inhibit  8 Playing a video",
                        "Close at " + portal.path.toStdString() + "/request/" + n};
        else if (test.inhibits)
            expected = {"Inhibit Larkspire Playing a video", "UnInhibit " + n};
        EXPECT_EQ(service.calls, expected);
    }
}

TEST_F(DesktopTest, PlayerctlAndTheMediaKeysActThroughTheScreensOwnButtons) {
    takeSteps(true);
}

// What plays is named as its tile is, in the window's language; takeSteps checks English names.
TEST_F(DesktopTest, WhatPlaysIsNamedByItsTileInTheWindowsLanguage) {
    backend->language().use("de");
    for (const auto& [screen, tile, named] :
         {std::tuple{"chapters", "chapter13", "Kapitel 13, LKSChapter13.jpg"},
          {"music", "Mend the Sky", "Mend the Sky, song-mend-the-sky.svg"}}) {
        act(screen);
        button(tile)->click();
        waitUntil([&] { return metadata() == named; }, 5000);
        EXPECT_EQ(metadata(), named);
        window().playerScreen() ? window().playerScreen()->doneButton()->click()
                                : button("stop")->click();
    }
}

TEST_F(NoSessionBusTest, TheWindowAndItsMediaKeysWorkAndNothingIsPrinted) {
    // As on a machine without a desktop.
    std::vector<std::pair<const char*, QByteArray>> saved;
    for (const char* name : {"DBUS_SESSION_BUS_ADDRESS", "XDG_RUNTIME_DIR", "DISPLAY"})
        saved.emplace_back(name, qgetenv(name)), qunsetenv(name);
    testing::internal::CaptureStderr();
    {
        // The media libraries' chatter is kept off the terminal, as in every window run, which
        // closes its window and players before the filter goes.
        QuietMedia quiet(true);
        takeSteps(false);
        EXPECT_FALSE(QDBusConnection::sessionBus().isConnected());
        closeBackend();
    }
    EXPECT_EQ(testing::internal::GetCapturedStderr(), "");
    for (const auto& [name, value] : saved)
        value.isEmpty() ? qunsetenv(name) : qputenv(name, value);
}

class PlayingMarkTest : public QtFixture {};

TEST_F(PlayingMarkTest, ThePlayingSongsTileIsMarkedUntilItStopsEndsOrTheScreenIsLeft) {
    addSamplePack("Audio");
    resources->install("Audio");
    // The pixel in the band just inside the tile's border, left of its middle.
    auto marked = [this](const char* title) {
        spin(30);
        QtButton* tile = button(title);
        QPoint band(qttheme::buttonBorderPixels(false, 1) + 3, tile->height() / 2);
        QColor seen(window().grab().toImage().pixel(tile->mapTo(&window(), band)));
        bool said = QAccessible::queryAccessibleInterface(tile)->text(QAccessible::Description) ==
                    "Playing now";
        EXPECT_EQ(seen == QtPictures::playingMarkColour(), said) << title;
        return said;
    };
    for (const auto& [end, ends] : std::vector<std::pair<const char*, std::function<bool()>>>{
             {"Stop", [&] { return button("stop")->click(), !marked("Mend the Sky"); }},
             {"its end", [&] { return waitUntil([&] { return !marked("Mend the Sky"); }, 30000); }},
             {"leaving", [&] {
                  auto tile = std::static_pointer_cast<UIButton>(button("Mend the Sky")->view());
                  return button("back")->click(), settle(), !tile->isSelected();
              }}}) {
        showScreen("title");
        button("musicButton")->click();
        settle();
        button("Mend the Sky")->click();
        EXPECT_TRUE(marked("Mend the Sky")) << end;
        EXPECT_FALSE(marked("Someday (Brief Return)")) << end;
        EXPECT_TRUE(ends()) << end;
    }
}

TEST(WindowStateTest, TheWindowComesBackAsItWasLeftOnScreenAndADamagedStateIsIgnored) {
    auto file = fs::temp_directory_path() / ("larkspire-window-" + std::to_string(::getpid()));
    const QRect screen(0, 0, 800, 600);
    struct Case {
        std::string text;  // empty: written from this placement
        QRect saved;
        bool fullScreen;
        QRect opens;  // null: the window keeps its size and place
        bool complains;
    };
    for (const auto& test : std::vector<Case>{
             {"", {40, 30, 500, 400}, false, {40, 30, 500, 400}, false},
             {"", {10, 20, 640, 480}, true, {10, 20, 640, 480}, false},
             {"", {5000, 4000, 500, 400}, false, {150, 100, 500, 400}, false},
             {"", {-100, -300, 900, 700}, false, {0, 0, 800, 600}, false},
             {R"({"x": 1, "width")", {}, false, {}, true},
             {R"({"x":1,"y":2,"width":0,"height":5,"fullScreen":false})", {}, false, {}, true},
         }) {
        if (test.text.empty())
            ASSERT_TRUE(QtWindowState::write(file.string(), {test.saved, test.fullScreen}));
        else
            AtomicFile::replace(file, test.text);
        std::ostringstream problems;
        auto placement = QtWindowState::read(file.string(), problems);
        EXPECT_EQ(problems.str().empty(), !test.complains) << problems.str();
        ASSERT_EQ(placement.has_value(), !test.opens.isNull());
        if (placement) {
            EXPECT_EQ(QtWindowState::onScreen(placement->geometry, {screen}, screen), test.opens);
            EXPECT_EQ(placement->fullScreen, test.fullScreen);
        }
    }
    // A window saved is restored where it was.
    QWidget left, next;
    left.setGeometry(60, 50, 400, 300);
    QtWindowState::save(left, file.string());
    QtWindowState::restore(next, file.string());
    EXPECT_EQ(next.geometry(), QRect(60, 50, 400, 300));
    fs::remove(file);
}
