#pragma once

#include "gui/info/DocumentViewer.h"

// The serving conversion chart (convchart.txt) in a read-only text area, opened modally.
class ConversionChartViewer : public DocumentViewer
{
    Q_OBJECT

public:
    explicit ConversionChartViewer(const UserFiles& files, QWidget* parent = nullptr);
};
