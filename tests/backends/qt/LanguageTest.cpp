#include <QAccessible>
#include <QLineEdit>
#include <QPushButton>
#include <QRegularExpression>
#include <fstream>

#include "QtFixture.h"
#include "backends/qt/QtAlertDialog.h"
#include "backends/qt/QtCutOffTexts.h"
#include "backends/qt/QtLanguage.h"
#include "backends/qt/QtPlayerScreen.h"
#include "backends/qt/QtTexts.h"
#include "backends/qt/QtViewWidgets.h"
#include "backends/qt/QtWindow.h"
#include "platform/foundation/DebugLog.h"
#include "platform/foundation/LocalizedText.h"
#include "platform/foundation/NSError.h"
#include "platform/foundation/NSLocalizedString.h"
#include "platform/media/AVPlayer.h"
#include "platform/media/PlayingMedia.h"
#include "story/app/AppDelegate.h"
#include "story/gate/ParentalGate.h"
#include "story/screens/FailureCauseText.h"

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
    void addBundled(std::initializer_list<const char*> files) {
        for (const char* file : files)
            std::filesystem::copy_file(std::filesystem::path(LARKSPIRE_MEDIA_DIR) / "bundle" / file,
                                       scratch / "bundle" / file);
    }
};

// The window walked through in one language: every text it shows fits its widget, and in the
// pseudo-language each carries the catalogue's mark, but for names and the media's own words.
class TextWalkTest : public LanguageTest, public ::testing::WithParamInterface<const char*> {
protected:
    void SetUp() override {
        LanguageTest::SetUp();
        // The player's captions control names each of the video's languages.
        addBundled({"LKSChapter13.mp4", "LKSChapter13.en.vtt", "LKSChapter13.de.vtt",
                    "LKSChapter13.es.vtt", "LKSChapter13.fr.vtt", "LKSChapter13.ar.vtt"});
        addSamplePack("Audio");
        resources->install("Audio");
        backend->language().use(GetParam());
    }
    void look(const std::string& where) {
        // Words without the mark; the captions symbol and the captions are the media's.
        static const QRegularExpression unmarked("^(?!CC)(?!.*\\[.*\\])(?=.*\\p{L})");
        spin(50);
        for (const std::string& text : qttexts::cutOffTexts(window()))
            ADD_FAILURE() << where << ": " << text << " is cut off";
        for (QWidget* widget : window().findChildren<QWidget*>()) {
            auto* peer = QtViewPeer::peerOf(widget);
            auto* label = peer ? dynamic_cast<const UILabel*>(peer->view().get()) : nullptr;
            auto* button = peer ? dynamic_cast<const UIButton*>(peer->view().get()) : nullptr;
            bool name =
                (label && label->shownText().isName()) || (button && button->shownTitle().isName());
            if (GetParam() != std::string("pseudo") || !widget->isVisible() || name ||
                widget->objectName() == "caption")
                continue;
            // What a reader sees and a screen reader says: a label's or a button's text, an
            // alert's title, a field's placeholder, and every name and description.
            auto* said = QAccessible::queryAccessibleInterface(widget);
            for (QString text : {said->text(QAccessible::Name),
                                 said->text(QAccessible::Description), widget->windowTitle()})
                EXPECT_FALSE(unmarked.match(text).hasMatch())
                    << where << ": " << widget->metaObject()->className() << " says \""
                    << text.toStdString() << "\", not from the catalogue";
        }
    }
    // Chooses an action of the open alert, with `typed` in its field.
    void choose(std::size_t action, const QString& typed = {}) {
        ASSERT_TRUE(waitUntil([&] { return window().alertDialog() != nullptr; }, 2000));
        if (auto* field = window().alertDialog()->findChild<QLineEdit*>())
            field->setText(typed);
        window().alertDialog()->choose(action);
        spin(50);
    }
    QString rightAnswer() {
        for (const auto& question : kGateQuestions)
            if (qttexts::shown(question.text) == window().alertDialog()->windowTitle())
                return QString::number(question.answer);
        return {};
    }
};

}  // namespace

