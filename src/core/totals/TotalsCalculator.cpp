#include "core/totals/TotalsCalculator.h"

#include "core/foods/FoodFields.h"
#include "core/foods/FoodLookup.h"
#include "core/plans/PeriodFile.h"
#include "core/text/MessageText.h"

#include "core/files/TextLineReader.h"
#include "core/files/UserFiles.h"
#include "core/plans/MealPlan.h"
#include "core/plans/Periods.h"
#include "core/text/NumberText.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <QHash>
#include <algorithm>
#include <cmath>
#include <numeric>
#include <tuple>

namespace {

using Values = std::array<double, TotalsRow::NutrientCount>;

constexpr std::size_t kLinesPerSlice = 2000;

// Adds every food row named `name`, times `quantity`, to `running`. False when the food table
// could not be read.
bool accumulate(FoodLookup& lookup, const QString& name, double quantity, Values& running, QString* error)
{
    const std::vector<FoodLookup::Nutrients>* rows = lookup.rowsNamed(name, error);
    if (!rows) {
        return false;
    }
    for (const FoodLookup::Nutrients& row : *rows) {
        for (std::size_t n = 0; n < row.size(); ++n) {
            const double product = row[n] * quantity;
            running[n] += product;
        }
        running[TotalsRow::NetCarbs]
            = (running[TotalsRow::Carbohydrates] - running[TotalsRow::Fiber]) - running[TotalsRow::SugarAlcohols];
    }
    return true;
}

// Gathers, while a plan is added up, the names of the planned foods that lack each nutrient. A
// name is looked up once per planned food that lacks anything, and a nutrient keeps only the first
// few names, so that the names cost little beside the sums however long the plan.
class LackingCollector
{
public:
    void reset(std::size_t slotCount)
    {
        m_index.clear();
        m_names.clear();
        m_slots.assign(slotCount, {});
    }

    void add(const QString& name, const std::vector<unsigned char>& unknown)
    {
        // -2 until the name is looked up, -1 while it is listed for no nutrient.
        int index = -2;
        for (std::size_t n = 0; n < m_slots.size(); ++n) {
            if (!unknown[n]) {
                continue;
            }
            if (index == -2) {
                index = m_index.value(name, -1);
            }
            std::vector<std::pair<int, int>>& listed = m_slots[n];
            const auto found = index < 0
                ? listed.end()
                : std::find_if(listed.begin(), listed.end(),
                    [index](const std::pair<int, int>& entry) { return entry.first == index; });
            if (found != listed.end()) {
                ++found->second;
            } else if (listed.size() < std::size_t(MessageText::MaxListedItems)) {
                if (index < 0) {
                    index = int(m_names.size());
                    m_names.append(name);
                    m_index.insert(name, index);
                }
                listed.emplace_back(index, 1);
            }
        }
    }

    void moveInto(NutrientTotalsRow& row) const
    {
        row.lacking.assign(m_slots.size(), {});
        for (std::size_t n = 0; n < m_slots.size(); ++n) {
            for (const auto& [index, times] : m_slots[n]) {
                row.lacking[n].names.append(m_names.at(index));
                row.lacking[n].times.push_back(times);
            }
        }
    }

private:
    QHash<QString, int> m_index;
    QStringList m_names;
    std::vector<std::vector<std::pair<int, int>>> m_slots;
};

// Adds the kept nutrients of every food row named `name`, times `quantity`, to `row`; a planned
// food that does not know a nutrient counts once among its unknowns, and is named in `lacking`.
// False when the food table could not be read.
bool accumulateKept(FoodLookup& lookup, const QString& name, double quantity, NutrientTotalsRow& row,
    std::vector<unsigned char>& unknown, LackingCollector& lacking, QString* error)
{
    // An empty slot plans no food.
    if (name.isEmpty()) {
        return true;
    }
    const std::vector<FoodLookup::KeptNutrients>* rows = lookup.nutrientsNamed(name, error);
    if (!rows) {
        return false;
    }
    const std::size_t slotCount = row.totals.size();
    unknown.assign(slotCount, rows->empty() ? 1 : 0);
    for (const FoodLookup::KeptNutrients& kept : *rows) {
        const std::size_t known = std::min(slotCount, kept.values.size());
        for (std::size_t n = 0; n < known; ++n) {
            const double value = kept.values[n];
            if (std::isnan(value)) {
                unknown[n] = 1;
            } else {
                const double product = value * quantity;
                row.totals[n] += product;
            }
        }
        for (std::size_t n = known; n < slotCount; ++n) {
            unknown[n] = 1;
        }
        for (const int n : kept.incomplete) {
            if (n >= 0 && std::size_t(n) < slotCount) {
                unknown[std::size_t(n)] = 1;
            }
        }
    }
    bool any = false;
    for (std::size_t n = 0; n < slotCount; ++n) {
        row.unknownCounts[n] += unknown[n];
        any = any || unknown[n];
    }
    if (any) {
        lacking.add(name, unknown);
    }
    return true;
}

} // namespace

