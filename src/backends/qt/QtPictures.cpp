#include "backends/qt/QtPictures.h"

#include <QCache>
#include <QFileInfo>
#include <QFontMetrics>
#include <QImageReader>
#include <QPainter>
#include <QPainterPath>
#include <algorithm>
#include <cmath>
#include <memory>
#include <set>

#include "backends/qt/QtTheme.h"
#include "platform/foundation/DebugLog.h"
#include "platform/foundation/NSBundle.h"

namespace QtPictures {

namespace {

// Enough for every picture of two screens at full-screen size; the oldest go first.
constexpr qint64 kCacheKilobytes = 48 * 1024;

struct Folders {
    std::string interface;
    std::unique_ptr<NSBundle> bundle;
};

Folders& folders() {
    static Folders where;
    return where;
}

QString findPicture(const std::string& name) {
    const Folders& where = folders();
    if (!where.interface.empty()) {
        QString inInterface = QString::fromStdString(where.interface + "/" + name);
        if (QFileInfo(inInterface).isFile())
            return inInterface;
    }
    if (where.bundle) {
        if (auto path = where.bundle->pathForResource(name, ""))
            return QString::fromStdString(*path);
    }
    return {};
}

Qt::AspectRatioMode aspectOf(Fit fit) {
    return fit == Fit::fill ? Qt::KeepAspectRatioByExpanding : Qt::KeepAspectRatio;
}

// Where a picture of `scaled` size goes on a canvas of `canvas` size: centred.
QPoint centred(QSize canvas, QSize scaled) {
    return QPoint((canvas.width() - scaled.width()) / 2, (canvas.height() - scaled.height()) / 2);
}

// SVG too, through Qt's image plugin, rendered at the size asked for; the plugin is loaded
// with the first picture, not at start-up.
QImage decode(const QString& path, QSize box, Fit fit) {
    QImageReader reader(path);
    reader.setAutoTransform(true);
    QSize natural = reader.size();
    if (natural.isEmpty())
        return {};
    QSize scaled = natural.scaled(box, aspectOf(fit));
    reader.setScaledSize(scaled);
    if (fit == Fit::fill)
        reader.setScaledClipRect(QRect(-centred(box, scaled), box));
    return reader.read().convertToFormat(QImage::Format_ARGB32_Premultiplied);
}

}  // namespace

void setFolders(const std::string& interfaceDirectory, const std::string& bundleDirectory) {
    folders().interface = interfaceDirectory;
    folders().bundle =
        bundleDirectory.empty() ? nullptr : std::make_unique<NSBundle>(bundleDirectory);
}

QImage picture(const std::string& name, QSize size, Fit fit) {
    static QCache<QString, QImage> cache(kCacheKilobytes);
    static std::set<std::string> reported;
    if (name.empty() || size.isEmpty())
        return {};
    QString key = QString("%1|%2x%3|%4")
                      .arg(QString::fromStdString(name))
                      .arg(size.width())
                      .arg(size.height())
                      .arg(int(fit));
    if (QImage* kept = cache.object(key))
        return *kept;
    QString path = findPicture(name);
    QImage image = path.isEmpty() ? QImage() : decode(path, size, fit);
    if (image.isNull()) {
        if (reported.insert(name).second)
            print("Could not show image " + name + "; the title stands in for it");
        return {};
    }
    cache.insert(key, new QImage(image), std::max<qint64>(1, image.sizeInBytes() / 1024));
    return image;
}

namespace {

struct Caption {
    QFont font;
    QRect band;  // the dark band along the bottom
    QRect room;  // the title's, inside the band
    bool whole;  // whether the title shows whole in it
};

Caption captionIn(const QRect& box, const QString& title, double scale, QFont font) {
    int margin = int(std::lround(8 * scale));
    int textWidth = std::max(1, box.width() - 2 * margin);
    font.setBold(true);
    int pixels = int(std::lround(std::clamp(box.height() * 0.12, 14 * scale, 26 * scale)));
    QRect needed;
    // A long title gets a smaller font rather than a third line or a word cut off.
    for (;; --pixels) {
        font.setPixelSize(std::max(1, pixels));
        needed = QFontMetrics(font).boundingRect(QRect(0, 0, textWidth, box.height()),
                                                 Qt::TextWordWrap | Qt::AlignHCenter, title);
        if (pixels <= 10 * scale || (needed.height() <= 2 * QFontMetrics(font).lineSpacing() &&
                                     needed.width() <= textWidth))
            break;
    }
    int pad = int(std::lround(4 * scale));
    int bandHeight = std::min(box.height() / 2, needed.height() + 2 * pad);
    QRect band(box.left(), box.bottom() + 1 - bandHeight, box.width(), bandHeight);
    QRect room = band.adjusted(margin, pad, -margin, -pad);
    return {font, band, room, needed.width() <= room.width() && needed.height() <= room.height()};
}

}  // namespace

void drawCaption(QPainter& painter, const QRect& box, const QString& title, double scale) {
    if (title.isEmpty())
        return;
    Caption caption = captionIn(box, title, scale, painter.font());
    painter.fillRect(caption.band, QColor(20, 24, 32, 205));
    painter.setFont(caption.font);
    painter.setPen(qttheme::textOn(0));
    painter.drawText(caption.room, Qt::AlignCenter | Qt::TextWordWrap, title);
}

bool captionFits(const QRect& box, const QString& title, double scale, const QFont& font) {
    return title.isEmpty() || captionIn(box, title, scale, font).whole;
}

QString path(const std::string& name) {
    return findPicture(name);
}

QColor playingMarkColour() {
    return qttheme::buttonColour();
}

void drawPlayingMark(QPainter& painter, const QRect& box, double scale) {
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing);
    QColor ink(0x1f, 0x26, 0x33);
    // A band inside the border, so that it never reads as the blue focus ring outside it.
    double band = 6 * scale;
    painter.setPen(QPen(playingMarkColour(), band));
    painter.setBrush(Qt::NoBrush);
    painter.drawRect(QRectF(box).adjusted(band / 2, band / 2, -band / 2, -band / 2));
    double radius = std::clamp(box.height() * 0.15, 12 * scale, 36 * scale);
    double margin = 8 * scale + band;
    QPointF centre(box.left() + margin + radius, box.top() + margin + radius);
    painter.setPen(QPen(ink, std::max(1.0, radius * 0.08)));
    painter.setBrush(playingMarkColour());
    painter.drawEllipse(centre, radius, radius);
    double unit = radius * 0.5;
    QPainterPath play;
    play.moveTo(centre + QPointF(-unit * 0.7, -unit));
    play.lineTo(centre + QPointF(unit, 0));
    play.lineTo(centre + QPointF(-unit * 0.7, unit));
    play.closeSubpath();
    painter.setPen(Qt::NoPen);
    painter.setBrush(ink);
    painter.drawPath(play);
    painter.restore();
}

