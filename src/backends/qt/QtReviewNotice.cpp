#include "backends/qt/QtReviewNotice.h"

#include <QLabel>
#include <QPushButton>
#include <algorithm>
#include <cmath>

#include "backends/qt/QtKeyboard.h"

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
    auto px = [scale](double points) { return std::max(1, int(std::lround(points * scale))); };
    setStyleSheet(QString("QFrame#reviewNotice { background: #fbfaf7; border: %1px solid #b8860b; "
                          "border-radius: %2px; }"
                          "QLabel { color: #1f2633; font-size: %3px; }"
                          "QPushButton { background: transparent; border: none; color: #1f2633; "
                          "font-size: %4px; font-weight: bold; }")
                      .arg(px(2))
                      .arg(px(14))
                      .arg(px(20))
                      .arg(px(30)) +
                  focusRingStyle(px(3)));
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
