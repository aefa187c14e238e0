#pragma once

#include <QSize>
#include <QString>

class QPushButton;
class QWidget;

// A command button with its object name and caption, at least `minimum` in size (pixels at 100 %
// scale) and larger where the caption needs it. It never becomes a dialog's default button, so
// Enter in a text field does not press it.
QPushButton* makeCommandButton(QWidget* parent, const QString& name, const QString& caption, QSize minimum = {});
