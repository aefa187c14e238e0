#pragma once

#include "core/totals/NutrientTargets.h"
#include "core/totals/TotalsCalculator.h"

#include <QDialog>

class QChartView;

// The chart window: the calculated totals as nine small bar charts, one per nutrient, each with
// its daily target band behind the bars, and a command to save them as an image, a drawing or a
// PDF document.
class TotalsChartWindow : public QDialog
{
    Q_OBJECT

public:
    TotalsChartWindow(const TotalsResult& result, const NutrientTargets& targets, const QString& suggestedPath,
        QWidget* parent = nullptr);

    // The chart views, in the grid's column order.
    const QList<QChartView*>& views() const { return m_views; }
    // Saves the charts to `path`; false, after telling the user why, when they could not be.
    bool saveTo(const QString& path);

public slots:
    // Asks where to save the charts, then saves them.
    void saveAs();

private:
    TotalsResult m_result;
    NutrientTargets m_targets;
    QString m_suggestedPath;
    QList<QChartView*> m_views;
};