// A catalogue's text; composed texts around a name that stays, a number and a size written the
// language's way, and a nested text translated in turn; English for whatever no catalogue has,
// a language with none included. The English rendering is the story's, whatever is spoken.
TEST_F(LanguageTest, TextsShowInTheLanguageSpokenAndInEnglishWhereItHasNone) {
    using Bytes = LocalizedText::ByteCount;
    const LocalizedText song = localizedFormat("Now playing: %1",
                                               {LocalizedText::name("Mend the Sky")}),
                        size = localizedFormat("On this machine: %1", {Bytes{1500000}}),
                        small = localizedFormat("On this machine: %1", {Bytes{800}}),
                        percent = localizedFormat("Downloading: %1%", {42}),
                        nested = localizedFormat(
                            "%1: this frees %2. They can be downloaded again later.",
                            {LocalizedText::marked("The seven songs"), Bytes{1500000}});
    const struct {
        const char* language;
        LocalizedText text;
        std::string english;
        QString shown;
    } rows[] = {
        {"de", "Story Chapters", "Story Chapters", "Die Kapitel"},
        {"de", song, "Now playing: Mend the Sky", "Es läuft: Mend the Sky"},
        {"de", size, "On this machine: 1.5 MB", "Auf diesem Gerät: 1,5 MB"},
        {"de", percent, "Downloading: 42%", "Wird heruntergeladen: 42 %"},
        {"de", nested, "The seven songs: this frees 1.5 MB. They can be downloaded again later.",
         "Die sieben Lieder: Das gibt 1,5 MB frei. Sie können später wieder heruntergeladen "
         "werden."},
        {"de", "A text added since the catalogue was made",
         "A text added since the catalogue was made", "A text added since the catalogue was made"},
        {"fr", small, "On this machine: 800 bytes", "Sur cet appareil\u00a0: 800 octets"},
        {"ar", "Cancel", "Cancel", "إلغاء"},
        {"ar", percent, "Downloading: 42%", "جارٍ التنزيل: ٤٢٪"},
        {"xx", "Story Chapters", "Story Chapters", "Story Chapters"},
        {"en", size, "On this machine: 1.5 MB", "On this machine: 1.5 MB"},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(std::string(row.language) + ": " + row.english);
        backend->language().use(row.language);
        EXPECT_EQ(row.text.english(), row.english);
        EXPECT_EQ(qttexts::shown(row.text), row.shown);
    }
}

// The causes the panel gives for a failed download or removal, in English and in German: the
// catalogue has each one, and the sentence around it reads as one.
TEST_F(LanguageTest, EveryFailureCauseReadsInTheLanguageSpoken) {
    using C = FailureCause;
    const struct {
        FailureCause cause;
        const char* english;
        const char* german;
    } rows[] = {
        {C::unreachable, "The server could not be reached", "Der Server war nicht erreichbar"},
        {C::connectionCut, "The connection was interrupted", "Die Verbindung wurde unterbrochen"},
        {C::tooSlow, "The connection is too slow", "Die Verbindung ist zu langsam"},
        {C::insecureServer, "The connection to the server is not secure",
         "Die Verbindung zum Server ist nicht sicher"},
        {C::notOnServer, "This server does not have these files",
         "Dieser Server hat diese Dateien nicht"},
        {C::serverRefused, "The server refused the download",
         "Der Server hat den Download verweigert"},
        {C::damagedDownload, "A downloaded file was damaged",
         "Eine heruntergeladene Datei war beschädigt"},
        {C::untrusted, "Not signed by a publisher this machine trusts",
         "Nicht von einem Herausgeber signiert, dem dieses Gerät vertraut"},
        {C::noSpace, "Not enough space on this disk",
         "Nicht genug Speicherplatz auf diesem Datenträger"},
        {C::diskFailed, "This disk could not be written to",
         "Auf diesen Datenträger konnte nicht geschrieben werden"},
        {C::notInstalled, "It is not on this machine", "Nicht auf diesem Gerät vorhanden"},
        {C::stillDownloading, "It is still downloading", "Der Download läuft noch"},
        {C::playing, "Something from it is playing", "Etwas daraus wird gerade abgespielt"},
        {C::unknown, "Something went wrong", "Etwas ist schiefgelaufen"},
    };
    backend->language().use("de");
    for (const auto& row : rows) {
        SCOPED_TRACE(row.english);
        const auto failed =
            localizedFormat("Could not download: %1", {failureCauseText(row.cause)});
        EXPECT_EQ(failed.english(), std::string("Could not download: ") + row.english);
        EXPECT_EQ(qttexts::shown(failed),
                  QString("Herunterladen fehlgeschlagen: ") + QString::fromUtf8(row.german));
        EXPECT_EQ(qttexts::shown(localizedFormat(
                      "%1 stayed on this machine: %2.",
                      {LocalizedText::marked("The seven songs"), failureCauseText(row.cause)})),
                  QString("Die sieben Lieder sind auf diesem Gerät geblieben: ") +
                      QString::fromUtf8(row.german) + ".");
    }
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
    addBundled({"LKSChapter13.mp4", "LKSChapter13.en.vtt", "LKSChapter13.de.vtt"});
    backend->setCaptionsOnByDefault(true);
    showScreen("chapters");
    button("chapter13")->click();
    ASSERT_TRUE(waitUntil([&] { return window().playerScreen() != nullptr; }, 5000));
    // Captions come on in the window's language when the video has it, else in English.
    EXPECT_EQ(window().playerScreen()->controller()->captions().shown(), "en");
    auto* controls = window().playerScreen()->captionsButton()->parentWidget();
    EXPECT_LT(widgetsIn<QPushButton>(controls).front()->x(), middle) << "play stays on the left";
    window().playerScreen()->doneButton()->click();
    backend->language().use("de");
    button("chapter13")->click();
    ASSERT_TRUE(waitUntil([&] { return window().playerScreen() != nullptr; }, 5000));
    EXPECT_EQ(window().playerScreen()->controller()->captions().shown(), "de");
}

