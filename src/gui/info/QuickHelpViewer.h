#pragma once

#include "gui/info/DocumentViewer.h"

// The quick help (foods.hlp) in a read-only text area, opened modally.
class QuickHelpViewer : public DocumentViewer
{
    Q_OBJECT

public:
    explicit QuickHelpViewer(const UserFiles& files, QWidget* parent = nullptr);
};
