#include "gui/totals/TotalsModel.h"

#include <QFont>
#include <QGuiApplication>
#include <QPalette>

TotalsModel::TotalsModel(QObject* parent)
    : QAbstractTableModel(parent)
{
    clear();
}

void TotalsModel::setResult(const TotalsResult& result)
{
    beginResetModel();
    m_result = result;
    m_rows = TotalsReport::rows(m_result);
    endResetModel();
}

void TotalsModel::clear()
{
    setResult(TotalsResult());
}

int TotalsModel::rowCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : static_cast<int>(std::max<qsizetype>(2, m_rows.size()));
}

int TotalsModel::columnCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : TotalsReport::ColumnCount;
}

QVariant TotalsModel::data(const QModelIndex& index, int role) const
{
    if (!index.isValid()) {
        return QVariant();
    }
    const int row = index.row();
    const int column = index.column();
    const bool filled = row < m_rows.size();
    switch (role) {
    case Qt::DisplayRole:
        return filled ? m_rows[row].texts.value(column) : QString();
    case Qt::FontRole:
        if (filled && m_rows[row].bold) {
            // Only the weight is set, so the view's own font gives the rest.
            QFont bold;
            bold.setBold(true);
            return bold;
        }
        return QVariant();
    case Qt::TextAlignmentRole:
        if (row == 0) {
            return QVariant::fromValue(Qt::Alignment(Qt::AlignCenter));
        }
        if (column > 0 && filled) {
            return QVariant::fromValue(Qt::AlignRight | Qt::AlignVCenter);
        }
        return QVariant();
    case Qt::BackgroundRole:
        if (row == 0 || column == 0) {
            return QGuiApplication::palette().brush(QPalette::Button);
        }
        return QVariant();
    default:
        return QVariant();
    }
}
