#include "gui/info/ConversionChartViewer.h"

#include <QFont>
#include <QPlainTextEdit>
#include <QPushButton>

ConversionChartViewer::ConversionChartViewer(const SharedState& state, QWidget* parent)
    : DocumentViewer(state, QStringLiteral("convchart.txt"), { 8205, 5865, 240, 240, 7695, 4815, 5280, 375 }, parent)
{
    setObjectName(QStringLiteral("convinfo"));
    setWindowTitle(QStringLiteral("Conversion Information"));
    QFont font(QStringLiteral("Times New Roman"), 14);
    font.setStyleHint(QFont::Serif);
    textArea()->setFont(font);
    QPushButton* close = addButton(QStringLiteral("Command1"), QStringLiteral("Close"), 1695);
    connect(close, &QPushButton::clicked, this, &QWidget::close);
    loadDocument();
}

