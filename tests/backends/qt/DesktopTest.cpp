#include <QAccessible>
#include <QDBusConnectionInterface>
#include <QDBusMessage>
#include <QDBusPendingCall>
#include <QDBusVariant>
#include <QDBusVirtualObject>
#include <QFileInfo>
#include <QProcess>
#include <QTest>
#include <sstream>

#include "QtFixture.h"
#include "backends/qt/QtMprisService.h"
#include "backends/qt/QtPictures.h"
#include "backends/qt/QtPlayerScreen.h"
#include "backends/qt/QtViewWidgets.h"
#include "backends/qt/QtWindow.h"
#include "backends/qt/QtWindowState.h"
#include "platform/foundation/AtomicFile.h"

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

// The desktop's screen saver, noting each call it gets.
class FakeScreenSaver : public QDBusVirtualObject {
public:
    std::vector<std::string> calls;
    uint cookies = 0;
    QString introspect(const QString&) const override { return {}; }
    bool handleMessage(const QDBusMessage& message, const QDBusConnection& bus) override {
        auto arguments = message.arguments();
        if (message.member() == "Inhibit") {
            calls.push_back("Inhibit " + arguments.value(0).toString().toStdString() + " " +
                            std::to_string(++cookies));
            return bus.send(message.createReply(cookies));
        }
        calls.push_back("UnInhibit " + std::to_string(arguments.value(0).toUInt()));
        return bus.send(message.createReply());
    }
};

class DesktopTest : public QtFixture {
protected:
    void configure(QtBackendOptions& options) override {
        options.desktopServices = true;
        options.busAddress = bus.address.toStdString();
    }
    void SetUp() override {
        QtFixture::SetUp();
        ASSERT_FALSE(bus.address.isEmpty()) << "no dbus-daemon";
        fs::copy_file(fs::path(LARKSPIRE_MEDIA_DIR) / "bundle" / "LKSChapter13.mp4",
                      scratch / "bundle" / "LKSChapter13.mp4");
        addSamplePack("Audio");
        resources->install("Audio");
        client.registerVirtualObject("/org/freedesktop/ScreenSaver", &screenSaver);
        client.registerService("org.freedesktop.ScreenSaver");
    }
    void TearDown() override {
        client.unregisterObject("/org/freedesktop/ScreenSaver");
        QtFixture::TearDown();
    }
    void open(const std::string& screen) {
        showScreen(screen);
        backend->startDesktopServices();
    }
    // A call to the application's player, answered while the event loop runs.
    QDBusMessage call(const QString& interface, const QString& member, QVariantList arguments) {
        auto message = QDBusMessage::createMethodCall("org.mpris.MediaPlayer2.larkspire",
                                                      "/org/mpris/MediaPlayer2", interface, member);
        message.setArguments(arguments);
        QDBusPendingCall pending = client.asyncCall(message);
        waitUntil([&] { return pending.isFinished(); }, 5000);
        return pending.reply();
    }
    QVariant player(const QString& property) {
        auto reply = call("org.freedesktop.DBus.Properties", "Get",
                          {"org.mpris.MediaPlayer2.Player", property});
        return reply.arguments().value(0).value<QDBusVariant>().variant();
    }
    QString status() { return player("PlaybackStatus").toString(); }

    PrivateBus bus;
    QDBusConnection client = QDBusConnection::connectToBus(bus.address, "test " + bus.address);
    FakeScreenSaver screenSaver;
};

}  // namespace

TEST_F(DesktopTest, AChapterKeepsTheScreenAwakeUntilItEndsOrClosesAndASongNever) {
    struct Case {
        const char* screen;
        const char* tap;
        std::function<void()> close;  // null: it plays to its end
        bool inhibits;
    };
    auto done = [this] { window().playerScreen()->doneButton()->click(); };
    auto stop = [this] { button("stop")->click(); };
    auto closeWindow = [this] { window().QWidget::close(); };
    for (const auto& test : std::vector<Case>{{"chapters", "chapter13", nullptr, true},
                                              {"chapters", "chapter13", done, true},
                                              {"music", "Mend the Sky", stop, false},
                                              {"chapters", "chapter13", closeWindow, true}}) {
        SCOPED_TRACE(test.tap);
        open(test.screen);
        screenSaver.calls.clear();
        button(test.tap)->click();
        EXPECT_EQ(waitUntil([&] { return !screenSaver.calls.empty(); }, 3000), test.inhibits);
        if (test.close)
            test.close();
        waitUntil([&] { return screenSaver.calls.size() == 2; }, test.close ? 3000 : 60000);
        std::string cookie = std::to_string(screenSaver.cookies);
        std::vector<std::string> expected;
        if (test.inhibits)
            expected = {"Inhibit Larkspire " + cookie, "UnInhibit " + cookie};
        EXPECT_EQ(screenSaver.calls, expected);
        for (const auto& line : screenSaver.calls)
            std::cout << "[screen saver] " << line << "\n";
    }
}

