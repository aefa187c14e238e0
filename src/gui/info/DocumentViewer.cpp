#include "gui/info/DocumentViewer.h"

#include "core/DocumentText.h"
#include "gui/common/Prompt.h"
#include "core/SharedState.h"

#include <QHBoxLayout>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QVBoxLayout>

DocumentViewer::DocumentViewer(
    const SharedState& state, const QString& documentName, const Layout& layout, QWidget* parent)
    : QDialog(parent)
    , m_path(state.documentPath(documentName))
    , m_textArea(new QPlainTextEdit(this))
    , m_buttons(new QHBoxLayout)
{
    m_textArea->setObjectName(QStringLiteral("Text1"));
    m_textArea->setReadOnly(true);
    m_textArea->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    m_textArea->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    m_textArea->setLineWrapMode(QPlainTextEdit::WidgetWidth);
    m_textArea->setWordWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);
    m_textArea->setMinimumSize(twips(layout.textWidth) / 3, twips(layout.textHeight) / 3);

    const int textBottom = layout.textTop + layout.textHeight;
    const int buttonBottom = layout.buttonTop + layout.buttonHeight;
    auto* column = new QVBoxLayout(this);
    column->setContentsMargins(twips(layout.textLeft), twips(layout.textTop),
        twips(layout.clientWidth - layout.textLeft - layout.textWidth), twips(layout.clientHeight - buttonBottom));
    column->setSpacing(twips(layout.buttonTop - textBottom));
    column->addWidget(m_textArea, 1);
    m_buttons->addStretch(1);
    column->addLayout(m_buttons);
    m_buttons->addStretch(1);
    m_buttons->setSpacing(twips(825));
    m_buttonHeight = twips(layout.buttonHeight);

    resize(twips(layout.clientWidth), twips(layout.clientHeight));
}

QPushButton* DocumentViewer::addButton(const QString& objectName, const QString& caption, int widthTwips)
{
    auto* button = new QPushButton(caption, this);
    button->setObjectName(objectName);
    button->setMinimumWidth(twips(widthTwips));
    button->setMinimumHeight(m_buttonHeight);
    button->setAutoDefault(false);
    // Keep the closing stretch last so the buttons stay centred.
    m_buttons->insertWidget(m_buttons->count() - 1, button);
    return button;
}

void DocumentViewer::loadDocument()
{
    m_textArea->clear();
    if (!DocumentText::read(m_path, &m_text)) {
        Prompt::error(this, QStringLiteral("File Not Found"));
        return;
    }
    m_textArea->setPlainText(m_text);
}
