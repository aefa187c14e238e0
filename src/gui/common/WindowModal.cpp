#include "gui/common/WindowModal.h"

#include <QDialog>

int execWindowModal(QDialog& dialog)
{
    // exec() makes a dialog application modal unless a modality was set before.
    dialog.setWindowModality(Qt::WindowModal);
    return dialog.exec();
}
