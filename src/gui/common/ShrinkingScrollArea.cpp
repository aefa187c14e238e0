#include "gui/common/ShrinkingScrollArea.h"

#include <QStyle>

#include <algorithm>

ShrinkingScrollArea::ShrinkingScrollArea(QWidget* content, QWidget* parent)
    : QScrollArea(parent)
{
    setFrameShape(QFrame::NoFrame);
    setWidgetResizable(true);
    setWidget(content);
    // The controls inside take the focus; the area itself is no stop on the way.
    setFocusPolicy(Qt::NoFocus);
    // The content keeps the window's colours rather than a viewport's.
    viewport()->setAutoFillBackground(false);
    content->setAutoFillBackground(false);
}

void ShrinkingScrollArea::setMinimumLimit(QSize limit)
{
    m_limit = limit;
    updateGeometry();
}

QSize ShrinkingScrollArea::contentMinimum() const
{
    if (!widget()) {
        return QSize(0, 0);
    }
    return widget()->minimumSizeHint().expandedTo(widget()->minimumSize());
}

QSize ShrinkingScrollArea::minimumSizeHint() const
{
    const QSize content = contentMinimum();
    if (!m_limit.isValid()) {
        return content;
    }
    QSize hint = content.boundedTo(m_limit);
    // Scrolling one way takes a scroll bar's breadth the other way, where the limit leaves it.
    const int bar = style()->pixelMetric(QStyle::PM_ScrollBarExtent, nullptr, this);
    if (hint.height() < content.height()) {
        hint.setWidth(std::max(hint.width(), std::min(hint.width() + bar, m_limit.width())));
    }
    if (hint.width() < content.width()) {
        hint.setHeight(std::max(hint.height(), std::min(hint.height() + bar, m_limit.height())));
    }
    return hint;
}

QSize ShrinkingScrollArea::sizeHint() const
{
    return widget() ? widget()->sizeHint().expandedTo(minimumSizeHint()) : QScrollArea::sizeHint();
}
