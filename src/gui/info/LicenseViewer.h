#pragma once

#include "gui/info/DocumentViewer.h"

// The licence text (license agreement.txt). "I Accept" closes the window and records nothing;
// "I Don't Accept" ends the program at once.
class LicenseViewer : public DocumentViewer
{
    Q_OBJECT

public:
    LicenseViewer(const UserFiles& files, QWidget* parent = nullptr);

private slots:
    void declineAndExit();
};
