#include "gui/common/CommandButton.h"

#include <QPushButton>

QPushButton* makeCommandButton(QWidget* parent, const QString& name, const QString& caption, QSize minimum)
{
    auto* button = new QPushButton(caption, parent);
    button->setObjectName(name);
    button->setMinimumSize(button->sizeHint().expandedTo(minimum));
    button->setAutoDefault(false);
    return button;
}