// Every screen, every alert and the player, in each language: no text is cut off, and none
// escapes the catalogue.
TEST_P(TextWalkTest, EveryTextShownFitsAndIsTheCatalogues) {
    for (const char* screen : {"title", "music", "documentary", "lotsmore", "theend", "chapters"}) {
        showScreen(screen);
        look(screen);
    }
    auto player = [&] { return window().playerScreen(); };
    std::string playing = resources->bundleDirectory("Audio") + "/song.mp3";
    const std::vector<std::pair<std::string, std::function<void()>>> steps = {
        {"busy alert", [&] { button("chapter14")->click(); }},
        {"out-of-space alert",
         [&] {
             choose(0), resources->completeAll("Video", NSBundleOnDemandResourceOutOfSpaceError);
         }},
        {"gate prompt", [&] { choose(0), button("facebook")->click(); }},
        {"gate, wrong answer", [&] { choose(0, "0"); }},
        {"gate, right answer",
         [&] { choose(1), button("facebook")->click(), choose(0, rightAnswer()); }},
        {"player",
         [&] {
             choose(1), button("chapter13")->click();
             ASSERT_TRUE(waitUntil(player, 5000));
         }},
        {"player, paused",
         [&] { player()->captionsButton()->click(), player()->controller()->player()->pause(); }},
        {"packs", [&] { showScreen("packs"); }},
        {"packs, a download refused",
         [&] {
             button("videoButton")->click();
             resources->completeAll("Video", LKSOnDemandUntrustedError);
         }},
        {"removal question", [&] { button("audioButton")->click(); }},
        {"not removed", [&] { PlayingMedia::opened(playing), choose(1); }},
    };
    for (const auto& [where, act] : steps) {
        act();
        look(where);
    }
    choose(0);
    PlayingMedia::closed(playing);
    showScreen("captionstyle");
    look("caption style");
    button("background")->click();
    button("background")->click();
    button("position")->click();
    look("caption style, outlined at the top");
}

// In Arabic the gate asks in the digits of the rest of the window, and takes the answer in the
// digits an Arabic keyboard types as well as in Western ones; elsewhere, Arabic-Indic digits
// are not the answer, as the story reads only 0 to 9.
TEST_F(LanguageTest, TheArabicGateAsksAndIsAnsweredInArabicIndicDigits) {
    const QString arabicIndic = QString::fromUtf8("٠١٢٣٤٥٦٧٨٩"),
                  persian = QString::fromUtf8("۰۱۲۳۴۵۶۷۸۹");
    auto written = [](long long number, const QString& digits) {
        QString text;
        for (QChar c : QString::number(number))
            text += digits.isEmpty() ? c : digits.at(c.digitValue());
        return text;
    };
    const struct {
        const char* language;
        QString digits;      // empty: Western
        const char* before;  // typed before the answer
        const char* title;
    } rows[] = {
        {"ar", arabicIndic, "", "تم إيقاف بوابة الوالدين"},
        {"ar", persian, "", "تم إيقاف بوابة الوالدين"},
        {"ar", {}, "", "تم إيقاف بوابة الوالدين"},
        {"ar", arabicIndic, "+", "تم إيقاف بوابة الوالدين"},
        {"ar", arabicIndic, "-", "بوابة الوالدين ما زالت مفعّلة"},
        {"en", arabicIndic, "", "Parental Gate Remains Active"},
        {"de", arabicIndic, "", "Elternsperre bleibt aktiv"},
    };
    static const QRegularExpression western("[0-9]");
    for (const auto& row : rows) {
        SCOPED_TRACE(std::string(row.language) + " " + row.before +
                     written(84, row.digits).toStdString());
        backend->language().use(row.language);
        appDelegate->parentalGateEnabled = true;
        showScreen("title");
        button("grownUps")->click();
        ASSERT_TRUE(waitUntil([&] { return window().alertDialog() != nullptr; }, 2000));
        QtAlertDialog* prompt = window().alertDialog();
        long long answer = 0;
        for (const auto& question : kGateQuestions)
            if (qttexts::shown(question.text) == prompt->windowTitle())
                answer = question.answer;
        ASSERT_NE(answer, 0) << prompt->windowTitle().toStdString();
        if (std::string(row.language) == "ar") {
            EXPECT_FALSE(western.match(prompt->windowTitle()).hasMatch())
                << prompt->windowTitle().toStdString();
        }
        const QString question = prompt->windowTitle();
        prompt->findChild<QLineEdit*>()->setText(row.before + written(answer, row.digits));
        prompt->choose(0);
        ASSERT_TRUE(waitUntil(
            [&] {
                return window().alertDialog() && window().alertDialog()->windowTitle() != question;
            },
            2000));
        EXPECT_EQ(window().alertDialog()->windowTitle(), QString::fromUtf8(row.title));
        window().alertDialog()->choose(1);
        spin(50);
    }
}

INSTANTIATE_TEST_SUITE_P(Languages, TextWalkTest,
                         ::testing::Values("pseudo", "en", "de", "es", "fr", "ar"));
