#include "backends/qt/QtReviewNotice.h"

#include <QLabel>
#include <QPushButton>
#include <algorithm>
#include <cmath>

#include "backends/qt/QtKeyboard.h"
#include "backends/qt/QtTheme.h"

QtReviewNotice::QtReviewNotice(QWidget* stage) : QFrame(stage) {
    setObjectName("reviewNotice");
    label_ = new QLabel(qtTrId(kText), this);
    close_ = new QtKeyButton(this);
    close_->setText(QString::fromUtf8("\u00d7"));
    close_->setObjectName("closeReviewNotice");
    close_->setAccessibleName(qtTrId("Close"));
    close_->setCursor(Qt::PointingHandCursor);
    connect(close_, &QPushButton::clicked, this, [this] {
        hide();
        deleteLater();
    });
}

void QtReviewNotice::layoutOnStage(double scale) {
    auto px = [scale](double points) { return qttheme::pixels(points, scale); };
    setStyleSheet(qttheme::noticeStyle(scale));
    QSize size(px(420), px(64));
    QWidget* stage = parentWidget();
    setGeometry((stage->width() - size.width()) / 2, stage->height() - size.height() - px(16),
                size.width(), size.height());
    int margin = px(16);
    int closeSide = px(48);
    label_->setGeometry(margin, 0, width() - 2 * margin - closeSide, height());
    close_->setGeometry(width() - closeSide - px(8), (height() - closeSide) / 2, closeSide,
                        closeSide);
}