const QStringList& TotalsCalculator::headerTexts()
{
    static const QStringList texts
        = QStringList { tr("Period") } + FoodFields::nutrientCaptions() + QStringList { tr("Net Carbs") };
    return texts;
}

TotalsRow TotalsCalculator::perDay(const TotalsRow& row, int days, const QString& label)
{
    TotalsRow result { label, {} };
    for (std::size_t n = 0; n < row.values.size(); ++n) {
        result.values[n] = row.values[n] / days;
    }
    return result;
}

TotalsRow TotalsCalculator::weekFromWeekdayAndWeekend(
    const TotalsRow& weekday, const TotalsRow& weekend, const QString& label)
{
    TotalsRow result { label, {} };
    for (std::size_t n = 0; n < weekday.values.size(); ++n) {
        const double weekdays = 5 * weekday.values[n];
        const double weekendDays = 2 * weekend.values[n];
        result.values[n] = weekdays + weekendDays;
    }
    return result;
}

int LackingFoods::listedTimes() const
{
    return std::accumulate(times.begin(), times.end(), 0);
}

void LackingFoods::add(const LackingFoods& other, int factor)
{
    for (qsizetype i = 0; i < other.names.size(); ++i) {
        const qsizetype found = names.indexOf(other.names[i]);
        const int more = other.times[std::size_t(i)] * factor;
        if (found >= 0) {
            times[std::size_t(found)] += more;
        } else if (names.size() < MessageText::MaxListedItems) {
            names.append(other.names[i]);
            times.push_back(more);
        }
    }
}

NutrientTotalsRow TotalsCalculator::perDay(const NutrientTotalsRow& row, int days, const QString& label)
{
    NutrientTotalsRow result = row;
    result.label = label;
    for (double& total : result.totals) {
        total /= days;
    }
    return result;
}

NutrientTotalsRow TotalsCalculator::weekFromWeekdayAndWeekend(
    const NutrientTotalsRow& weekday, const NutrientTotalsRow& weekend, const QString& label)
{
    const std::size_t slotCount = std::max(weekday.totals.size(), weekend.totals.size());
    NutrientTotalsRow result { label, std::vector<double>(slotCount), std::vector<int>(slotCount), {} };
    result.lacking.resize(slotCount);
    for (std::size_t n = 0; n < slotCount; ++n) {
        const double weekdays = n < weekday.totals.size() ? 5 * weekday.totals[n] : 0;
        const double weekendDays = n < weekend.totals.size() ? 2 * weekend.totals[n] : 0;
        result.totals[n] = weekdays + weekendDays;
        result.unknownCounts[n] = (n < weekday.unknownCounts.size() ? 5 * weekday.unknownCounts[n] : 0)
            + (n < weekend.unknownCounts.size() ? 2 * weekend.unknownCounts[n] : 0);
        if (n < weekday.lacking.size()) {
            result.lacking[n].add(weekday.lacking[n], 5);
        }
        if (n < weekend.lacking.size()) {
            result.lacking[n].add(weekend.lacking[n], 2);
        }
    }
    return result;
}

