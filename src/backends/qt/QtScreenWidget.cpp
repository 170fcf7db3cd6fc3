#include "backends/qt/QtScreenWidget.h"

#include "backends/qt/QtKeyboard.h"
#include "backends/qt/QtStage.h"
#include "backends/qt/QtViewFactory.h"
#include "backends/qt/QtViewPeer.h"

QtScreenWidget::QtScreenWidget(const std::shared_ptr<UIView>& rootView, QWidget* parent)
    : QWidget(parent) {
    setProperty(QtStage::kScreenProperty, true);
    setAutoFillBackground(true);
    QPalette stage = palette();
    stage.setColor(QPalette::Window,
                   QColor::fromRgbF(QtStage::kWhite, QtStage::kWhite, QtStage::kWhite));
    setPalette(stage);
    // Built at the stage's size when it has one, so the views are laid out (and their titles
    // fitted) once, at the scale they are shown at.
    QSize full{int(QtStage::kWidth), int(QtStage::kHeight)};
    resize(parent && !parent->size().isEmpty() ? parent->size() : full);
    root_ = makeViewWidget(rootView, this);
    orderTabsByReading(*this);
}

void QtScreenWidget::resizeEvent(QResizeEvent*) {
    QtViewPeer::syncTree(*root_);
}
