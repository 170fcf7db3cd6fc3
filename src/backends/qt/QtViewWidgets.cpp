#include "backends/qt/QtViewWidgets.h"

#include <QFontMetrics>
#include <QPainter>
#include <QPainterPath>
#include <QStyleOptionButton>
#include <QStylePainter>
#include <QTextLayout>
#include <algorithm>
#include <cmath>
#include <filesystem>

#include "backends/qt/QtCaptionLabel.h"
#include "backends/qt/QtGuard.h"
#include "backends/qt/QtPictures.h"
#include "backends/qt/QtTexts.h"
#include "backends/qt/QtTheme.h"
#include "platform/media/UICaptionPreview.h"
#include "platform/media/UILyricsView.h"

namespace {

Qt::Alignment alignmentOf(const std::string& alignment) {
    if (alignment == "center")
        return Qt::AlignHCenter | Qt::AlignVCenter;
    if (alignment == "right")
        return Qt::AlignRight | Qt::AlignVCenter;
    return Qt::AlignLeft | Qt::AlignVCenter;
}

// Style sheets are costly to apply; most syncs leave them as they were.
void setStyleSheetIfChanged(QWidget& widget, const QString& styleSheet) {
    if (widget.styleSheet() != styleSheet)
        widget.setStyleSheet(styleSheet);
}

// `line` wrapped and centred in `box`, its first `sungChars` in `sung` and the rest in the
// painter's pen. A layout of its own, since drawText gives a whole text one colour.
void drawSungLine(QPainter& painter, QString line, const QRect& box, int sungChars,
                  const QColor& sung) {
    line.replace('\n', QChar::LineSeparator);
    QTextLayout layout(line, painter.font());
    QTextOption option(Qt::AlignHCenter);
    option.setWrapMode(QTextOption::WordWrap);
    option.setTextDirection(line.isRightToLeft() ? Qt::RightToLeft : Qt::LeftToRight);
    layout.setTextOption(option);
    QTextLayout::FormatRange lit;
    lit.start = 0;
    lit.length = sungChars;
    lit.format.setForeground(sung);
    layout.setFormats({lit});
    layout.beginLayout();
    double height = 0;
    for (QTextLine row = layout.createLine(); row.isValid(); row = layout.createLine()) {
        row.setLineWidth(box.width());
        row.setPosition(QPointF(0, height));
        height += row.height();
    }
    layout.endLayout();
    layout.draw(&painter, QPointF(box.left(), box.top() + (box.height() - height) / 2));
}

}  // namespace

QtPlainView::QtPlainView(std::shared_ptr<UIView> view, QWidget* parent)
    : QWidget(parent), QtViewPeer(std::move(view), *this) {}

QtLabel::QtLabel(std::shared_ptr<UILabel> label, QWidget* parent)
    : QLabel(parent), QtViewPeer(std::move(label), *this) {
    setWordWrap(true);
    setTextFormat(Qt::PlainText);
}

void QtLabel::syncContent() {
    const auto& label = static_cast<const UILabel&>(*view());
    setText(qttexts::shown(label.shownText()));
    setAlignment(alignmentOf(label.alignment()));
    // Down to three fifths of its size, rather than lose its ends; one that fits stays as it is.
    QFont font = this->font();
    int fontPixels = qttheme::pixels(label.fontSize(), scale());
    int smallest = std::max(qttheme::pixels(12, scale()), fontPixels * 3 / 5);
    font.setPixelSize(fontPixels);
    while (fontPixels > smallest && !qttexts::fits(text(), font, contentsRect(), wordWrap()))
        font.setPixelSize(--fontPixels);
    setFont(font);
    QPalette palette = this->palette();
    palette.setColor(QPalette::WindowText, qttheme::textOn(backdropWhite()));
    setPalette(palette);
}

QtButton::QtButton(std::shared_ptr<UIButton> button, QWidget* parent)
    : QtKeyButton(parent), QtViewPeer(std::move(button), *this) {
    setCursor(Qt::PointingHandCursor);
    connect(this, &QPushButton::clicked, this, [this] {
        // The action may close this screen; the widget is only deleted later, and the button
        // is kept alive until its actions have run.
        auto button = std::static_pointer_cast<UIButton>(view());
        runGuarded([&] { button->sendActions(); });
    });
}

