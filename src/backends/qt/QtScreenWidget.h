#pragma once

#include <QWidget>
#include <memory>

class UIView;

// One screen of the interface descriptions on the stage: the widgets of its
// view tree, laid out in points and scaled to the screen widget's size, which
// keeps the stage's 1024 by 768 points.
class QtScreenWidget : public QWidget {
public:
    QtScreenWidget(const std::shared_ptr<UIView>& rootView, QWidget* parent);

protected:
    void resizeEvent(QResizeEvent* event) override;

private:
    QWidget* root_;
};
