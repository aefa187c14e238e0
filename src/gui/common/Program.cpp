#include "gui/common/Program.h"

#include <QApplication>
#include <QWidget>

void EndProgram()
{
    // Modal windows first, so that their event loops return before the windows beneath close.
    while (QWidget* modal = QApplication::activeModalWidget()) {
        modal->close();
        if (QApplication::activeModalWidget() == modal) {
            modal->hide();
        }
    }
    const auto windows = QApplication::topLevelWidgets();
    for (QWidget* window : windows) {
        if (window->isVisible()) {
            window->close();
        }
    }
    QCoreApplication::exit(0);
}