void QtButton::syncContent() {
    const auto& button = static_cast<const UIButton&>(*view());
    double s = scale();
    double height = button.frame().size.height;
    // Big, rounded and bright: made for small fingers on a touch screen.
    QString title = qttexts::shown(button.shownTitle());
    int fontPixels = qttheme::titlePixels(title, font(), height, width(), s);
    setStyleSheetIfChanged(*this, qttheme::buttonStyle(s, height, fontPixels));
    setText(title);
    // A button with a picture only is named by its identifier.
    setAccessibleName(title.isEmpty() ? QString::fromStdString(button.identifier()) : title);
    // Read out after the name, for a reader who cannot see the mark.
    QString description = button.isSelected() ? qtTrId("Playing now") : "";
    if (accessibleDescription() != description)
        setAccessibleDescription(description);
    setEnabled(button.isEnabled());
    update();
}

bool QtButton::titleFits() const {
    if (static_cast<const UIButton&>(*view()).imageName().empty() || text().isEmpty())
        return qttexts::fits(*this);
    int inset = qttheme::buttonBorderPixels(showsFocus(), scale());
    return QtPictures::captionFits(rect().adjusted(inset, inset, -inset, -inset), text(), scale(),
                                   font());
}

void QtButton::setAwaitsDownload(bool awaits) {
    if (awaits == awaitsDownload_)
        return;
    awaitsDownload_ = awaits;
    update();
}

void QtButton::paintEvent(QPaintEvent* event) {
    const auto& button = static_cast<const UIButton&>(*view());
    double s = scale();
    int inset = qttheme::buttonBorderPixels(showsFocus(), scale());
    QRect box = rect().adjusted(inset, inset, -inset, -inset);
    qreal ratio = devicePixelRatioF();
    QImage picture =
        QtPictures::picture(button.imageName(), box.size() * ratio, QtPictures::Fit::fill);
    if (picture.isNull()) {
        QtKeyButton::paintEvent(event);
        if (button.isSelected()) {
            QPainter painter(this);
            QtPictures::drawPlayingMark(painter, box, s);
        }
        return;
    }
    picture.setDevicePixelRatio(ratio);
    QStylePainter painter(this);
    QStyleOptionButton option;
    initStyleOption(&option);
    option.text.clear();
    // The style sheet's background, border and focus ring, without the title.
    painter.drawControl(QStyle::CE_PushButtonBevel, option);
    QPainterPath rounded;
    double radius =
        std::max(0, qttheme::pixels(std::min(16.0, button.frame().size.height / 3), s) - inset);
    rounded.addRoundedRect(QRectF(box), radius, radius);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setClipPath(rounded);
    painter.drawImage(box, picture);
    if (isDown())
        painter.fillRect(box, QColor(0, 0, 0, 60));
    QtPictures::drawCaption(painter, box, text(), s);
    if (awaitsDownload_)
        QtPictures::drawDownloadMark(painter, box, s);
    if (button.isSelected())
        QtPictures::drawPlayingMark(painter, box, s);
}

QtProgressBar::QtProgressBar(std::shared_ptr<UIProgressView> progressView, QWidget* parent)
    : QProgressBar(parent), QtViewPeer(std::move(progressView), *this) {
    setRange(0, kSteps);
    setTextVisible(false);
    // The screens' progress bars follow on-demand downloads.
    setAccessibleName(qtTrId("Download progress"));
}

void QtProgressBar::syncContent() {
    const auto& progressView = static_cast<const UIProgressView&>(*view());
    int radius = std::max(1, height() / 2);
    setStyleSheetIfChanged(*this, qttheme::progressStyle(radius));
    setValue(int(std::lround(progressView.progress() * kSteps)));
}

QtImageView::QtImageView(std::shared_ptr<UIImageView> imageView, QWidget* parent)
    : QWidget(parent), QtViewPeer(std::move(imageView), *this) {}

void QtImageView::paintEvent(QPaintEvent*) {
    qreal ratio = devicePixelRatioF();
    QImage picture = QtPictures::picture(static_cast<const UIImageView&>(*view()).imageName(),
                                         size() * ratio, QtPictures::Fit::letterbox);
    if (picture.isNull())
        return;
    picture.setDevicePixelRatio(ratio);
    QPainter painter(this);
    QSizeF shown = QSizeF(picture.size()) / ratio;
    painter.drawImage(
        QRectF(QPointF((width() - shown.width()) / 2, (height() - shown.height()) / 2), shown),
        picture);
}

