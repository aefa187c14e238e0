#include "gui/info/PlatewellHelp.h"

#include <QFont>
#include <QPlainTextEdit>
#include <QPushButton>

PlatewellHelp::PlatewellHelp(const SharedState& state, QWidget* parent)
    : DocumentViewer(state, QStringLiteral("foods.hlp"), { 8550, 5880, 240, 240, 8055, 4815, 5280, 375 }, parent)
{
    setObjectName(QStringLiteral("PlatewellHelp"));
    setWindowTitle(QStringLiteral("Platewell Help"));
    QFont font(QStringLiteral("Times New Roman"), 14);
    font.setStyleHint(QFont::Serif);
    textArea()->setFont(font);
    QPushButton* close = addButton(QStringLiteral("Command1"), QStringLiteral("Close"), 1695);
    connect(close, &QPushButton::clicked, this, &PlatewellHelp::Command1_Click);
    Form_Load();
}

void PlatewellHelp::Command1_Click()
{
    close();
}
