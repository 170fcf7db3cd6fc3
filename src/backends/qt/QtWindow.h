#pragma once

#include <QImage>
#include <QPointer>
#include <QWidget>
#include <functional>
#include <memory>
#include <vector>

#include "backends/qt/QtReviewNotice.h"

class QtAlertDialog;
class QtPlayerScreen;

class UIViewController;

// The application's window: a stage of 1024 by 768 points, scaled to fit the
// window with its aspect kept, holding the screens in presentation order (a
// screen that covers hides those below it) and the review notice. Alerts are
// modal dialogs over the window. F11 toggles full screen. Escape closes the
// player or goes back, where the screen has a back button.
class QtWindow : public QWidget {
public:
    QtWindow();
    ~QtWindow() override;

    double scale() const;
    QWidget* stage() const { return stage_; }

    void setRoot(const std::shared_ptr<UIViewController>& root);
    void present(const std::shared_ptr<UIViewController>& controller);
    void dismiss(const UIViewController& controller);

    // The screen or player screen on top of the stage, and the open alert, if any.
    QWidget* topStageWidget() const;
    QtPlayerScreen* playerScreen() const;
    QtAlertDialog* alertDialog() const;
    QtReviewNotice* reviewNotice() const { return notice_; }
    void showReviewNotice();
    // Which on-demand packs are still to come: the buttons that play from one carry a mark.
    // Set again whenever a pack's state changes.
    void setDownloadMarks(std::function<bool(const std::string& tag)> awaitsDownload);

    // Shows the window and paints it now; the launch screen must be up before
    // start-up blocks the main thread.
    void showAndPaint();
    // Runs `painted` on the main queue once the top of the stage has been painted.
    void whenTopPainted(std::function<void()> painted);
    // The window as the reader sees it, with its open alert.
    QImage screenshot();
    // The keyboard's media keys go here first; true when the key did something.
    void setMediaKeyHandler(std::function<bool(int key)> handler) {
        mediaKeys_ = std::move(handler);
    }
    // Runs as the window closes, while it still has its place on the screen.
    void setCloseHandler(std::function<void()> handler) { closing_ = std::move(handler); }

protected:
    void resizeEvent(QResizeEvent* event) override;
    void changeEvent(QEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    struct Layer {
        std::shared_ptr<UIViewController> controller;
        QPointer<QWidget> widget;
        QtAlertDialog* dialog() const;
    };
    void layoutStage();
    // Escape: the player's Done, else the top screen's back button; false when neither.
    bool goBack();
    bool focusOnStage() const;
    void keepKeyboardFocus(bool hadFocus);
    void updateVisibility();
    void close(Layer& layer);
    void markDownloads(QWidget& widget);

    QWidget* stage_;
    // Darkens the screens while an alert asks something.
    QWidget* dimmer_;
    std::vector<Layer> layers_;
    QPointer<QtReviewNotice> notice_;
    std::function<bool(const std::string& tag)> awaitsDownload_;
    std::function<bool(int key)> mediaKeys_;
    std::function<void()> closing_;
};
