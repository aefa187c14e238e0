#pragma once

#include "core/totals/NutrientTargets.h"
#include "core/totals/TotalsCalculator.h"
#include "core/totals/TotalsReport.h"

#include <QAbstractTableModel>

// The totals grid's content: row 0 is the header row and column 0 the row labels, both shaded as
// a grid's fixed cells; then one row per source of the last calculation and the bold "Totals"
// row. Before any calculation, and after one that produced no row, a single empty row stands
// under the header. With targets set, each value of a row that stands for one day is tinted by
// where it stands (under, within or over its range), marked ↓ or ↑ when outside it, and
// described in its tool tip; the Totals row, which adds several days, is not.
class TotalsModel : public QAbstractTableModel
{
    Q_OBJECT

public:
    explicit TotalsModel(QObject* parent = nullptr);

    void setResult(const TotalsResult& result);
    void clear();
    void setTargets(const NutrientTargets& targets);
    const NutrientTargets& targets() const { return m_targets; }
    const TotalsResult& result() const { return m_result; }

    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    int columnCount(const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;

private:
    // Where the value of a cell stands, for a row that stands for one day.
    NutrientTargets::Standing standingOf(int row, int column) const;

    TotalsResult m_result;
    NutrientTargets m_targets;
    QList<TotalsReportRow> m_rows;
};
