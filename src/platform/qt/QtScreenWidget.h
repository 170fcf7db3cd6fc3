#pragma once

#include <QWidget>
#include <memory>

class UIView;

// One screen of the interface descriptions on the stage: the widgets of its
// view tree, laid out in points and scaled to the screen widget's size, which
// keeps the stage's 1024 by 768 points.
class QtScreenWidget : public QWidget {
public:
    static constexpr double kStageWidth = 1024.0;
    static constexpr double kStageHeight = 768.0;
    // What shows where no view paints a background.
    static constexpr double kStageWhite = 1.0;

    QtScreenWidget(const std::shared_ptr<UIView>& rootView, QWidget* parent);

    double scale() const { return width() / kStageWidth; }

protected:
    void resizeEvent(QResizeEvent* event) override;

private:
    QWidget* root_;
};
