#pragma once

#include <QDialog>
#include <memory>
#include <vector>

class QLineEdit;
class QPushButton;
class QVBoxLayout;
class UIAlertController;

// An alert as a modal dialog in alert style: the title, the message, one line
// edit per text field of the alert, and the buttons in the order the actions
// were added. Choosing a button copies what was typed into the alert's text
// fields, then chooses the action (the alert closes, its handler runs on the
// main queue). Escape chooses the cancel-style action; an alert without one
// stays open until a button is chosen.
class QtAlertDialog : public QDialog {
public:
    QtAlertDialog(std::shared_ptr<UIAlertController> alert, QWidget* parent, double scale);

    const std::shared_ptr<UIAlertController>& alert() const { return alert_; }
    const std::vector<QLineEdit*>& textFields() const { return fields_; }
    const std::vector<QPushButton*>& buttons() const { return buttons_; }
    // As the reader's click on the button of that action.
    void choose(std::size_t index);
    // The platform closed the alert.
    void closeFromPlatform();

protected:
    void reject() override;
    void closeEvent(QCloseEvent* event) override;
    void showEvent(QShowEvent* event) override;

private:
    void addFields(QVBoxLayout* layout);
    // Enter chooses the first default-style action, else the cancel one.
    void addButtons(QVBoxLayout* layout, int spacing);

    std::shared_ptr<UIAlertController> alert_;
    std::vector<QLineEdit*> fields_;
    std::vector<QPushButton*> buttons_;
    bool chosen_ = false;
    bool closing_ = false;
};
