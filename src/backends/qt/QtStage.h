#pragma once

#include <QVariant>
#include <QWidget>

// The stage every screen is laid out on: 1024 by 768 points, scaled to the screen widget's
// width. Views find their scale through it without knowing the screen widget itself.
namespace QtStage {

constexpr double kWidth = 1024.0;
constexpr double kHeight = 768.0;
// What shows where no view paints a background.
constexpr double kWhite = 1.0;
// The property that marks a screen widget, the top of a tree of view widgets.
constexpr const char* kScreenProperty = "larkspireStageScreen";

// Pixels per point of the screen widget that holds `widget`; 1 outside one.
inline double scaleAt(const QWidget* widget) {
    for (const QWidget* w = widget; w; w = w->parentWidget()) {
        if (w->property(kScreenProperty).toBool())
            return w->width() / kWidth;
    }
    return 1.0;
}

}  // namespace QtStage
