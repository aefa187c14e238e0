#pragma once

#include <QStyledItemDelegate>

// The drop-downs of the Import Foods window's columns: a combo box for each cell of
// ImportColumnsModel that offers a choice, named as the window's design names it (ImportField1,
// ImportUnit1, ImportAmounts1, ...), which writes each choice into the model as it is made. The
// window keeps them open, so that every choice is in sight; the wheel turns one only once the
// user works in it (it has the focus), and otherwise scrolls the list it passes over.
class ImportChoiceDelegate : public QStyledItemDelegate
{
    Q_OBJECT

public:
    using QStyledItemDelegate::QStyledItemDelegate;

    QWidget* createEditor(QWidget* parent, const QStyleOptionViewItem& option, const QModelIndex& index) const override;
    void setEditorData(QWidget* editor, const QModelIndex& index) const override;
    void setModelData(QWidget* editor, QAbstractItemModel* model, const QModelIndex& index) const override;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
};
