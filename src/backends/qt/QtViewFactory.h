#pragma once

#include <QWidget>
#include <memory>

class UIView;

// Makes the widget of a view and of every view below it, each following its view: the widget
// of the platform class the view is, or derives from.
QWidget* makeViewWidget(const std::shared_ptr<UIView>& view, QWidget* parent);