void drawDownloadMark(QPainter& painter, const QRect& box, double scale) {
    double radius = std::clamp(box.height() * 0.15, 12 * scale, 36 * scale);
    double margin = 8 * scale;
    QPointF centre(box.right() - margin - radius, box.top() + margin + radius);
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing);
    QColor ink(0x1f, 0x26, 0x33);
    painter.setPen(QPen(ink, std::max(1.0, radius * 0.08)));
    painter.setBrush(QColor(255, 255, 255, 235));
    painter.drawEllipse(centre, radius, radius);
    // An arrow down onto a tray: "this comes when it has downloaded".
    double unit = radius * 0.42;
    QPainterPath arrow;
    arrow.moveTo(centre + QPointF(0, -unit));
    arrow.lineTo(centre + QPointF(0, unit * 0.7));
    arrow.moveTo(centre + QPointF(-unit * 0.6, unit * 0.1));
    arrow.lineTo(centre + QPointF(0, unit * 0.7));
    arrow.lineTo(centre + QPointF(unit * 0.6, unit * 0.1));
    arrow.moveTo(centre + QPointF(-unit, unit * 1.2));
    arrow.lineTo(centre + QPointF(unit, unit * 1.2));
    painter.setPen(
        QPen(ink, std::max(1.5, radius * 0.16), Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    painter.setBrush(Qt::NoBrush);
    painter.drawPath(arrow);
    painter.restore();
}

}  // namespace QtPictures
