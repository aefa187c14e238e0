#pragma once

#include "core/totals/ChartedTotals.h"
#include "gui/totals/TotalsCharts.h"

#include <QDialog>

class QChartView;
class QComboBox;
class QGridLayout;
class QLabel;
class QPrinter;
class QStackedWidget;
class QTreeWidget;
class QTreeWidgetItem;

// The chart window: the calculated totals as small bar charts, one per nutrient, each with its
// daily target band behind the bars (the nine unless the user picks others from the list of every
// nutrient), or the "% of target" chart of one calculated row; and commands to save the chart on
// show as an image, a drawing or a PDF document, and to print it.
class TotalsChartWindow : public QDialog
{
    Q_OBJECT

public:
    // The most nutrients charted at once: more would leave each chart too small to read.
    static constexpr int MostNutrients = 12;

    TotalsChartWindow(const ChartedTotals& totals, const QString& suggestedPath, QWidget* parent = nullptr);
    // The nine of `result` only.
    TotalsChartWindow(const TotalsResult& result, const NutrientTargets& targets, const QString& suggestedPath,
        QWidget* parent = nullptr);

    // The nutrients' chart views, in the order picked (the nine in the grid's column order).
    const QList<QChartView*>& views() const { return m_views; }
    // The "% of target" chart's view.
    QChartView* shareView() const { return m_shareView; }
    // The keys of the nutrients charted: the nine's names, kept nutrients' numbers.
    const QStringList& keys() const { return m_keys; }
    // Charts the nutrients `keys` (those the totals know, at most MostNutrients), ticking them in
    // the list.
    void setKeys(const QStringList& keys);
    // Shows the nutrients' charts, or with `row` a charted row, that row's "% of target" chart.
    void showShares(int row);
    void showNutrients();
    // What the window shows, as it is saved and printed.
    TotalsCharts::Picture picture() const;
    // Saves the chart on show to `path`; false, after telling the user why, when it could not be.
    bool saveTo(const QString& path);
    // Prints the chart on show; false, after telling the user, when the printer could not be started.
    bool printTo(QPrinter* printer);

public slots:
    // Asks where to save the chart, then saves it.
    void saveAs();
    // Asks for a printer, then prints the chart.
    void print();

private:
    void buildNutrientList();
    void rebuildViews();
    void keyTicked(QTreeWidgetItem* item);
    void updateKey();

    ChartedTotals m_totals;
    QString m_suggestedPath;
    QStringList m_keys;
    bool m_dark = false;
    QComboBox* m_kind = nullptr;
    QComboBox* m_row = nullptr;
    QTreeWidget* m_nutrients = nullptr;
    QStackedWidget* m_pages = nullptr;
    QGridLayout* m_grid = nullptr;
    QChartView* m_shareView = nullptr;
    QLabel* m_key = nullptr;
    QList<QChartView*> m_views;
};
