#include "backends/qt/QtAlertDialog.h"

#include <QBoxLayout>
#include <QCloseEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <algorithm>
#include <cmath>
#include <functional>
#include <optional>

#include "backends/qt/QtGuard.h"
#include "backends/qt/QtTexts.h"
#include "backends/qt/QtTheme.h"
#include "platform/ui/UIAlertController.h"
#include "platform/ui/UIView.h"

QtAlertDialog::QtAlertDialog(std::shared_ptr<UIAlertController> alert, QWidget* parent,
                             double scale)
    : QDialog(parent, Qt::Dialog | Qt::FramelessWindowHint), alert_(std::move(alert)) {
    auto px = [scale](double points) { return qttheme::pixels(points, scale); };
    setWindowModality(Qt::WindowModal);
    setWindowTitle(qttexts::shown(alert_->shownTitle().value_or(LocalizedText())));
    // A screen reader announces the alert by its title and message.
    setAccessibleName(windowTitle());
    setAccessibleDescription(qttexts::shown(alert_->shownMessage().value_or(LocalizedText())));
    setObjectName("alert");
    setStyleSheet(qttheme::alertStyle(scale));
    setFixedWidth(px(440));

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(px(24), px(20), px(24), px(20));
    layout->setSpacing(px(12));
    auto addLabel = [&](const std::optional<LocalizedText>& text, const char* name) {
        auto* label = new QLabel(qttexts::shown(text.value_or(LocalizedText())), this);
        label->setObjectName(name);
        label->setAlignment(Qt::AlignCenter);
        label->setWordWrap(true);
        label->setTextFormat(Qt::PlainText);
        label->setVisible(text && !text->empty());
        layout->addWidget(label);
    };
    addLabel(alert_->shownTitle(), "alertTitle");
    addLabel(alert_->shownMessage(), "alertMessage");

    addFields(layout);
    addButtons(layout, px(12));
    if (!fields_.empty())
        fields_.front()->setFocus();
}

void QtAlertDialog::addFields(QVBoxLayout* layout) {
    for (const auto& field : alert_->textFields()) {
        auto* edit = new QLineEdit(QString::fromStdString(field->text()), this);
        edit->setPlaceholderText(qttexts::shown(field->shownPlaceholder()));
        // The field answers the alert's question (the parental gate's is its title).
        QString question = windowTitle();
        if (alert_->message() && !alert_->message()->empty())
            question += (question.isEmpty() ? "" : " ") + accessibleDescription();
        edit->setAccessibleName(question);
        edit->setAccessibleDescription(edit->placeholderText());
        layout->addWidget(edit);
        fields_.push_back(edit);
    }
}

void QtAlertDialog::addButtons(QVBoxLayout* layout, int spacing) {
    // Two buttons side by side, more stacked, as alerts lay them out.
    const auto& actions = alert_->actions();
    QBoxLayout* row = actions.size() <= 2 ? static_cast<QBoxLayout*>(new QHBoxLayout)
                                          : static_cast<QBoxLayout*>(new QVBoxLayout);
    row->setSpacing(spacing);
    layout->addLayout(row);
    std::optional<std::size_t> enterChooses;
    for (std::size_t i = 0; i < actions.size(); ++i) {
        auto* button = new QPushButton(qttexts::shown(actions[i]->shownTitle()), this);
        button->setProperty("actionStyle", actionStyleName(actions[i]->style()));
        button->setAutoDefault(false);
        connect(button, &QPushButton::clicked, this, [this, i] { choose(i); });
        row->addWidget(button);
        buttons_.push_back(button);
        if (!enterChooses && actions[i]->style() == UIAlertActionStyle::defaultStyle)
            enterChooses = i;
    }
    if (!enterChooses)
        enterChooses = alert_->cancelActionIndex();
    if (enterChooses)
        buttons_[*enterChooses]->setDefault(true);
}

void QtAlertDialog::choose(std::size_t index) {
    // One choice per alert: a second click before the alert has closed is not a second answer.
    if (chosen_ || index >= alert_->actions().size())
        return;
    chosen_ = true;
    for (std::size_t i = 0; i < fields_.size() && i < alert_->textFields().size(); ++i)
        alert_->textFields()[i]->setText(qttexts::typedText(fields_[i]->text()).toStdString());
    auto alert = alert_;
    runGuarded([&] { alert->chooseAction(index); });
}

void QtAlertDialog::closeFromPlatform() {
    closing_ = true;
    hide();
    deleteLater();
}

void QtAlertDialog::reject() {
    if (auto cancel = alert_->cancelActionIndex())
        choose(*cancel);
}

void QtAlertDialog::closeEvent(QCloseEvent* event) {
    if (closing_) {
        event->accept();
        return;
    }
    // Closing the window is the reader's Escape.
    event->ignore();
    reject();
}

void QtAlertDialog::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    adjustSize();
    if (QWidget* parent = parentWidget()) {
        QWidget* window = parent->window();
        QPoint centre = window->mapToGlobal(window->rect().center());
        move(centre - rect().center());
    }
}
