#include "backends/qt/QtPlayerScreen.h"

#include <QFontMetrics>
#include <QLabel>
#include <QLocale>
#include <QPushButton>
#include <QSlider>
#include <QTimer>
#include <algorithm>
#include <cmath>
#include <limits>

#include "backends/qt/QtCaptionLabel.h"
#include "backends/qt/QtGuard.h"
#include "backends/qt/QtKeyboard.h"
#include "backends/qt/QtMedia.h"
#include "backends/qt/QtStage.h"
#include "backends/qt/QtTexts.h"
#include "backends/qt/QtTheme.h"
#include "platform/media/AVPlayer.h"
#include "platform/media/MACaptionAppearance.h"

namespace {

// A cue shows within this of its times on the media's clock.
constexpr int kCaptionTickMs = 50;

// The languages of the catalogues and captions, by their English names.
[[maybe_unused]] const char* const kLanguageNames[] = {
    QT_TRID_NOOP("English"), QT_TRID_NOOP("German"), QT_TRID_NOOP("Spanish"),
    QT_TRID_NOOP("French"), QT_TRID_NOOP("Arabic")};

// "English", "German": a language by its name in the language spoken, else its tag.
QString languageName(const std::string& tag) {
    QLocale::Language language = QLocale(QString::fromStdString(tag)).language();
    return language == QLocale::C
               ? QString::fromStdString(tag)
               : qtTrId(QLocale::languageToString(language).toUtf8().constData());
}

// The captions control's title: the language shown, named in the language spoken.
QString captionsTitle(const std::optional<std::string>& shown) {
    return shown ? "CC " + languageName(*shown) : QString("CC");
}

// In the digits of the language spoken, as every other number of the window.
QString clock(qint64 milliseconds) {
    qint64 seconds = std::max<qint64>(0, milliseconds / 1000);
    QLocale locale;
    QString tens = locale.toString(seconds % 60 / 10), units = locale.toString(seconds % 60 % 10);
    return locale.toString(seconds / 60) + ':' + tens + units;
}

}  // namespace

QtPlayerScreen::QtPlayerScreen(std::shared_ptr<AVPlayerViewController> controller, QWidget* parent)
    : QWidget(parent), controller_(std::move(controller)) {
    setAutoFillBackground(true);
    QPalette black = palette();
    black.setColor(QPalette::Window, Qt::black);
    setPalette(black);

    // First, so that the controls lie over the picture.
    const auto& player = controller_->player();
    if (auto* output = player ? dynamic_cast<QtPlayingOutput*>(&player->output()) : nullptr) {
        media_ = &output->playback();
        alive_ = &media_->lifetime();
        video_ = output->makePicture(this);
    }
    topBar_ = new QWidget(this);
    bottomBar_ = new QWidget(this);
    // The controls and their time run left to right in every language, as players do.
    bottomBar_->setLayoutDirection(Qt::LeftToRight);
    for (QWidget* bar : {topBar_, bottomBar_}) {
        bar->setObjectName("playerBar");
        bar->setAttribute(Qt::WA_StyledBackground);
    }
    done_ = new QtKeyButton(topBar_);
    done_->setText(qtTrId("Done"));
    playPause_ = new QtKeyButton(bottomBar_);
    playPause_->setText(qtTrId("Play"));
    slider_ = new QSlider(Qt::Horizontal, bottomBar_);
    time_ = new QLabel(clock(0) + " / " + clock(0), bottomBar_);
    captions_ = new QtKeyButton(bottomBar_);
    captions_->setCheckable(true);
    captions_->setAccessibleName(qtTrId("Captions"));
    captions_->setVisible(!controller_->captions().languages().empty());
    caption_ = new QtCaptionLabel(this);
    caption_->hide();
    captionTimer_ = new QTimer(this);
    captionTimer_->setInterval(kCaptionTickMs);
    connect(captionTimer_, &QTimer::timeout, this, [this] { showCaption(); });
    connect(captions_, &QPushButton::clicked, this, [this] { nextCaptions(); });
    for (QPushButton* button : {done_, playPause_, captions_})
        button->setCursor(Qt::PointingHandCursor);
    slider_->setAccessibleName(qtTrId("Position"));

    connect(done_, &QPushButton::clicked, this, [this] {
        auto keep = controller_;
        runGuarded([&] { keep->done(); });
    });
    connect(playPause_, &QPushButton::clicked, this, [this] { togglePlayback(); });

    if (media_) {
        media_->observe(this, [this](QtPlayback::Change change) {
            updateControls();
            if (change == QtPlayback::Change::position)
                showCaption();
        });
        connect(slider_, &QSlider::sliderMoved, this, [this](int position) {
            if (auto* media = playback())
                media->setPosition(position);
        });
    }
    slider_->setEnabled(media_ != nullptr);
    playPause_->setEnabled(media_ != nullptr);
    updateControls();
}

