#pragma once

#include <QString>

class QPushButton;
class QWidget;

// A push button with its object name and caption, at least the described size in twips and
// larger where the caption needs it. It never becomes a dialog's default button, so Enter in a
// text field does not press it.
QPushButton* CommandButton(QWidget* parent, const QString& name, const QString& caption, int widthTwips,
    int heightTwips);
