#include "gui/info/LicenseViewer.h"

#include "gui/common/Program.h"

#include <QPushButton>

LicenseViewer::LicenseViewer(const SharedState& state, QWidget* parent)
    : DocumentViewer(
        state, QStringLiteral("license agreement.txt"), { 10500, 5535, 240, 120, 9975, 4695, 5040, 375 }, parent)
{
    setObjectName(QStringLiteral("License"));
    setWindowTitle(QStringLiteral("License Agreement"));
    QPushButton* accept = addButton(QStringLiteral("Command1"), QStringLiteral("I Accept"), 1695);
    QPushButton* decline = addButton(QStringLiteral("Command2"), QStringLiteral("I Don't Accept"), 1575);
    connect(accept, &QPushButton::clicked, this, &QDialog::accept);
    connect(decline, &QPushButton::clicked, this, &LicenseViewer::declineAndExit);
    loadDocument();
}


void LicenseViewer::declineAndExit()
{
    EndProgram();
}
