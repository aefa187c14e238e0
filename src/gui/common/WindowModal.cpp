#include "gui/common/WindowModal.h"

#include "gui/common/WindowSizes.h"

#include <QDialog>

int execWindowModal(QDialog& dialog)
{
    // exec() makes a dialog application modal unless a modality was set before.
    dialog.setWindowModality(Qt::WindowModal);
    WindowSizes::fitToScreen(&dialog);
    return dialog.exec();
}
