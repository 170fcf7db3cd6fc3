#include "platform/qt/QtScreenWidget.h"

#include "platform/qt/QtKeyboard.h"
#include "platform/qt/QtViewPeer.h"
#include "platform/qt/QtViewWidgets.h"

QtScreenWidget::QtScreenWidget(const std::shared_ptr<UIView>& rootView, QWidget* parent)
    : QWidget(parent) {
    setAutoFillBackground(true);
    QPalette stage = palette();
    stage.setColor(QPalette::Window, QColor::fromRgbF(kStageWhite, kStageWhite, kStageWhite));
    setPalette(stage);
    // Built at the stage's size when it has one, so the views are laid out (and their titles
    // fitted) once, at the scale they are shown at.
    QSize full{int(kStageWidth), int(kStageHeight)};
    resize(parent && !parent->size().isEmpty() ? parent->size() : full);
    root_ = makeViewWidget(rootView, this);
    orderTabsByReading(*this);
}

void QtScreenWidget::resizeEvent(QResizeEvent*) {
    QtViewPeer::syncTree(*root_);
}
