#pragma once

#include <QStyledItemDelegate>

// Draws a food name with the parts that match the search words in bold. The row's text stays the
// food name; only its drawing changes, and only while a search is shown.
class FoodNameDelegate : public QStyledItemDelegate
{
    Q_OBJECT

public:
    using QStyledItemDelegate::QStyledItemDelegate;

    void paint(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const override;

protected:
    // Only the start of a name longer than any list can show is laid out.
    void initStyleOption(QStyleOptionViewItem* option, const QModelIndex& index) const override;
};
