#include "gui/info/License.h"

#include "gui/common/Program.h"

#include <QPushButton>

License::License(const SharedState& state, QWidget* parent)
    : DocumentViewer(
        state, QStringLiteral("license agreement.txt"), { 10500, 5535, 240, 120, 9975, 4695, 5040, 375 }, parent)
{
    setObjectName(QStringLiteral("License"));
    setWindowTitle(QStringLiteral("License Agreement"));
    QPushButton* accept = addButton(QStringLiteral("Command1"), QStringLiteral("I Accept"), 1695);
    QPushButton* decline = addButton(QStringLiteral("Command2"), QStringLiteral("I Don't Accept"), 1575);
    connect(accept, &QPushButton::clicked, this, &License::Command1_Click);
    connect(decline, &QPushButton::clicked, this, &License::Command2_Click);
    Form_Load();
}

void License::Command1_Click()
{
    accept();
}

void License::Command2_Click()
{
    EndProgram();
}
