#pragma once

#include "core/nutrients/NutrientCatalogue.h"

#include <QDialog>

#include <array>

struct NutrientTotals;
struct TotalsResult;
class FoodStore;
class NutrientBreakdown;
class NutrientViewModel;
class PlanDocument;
class UserFiles;
class UserTargets;
class QCheckBox;
class QComboBox;
class QLabel;
class QPainter;
class QPrinter;
class QPushButton;
class QRadioButton;
class QTabWidget;
class QTableView;
class QTreeView;
class TotalsModel;

// The totals window: the plan on screen ("Active") and the eleven saved periods to choose from,
// the grid of totals and, on a tab beside it, every nutrient of one calculated row at a time, and
// the report to the printer or to a file. It looks foods up through the
// food table's index, so opening it costs nothing however large the table is.
class TotalsDialog : public QDialog
{
    Q_OBJECT

public:
    static constexpr int SourceCount = 12;
    static constexpr int ColumnCount = 10;

    // The rows of "Active" add up `plan`; the periods' plans and the report are the user's
    // files; the grid judges each day against the user's targets.
    TotalsDialog(const UserFiles& files, FoodStore& foods, const PlanDocument& plan, UserTargets& targets,
        QWidget* parent = nullptr);

    // Draws the totals grid on the printer: a title with the user name and date, the header,
    // every row the last calculation wrote, the "Totals" row in bold. False when the printer
    // could not be started.
    bool printReport(QPrinter* printer);
    // Writes the grid, tab separated with a header line, to the user's totals report file; with
    // the nutrient page asked for, the page follows.
    bool writeReport(const QString& path, QString* error) const;

    // The catalogue number of the nutrient chosen in the nutrient view; empty when none is.
    QString currentNutrientNumber() const;
    // Every nutrient of the last calculation's rows, as the nutrient view shows them.
    const NutrientBreakdown& nutrients() const;

signals:
    void currentNutrientChanged(const QString& number);
    // "Richest Foods..." asked for the foods richest in a nutrient, here or in the Targets window.
    void richestFoodsRequested(const QString& number);

public slots:
    void calculate();
    void markActiveChoice();
    void printOrSaveReport();
    // Opens the Targets window; the grid then shows where each day stands against them.
    void editTargets();
    // Opens the chart of the calculated rows.
    void showChart();

private:
    void buildControls();
    void formatHeader();
    void showResult(const TotalsResult& result, const NutrientTotals& nutrients);
    void showNutrients(const NutrientTotals& nutrients);
    bool printNutrientPage(QPainter* painter, QPrinter* printer);

    const UserFiles& m_files;
    FoodStore& m_foods;
    const PlanDocument& m_plan;
    UserTargets& m_targets;
    std::array<QCheckBox*, SourceCount> m_checks {};
    std::array<QLabel*, SourceCount> m_labels {};
    TotalsModel* m_model = nullptr;
    QCheckBox* m_perDay = nullptr;
    QCheckBox* m_weekRollUps = nullptr;
    QPushButton* m_chart = nullptr;
    QTableView* m_grid = nullptr;
    QRadioButton* m_toPrinter = nullptr;
    QRadioButton* m_toFile = nullptr;
    QCheckBox* m_nutrientPage = nullptr;
    QTabWidget* m_tabs = nullptr;
    NutrientCatalogue m_catalogue;
    NutrientViewModel* m_nutrientModel = nullptr;
    QComboBox* m_nutrientRow = nullptr;
    // The label of the row the nutrient view shows, kept through a new calculation.
    QString m_nutrientRowLabel;
    QTreeView* m_nutrientView = nullptr;
};
