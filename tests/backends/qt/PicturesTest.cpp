#include <QImage>
#include <fstream>
#include <set>

#include "QtFixture.h"
#include "backends/qt/QtViewWidgets.h"
#include "backends/qt/QtWindow.h"

namespace fs = std::filesystem;

namespace {

class PicturesTest : public QtFixture {
protected:
    QWidget* shown(const std::string& identifier) const {
        for (QWidget* widget : window().topStageWidget()->findChildren<QWidget*>()) {
            auto* peer = QtViewPeer::peerOf(widget);
            if (peer && peer->view()->identifier() == identifier)
                return widget;
        }
        return nullptr;
    }
};

// A title on a flat fill draws a few hundred colours (its edges and letters smoothed, under 500);
// a picture, thousands (over 1000).
std::size_t coloursIn(QWidget* widget) {
    QImage image = widget->grab().toImage();
    std::set<QRgb> colours;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            colours.insert(image.pixel(x, y));
    return colours.size();
}

}  // namespace

TEST_F(PicturesTest, EveryVideoHasAPosterTheScreensDrawTheirPicturesAndAMissingOneShowsTheTitle) {
    // The build took a poster of every video of the bundle and of the packs, into the bundle.
    std::vector<fs::path> videos;
    for (const auto& entry : fs::recursive_directory_iterator(LARKSPIRE_MEDIA_DIR))
        if (entry.path().extension() == ".mp4")
            videos.push_back(entry.path());
    EXPECT_EQ(videos.size(), 5u);
    for (const auto& video : videos) {
        fs::path poster = fs::path(LARKSPIRE_BUNDLE_DIR) / (video.stem().string() + ".jpg");
        EXPECT_FALSE(QImage(QString::fromStdString(poster.string())).isNull()) << poster;
        fs::copy_file(poster, scratch / "bundle" / poster.filename());
    }
    std::ofstream(scratch / "bundle" / "unreadable.jpg") << "not a picture";

    for (const auto& [screen, pictures] :
         std::vector<std::pair<const char*, std::vector<const char*>>>{
             {"title", {"backdrop"}},
             {"chapters", {"chapter13", "chapter14", "chapter15", "chapter16"}},
             {"music", {"track1", "track2", "track3", "track4", "track5", "track6", "track7"}},
         }) {
        showScreen(screen);
        for (const char* identifier : pictures)
            EXPECT_GT(coloursIn(shown(identifier)), 1000u) << identifier;
    }

    // Chapters 14 to 16 carry the download mark until the "Video" pack is installed.
    addSamplePack("Video");
    showScreen("chapters");
    EXPECT_FALSE(button("chapter13")->awaitsDownload());
    EXPECT_TRUE(button("chapter14")->awaitsDownload());
    QImage marked = button("chapter14")->grab().toImage();
    resources->completeAll("Video");
    settle();
    EXPECT_FALSE(button("chapter14")->awaitsDownload());
    EXPECT_NE(button("chapter14")->grab().toImage(), marked);

    // A picture missing or unreadable: the title alone, as a button without one, named once.
    for (const std::string image : {"images/no-such-picture.svg", "unreadable.jpg"}) {
        QtButton* chapter = button("chapter13");
        std::static_pointer_cast<UIButton>(chapter->view())->setImageName(image);
        std::size_t colours = coloursIn(chapter);
        EXPECT_LT(colours, 500u) << image;
        EXPECT_GT(colours, 10u) << image;
        coloursIn(chapter);
        std::string line = "Could not show image " + image + "; the title stands in for it";
        EXPECT_EQ(std::count(log.begin(), log.end(), line), 1) << image;
        EXPECT_EQ(chapter->text(), "Chapter 13");
        EXPECT_EQ(chapter->accessibleName(), "Chapter 13");
    }
}