TEST_F(DesktopTest, ThePlayerOnTheBusFollowsASongAndAVideoAndActsThroughTheScreensButtons) {
    open("music");
    EXPECT_TRUE(client.interface()->isServiceRegistered("org.mpris.MediaPlayer2.larkspire"));
    auto act = [this](std::string what) {
        if (what == "stop key")
            QTest::keyClick(&window(), Qt::Key_MediaStop);
        else if (what.starts_with("Player."))
            call("org.mpris.MediaPlayer2.Player", QString::fromStdString(what.substr(7)), {});
        else if (what == "chapters")
            open(what);
        else
            button(what)->click();
    };
    // What the screen shows: the song's labels and Stop, or the player screen.
    auto shown = [this] {
        if (window().playerScreen())
            return std::string("player");
        std::string seen;
        for (auto* widget : widgetsIn<QWidget>(window().topStageWidget())) {
            auto* peer = QtViewPeer::peerOf(widget);
            std::string id = peer ? peer->view()->identifier() : "";
            if ((id == "stop" || id == "trackPosition") && widget->isVisible())
                seen += id + " ";
        }
        return seen;
    };
    struct Step {
        const char* action;
        const char* status;
        std::string shown;
        const char* title;
        const char* art;
    };
    for (const auto& step : std::vector<Step>{
             {"Mend the Sky", "Playing", "trackPosition stop ", "Mend the Sky",
              "song-mend-the-sky.svg"},
             {"Player.Stop", "Stopped", "", "Mend the Sky", "song-mend-the-sky.svg"},
             {"Someday (Brief Return)", "Playing", "trackPosition stop ", "Someday (Brief Return)",
              "song-someday.svg"},
             {"Player.PlayPause", "Stopped", "", "Someday (Brief Return)", "song-someday.svg"},
             {"Mend the Sky", "Playing", "trackPosition stop ", "Mend the Sky",
              "song-mend-the-sky.svg"},
             {"stop key", "Stopped", "", "Mend the Sky", "song-mend-the-sky.svg"},
             {"chapters", "Stopped", "", "", ""},
             {"chapter13", "Playing", "player", "Chapter 13", ""},
             {"Player.PlayPause", "Paused", "player", "Chapter 13", ""},
             {"Player.Play", "Playing", "player", "Chapter 13", ""},
             {"Player.Stop", "Stopped", "", "", ""},
         }) {
        act(step.action);
        waitUntil([&] { return status() == step.status && shown() == step.shown; }, 3000);
        EXPECT_EQ(status().toStdString(), step.status) << step.action;
        EXPECT_EQ(shown(), step.shown) << step.action;
        QVariantMap metadata = qdbus_cast<QVariantMap>(player("Metadata"));
        EXPECT_EQ(metadata.value("xesam:title").toString().toStdString(), step.title);
        QUrl art(metadata.value("mpris:artUrl").toString());
        EXPECT_EQ(QFileInfo(art.toLocalFile()).fileName().toStdString(), step.art);
    }
}

class PlayingMarkTest : public QtFixture {};

TEST_F(PlayingMarkTest, ThePlayingSongsTileIsMarkedUntilItStopsEndsOrTheScreenIsLeft) {
    addSamplePack("Audio");
    resources->install("Audio");
    // The pixel in the band just inside the tile's border, left of its middle.
    auto marked = [this](const char* title) {
        spin(30);
        QtButton* tile = button(title);
        QPoint band(QtButton::borderPixels(false, 1) + 3, tile->height() / 2);
        QColor seen(window().grab().toImage().pixel(tile->mapTo(&window(), band)));
        bool said = QAccessible::queryAccessibleInterface(tile)->text(QAccessible::Description) ==
                    "Playing now";
        EXPECT_EQ(seen == QtPictures::playingMarkColour(), said) << title;
        return said;
    };
    struct Case {
        const char* end;
        std::function<bool()> ends;
    };
    for (const auto& test : std::vector<Case>{
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
        EXPECT_TRUE(marked("Mend the Sky")) << test.end;
        EXPECT_FALSE(marked("Someday (Brief Return)")) << test.end;
        EXPECT_TRUE(test.ends()) << test.end;
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
             {"{\"x\": 1, \"width\"", {}, false, {}, true},
             {"{\"x\": 1, \"y\": 2, \"width\": 0, \"height\": 5, \"fullScreen\": false}",
              {},
              false,
              {},
              true},
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
