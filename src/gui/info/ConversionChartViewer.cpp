#include "gui/info/ConversionChartViewer.h"

#include "gui/common/WindowSizes.h"

ConversionChartViewer::ConversionChartViewer(const SharedState& state, QWidget* parent)
    : DocumentViewer(state,
        { QStringLiteral("convchart.txt"), QStringLiteral("convinfo"), tr("Conversion Information"),
            WindowSizes::ConversionChartViewer },
        parent)
{
    setUpForReading();
}