QtTextField::QtTextField(std::shared_ptr<UITextField> field, QWidget* parent)
    : QLineEdit(parent), QtViewPeer(std::move(field), *this) {
    connect(this, &QLineEdit::textEdited, this, [this](const QString& text) {
        auto field = std::static_pointer_cast<UITextField>(view());
        runGuarded([&] { field->setText(text.toStdString()); });
    });
}

void QtTextField::syncContent() {
    const auto& field = static_cast<const UITextField&>(*view());
    // Rewriting the same text would move the cursor while the reader types.
    QString text = QString::fromStdString(field.text());
    if (this->text() != text)
        setText(text);
    setPlaceholderText(qttexts::shown(field.shownPlaceholder()));
    setAccessibleName(placeholderText());
    QFont font = this->font();
    font.setPixelSize(qttheme::pixels(std::max(12.0, field.frame().size.height * 0.5), scale()));
    setFont(font);
}

QtCaptionPreview::QtCaptionPreview(std::shared_ptr<UICaptionPreview> preview, QWidget* parent)
    : QWidget(parent), QtViewPeer(std::move(preview), *this), caption_(new QtCaptionLabel(this)) {
    setAttribute(Qt::WA_TransparentForMouseEvents);
}

void QtCaptionPreview::syncContent() {
    const auto& preview = static_cast<const UICaptionPreview&>(*view());
    QString text = qttexts::shown(preview.text());
    if (caption_->text() != text)
        caption_->setText(text);
    if (accessibleName() != text)
        setAccessibleName(text);
    caption_->setVisible(!text.isEmpty());
    caption_->placeOver(rect(), preview.style());
}

void QtCaptionPreview::resizeEvent(QResizeEvent*) {
    caption_->placeOver(rect(), static_cast<const UICaptionPreview&>(*view()).style());
}

QtLyricsView::QtLyricsView(std::shared_ptr<UILyricsView> lyrics, QWidget* parent)
    : QWidget(parent), QtViewPeer(std::move(lyrics), *this) {
    setAttribute(Qt::WA_TransparentForMouseEvents);
}

void QtLyricsView::syncContent() {
    QString current =
        QString::fromStdString(static_cast<const UILyricsView&>(*view()).currentLine());
    if (accessibleName() != current)
        setAccessibleName(current);
    update();
}

void QtLyricsView::paintEvent(QPaintEvent*) {
    const auto& lyrics = static_cast<const UILyricsView&>(*view());
    double s = scale();
    double height = lyrics.frame().size.height;
    // Three fifths of the height for the line being sung, the rest for the next one.
    QRect area = rect();
    QRect currentBox(area.left(), area.top(), area.width(), area.height() * 3 / 5);
    QRect nextBox(area.left(), currentBox.bottom() + 1, area.width(),
                  area.height() - currentBox.height());
    QColor bright = qttheme::textOn(backdropWhite());
    QColor dim = bright;
    dim.setAlphaF(0.6f);
    QPainter painter(this);
    painter.setRenderHint(QPainter::TextAntialiasing);
    auto use = [&](double points, bool bold, const QColor& colour) {
        QFont font = this->font();
        font.setPixelSize(qttheme::pixels(points, s));
        font.setBold(bold);
        painter.setFont(font);
        painter.setPen(colour);
    };
    auto draw = [&](const std::string& line, const QRect& box) {
        painter.drawText(box, Qt::AlignHCenter | Qt::AlignVCenter | Qt::TextWordWrap,
                         QString::fromStdString(line));
    };
    use(std::clamp(height * 0.4, 14.0, 40.0), true, bright);
    // The words sung so far in the yellow that marks what plays.
    if (auto sung = lyrics.sungWords()) {
        int sungChars = int(QString::fromUtf8(sung->data(), qsizetype(sung->size())).size());
        drawSungLine(painter, QString::fromStdString(lyrics.currentLine()), currentBox, sungChars,
                     qttheme::buttonColour());
    } else {
        draw(lyrics.currentLine(), currentBox);
    }
    use(std::clamp(height * 0.26, 12.0, 26.0), false, dim);
    draw(lyrics.nextLine(), nextBox);
}
