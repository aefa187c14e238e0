#pragma once

#include "core/nutrients/NutrientCatalogue.h"
#include "core/totals/NutrientTargets.h"
#include "core/totals/TotalsCalculator.h"

#include <QCoreApplication>
#include <QLocale>
#include <QString>
#include <QStringList>

#include <vector>

// The calculated totals as the charts take them: for each calculated row but "Totals" (which adds
// several days), the value of any nutrient, one of the nine by its name ("Calories") or one the
// food table keeps by its number ("307"), with how many planned foods lack it, and its target.
class ChartedTotals
{
    Q_DECLARE_TR_FUNCTIONS(ChartedTotals)

public:
    ChartedTotals() = default;
    // `nutrients` are matched to the rows by their labels; a row without one knows only the nine.
    ChartedTotals(const TotalsResult& result, const NutrientTotals& nutrients, const NutrientTargets& targets,
        const NutrientCatalogue& catalogue);

    // The nine's keys, in the grid's column order: what is charted unless the user picks others.
    static QStringList nineKeys() { return NutrientTargets::nutrientNames(); }
    // The nine's position of `key`, or -1 for a kept nutrient's number.
    static int nineOf(const QString& key) { return static_cast<int>(NutrientTargets::nutrientNames().indexOf(key)); }

    const TotalsResult& result() const { return m_result; }
    const NutrientTargets& targets() const { return m_targets; }
    const NutrientCatalogue& catalogue() const { return m_catalogue; }
    // The kept nutrients' numbers the rows have values of, in the catalogue's display order.
    const QStringList& keptNumbers() const { return m_nutrients.numbers; }

    int rowCount() const { return m_rowCount; }
    const QString& rowLabel(int row) const { return m_result.rows[static_cast<std::size_t>(row)].label; }
    // Whether `key` is one of the nine or a nutrient the rows have values of.
    bool knows(const QString& key) const;
    // A row's value of `key`, and in `unknown` the count of planned foods that lack it (their
    // value is then a lower bound); 0 for a key the row has no value of, all its foods unknown.
    double value(int row, const QString& key, int* unknown = nullptr) const;
    QString name(const QString& key) const;
    // The unit the values are in ("kcal", "mg", "µg"); empty for Points.
    QString unit(const QString& key) const;
    const NutrientTargets::Range& range(const QString& key) const;
    // "1,800–2,200", "≥ 12" or "≤ 70" as the nine's are written; empty without a target.
    QString rangeText(const QString& key, const QLocale& locale = QLocale()) const;

private:
    const NutrientTotalsRow* nutrientRow(int row) const;

    TotalsResult m_result;
    NutrientTotals m_nutrients;
    NutrientTargets m_targets;
    NutrientCatalogue m_catalogue;
    int m_rowCount = 0;
    // For each row, the position of its nutrient row, or -1.
    std::vector<int> m_nutrientRows;
};
