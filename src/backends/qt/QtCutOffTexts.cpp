#include "backends/qt/QtCutOffTexts.h"

#include <QAbstractButton>
#include <QLabel>

#include "backends/qt/QtTexts.h"
#include "backends/qt/QtViewWidgets.h"

namespace qttexts {

std::vector<std::string> cutOffTexts(const QWidget& root) {
    std::vector<std::string> cut;
    for (const QWidget* widget : root.findChildren<const QWidget*>()) {
        auto* label = qobject_cast<const QLabel*>(widget);
        auto* button = qobject_cast<const QAbstractButton*>(widget);
        if (!widget->isVisible() || (!label && !button))
            continue;
        auto* pictured = dynamic_cast<const QtButton*>(widget);
        bool whole = pictured ? pictured->titleFits() : label ? fits(*label) : fits(*button);
        if (!whole)
            cut.push_back(std::string(widget->metaObject()->className()) + " \"" +
                          (label ? label->text() : button->text()).toStdString() + "\"");
    }
    return cut;
}

}  // namespace qttexts