NutrientTotalsRow TotalsCalculator::added(const std::vector<NutrientTotalsRow>& rows, const QString& label)
{
    std::size_t slotCount = 0;
    for (const NutrientTotalsRow& row : rows) {
        slotCount = std::max(slotCount, row.totals.size());
    }
    NutrientTotalsRow result { label, std::vector<double>(slotCount), std::vector<int>(slotCount), {} };
    result.lacking.resize(slotCount);
    for (const NutrientTotalsRow& row : rows) {
        for (std::size_t n = 0; n < row.totals.size(); ++n) {
            result.totals[n] += row.totals[n];
            result.unknownCounts[n] += n < row.unknownCounts.size() ? row.unknownCounts[n] : 0;
            if (n < row.lacking.size()) {
                result.lacking[n].add(row.lacking[n]);
            }
        }
    }
    return result;
}

void TotalsCalculator::addTotalsRow(const TotalsResult& result, NutrientTotals* nutrients)
{
    if (result.hasTotalsRow && nutrients->rows.size() + 1 == result.rows.size()) {
        nutrients->rows.push_back(added(nutrients->rows, result.rows.back().label));
    }
}

TotalsSources TotalsCalculator::weekdayAndWeekendPlans()
{
    TotalsSources sources;
    const QStringList& periods = Periods::names();
    for (qsizetype p = 0; p < periods.size(); ++p) {
        sources.periods[static_cast<std::size_t>(p)]
            = periods[p] == QLatin1String("Weekday") || periods[p] == QLatin1String("Weekend");
    }
    return sources;
}

TotalsSources TotalsCalculator::sevenDayPlans()
{
    TotalsSources sources;
    // The seven days follow Daily, Weekly, Weekday and Weekend.
    for (std::size_t p = 4; p < sources.periods.size(); ++p) {
        sources.periods[p] = true;
    }
    return sources;
}

bool TotalsCalculator::standsForOneDay(const QString& label)
{
    return label == QLatin1String("Active") || (Periods::names().contains(label) && label != QLatin1String("Weekly"))
        || label.endsWith(tr("%1 (per day)").arg(QString()));
}

QStringList TotalsCalculator::addWeekViews(
    TotalsResult* result, const TotalsResult& fromParts, const TotalsResult& fromDays, bool perDay, bool rollUps)
{
    return addWeekViews(result, nullptr, fromParts, NutrientTotals(), fromDays, NutrientTotals(), perDay, rollUps);
}

