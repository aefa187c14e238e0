#include "gui/info/QuickHelpViewer.h"

#include "gui/common/WindowSizes.h"

QuickHelpViewer::QuickHelpViewer(const SharedState& state, QWidget* parent)
    : DocumentViewer(state,
        { QStringLiteral("foods.hlp"), QStringLiteral("PlatewellHelp"), tr("Platewell Help"),
            WindowSizes::QuickHelpViewer },
        parent)
{
    setUpForReading();
}
