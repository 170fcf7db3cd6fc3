#include "backends/qt/QtViewWidgets.h"

#include <QFontMetrics>
#include <QPainter>
#include <QPainterPath>
#include <QStyleOptionButton>
#include <QStylePainter>
#include <algorithm>
#include <cmath>
#include <filesystem>

#include "backends/qt/QtGuard.h"
#include "backends/qt/QtPictures.h"
#include "backends/qt/QtScrollView.h"
#include "backends/qt/QtTexts.h"
#include "platform/Platform.h"
#include "platform/media/UILyricsView.h"
#include "platform/resources/ResourceService.h"
#include "platform/ui/Storyboard.h"
#include "platform/ui/UIClassRegistry.h"

namespace {

int pixels(double points, double scale) {
    return std::max(1, int(std::lround(points * scale)));
}

// The pixel size of a button's bold title: big for small fingers, smaller for a title that
// would otherwise lose its ends. Every size tried loads a font, so the search starts from the
// size that the width at full size calls for.
int titlePixels(const QString& title, QFont bold, double height, int width, double scale) {
    int fontPixels = pixels(std::clamp(height * 0.38, 14.0, 36.0), scale);
    int room = width - pixels(12, scale);
    bold.setBold(true);
    bold.setPixelSize(fontPixels);
    int wide = QFontMetrics(bold).horizontalAdvance(title);
    if (wide <= room)
        return fontPixels;
    if (room > 0)
        fontPixels = std::min(fontPixels - 1, int(double(fontPixels) * room / wide) + 1);
    for (int smallest = pixels(12, scale); fontPixels > smallest; --fontPixels) {
        bold.setPixelSize(fontPixels);
        if (QFontMetrics(bold).horizontalAdvance(title) <= room)
            break;
    }
    return fontPixels;
}

QColor textColourOn(double backdropWhite) {
    return backdropWhite < 0.5 ? QColor(0xf5, 0xf1, 0xe8) : QColor(0x1f, 0x26, 0x33);
}

Qt::Alignment alignmentOf(const std::string& alignment) {
    if (alignment == "center")
        return Qt::AlignHCenter | Qt::AlignVCenter;
    if (alignment == "right")
        return Qt::AlignRight | Qt::AlignVCenter;
    return Qt::AlignLeft | Qt::AlignVCenter;
}

template <typename Peer, typename View>
QWidget* make(const std::shared_ptr<UIView>& view, QWidget* parent) {
    return new Peer(std::static_pointer_cast<View>(view), parent);
}

// Style sheets are costly to apply; most syncs leave them as they were.
void setStyleSheetIfChanged(QWidget& widget, const QString& styleSheet) {
    if (widget.styleSheet() != styleSheet)
        widget.setStyleSheet(styleSheet);
}

}  // namespace

QWidget* makeViewWidget(const std::shared_ptr<UIView>& view, QWidget* parent) {
    QWidget* widget;
    // Most derived first: a custom class of the descriptions is drawn as the platform class it
    // derives from.
    if (dynamic_cast<UIScrollView*>(view.get()))
        widget = make<QtScrollView, UIScrollView>(view, parent);
    else if (dynamic_cast<UITextField*>(view.get()))
        widget = make<QtTextField, UITextField>(view, parent);
    else if (dynamic_cast<UIButton*>(view.get()))
        widget = make<QtButton, UIButton>(view, parent);
    else if (dynamic_cast<UILabel*>(view.get()))
        widget = make<QtLabel, UILabel>(view, parent);
    else if (dynamic_cast<UIProgressView*>(view.get()))
        widget = make<QtProgressBar, UIProgressView>(view, parent);
    else if (dynamic_cast<UIImageView*>(view.get()))
        widget = make<QtImageView, UIImageView>(view, parent);
    else if (dynamic_cast<UILyricsView*>(view.get()))
        widget = make<QtLyricsView, UILyricsView>(view, parent);
    else
        widget = new QtPlainView(view, parent);
    auto* peer = QtViewPeer::peerOf(widget);
    for (const auto& subview : view->subviews())
        makeViewWidget(subview, &peer->childContainer());
    peer->sync();
    return widget;
}

QtPlainView::QtPlainView(std::shared_ptr<UIView> view, QWidget* parent)
    : QWidget(parent), QtViewPeer(std::move(view), *this) {}

QtLabel::QtLabel(std::shared_ptr<UILabel> label, QWidget* parent)
    : QLabel(parent), QtViewPeer(std::move(label), *this) {
    setWordWrap(true);
    setTextFormat(Qt::PlainText);
}

