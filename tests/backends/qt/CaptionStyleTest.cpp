#include <QImage>
#include <fstream>

#include "QtFixture.h"
#include "backends/qt/QtCaptionChoices.h"
#include "backends/qt/QtCaptionLabel.h"
#include "backends/qt/QtPlayerScreen.h"
#include "backends/qt/QtViewWidgets.h"
#include "backends/qt/QtWindow.h"
#include "backends/qt/media/QtVideoView.h"
#include "platform/media/AVPlayer.h"
#include "platform/media/MACaptionAppearance.h"

namespace fs = std::filesystem;

namespace {

using Style = CaptionStyle;

class CaptionStyleTest : public QtFixture {
protected:
    void configure(QtBackendOptions& options) override {
        options.captionStateFile = stateFile().string();
    }
    fs::path stateFile() const { return scratch / "state" / "captions.json"; }
    void writeState(const std::string& text) {
        fs::create_directories(stateFile().parent_path());
        std::ofstream(stateFile()) << text;
    }
};

// The colour of the screen at `point`.
QColor pixelAt(QWidget& screen, QPoint point) {
    return screen.grab(QRect(point, QSize(1, 1))).toImage().pixel(0, 0);
}

}  // namespace

// A chapter's caption in each look a family can choose, in a wide and a tall window: at the top
// or the foot of the picture and always inside it, its text growing with each size step, on a
// solid box, on a box the picture shows through, or on the picture itself with edged letters.
TEST_F(CaptionStyleTest, EachStyleSizesBoxesAndPlacesTheCaptionOverThePicture) {
    for (const char* file : {"LKSChapter13.mp4", "LKSChapter13.en.vtt"})
        fs::copy_file(fs::path(LARKSPIRE_MEDIA_DIR) / "bundle" / file, scratch / "bundle" / file);
    backend->setCaptionsOnByDefault(true);
    showScreen("chapters");
    button("chapter13")->click();
    ASSERT_TRUE(waitUntil([&] { return window().playerScreen() != nullptr; }, 5000));
    QtPlayerScreen& screen = *window().playerScreen();
    QtVideoView* video = widgetsIn<QtVideoView>(&screen).front();
    QtCaptionLabel* caption = screen.captionLabel();
    auto player = screen.controller()->player();
    player->seekToTime(2.5);
    player->pause();

    const Style::Size sizes[] = {Style::Size::small, Style::Size::medium, Style::Size::large,
                                 Style::Size::largest};
    for (QSize windowSize : {QSize(1024, 768), QSize(700, 900)}) {
        window().resize(windowSize);
        ASSERT_TRUE(waitUntil([&] { return video->showsFrame() && caption->isVisible(); }, 10000));
        spin(200);
        QRect picture = video->pictureRect().translated(video->pos());
        int previousHeight = 0;
        for (Style::Size size : sizes) {
            for (Style::Position position : {Style::Position::bottom, Style::Position::top}) {
                for (Style::Background background :
                     {Style::Background::translucent, Style::Background::solid,
                      Style::Background::outline}) {
                    SCOPED_TRACE(std::to_string(windowSize.width()) + "x" +
                                 std::to_string(windowSize.height()) + " " + Style::nameOf(size) +
                                 " " + Style::nameOf(background) + " " + Style::nameOf(position));
                    // The caption in this style, then the picture as it is without it.
                    MACaptionAppearance::setStyle({size, background, position});
                    caption->hide();
                    player->seekToTime(2.5);
                    ASSERT_TRUE(waitUntil([&] { return caption->isVisible(); }, 2000));
                    spin(50);
                    QRect box = caption->geometry();
                    QPoint inBox(box.left() + 1, box.center().y());
                    QColor shown = pixelAt(screen, inBox);
                    caption->hide();
                    QColor bare = pixelAt(screen, inBox);

                    EXPECT_TRUE(picture.contains(box));
                    if (position == Style::Position::top)
                        EXPECT_LT(box.center().y(), picture.center().y());
                    else
                        EXPECT_GT(box.center().y(), picture.center().y());
                    switch (background) {
                        case Style::Background::solid:
                            EXPECT_EQ(shown, QColor(Qt::black));
                            break;
                        case Style::Background::translucent:
                            EXPECT_LT(shown.lightness(), 100);
                            EXPECT_LE(shown.lightness(), bare.lightness());
                            EXPECT_TRUE(bare == QColor(Qt::black) || shown != QColor(Qt::black))
                                << "the picture shows through";
                            break;
                        case Style::Background::outline:
                            EXPECT_EQ(shown, bare) << "no box behind the letters";
                            break;
                    }
                }
            }
            int height = caption->font().pixelSize();
            EXPECT_GT(height, previousHeight) << Style::nameOf(size) << " is larger than the last";
            previousHeight = height;
        }
        MACaptionAppearance::setStyle({});
        caption->hide();
        player->seekToTime(2.5);
        ASSERT_TRUE(waitUntil([&] { return caption->isVisible(); }, 2000));
        EXPECT_GE(caption->font().pixelSize() * 16, picture.height()) << "the size it always had";
        EXPECT_LT(caption->font().pixelSize() * 15, picture.height());
    }
}

