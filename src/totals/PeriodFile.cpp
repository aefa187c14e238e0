#include "PeriodFile.h"

#include "app/NumberText.h"

#include "app/SharedState.h"
#include "app/TextFile.h"

QStringList PeriodFile::fields(QStringView line)
{
    QStringList result;
    qsizetype start = 0;
    const qsizetype length = line.size();
    for (qsizetype c = 0; c < length; ++c) {
        if (line[c] == Separator) {
            result.append(line.sliced(start, c - start).toString());
            start = c + 1;
        } else if (c == length - 1) {
            result.append(line.sliced(start).toString());
        }
    }
    return result;
}

bool PeriodFile::readLines(const QString& path, QStringList* lines, QString* error)
{
    return TextFile::readLines(path, lines, error);
}

QStringList PeriodFile::planLines(const MealPlan& plan)
{
    QStringList lines;
    for (int meal = 0; meal < MealPlan::MealCount; ++meal) {
        const MealTable& table = plan.tables[static_cast<std::size_t>(meal)];
        for (int i = 1; i <= table.count(); ++i) {
            const MealSlot& slot = table.slot(i);
            QString line = MealPlan::heading(meal) + Separator + slot.FoodName + Separator + slot.QuantityText;
            if (slot.QuantityText.isEmpty()) {
                line += Separator;
            }
            lines.append(line);
        }
    }
    return lines;
}

namespace {

bool breaksLine(const QString& text)
{
    return text.contains(u'\r') || text.contains(u'\n');
}

} // namespace

bool PeriodFile::canSave(const MealPlan& plan, QString* error)
{
    for (int meal = 0; meal < MealPlan::MealCount; ++meal) {
        const MealTable& table = plan.tables[static_cast<std::size_t>(meal)];
        for (int i = 1; i <= table.count(); ++i) {
            const MealSlot& slot = table.slot(i);
            QString reason;
            if (slot.FoodName.contains(Separator)) {
                reason = QStringLiteral("its name contains \"_\", which separates the fields of a saved plan");
            } else if (slot.QuantityText.contains(Separator)) {
                reason
                    = QStringLiteral("its quantity \"%1\" contains \"_\", which separates the fields of a saved plan")
                          .arg(slot.QuantityText);
            } else if (breaksLine(slot.FoodName) || breaksLine(slot.QuantityText)) {
                reason = QStringLiteral("its name or quantity contains a line break");
            }
            if (!reason.isEmpty()) {
                if (error) {
                    *error = QStringLiteral("The plan was not saved: the food \"%1\" in %2 cannot be saved because %3.")
                                 .arg(slot.FoodName, MealPlan::heading(meal), reason);
                }
                return false;
            }
        }
    }
    return true;
}

bool PeriodFile::save(const QString& path, const MealPlan& plan, QString* error)
{
    if (!canSave(plan, error)) {
        return false;
    }
    return TextFile::writeLines(path, planLines(plan), error);
}

bool PeriodFile::loadPlan(const QStringList& lines, MealPlan* plan, QStringList* problems)
{
    *plan = MealPlan();
    QStringList found;
    for (qsizetype n = 0; n < lines.size(); ++n) {
        const QString& line = lines[n];
        if (line.isEmpty()) {
            continue;
        }
        const QString where = QStringLiteral("Line %1 \"%2\"").arg(n + 1).arg(line);
        const QStringList parts = fields(line);
        if (parts.size() < 3) {
            found.append(QStringLiteral("%1 has no food name and quantity.").arg(where));
            continue;
        }
        int meal = -1;
        for (int m = 0; m < MealPlan::MealCount; ++m) {
            if (parts[0].trimmed().compare(MealPlan::heading(m), Qt::CaseInsensitive) == 0) {
                meal = m;
            }
        }
        if (meal < 0) {
            found.append(QStringLiteral("%1 does not name a meal.").arg(where));
            continue;
        }
        // Quantities take the form the main window gives them, so a hand-written "2" shows as " 2".
        const QString quantity = NumberToText(TextToNumber(parts[2]));
        switch (plan->tables[static_cast<std::size_t>(meal)].add(parts[1], quantity)) {
        case MealTable::AddResult::Added:
            if (parts.size() > 3) {
                found.append(QStringLiteral("%1: the text after the quantity was left out.").arg(where));
            }
            break;
        case MealTable::AddResult::NoFood:
            found.append(QStringLiteral("%1 has an empty food name.").arg(where));
            break;
        case MealTable::AddResult::Duplicate:
            found.append(QStringLiteral("%1 repeats a food already in %2.").arg(where, MealPlan::heading(meal)));
            break;
        case MealTable::AddResult::Full:
            found.append(QStringLiteral("%1 does not fit: %2 already holds %3 foods.")
                             .arg(where, MealPlan::heading(meal), QString::number(MealTable::MaxEntries)));
            break;
        }
    }
    if (problems) {
        *problems = found;
    }
    return found.isEmpty();
}

bool PeriodFile::load(const QString& path, MealPlan* plan, QStringList* problems, QString* error)
{
    QStringList lines;
    if (!readLines(path, &lines, error)) {
        return false;
    }
    loadPlan(lines, plan, problems);
    return true;
}
