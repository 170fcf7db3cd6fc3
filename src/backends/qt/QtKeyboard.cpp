#include "backends/qt/QtKeyboard.h"

#include <QKeyEvent>
#include <QStyle>
#include <algorithm>
#include <limits>
#include <vector>

namespace {

bool focusable(const QWidget& widget, const QWidget& within) {
    return (widget.focusPolicy() & Qt::TabFocus) && widget.isEnabled() &&
           widget.isVisibleTo(&within) && qobject_cast<const QAbstractButton*>(&widget);
}

std::vector<QWidget*> buttonsInReadingOrder(QWidget& screen) {
    std::vector<QWidget*> buttons;
    for (QWidget* child : screen.findChildren<QWidget*>()) {
        if (focusable(*child, screen))
            buttons.push_back(child);
    }
    auto at = [&screen](QWidget* widget) { return widget->mapTo(&screen, QPoint(0, 0)); };
    std::stable_sort(buttons.begin(), buttons.end(), [&](QWidget* a, QWidget* b) {
        QPoint pa = at(a), pb = at(b);
        return pa.y() != pb.y() ? pa.y() < pb.y() : pa.x() < pb.x();
    });
    return buttons;
}

}  // namespace

QtKeyButton::QtKeyButton(QWidget* parent) : QPushButton(parent) {
    setFocusPolicy(Qt::TabFocus);
}

void QtKeyButton::setShowsFocus(bool shows) {
    if (showsFocus() == shows)
        return;
    setProperty(kShowsFocus, shows);
    // Style sheets read properties when they polish a widget.
    style()->unpolish(this);
    style()->polish(this);
    update();
}

void QtKeyButton::focusInEvent(QFocusEvent* event) {
    QPushButton::focusInEvent(event);
    setShowsFocus(event->reason() == Qt::TabFocusReason ||
                  event->reason() == Qt::BacktabFocusReason);
}

void QtKeyButton::focusOutEvent(QFocusEvent* event) {
    QPushButton::focusOutEvent(event);
    setShowsFocus(false);
}

void QtKeyButton::keyPressEvent(QKeyEvent* event) {
    bool acting = event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter ||
                  event->key() == Qt::Key_Space ||
                  (event->key() >= Qt::Key_Left && event->key() <= Qt::Key_Down);
    if (acting && !showsFocus()) {
        setShowsFocus(true);
        return;
    }
    switch (event->key()) {
        case Qt::Key_Return:
        case Qt::Key_Enter:
            if (!event->isAutoRepeat())
                click();
            return;
        case Qt::Key_Left:
        case Qt::Key_Right:
        case Qt::Key_Up:
        case Qt::Key_Down:
            if (!moveFocusByArrow(*this, event->key()))
                event->ignore();
            return;
        default:
            QPushButton::keyPressEvent(event);
    }
}

void orderTabsByReading(QWidget& screen) {
    auto buttons = buttonsInReadingOrder(screen);
    for (std::size_t i = 1; i < buttons.size(); ++i)
        QWidget::setTabOrder(buttons[i - 1], buttons[i]);
}

QWidget* firstFocusableButton(QWidget& screen) {
    auto buttons = buttonsInReadingOrder(screen);
    return buttons.empty() ? nullptr : buttons.front();
}

bool moveFocusByArrow(QWidget& from, int key) {
    QWidget* window = from.window();
    QPointF origin = from.mapTo(window, from.rect().center());
    QPointF direction = key == Qt::Key_Left    ? QPointF(-1, 0)
                        : key == Qt::Key_Right ? QPointF(1, 0)
                        : key == Qt::Key_Up    ? QPointF(0, -1)
                                               : QPointF(0, 1);
    // The nearest button ahead, where straying sideways counts double: Down from the left
    // column of a grid stays in that column.
    QWidget* best = nullptr;
    double bestScore = std::numeric_limits<double>::max();
    for (QWidget* candidate : window->findChildren<QWidget*>()) {
        if (candidate == &from || !focusable(*candidate, *window))
            continue;
        QPointF offset = candidate->mapTo(window, candidate->rect().center()) - origin;
        double ahead = QPointF::dotProduct(offset, direction);
        double aside = std::abs(offset.x() * direction.y() - offset.y() * direction.x());
        if (ahead <= 0)
            continue;
        double score = ahead + 2 * aside;
        if (score < bestScore) {
            bestScore = score;
            best = candidate;
        }
    }
    if (best)
        best->setFocus(Qt::TabFocusReason);
    return best != nullptr;
}
