#include "backends/qt/QtWindow.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QPainter>
#include <QScreen>
#include <QTimer>
#include <QWindow>
#include <algorithm>
#include <cmath>

#include "backends/qt/QtAlertDialog.h"
#include "backends/qt/QtKeyboard.h"
#include "backends/qt/QtPlayerScreen.h"
#include "backends/qt/QtReviewNotice.h"
#include "backends/qt/QtScreenWidget.h"
#include "backends/qt/QtStage.h"
#include "backends/qt/QtViewPeer.h"
#include "backends/qt/QtViewWidgets.h"
#include "platform/media/AVPlayer.h"
#include "platform/ui/UIAlertController.h"
#include "platform/ui/UIView.h"

namespace {

// Calls back after the first paint of a widget, once that paint has reached the window. The
// widget itself may get no paint at all when its children cover it, so every one is watched.
class PaintWatcher : public QObject {
public:
    PaintWatcher(QWidget* widget, std::function<void()> painted)
        : QObject(widget), painted_(std::move(painted)) {
        widget->installEventFilter(this);
        for (QWidget* child : widget->findChildren<QWidget*>())
            child->installEventFilter(this);
    }

    bool eventFilter(QObject*, QEvent* event) override {
        if (event->type() == QEvent::Paint && painted_) {
            QTimer::singleShot(0, QCoreApplication::instance(), std::move(painted_));
            painted_ = nullptr;
            deleteLater();
        }
        return false;
    }

private:
    std::function<void()> painted_;
};

}  // namespace

QtAlertDialog* QtWindow::Layer::dialog() const {
    return dynamic_cast<QtAlertDialog*>(widget.data());
}

QtWindow::QtWindow() : stage_(new QWidget(this)), dimmer_(new QWidget(stage_)) {
    dimmer_->setAutoFillBackground(true);
    QPalette dim = dimmer_->palette();
    dim.setColor(QPalette::Window, QColor(0, 0, 0, 110));
    dimmer_->setPalette(dim);
    dimmer_->hide();
    setWindowTitle("Larkspire");
    setAutoFillBackground(true);
    QPalette letterbox = palette();
    letterbox.setColor(QPalette::Window, Qt::black);
    setPalette(letterbox);
    setMinimumSize(int(QtStage::kWidth / 4), int(QtStage::kHeight / 4));
    QSize size(int(QtStage::kWidth), int(QtStage::kHeight));
    if (QScreen* screen = QGuiApplication::primaryScreen()) {
        // The stage's size in points, shrunk to fit a smaller screen.
        QSize available = screen->availableSize() * 0.9;
        if (size.width() > available.width() || size.height() > available.height())
            size = size.scaled(available, Qt::KeepAspectRatio);
    }
    resize(size);
    layoutStage();
}

QtWindow::~QtWindow() = default;

double QtWindow::scale() const {
    return stage_->width() / QtStage::kWidth;
}

void QtWindow::layoutStage() {
    double s = std::min(width() / QtStage::kWidth, height() / QtStage::kHeight);
    int stageWidth = int(std::lround(QtStage::kWidth * s));
    int stageHeight = int(std::lround(QtStage::kHeight * s));
    stage_->setGeometry((width() - stageWidth) / 2, (height() - stageHeight) / 2, stageWidth,
                        stageHeight);
    for (auto& layer : layers_) {
        if (layer.widget && !layer.dialog())
            layer.widget->setGeometry(stage_->rect());
    }
    dimmer_->setGeometry(stage_->rect());
    if (notice_)
        notice_->layoutOnStage(s);
}

void QtWindow::resizeEvent(QResizeEvent*) {
    layoutStage();
}

void QtWindow::changeEvent(QEvent* event) {
    // Another language: every screen shows its texts anew, without waiting for a change of its own.
    if (event->type() == QEvent::LanguageChange || event->type() == QEvent::LayoutDirectionChange)
        QtViewPeer::syncTree(*this);
    QWidget::changeEvent(event);
}

void QtWindow::keyPressEvent(QKeyEvent* event) {
    QWidget* top = topStageWidget();
    bool arrow = event->key() >= Qt::Key_Left && event->key() <= Qt::Key_Down;
    if (mediaKeys_ && mediaKeys_(event->key())) {
        return;
    } else if (event->key() == Qt::Key_F11) {
        setWindowState(windowState() ^ Qt::WindowFullScreen);
    } else if (event->key() == Qt::Key_Escape) {
        if (!goBack() && isFullScreen())
            showNormal();
    } else if (arrow && top && firstFocusableButton(*top)) {
        // Nothing has the focus yet: the arrows start at the first button.
        firstFocusableButton(*top)->setFocus(Qt::TabFocusReason);
    } else {
        QWidget::keyPressEvent(event);
    }
}

void QtWindow::closeEvent(QCloseEvent* event) {
    if (closing_)
        closing_();
    QWidget::closeEvent(event);
}

bool QtWindow::goBack() {
    QAbstractButton* back = nullptr;
    if (QtPlayerScreen* player = playerScreen()) {
        back = player->doneButton();
    } else if (QWidget* top = topStageWidget()) {
        // The button whose navigation the interface description made "back".
        for (auto* button : top->findChildren<QAbstractButton*>()) {
            auto* peer = QtViewPeer::peerOf(button);
            auto* view = peer ? dynamic_cast<const UIButton*>(peer->view().get()) : nullptr;
            if (view && view->role() == UIButton::Role::back && button->isVisibleTo(top) &&
                button->isEnabled())
                back = button;
        }
    }
    if (back)
        back->click();
    return back != nullptr;
}

