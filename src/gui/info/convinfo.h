#pragma once

#include "gui/info/DocumentViewer.h"

// The serving conversion chart (convchart.txt) in a read-only text area, opened modally.
class convinfo : public DocumentViewer
{
    Q_OBJECT

public:
    convinfo(const SharedState& state, QWidget* parent = nullptr);

private slots:
    void Command1_Click();
};