QStringList TotalsCalculator::addWeekViews(TotalsResult* result, NutrientTotals* nutrients,
    const TotalsResult& fromParts, const NutrientTotals& partsNutrients, const TotalsResult& fromDays,
    const NutrientTotals& daysNutrients, bool perDay, bool rollUps)
{
    std::vector<TotalsRow> rows = result->rows;
    std::vector<NutrientTotalsRow> kept;
    if (nutrients) {
        kept = nutrients->rows;
        kept.resize(rows.size());
    }
    if (result->hasTotalsRow) {
        rows.pop_back();
        if (nutrients) {
            kept.pop_back();
        }
    }
    const QString perDayLabel = tr("%1 (per day)");
    for (std::size_t r = 0; r < rows.size(); ++r) {
        if (perDay && rows[r].label == QLatin1String("Weekly")) {
            rows[r] = TotalsCalculator::perDay(rows[r], 7, perDayLabel.arg(rows[r].label));
            if (nutrients) {
                kept[r] = TotalsCalculator::perDay(kept[r], 7, rows[r].label);
            }
        }
    }
    Values grand {};
    for (const TotalsRow& row : rows) {
        for (std::size_t n = 0; n < grand.size(); ++n) {
            grand[n] += row.values[n];
        }
    }
    const NutrientTotalsRow keptGrand
        = nutrients && result->hasTotalsRow ? added(kept, result->rows.back().label) : NutrientTotalsRow();
    QStringList leftOut;
    if (rollUps) {
        auto rowOf = [](const TotalsResult& plans, const QString& label) {
            const auto found = std::find_if(
                plans.rows.begin(), plans.rows.end(), [&label](const TotalsRow& row) { return row.label == label; });
            return found != plans.rows.end() ? *found : TotalsRow { label, {} };
        };
        auto keptRowOf = [](const NutrientTotals& plans, const QString& label) {
            const auto found = std::find_if(plans.rows.begin(), plans.rows.end(),
                [&label](const NutrientTotalsRow& row) { return row.label == label; });
            return found != plans.rows.end() ? *found : NutrientTotalsRow { label, {}, {}, {} };
        };
        TotalsRow weekFromParts = weekFromWeekdayAndWeekend(rowOf(fromParts, QStringLiteral("Weekday")),
            rowOf(fromParts, QStringLiteral("Weekend")), tr("Week from Weekday and Weekend"));
        TotalsRow weekFromDays { tr("Week from Sunday to Saturday"), {} };
        std::vector<NutrientTotalsRow> keptDays;
        for (const QString& day : Periods::names().mid(4)) {
            const TotalsRow dayRow = rowOf(fromDays, day);
            for (std::size_t n = 0; n < weekFromDays.values.size(); ++n) {
                weekFromDays.values[n] += dayRow.values[n];
            }
            if (nutrients) {
                keptDays.push_back(keptRowOf(daysNutrients, day));
            }
        }
        NutrientTotalsRow keptFromParts;
        NutrientTotalsRow keptFromDays;
        if (nutrients) {
            keptFromParts = weekFromWeekdayAndWeekend(keptRowOf(partsNutrients, QStringLiteral("Weekday")),
                keptRowOf(partsNutrients, QStringLiteral("Weekend")), weekFromParts.label);
            keptFromDays = added(keptDays, weekFromDays.label);
        }
        for (const auto& [week, plans, weekKept] : { std::tuple(&weekFromParts, &fromParts, &keptFromParts),
                 std::tuple(&weekFromDays, &fromDays, &keptFromDays) }) {
            const TotalsRow shown = perDay ? TotalsCalculator::perDay(*week, 7, perDayLabel.arg(week->label)) : *week;
            if (!plans->stopped) {
                rows.push_back(shown);
                if (nutrients) {
                    kept.push_back(perDay ? TotalsCalculator::perDay(*weekKept, 7, shown.label) : *weekKept);
                }
            } else if (!plans->stopFile.isEmpty()) {
                leftOut.append(tr("File Not Found: the %1 plan, %2, so \"%3\" was left out.")
                                   .arg(plans->stopPeriod, MessageText::quoted(QFileInfo(plans->stopFile).fileName()),
                                       shown.label));
            } else {
                leftOut.append(tr("\"%1\" was left out: %2").arg(shown.label, plans->stopReason));
            }
        }
    }
    if (result->hasTotalsRow) {
        rows.push_back({ result->rows.back().label, grand });
        if (nutrients) {
            kept.push_back(keptGrand);
        }
    }
    result->rows = rows;
    if (nutrients) {
        nutrients->rows = std::move(kept);
    }
    return leftOut;
}

TotalsResult TotalsCalculator::calculate(
    const MealPlan& onScreen, const UserFiles& files, const TotalsSources& sources, FoodLookup& lookup)
{
    return calculate(onScreen, files, sources, lookup, nullptr);
}