// The look is kept beside the caption language, each value on its own: a value the application
// does not know takes its default alone, and a damaged or oversized file gives the defaults
// with one line on the debug log, never read past its first few kilobytes.
TEST_F(CaptionStyleTest, TheStyleIsKeptAndABadFileOrValueFallsBackToTheDefault) {
    struct Row {
        const char* what;
        std::string file;
        Style expected;
        bool logged;
    };
    const Row rows[] = {
        {"every value",
         R"({"size": "largest", "background": "outline", "position": "top"})",
         {Style::Size::largest, Style::Background::outline, Style::Position::top},
         false},
        {"an unknown size",
         R"({"size": "huge", "background": "solid", "position": "top"})",
         {Style::Size::medium, Style::Background::solid, Style::Position::top},
         false},
        {"a number for a name",
         R"({"size": 3, "position": "bottom", "background": "shade"})",
         {},
         false},
        {"not JSON", "{\"size\": \"large\",", {}, true},
        {"oversized", "{\"size\": \"large\"" + std::string(100 * 1024, ' ') + "}", {}, true},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.what);
        writeState(row.file);
        takeLog();
        EXPECT_EQ(QtCaptionChoices(stateFile().string()).style(), row.expected);
        EXPECT_EQ(takeLog().size(), row.logged ? 1u : 0u);
    }
    // The player's language and the grown-ups' choice stay beside the style.
    writeState(R"({"captions": "de", "everyVideo": true})");
    const Style chosen{Style::Size::small, Style::Background::solid, Style::Position::top};
    QtCaptionChoices(stateFile().string()).setStyle(chosen);
    QtCaptionChoices next(stateFile().string());
    EXPECT_EQ(next.style(), chosen);
    EXPECT_EQ(next.language(), "de");
    EXPECT_TRUE(next.onByDefault());
}

// The choices' screen: each press takes the next value, kept at once, and the preview beside the
// buttons follows, drawn as a player draws its caption.
TEST_F(CaptionStyleTest, ThePreviewFollowsEveryChoice) {
    showScreen("captionstyle");
    auto previews = widgetsIn<QtCaptionPreview>(&window());
    ASSERT_EQ(previews.size(), 1u);
    QtCaptionPreview& preview = *previews.front();
    spin(50);
    QRect box = preview.caption()->geometry();
    EXPECT_TRUE(preview.rect().contains(box));
    EXPECT_GT(box.center().y(), preview.rect().center().y());

    button("position")->click();
    spin(50);
    EXPECT_LT(preview.caption()->geometry().center().y(), preview.rect().center().y());

    int medium = preview.caption()->font().pixelSize();
    button("size")->click();
    spin(50);
    EXPECT_GT(preview.caption()->font().pixelSize(), medium);

    button("background")->click();
    spin(50);
    box = preview.caption()->geometry();
    EXPECT_EQ(pixelAt(window(), preview.mapTo(&window(), QPoint(box.left() + 1, box.center().y()))),
              QColor(Qt::black));
    EXPECT_EQ(backend->captionStyle(),
              (Style{Style::Size::large, Style::Background::solid, Style::Position::top}));
}
