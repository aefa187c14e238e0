#pragma once

#include "core/nutrients/NutrientCatalogue.h"
#include "core/totals/NutrientTargets.h"
#include "core/totals/TotalsCalculator.h"
#include "core/totals/TotalsReport.h"

#include <QCoreApplication>
#include <QLocale>

#include <optional>
#include <vector>

// Every nutrient of the catalogue for each calculated row, as the totals window's nutrient view
// and the report's nutrient page give it: the amount, a lower bound ("≥ 52") where planned foods
// lack the value, and for a row that stands for one day its share of the daily target. Nutrients
// are addressed by their position in the catalogue, rows by their position in the calculation.
class NutrientBreakdown
{
    Q_DECLARE_TR_FUNCTIONS(NutrientBreakdown)

public:
    NutrientBreakdown() = default;
    // `totals` are the calculation's nutrient rows, one per row of the totals, in their order.
    NutrientBreakdown(NutrientCatalogue catalogue, NutrientTotals totals, NutrientTargets targets);

    const NutrientCatalogue& catalogue() const { return m_catalogue; }
    const NutrientTargets& targets() const { return m_targets; }
    const NutrientTotals& totals() const { return m_totals; }
    int rowCount() const { return int(m_totals.rows.size()); }
    QString rowLabel(int row) const;
    int nutrientCount() const { return int(m_catalogue.size()); }
    const Nutrient& nutrient(int nutrient) const { return m_catalogue.nutrients()[std::size_t(nutrient)]; }

    // The amount of a nutrient in a row and how many planned foods lack it; false where the
    // calculation kept no value of it (a nutrient the food table does not keep).
    bool amount(int row, int nutrient, double* value, int* unknown = nullptr) const;
    // "52", or "≥ 52" where planned foods lack the value; empty without a value.
    QString amountText(int row, int nutrient, const QLocale& locale = QLocale()) const;

    // The daily target a share is taken of: the minimum where one is set (the amount to reach,
    // as a recommended intake is), else the maximum. None without a target, or for a row that does
    // not stand for one day.
    std::optional<double> reference(int row, int nutrient) const;
    // Where the row stands against the range; a lower bound is judged only where it already
    // tells: over the maximum, or within from the minimum up.
    NutrientTargets::Standing standing(int row, int nutrient) const;
    // "87 %", "≥ 87 %" for a lower bound, marked ↓ or ↑ when outside the range as the grid marks
    // its values; empty without a reference.
    QString shareText(int row, int nutrient, const QLocale& locale = QLocale()) const;
    // The nutrient's daily range: "18–45", "≥ 18" or "≤ 2300"; empty without a target.
    QString targetText(int nutrient, const QLocale& locale = QLocale()) const;
    // The amount with its unit and row, the target, and which planned foods lack the value: the
    // first few by name (each once, with how many times when more), then how many more.
    QString toolTip(int row, int nutrient, const QLocale& locale = QLocale()) const;

    // The report's nutrient page: a header row (nutrient, unit, daily target, then each row's
    // label), then per group a bold heading and a row for every nutrient with a value in some row
    // or a target. A one-day row's amount carries its share of the target in brackets.
    QList<TotalsReportRow> pageRows(const QLocale& locale = QLocale()) const;
    // Whether any amount of the page is a lower bound.
    bool hasLowerBounds() const;
    // The page's title, and the note under it that explains a lower bound.
    static QString pageTitle();
    static QString lowerBoundNote();

private:
    int slotOf(int nutrient) const { return m_slots[std::size_t(nutrient)]; }

    NutrientCatalogue m_catalogue;
    NutrientTotals m_totals;
    NutrientTargets m_targets;
    // Per catalogue nutrient, its slot in the totals' rows, or -1.
    std::vector<int> m_slots;
};
