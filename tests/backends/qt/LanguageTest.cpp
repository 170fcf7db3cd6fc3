#include <QPushButton>
#include <fstream>

#include "QtFixture.h"
#include "backends/qt/QtLanguage.h"
#include "backends/qt/QtPlayerScreen.h"
#include "backends/qt/QtTexts.h"
#include "backends/qt/QtViewWidgets.h"
#include "backends/qt/QtWindow.h"
#include "platform/foundation/DebugLog.h"
#include "platform/media/AVPlayer.h"

namespace {

class LanguageTest : public QtFixture {
protected:
    void configure(QtBackendOptions& options) override {
        options.translationsDirectory = LARKSPIRE_TRANSLATIONS_DIR;
        options.languageStateFile = (scratch / "state" / "language.json").string();
    }
    void TearDown() override {
        backend->language().use("en");
        QtFixture::TearDown();
    }
};

}  // namespace

// What a family reads in each language: a catalogue's text, a composed text with its format
// translated around a name that stays and a size written the language's way, and English for
// whatever no catalogue has, a language with none included.
TEST_F(LanguageTest, TextsShowInTheLanguageSpokenAndInEnglishWhereItHasNone) {
    const struct {
        const char* language;
        const char* english;
        QString shown;
    } rows[] = {
        {"de", "Story Chapters", "Die Kapitel"},
        {"de", "Now playing: Mend the Sky", "Es läuft: Mend the Sky"},
        {"de", "On this machine: 1.5 MB", "Auf diesem Gerät: 1,5 MB"},
        {"de", "Downloading: 42%", "Wird geladen: 42 %"},
        {"de", "A text added since the catalogue was made",
         "A text added since the catalogue was made"},
        {"fr", "On this machine: 800 bytes", "Sur cet appareil\u00a0: 800 octets"},
        {"ar", "Cancel", "إلغاء"},
        {"xx", "Story Chapters", "Story Chapters"},
        {"en", "On this machine: 1.5 MB", "On this machine: 1.5 MB"},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(std::string(row.language) + ": " + row.english);
        backend->language().use(row.language);
        EXPECT_EQ(qttexts::shown(row.english), row.shown);
    }

    // The screens follow at once, and the story keeps its English.
    showScreen("title");
    backend->language().use("de");
    spin(50);
    EXPECT_EQ(button("chaptersButton")->text(), "Die Kapitel");
    backend->language().use("en");
    spin(50);
    EXPECT_EQ(button("chaptersButton")->text(), "Story Chapters");
}

// A catalogue that is missing or damaged leaves the texts in English, with one line on the log.
TEST_F(LanguageTest, AMissingOrDamagedCatalogueLeavesEnglishAndSaysSoOnce) {
    auto folder = scratch / "translations";
    std::filesystem::create_directories(folder);
    std::ofstream(folder / "larkspire_fr.qm") << "not a catalogue";
    std::vector<std::string> lines;
    setDebugLogSink([&](const std::string& line) { lines.push_back(line); });
    for (const char* language : {"fr", "es"}) {
        SCOPED_TRACE(language);
        lines.clear();
        QtLanguage spoken(QString::fromStdString(folder.string()), "");
        spoken.use(language);
        EXPECT_EQ(spoken.spoken(), "en");
        EXPECT_EQ(qttexts::shown("Story Chapters"), "Story Chapters");
        ASSERT_EQ(lines.size(), 1u);
        EXPECT_EQ(lines[0].rfind(std::string("No catalogue for the language ") + language, 0), 0u);
    }
    setDebugLogSink(nullptr);
}

// A grown-up picks German on the panel: every screen speaks it at once, and the next run too.
// Arabic mirrors the panel, not the player's controls.
TEST_F(LanguageTest, TheChosenLanguageAppliesAtOnceIsKeptAndArabicMirrorsThePanelButNotThePlayer) {
    showScreen("packs");
    QtButton* language = button("language");
    EXPECT_EQ(language->text(), "Language: as the desktop");
    for (const char* next : {"English", "العربية", "Deutsch"}) {
        language->click();
        spin(50);
        EXPECT_EQ(language->text().endsWith(next), true) << language->text().toStdString();
    }
    EXPECT_EQ(button("back")->text(), "Zurück");
    EXPECT_EQ(QtLanguage(LARKSPIRE_TRANSLATIONS_DIR, (scratch / "state" / "language.json").string())
                  .spoken(),
              "de");

    backend->language().use("ar");
    spin(50);
    const int middle = window().width() / 2;
    EXPECT_GT(button("back")->mapTo(&window(), QPoint()).x(), middle) << "the panel is mirrored";
    std::filesystem::copy_file(
        std::filesystem::path(LARKSPIRE_MEDIA_DIR) / "bundle" / "LKSChapter13.mp4",
        scratch / "bundle" / "LKSChapter13.mp4");
    for (const char* file : {"LKSChapter13.en.vtt", "LKSChapter13.de.vtt"})
        std::filesystem::copy_file(std::filesystem::path(LARKSPIRE_MEDIA_DIR) / "bundle" / file,
                                   scratch / "bundle" / file);
    backend->setCaptionsOnByDefault(true);
    showScreen("chapters");
    button("chapter13")->click();
    ASSERT_TRUE(waitUntil([&] { return window().playerScreen() != nullptr; }, 5000));
    // Captions come on in the window's language when the video has it, else in English.
    EXPECT_EQ(window().playerScreen()->controller()->captions().shown(), "en");
    auto* controls = window().playerScreen()->captionsButton()->parentWidget();
    EXPECT_EQ(controls->layoutDirection(), Qt::LeftToRight);
    EXPECT_LT(widgetsIn<QPushButton>(controls).front()->x(), middle) << "play stays on the left";
    window().playerScreen()->doneButton()->click();
    backend->language().use("de");
    button("chapter13")->click();
    ASSERT_TRUE(waitUntil([&] { return window().playerScreen() != nullptr; }, 5000));
    EXPECT_EQ(window().playerScreen()->controller()->captions().shown(), "de");
}
