#pragma once

#include <QPushButton>
#include <QString>

// Keyboard use of the stage. Buttons take focus by keyboard only (Tab and the
// arrow keys; a click or a tap does not leave a ring behind), show a ring in
// the stage's blue while focused so, and are pressed by Enter as well as
// Space. The focus a window gives its first button when it becomes active
// shows no ring: the first key only brings the ring up, it presses nothing
// unseen.
class QtKeyButton : public QPushButton {
public:
    explicit QtKeyButton(QWidget* parent);
    // Whether the button has the focus and shows the ring.
    bool showsFocus() const { return property(kShowsFocus).toBool(); }
    void setShowsFocus(bool shows);

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void focusInEvent(QFocusEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;

private:
    static constexpr const char* kShowsFocus = "showsFocus";
};

// Chains the focusable buttons below `screen` in reading order: by rows from
// the top, left to right within a row.
void orderTabsByReading(QWidget& screen);
// The first button of `screen` in reading order, if any.
QWidget* firstFocusableButton(QWidget& screen);
// Moves the focus from `from` to the nearest shown button in the direction of
// an arrow key; false when there is none that way.
bool moveFocusByArrow(QWidget& from, int key);
