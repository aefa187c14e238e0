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

void TotalsModel::setTargets(const NutrientTargets& targets)
{
    beginResetModel();
    m_targets = targets;
    endResetModel();
}

NutrientTargets::Standing TotalsModel::standingOf(int row, int column) const
{
    const std::size_t index = static_cast<std::size_t>(row - 1);
    if (row < 1 || column < 1 || index >= m_result.rows.size()
        || (m_result.hasTotalsRow && index + 1 == m_result.rows.size())) {
        return NutrientTargets::Standing::NoTarget;
    }
    const TotalsRow& source = m_result.rows[index];
    if (!TotalsCalculator::standsForOneDay(source.label)) {
        return NutrientTargets::Standing::NoTarget;
    }
    return m_targets.standing(column - 1, source.values[static_cast<std::size_t>(column - 1)]);
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
    const NutrientTargets::Standing standing = standingOf(row, column);
    switch (role) {
    case Qt::DisplayRole: {
        QString text = filled ? m_rows[row].texts.value(column) : QString();
        // The colour is never the only sign of a value outside its range.
        if (standing == NutrientTargets::Standing::Under) {
            text += QStringLiteral(" \u2193");
        } else if (standing == NutrientTargets::Standing::Over) {
            text += QStringLiteral(" \u2191");
        }
        return text;
    }
    case Qt::ToolTipRole:
        if (standing == NutrientTargets::Standing::NoTarget) {
            return QVariant();
        }
        return m_targets.describe(
            column - 1, m_result.rows[static_cast<std::size_t>(row - 1)].values[static_cast<std::size_t>(column - 1)]);
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
        if (standing != NutrientTargets::Standing::NoTarget) {
            // A light tint of the palette's base, so the text keeps its contrast in any theme.
            const QColor base = QGuiApplication::palette().color(QPalette::Base);
            const QColor tint = standing == NutrientTargets::Standing::Under ? QColor(66, 133, 244)
                : standing == NutrientTargets::Standing::Over                ? QColor(219, 68, 55)
                                                                             : QColor(15, 157, 88);
            const double share = 0.22;
            return QColor::fromRgbF(static_cast<float>(base.redF() * (1 - share) + tint.redF() * share),
                static_cast<float>(base.greenF() * (1 - share) + tint.greenF() * share),
                static_cast<float>(base.blueF() * (1 - share) + tint.blueF() * share));
        }
        return QVariant();
    default:
        return QVariant();
    }
}
