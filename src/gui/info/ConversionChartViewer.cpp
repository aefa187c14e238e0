#include "gui/info/ConversionChartViewer.h"

#include "gui/common/WindowSizes.h"

ConversionChartViewer::ConversionChartViewer(const UserFiles& files, QWidget* parent)
    : DocumentViewer(files,
        { QStringLiteral("convchart.txt"), QStringLiteral("convinfo"), tr("Conversion Information"),
            WindowSizes::ConversionChartViewer },
        parent)
{
    setUpForReading();
}
