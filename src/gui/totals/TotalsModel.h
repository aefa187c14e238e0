#pragma once

#include "core/TotalsCalculator.h"
#include "core/TotalsReport.h"

#include <QAbstractTableModel>

// The totals grid's content: row 0 is the header row and column 0 the row labels, both shaded as
// a grid's fixed cells; then one row per source of the last calculation and the bold "Totals"
// row. Before any calculation, and after one that produced no row, a single empty row stands
// under the header.
class TotalsModel : public QAbstractTableModel
{
    Q_OBJECT

public:
    explicit TotalsModel(QObject* parent = nullptr);

    void setResult(const TotalsResult& result);
    void clear();
    const TotalsResult& result() const { return m_result; }

    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    int columnCount(const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;

private:
    TotalsResult m_result;
    QList<TotalsReportRow> m_rows;
};
