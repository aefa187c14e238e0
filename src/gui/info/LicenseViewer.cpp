#include "gui/info/LicenseViewer.h"

#include "gui/common/Program.h"
#include "gui/common/WindowSizes.h"

#include <QPushButton>

namespace {

constexpr int kAcceptWidth = 113;
constexpr int kDeclineWidth = 105;

} // namespace

LicenseViewer::LicenseViewer(const UserFiles& files, QWidget* parent)
    : DocumentViewer(files,
        { QStringLiteral("license agreement.txt"), QStringLiteral("License"), tr("License Agreement"),
            WindowSizes::LicenseViewer },
        parent)
{
    QPushButton* accept = addButton(QStringLiteral("Command1"), tr("I Accept"), kAcceptWidth);
    QPushButton* decline = addButton(QStringLiteral("Command2"), tr("I Don't Accept"), kDeclineWidth);
    connect(accept, &QPushButton::clicked, this, &QDialog::accept);
    connect(decline, &QPushButton::clicked, this, &LicenseViewer::declineAndExit);
    loadDocument();
}

void LicenseViewer::declineAndExit()
{
    EndProgram();
}