void QtWindow::keepKeyboardFocus(bool hadFocus) {
    // Someone using the keyboard keeps a focused button when the screen changes.
    QWidget* top = topStageWidget();
    if (!hadFocus || !top)
        return;
    if (QWidget* first = firstFocusableButton(*top))
        first->setFocus(Qt::TabFocusReason);
}

bool QtWindow::focusOnStage() const {
    auto* focused = dynamic_cast<QtKeyButton*>(focusWidget());
    return focused && stage_->isAncestorOf(focused) && focused->showsFocus();
}

void QtWindow::setRoot(const std::shared_ptr<UIViewController>& root) {
    for (auto& layer : layers_)
        close(layer);
    layers_.clear();
    if (root)
        present(root);
}

void QtWindow::present(const std::shared_ptr<UIViewController>& controller) {
    bool hadFocus = focusOnStage();
    QWidget* widget;
    if (auto alert = std::dynamic_pointer_cast<UIAlertController>(controller)) {
        widget = new QtAlertDialog(alert, this, scale());
    } else {
        if (auto player = std::dynamic_pointer_cast<AVPlayerViewController>(controller))
            widget = new QtPlayerScreen(player, stage_);
        else
            widget = new QtScreenWidget(controller->view(), stage_);
        widget->setGeometry(stage_->rect());
        widget->raise();
        if (notice_)
            notice_->raise();
    }
    layers_.push_back({controller, widget});
    markDownloads(*widget);
    updateVisibility();
    widget->show();
    if (!dynamic_cast<QtAlertDialog*>(widget))
        keepKeyboardFocus(hadFocus);
}

void QtWindow::setDownloadMarks(std::function<bool(const std::string& tag)> awaitsDownload) {
    awaitsDownload_ = std::move(awaitsDownload);
    markDownloads(*stage_);
}

void QtWindow::markDownloads(QWidget& widget) {
    if (!awaitsDownload_)
        return;
    // QtButton has no meta-object of its own, so it is told apart by its C++ type.
    for (auto* child : widget.findChildren<QWidget*>()) {
        if (auto* button = dynamic_cast<QtButton*>(child)) {
            const std::string& tag = static_cast<const UIButton&>(*button->view()).downloadTag();
            button->setAwaitsDownload(!tag.empty() && awaitsDownload_(tag));
        }
    }
}

void QtWindow::dismiss(const UIViewController& controller) {
    auto found = std::find_if(layers_.begin(), layers_.end(), [&](const Layer& layer) {
        return layer.controller.get() == &controller;
    });
    if (found == layers_.end())
        return;
    // The controller goes with its layer; keep it until the widget is closed.
    bool hadFocus = focusOnStage();
    Layer layer = *found;
    layers_.erase(found);
    close(layer);
    updateVisibility();
    if (!layer.dialog())
        keepKeyboardFocus(hadFocus);
}

void QtWindow::close(Layer& layer) {
    if (!layer.widget)
        return;
    if (auto* dialog = layer.dialog()) {
        dialog->closeFromPlatform();
    } else {
        // Deleted later: the close may come from a click inside this very widget.
        layer.widget->hide();
        layer.widget->deleteLater();
    }
}

void QtWindow::updateVisibility() {
    std::size_t firstShown = 0;
    for (std::size_t i = 0; i < layers_.size(); ++i) {
        if (layers_[i].controller->coversPresenter())
            firstShown = i;
    }
    bool alertUp = false;
    for (std::size_t i = 0; i < layers_.size(); ++i) {
        if (layers_[i].widget && !layers_[i].dialog())
            layers_[i].widget->setVisible(i >= firstShown);
        alertUp |= layers_[i].dialog() != nullptr;
    }
    dimmer_->setVisible(alertUp);
    if (alertUp)
        dimmer_->raise();
}

QWidget* QtWindow::topStageWidget() const {
    for (auto it = layers_.rbegin(); it != layers_.rend(); ++it) {
        if (it->widget && !it->dialog())
            return it->widget;
    }
    return nullptr;
}

QtPlayerScreen* QtWindow::playerScreen() const {
    return dynamic_cast<QtPlayerScreen*>(topStageWidget());
}

QtAlertDialog* QtWindow::alertDialog() const {
    for (auto it = layers_.rbegin(); it != layers_.rend(); ++it) {
        if (auto* dialog = it->dialog())
            return dialog;
    }
    return nullptr;
}

void QtWindow::showReviewNotice() {
    if (notice_)
        return;
    notice_ = new QtReviewNotice(stage_);
    notice_->layoutOnStage(scale());
    notice_->show();
    notice_->raise();
}

void QtWindow::showAndPaint() {
    show();
    // The window system maps the window in its own time; wait (briefly) until it can show paint.
    QElapsedTimer waited;
    waited.start();
    while (windowHandle() && !windowHandle()->isExposed() && waited.elapsed() < 2000)
        QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents, 20);
    repaint();
    QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
}

void QtWindow::whenTopPainted(std::function<void()> painted) {
    QWidget* top = topStageWidget();
    if (!top) {
        QTimer::singleShot(0, QCoreApplication::instance(), std::move(painted));
        return;
    }
    new PaintWatcher(top, std::move(painted));
    top->update();
}

QImage QtWindow::screenshot() {
    QImage image = grab().toImage();
    QPainter painter(&image);
    // A dialog shows centred on the window (QtAlertDialog places it so). Drawn there rather than
    // where the platform says it is: on Wayland the compositor places windows, and a client
    // only ever learns that each one is at 0,0.
    for (const auto& layer : layers_) {
        auto* dialog = layer.dialog();
        if (dialog && dialog->isVisible())
            painter.drawImage(rect().center() - dialog->rect().center(), dialog->grab().toImage());
    }
    return image;
}
