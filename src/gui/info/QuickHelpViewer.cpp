#include "gui/info/QuickHelpViewer.h"

#include "gui/common/WindowSizes.h"

QuickHelpViewer::QuickHelpViewer(const UserFiles& files, QWidget* parent)
    : DocumentViewer(files,
        { QStringLiteral("foods.hlp"), QStringLiteral("PlatewellHelp"), tr("Platewell Help"),
            WindowSizes::QuickHelpViewer },
        parent)
{
    setUpForReading();
}
