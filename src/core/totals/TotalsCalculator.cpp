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
#include <algorithm>
#include <cmath>

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

// Adds the kept nutrients of every food row named `name`, times `quantity`, to `row`; a planned
// food that does not know a nutrient counts once among its unknowns. False when the food table
// could not be read.
bool accumulateKept(FoodLookup& lookup, const QString& name, double quantity, NutrientTotalsRow& row,
    std::vector<unsigned char>& unknown, QString* error)
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
    for (std::size_t n = 0; n < slotCount; ++n) {
        row.unknownCounts[n] += unknown[n];
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
    std::vector<TotalsRow> rows = result->rows;
    if (result->hasTotalsRow) {
        rows.pop_back();
    }
    const QString perDayLabel = tr("%1 (per day)");
    for (TotalsRow& row : rows) {
        if (perDay && row.label == QLatin1String("Weekly")) {
            row = TotalsCalculator::perDay(row, 7, perDayLabel.arg(row.label));
        }
    }
    Values grand {};
    for (const TotalsRow& row : rows) {
        for (std::size_t n = 0; n < grand.size(); ++n) {
            grand[n] += row.values[n];
        }
    }
    QStringList leftOut;
    if (rollUps) {
        auto rowOf = [](const TotalsResult& plans, const QString& label) {
            const auto found = std::find_if(
                plans.rows.begin(), plans.rows.end(), [&label](const TotalsRow& row) { return row.label == label; });
            return found != plans.rows.end() ? *found : TotalsRow { label, {} };
        };
        TotalsRow weekFromParts = weekFromWeekdayAndWeekend(rowOf(fromParts, QStringLiteral("Weekday")),
            rowOf(fromParts, QStringLiteral("Weekend")), tr("Week from Weekday and Weekend"));
        TotalsRow weekFromDays { tr("Week from Sunday to Saturday"), {} };
        for (const QString& day : Periods::names().mid(4)) {
            const TotalsRow dayRow = rowOf(fromDays, day);
            for (std::size_t n = 0; n < weekFromDays.values.size(); ++n) {
                weekFromDays.values[n] += dayRow.values[n];
            }
        }
        for (const auto& [week, plans] :
            { std::pair(&weekFromParts, &fromParts), std::pair(&weekFromDays, &fromDays) }) {
            const TotalsRow shown = perDay ? TotalsCalculator::perDay(*week, 7, perDayLabel.arg(week->label)) : *week;
            if (!plans->stopped) {
                rows.push_back(shown);
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
    }
    result->rows = rows;
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
    auto keptRow = [&](const QString& label) {
        return NutrientTotalsRow { label, std::vector<double>(slotCount), std::vector<int>(slotCount) };
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
                    || (nutrients && !accumulateKept(lookup, slot.FoodName, quantity, kept, unknown, &error))) {
                    return stop(unreadableTable.arg(error));
                }
            }
        }
        result.rows.push_back({ QStringLiteral("Active"), running });
        if (nutrients) {
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
                    || (nutrients && !accumulateKept(lookup, food, quantity, kept, unknown, &error))) {
                    return stop(tr("File Not Found"));
                }
            }
        }
        result.rows.push_back({ period, running });
        if (nutrients) {
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