TotalsResult TotalsCalculator::calculate(const MealPlan& onScreen, const UserFiles& files, const TotalsSources& sources,
    FoodLookup& lookup, NutrientTotals* nutrients)
{
    TotalsResult result;
    Values grand {};
    bool anyData = false;
    QString error;
    // Ends the calculation, keeping the rows written so far and adding no "Totals" row.
    auto stop = [&](const QString& message) {
        result.stopped = true;
        result.stopMessage = message;
        result.stopReason = error;
        return result;
    };
    const QString unreadableTable = tr("The food table could not be read: %1");
    if (nutrients) {
        *nutrients = NutrientTotals();
        if (!lookup.includeNutrients(&error)) {
            return stop(unreadableTable.arg(error));
        }
        nutrients->numbers = lookup.nutrientNumbers();
    }
    const std::size_t slotCount = nutrients ? std::size_t(nutrients->numbers.size()) : 0;
    std::vector<unsigned char> unknown;
    LackingCollector lacking;
    auto keptRow = [&](const QString& label) {
        lacking.reset(slotCount);
        return NutrientTotalsRow { label, std::vector<double>(slotCount), std::vector<int>(slotCount), {} };
    };

    if (sources.active) {
        anyData = true;
        Values running {};
        QStringList planned;
        for (const MealTable& table : onScreen.tables) {
            for (int i = 1; i <= table.count(); ++i) {
                planned.append(table.slot(i).FoodName);
            }
        }
        if (!lookup.prefetch(planned, &error)) {
            return stop(unreadableTable.arg(error));
        }
        // Every slot is visited, empty ones too: an empty name matches food rows without a name,
        // whose values count with quantity 0 like any other match.
        NutrientTotalsRow kept = keptRow(QStringLiteral("Active"));
        for (const MealTable& table : onScreen.tables) {
            for (int i = 1; i < MealTable::SlotCount; ++i) {
                const MealSlot& slot = table.slot(i);
                const double quantity = TextToNumber(slot.QuantityText);
                if (!accumulate(lookup, slot.FoodName, quantity, running, &error)
                    || (nutrients
                        && !accumulateKept(lookup, slot.FoodName, quantity, kept, unknown, lacking, &error))) {
                    return stop(unreadableTable.arg(error));
                }
            }
        }
        result.rows.push_back({ QStringLiteral("Active"), running });
        if (nutrients) {
            lacking.moveInto(kept);
            nutrients->rows.push_back(std::move(kept));
        }
        grand = running;
    }

    const QStringList& periods = Periods::names();
    for (std::size_t p = 0; p < sources.periods.size(); ++p) {
        if (!sources.periods[p]) {
            continue;
        }
        const QString& period = periods.at(static_cast<qsizetype>(p));
        Values running {};
        NutrientTotalsRow kept = keptRow(period);
        // From here on every failure, the food table's included, stops with the one message.
        TextLineReader reader(files.periodPlanPath(period));
        // The plan's own file could not be read: the week rows name it.
        auto stopOnFile = [&] {
            result.stopPeriod = period;
            result.stopFile = files.periodPlanPath(period);
            return stop(tr("File Not Found"));
        };
        if (!reader.open(&error)) {
            return stopOnFile();
        }
        // The file is read as a stream, a slice of lines at a time, so that a huge file never
        // sits in memory, and the names of a slice are fetched from the food table together.
        QString line;
        bool more = true;
        while (more) {
            std::vector<std::pair<QString, double>> slice;
            QStringList planned;
            while (slice.size() < kLinesPerSlice && (more = reader.readLine(&line))) {
                anyData = true;
                QStringView group;
                QStringView food;
                QStringView quantity;
                // A line too long to read whole was never written by Save and names no food.
                if (reader.lineCut() || PeriodFile::splitLine(line, &group, &food, &quantity) < 3) {
                    continue;
                }
                slice.emplace_back(food.toString(), TextToNumber(quantity));
                planned.append(slice.back().first);
            }
            if (reader.failed(&error)) {
                return stopOnFile();
            }
            if (!lookup.prefetch(planned, &error)) {
                return stop(tr("File Not Found"));
            }
            for (const auto& [food, quantity] : slice) {
                if (!accumulate(lookup, food, quantity, running, &error)
                    || (nutrients && !accumulateKept(lookup, food, quantity, kept, unknown, lacking, &error))) {
                    return stop(tr("File Not Found"));
                }
            }
        }
        result.rows.push_back({ period, running });
        if (nutrients) {
            lacking.moveInto(kept);
            nutrients->rows.push_back(std::move(kept));
        }
        for (std::size_t n = 0; n < grand.size(); ++n) {
            grand[n] += running[n];
        }
    }

    if (anyData) {
        result.rows.push_back({ QStringLiteral("Totals"), grand });
        result.hasTotalsRow = true;
    }
    return result;
}