void QtLabel::syncContent() {
    const auto& label = static_cast<const UILabel&>(*view());
    setText(label.textIsName() ? QString::fromStdString(label.text())
                               : qttexts::shown(label.text()));
    setAlignment(alignmentOf(label.alignment()));
    // Down to three fifths of its size, rather than lose its ends; one that fits stays as it is.
    QFont font = this->font();
    int fontPixels = pixels(label.fontSize(), scale());
    int smallest = std::max(pixels(12, scale()), fontPixels * 3 / 5);
    font.setPixelSize(fontPixels);
    while (fontPixels > smallest && !qttexts::fits(text(), font, contentsRect(), wordWrap()))
        font.setPixelSize(--fontPixels);
    setFont(font);
    QPalette palette = this->palette();
    palette.setColor(QPalette::WindowText, textColourOn(backdropWhite()));
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
    QString title = button.textIsName() ? QString::fromStdString(button.title())
                                        : qttexts::shown(button.title());
    int fontPixels = titlePixels(title, font(), height, width(), s);
    setStyleSheetIfChanged(
        *this, QString("QPushButton { background: #f6c945; color: #1f2633; border: %1px solid "
                       "#b8860b; border-radius: %2px; font-weight: bold; font-size: %3px; "
                       "padding: %4px; }"
                       "QPushButton:pressed { background: #e0a800; }"
                       "QPushButton:disabled { background: #c9c9c9; color: #707070; "
                       "border-color: #9a9a9a; }")
                       .arg(pixels(2, s))
                       .arg(pixels(std::min(16.0, height / 3), s))
                       .arg(fontPixels)
                       .arg(pixels(4, s)) +
                   focusRingStyle(pixels(5, s)));
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

int QtButton::borderPixels(bool focused, double scale) {
    return pixels(focused ? 5 : 2, scale);
}

bool QtButton::titleFits() const {
    if (static_cast<const UIButton&>(*view()).imageName().empty() || text().isEmpty())
        return qttexts::fits(*this);
    int inset = borderPixels(showsFocus(), scale());
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
    int inset = borderPixels(showsFocus(), scale());
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
    double radius = std::max(0, pixels(std::min(16.0, button.frame().size.height / 3), s) - inset);
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
    setStyleSheetIfChanged(
        *this, QString("QProgressBar { background: #5b6270; border: none; border-radius: %1px; }"
                       "QProgressBar::chunk { background: #4fb3ff; border-radius: %1px; }")
                   .arg(radius));
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
    setPlaceholderText(qttexts::shown(field.placeholder()));
    setAccessibleName(placeholderText());
    QFont font = this->font();
    font.setPixelSize(pixels(std::max(12.0, field.frame().size.height * 0.5), scale()));
    setFont(font);
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
    QColor bright = textColourOn(backdropWhite());
    QColor dim = bright;
    dim.setAlphaF(0.6f);
    QPainter painter(this);
    painter.setRenderHint(QPainter::TextAntialiasing);
    auto draw = [&](const std::string& line, const QRect& box, double points, bool bold,
                    const QColor& colour) {
        QFont font = this->font();
        font.setPixelSize(pixels(points, s));
        font.setBold(bold);
        painter.setFont(font);
        painter.setPen(colour);
        painter.drawText(box, Qt::AlignHCenter | Qt::AlignVCenter | Qt::TextWordWrap,
                         QString::fromStdString(line));
    };
    draw(lyrics.currentLine(), currentBox, std::clamp(height * 0.4, 14.0, 40.0), true, bright);
    draw(lyrics.nextLine(), nextBox, std::clamp(height * 0.26, 12.0, 26.0), false, dim);
}

std::vector<std::string> cutOffTexts(const QWidget& root) {
    std::vector<std::string> cut;
    for (const QWidget* widget : root.findChildren<const QWidget*>()) {
        auto* label = qobject_cast<const QLabel*>(widget);
        auto* button = qobject_cast<const QAbstractButton*>(widget);
        if (!widget->isVisible() || (!label && !button))
            continue;
        auto* pictured = dynamic_cast<const QtButton*>(widget);
        bool whole = pictured ? pictured->titleFits()
                     : label  ? qttexts::fits(*label)
                              : qttexts::fits(*button);
        if (!whole)
            cut.push_back(std::string(widget->metaObject()->className()) + " \"" +
                          (label ? label->text() : button->text()).toStdString() + "\"");
    }
    return cut;
}

void prepareScreen(const ViewDescription& view, const QFont& font, double scale, qreal ratio) {
    auto prototype = UIClassRegistry::shared().makeView(view.className);
    QRect frame = QtViewPeer::scaled(view.frame, scale);
    if (dynamic_cast<UIButton*>(prototype.get())) {
        titlePixels(QString::fromStdString(view.text), font, view.frame.size.height, frame.width(),
                    scale);
        int inset = QtButton::borderPixels(false, scale);
        QSize box = frame.adjusted(inset, inset, -inset, -inset).size();
        if (!view.image.empty())
            QtPictures::picture(view.image, box * ratio, QtPictures::Fit::fill);
    } else if (dynamic_cast<UIImageView*>(prototype.get()) && !view.image.empty()) {
        QtPictures::picture(view.image, frame.size() * ratio, QtPictures::Fit::letterbox);
    }
    for (const auto& subview : view.subviews)
        prepareScreen(subview, font, scale, ratio);
}
