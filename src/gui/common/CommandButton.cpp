#include "gui/common/CommandButton.h"

#include "gui/common/Twips.h"

#include <QPushButton>

QPushButton* CommandButton(QWidget* parent, const QString& name, const QString& caption, int widthTwips,
    int heightTwips)
{
    auto* button = new QPushButton(caption, parent);
    button->setObjectName(name);
    button->setMinimumSize(button->sizeHint().expandedTo(QSize(twips(widthTwips), twips(heightTwips))));
    button->setAutoDefault(false);
    return button;
}
