#include "gui/info/DocumentViewer.h"

#include "core/files/DocumentText.h"
#include "core/files/UserFiles.h"
#include "gui/common/CommandButton.h"
#include "gui/common/Prompt.h"

#include <QFont>
#include <QHBoxLayout>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace {

// The measures the layout keeps, in pixels at 100 % scale. The text area may shrink to a third
// of the window's default size.
constexpr int kMargin = 16;
constexpr int kSpacing = 15;
constexpr int kButtonHeight = 25;
constexpr int kButtonGap = 55;
constexpr int kCloseButtonWidth = 113;

} // namespace

DocumentViewer::DocumentViewer(const UserFiles& files, const Document& document, QWidget* parent)
    : QDialog(parent)
    , m_path(files.documentPath(document.fileName))
    , m_textArea(new QPlainTextEdit(this))
    , m_buttons(new QHBoxLayout)
{
    setObjectName(document.objectName);
    setWindowTitle(document.caption);
    m_textArea->setObjectName(QStringLiteral("Text1"));
    m_textArea->setAccessibleName(document.caption);
    m_textArea->setReadOnly(true);
    m_textArea->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    m_textArea->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    m_textArea->setLineWrapMode(QPlainTextEdit::WidgetWidth);
    m_textArea->setWordWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);
    m_textArea->setMinimumSize(document.size / 3);
    auto* column = new QVBoxLayout(this);
    column->setContentsMargins(kMargin, kMargin, kMargin, kMargin);
    column->setSpacing(kSpacing);
    column->addWidget(m_textArea, 1);
    m_buttons->addStretch(1);
    column->addLayout(m_buttons);
    m_buttons->addStretch(1);
    m_buttons->setSpacing(kButtonGap);
    resize(document.size);
}

void DocumentViewer::setUpForReading()
{
    QFont font(QStringLiteral("Times New Roman"), 14);
    font.setStyleHint(QFont::Serif);
    m_textArea->setFont(font);
    QPushButton* close = addButton(QStringLiteral("Command1"), tr("Close"), kCloseButtonWidth);
    connect(close, &QPushButton::clicked, this, &QWidget::close);
    loadDocument();
}

QPushButton* DocumentViewer::addButton(const QString& objectName, const QString& caption, int minimumWidth)
{
    QPushButton* button = makeCommandButton(this, objectName, caption, QSize(minimumWidth, kButtonHeight));
    // Keep the closing stretch last so the buttons stay centred.
    m_buttons->insertWidget(m_buttons->count() - 1, button);
    return button;
}

void DocumentViewer::loadDocument()
{
    m_textArea->clear();
    if (!DocumentText::read(m_path, &m_text)) {
        Prompt::error(this, tr("File Not Found"));
        return;
    }
    m_textArea->setPlainText(m_text);
}
