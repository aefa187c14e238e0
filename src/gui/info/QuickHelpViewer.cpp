#include "gui/info/QuickHelpViewer.h"

#include <QFont>
#include <QPlainTextEdit>
#include <QPushButton>

QuickHelpViewer::QuickHelpViewer(const SharedState& state, QWidget* parent)
    : DocumentViewer(state, QStringLiteral("foods.hlp"), { 8550, 5880, 240, 240, 8055, 4815, 5280, 375 }, parent)
{
    setObjectName(QStringLiteral("PlatewellHelp"));
    setWindowTitle(QStringLiteral("Platewell Help"));
    QFont font(QStringLiteral("Times New Roman"), 14);
    font.setStyleHint(QFont::Serif);
    textArea()->setFont(font);
    QPushButton* close = addButton(QStringLiteral("Command1"), QStringLiteral("Close"), 1695);
    connect(close, &QPushButton::clicked, this, &QWidget::close);
    loadDocument();
}

