#pragma once

#include <QFrame>

class QLabel;
class QPushButton;

// The desktop's stand-in for a store's review prompt: a small notice at the
// foot of the stage that the reader closes. It asks nothing and reports nothing.
class QtReviewNotice : public QFrame {
public:
    static constexpr const char* kText = QT_TRID_NOOP("Enjoying the story? Rate it");

    explicit QtReviewNotice(QWidget* stage);

    // Places and sizes the notice for the stage's scale.
    void layoutOnStage(double scale);

private:
    QLabel* label_;
    QPushButton* close_;
};
