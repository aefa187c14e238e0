#include "gui/planner/FoodNameDelegate.h"

#include "core/search/FoodNameSearch.h"
#include "core/text/MessageText.h"
#include "gui/common/WindowSizes.h"
#include "gui/planner/FoodListModel.h"

#include <QApplication>
#include <QPainter>
#include <QTextLayout>

void FoodNameDelegate::initStyleOption(QStyleOptionViewItem* option, const QModelIndex& index) const
{
    QStyledItemDelegate::initStyleOption(option, index);
    if (option->text.size() > WindowSizes::ShownNameCharacters) {
        option->text = MessageText::quoted(option->text, WindowSizes::ShownNameCharacters);
    }
}

void FoodNameDelegate::paint(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const
{
    const auto* model = qobject_cast<const FoodListModel*>(index.model());
    const QStringList words = model ? model->filterWords() : QStringList();
    if (words.isEmpty()) {
        QStyledItemDelegate::paint(painter, option, index);
        return;
    }
    QStyleOptionViewItem item = option;
    initStyleOption(&item, index);
    const QString name = item.text;
    // The panel (selection and focus) as the style draws it, then the text with its bold parts.
    item.text.clear();
    const QWidget* widget = item.widget;
    QStyle* style = widget ? widget->style() : QApplication::style();
    style->drawControl(QStyle::CE_ItemViewItem, &item, painter, widget);

    QList<QTextLayout::FormatRange> formats;
    for (const auto& [start, length] : FoodNameSearch::matchedRanges(name, words)) {
        QTextLayout::FormatRange range;
        range.start = start;
        range.length = length;
        range.format.setFontWeight(QFont::Bold);
        formats.append(range);
    }
    const QRect textRect = style->subElementRect(QStyle::SE_ItemViewItemText, &item, widget).adjusted(2, 0, -2, 0);
    QTextLayout layout(name, item.font);
    layout.setFormats(formats);
    layout.beginLayout();
    QTextLine line = layout.createLine();
    line.setLineWidth(1e6);
    layout.endLayout();
    const bool selected = item.state & QStyle::State_Selected;
    painter->save();
    painter->setPen(item.palette.color(QPalette::Normal, selected ? QPalette::HighlightedText : QPalette::Text));
    painter->setClipRect(textRect);
    const qreal y = textRect.top() + (textRect.height() - line.height()) / 2;
    layout.draw(painter, QPointF(textRect.left(), y));
    painter->restore();
}
