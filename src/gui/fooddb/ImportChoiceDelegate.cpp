#include "gui/fooddb/ImportChoiceDelegate.h"

#include "gui/fooddb/ImportColumnsModel.h"

#include <QComboBox>
#include <QCoreApplication>
#include <QEvent>

QWidget* ImportChoiceDelegate::createEditor(
    QWidget* parent, const QStyleOptionViewItem& option, const QModelIndex& index) const
{
    Q_UNUSED(option);
    QString name;
    switch (index.column()) {
    case ImportColumnsModel::FieldColumn:
        name = QStringLiteral("ImportField%1");
        break;
    case ImportColumnsModel::UnitColumn:
        name = QStringLiteral("ImportUnit%1");
        break;
    case ImportColumnsModel::AmountsColumn:
        name = QStringLiteral("ImportAmounts%1");
        break;
    default:
        return nullptr;
    }
    auto* choice = new QComboBox(parent);
    choice->setObjectName(name.arg(index.row() + 1));
    // The wheel turns it only once it has the focus (see eventFilter).
    choice->setFocusPolicy(Qt::StrongFocus);
    auto* self = const_cast<ImportChoiceDelegate*>(this);
    connect(choice, &QComboBox::currentIndexChanged, self, [self, choice] { emit self->commitData(choice); });
    return choice;
}

void ImportChoiceDelegate::setEditorData(QWidget* editor, const QModelIndex& index) const
{
    auto* choice = qobject_cast<QComboBox*>(editor);
    if (!choice) {
        return;
    }
    const QSignalBlocker blocker(choice);
    const QStringList texts = index.data(ImportColumnsModel::ChoicesRole).toStringList();
    QStringList shown;
    for (int i = 0; i < choice->count(); ++i) {
        shown.append(choice->itemText(i));
    }
    if (shown != texts) {
        choice->clear();
        choice->addItems(texts);
    }
    choice->setCurrentIndex(index.data(Qt::EditRole).toInt());
    choice->setAccessibleName(index.data(Qt::AccessibleTextRole).toString());
}

void ImportChoiceDelegate::setModelData(QWidget* editor, QAbstractItemModel* model, const QModelIndex& index) const
{
    if (auto* choice = qobject_cast<QComboBox*>(editor)) {
        model->setData(index, choice->currentIndex(), Qt::EditRole);
    }
}

bool ImportChoiceDelegate::eventFilter(QObject* watched, QEvent* event)
{
    // A drop-down the pointer passes over while the list scrolls is not changed by the wheel;
    // only one the user chose to work in is. The view's viewport, its parent, scrolls instead.
    if (event->type() == QEvent::Wheel) {
        auto* choice = qobject_cast<QComboBox*>(watched);
        if (choice && !choice->hasFocus() && choice->parentWidget()) {
            QCoreApplication::sendEvent(choice->parentWidget(), event);
            return true;
        }
    }
    return QStyledItemDelegate::eventFilter(watched, event);
}
