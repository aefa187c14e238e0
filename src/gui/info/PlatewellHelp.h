#pragma once

#include "gui/info/DocumentViewer.h"

// The quick help (foods.hlp) in a read-only text area, opened modally.
class PlatewellHelp : public DocumentViewer
{
    Q_OBJECT

public:
    PlatewellHelp(const SharedState& state, QWidget* parent = nullptr);

private slots:
    void Command1_Click();
};