void QtPlayerScreen::togglePlayback() {
    const auto& player = controller_->player();
    QtPlayback* media = playback();
    if (!player || !media)
        return;
    runGuarded([&] {
        if (media->playing())
            player->pause();
        else
            player->play();
    });
}

void QtPlayerScreen::updateControls() {
    QtPlayback* media = playback();
    if (!media)
        return;
    qint64 duration = media->duration();
    qint64 position = media->position();
    playPause_->setText(media->playing() ? qtTrId("Pause") : qtTrId("Play"));
    slider_->setRange(0, int(std::min<qint64>(duration, std::numeric_limits<int>::max())));
    if (!slider_->isSliderDown())
        slider_->setValue(int(std::min<qint64>(position, std::numeric_limits<int>::max())));
    time_->setText(clock(position) + " / " + clock(duration));
    // Ticks only while a video plays with captions on; a pause or a seek shows its caption
    // through the position it reports.
    bool ticking = media->playing() && controller_->captions().shown().has_value();
    if (ticking != captionTimer_->isActive())
        ticking ? captionTimer_->start() : captionTimer_->stop();
    const auto& shown = controller_->captions().shown();
    captions_->setChecked(shown.has_value());
    captions_->setText(captionsTitle(shown));
    // Told to a screen reader only when it changes, not at every step of the position.
    QString state = shown ? qtTrId("On, %1").arg(languageName(*shown)) : qtTrId("Off");
    if (captions_->accessibleDescription() != state)
        captions_->setAccessibleDescription(state);
}

void QtPlayerScreen::nextCaptions() {
    auto next = controller_->captions().after(controller_->captions().shown());
    runGuarded([&] { controller_->chooseCaptions(next); });
    updateControls();
    showCaption();
}

void QtPlayerScreen::showCaption() {
    QString text = QString::fromStdString(controller_->captionText());
    bool moved = pictureRect() != captionPicture_;
    if (text != caption_->text() || text.isEmpty() == caption_->isVisible() || moved) {
        caption_->setText(text);
        caption_->setVisible(!text.isEmpty());
        placeCaption();
    }
}

// In the family's caption style, clear of the controls at the caption's edge where they cover
// the picture.
void QtPlayerScreen::placeCaption() {
    if (!caption_->isVisible())
        return;
    captionPicture_ = pictureRect();
    auto style = MACaptionAppearance::style();
    QWidget* controls = style.position == CaptionStyle::Position::top ? topBar_ : bottomBar_;
    caption_->placeOver(captionPicture_, style, controls->geometry());
}

QRect QtPlayerScreen::pictureRect() const {
    return video_ ? video_->pictureRect().translated(video_->widget().pos()) : rect();
}

void QtPlayerScreen::resizeEvent(QResizeEvent*) {
    double s = width() / QtStage::kWidth;
    auto px = [s](double points) { return qttheme::pixels(points, s); };
    // Made once per scale, not at each resize.
    if (s != styledScale_) {
        styledScale_ = s;
        setStyleSheet(qttheme::playerStyle(s));
    }
    int barHeight = px(96);
    if (video_)
        video_->widget().setGeometry(rect());
    topBar_->setGeometry(0, 0, width(), barHeight);
    bottomBar_->setGeometry(0, height() - barHeight, width(), barHeight);
    int margin = px(16);
    int buttonHeight = barHeight - 2 * margin;
    // As wide as the longest title a button can have in the language spoken, so that Play and
    // Pause take turns without the slider moving.
    QFont bold = done_->font();
    bold.setBold(true);
    bold.setPixelSize(px(24));
    auto widthFor = [&](std::initializer_list<QString> titles) {
        int widest = 0;
        for (const QString& title : titles)
            widest = std::max(widest, QFontMetrics(bold).horizontalAdvance(title));
        return std::max(px(140), widest + 2 * (px(2) + px(12)));
    };
    done_->setGeometry(margin, margin, widthFor({qtTrId("Done")}), buttonHeight);
    playPause_->setGeometry(margin, margin, widthFor({qtTrId("Play"), qtTrId("Pause")}),
                            buttonHeight);
    int timeWidth = px(180);
    time_->setGeometry(width() - margin - timeWidth, margin, timeWidth, buttonHeight);
    time_->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    int timeLeft = time_->geometry().left();
    if (!captions_->isHidden()) {
        // As wide as the longest language it can name, so that the slider stays put.
        int captionsWidth = widthFor({captionsTitle(std::nullopt)});
        for (const auto& language : controller_->captions().languages())
            captionsWidth = std::max(captionsWidth, widthFor({captionsTitle(language)}));
        captions_->setGeometry(timeLeft - px(24) - captionsWidth, margin, captionsWidth,
                               buttonHeight);
        time_->setGeometry(width() - margin - timeWidth, margin, timeWidth, buttonHeight);
        timeLeft = captions_->geometry().left();
    }
    int sliderLeft = playPause_->geometry().right() + px(24);
    slider_->setGeometry(sliderLeft, margin, timeLeft - px(24) - sliderLeft, buttonHeight);
    placeCaption();
}
