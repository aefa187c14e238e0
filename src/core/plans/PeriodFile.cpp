#include "core/plans/PeriodFile.h"

#include "core/text/MessageText.h"
#include "core/text/NumberText.h"

#include "core/files/TextFile.h"
#include "core/files/TextLineReader.h"
#include "core/plans/MealPlan.h"

#include <QCoreApplication>
#include <QLocale>

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

int PeriodFile::splitLine(QStringView line, QStringView* group, QStringView* food, QStringView* quantity)
{
    // As fields(): a field ends at each "_" and at the last character.
    QStringView* targets[] = { group, food, quantity };
    int count = 0;
    qsizetype start = 0;
    const qsizetype length = line.size();
    while (start < length && count < 4) {
        qsizetype end = line.indexOf(Separator, start);
        if (end < 0) {
            end = length;
        }
        if (count < 3) {
            *targets[count] = line.sliced(start, end - start);
        }
        ++count;
        start = end + 1;
    }
    return count;
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
                reason = tr("its name contains \"_\", which separates the fields of a saved plan");
            } else if (slot.QuantityText.contains(Separator)) {
                reason = tr("its quantity \"%1\" contains \"_\", which separates the fields of a saved plan")
                             .arg(MessageText::quoted(slot.QuantityText));
            } else if (breaksLine(slot.FoodName) || breaksLine(slot.QuantityText)) {
                reason = tr("its name or quantity contains a line break");
            } else if ((slot.FoodName.size() + slot.QuantityText.size()) * 3 > TextLineReader::MaxLineBytes / 2
                && (MealPlan::heading(meal) + slot.FoodName + slot.QuantityText).toUtf8().size() + 3
                    > TextLineReader::MaxLineBytes) {
                reason = tr("its name and quantity are too long for a saved plan");
            }
            if (!reason.isEmpty()) {
                if (error) {
                    *error = tr("The plan was not saved: the food \"%1\" in %2 cannot be saved because %3.")
                                 .arg(MessageText::quoted(slot.FoodName), MealPlan::heading(meal), reason);
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

namespace {

// The lines Load could not place: the first few described, the rest counted.
class LoadProblems
{
public:
    void add(qint64 lineNumber, QStringView line, const QString& what)
    {
        if (m_list.listsNext()) {
            m_list.add(what.arg(PeriodFile::tr("Line %1 \"%2\"")
                                    .arg(lineNumber)
                                    .arg(MessageText::quoted(line, PeriodFile::QuotedCharacters))));
        } else {
            m_list.countUnlisted();
        }
    }
    qint64 count() const { return m_list.count(); }
    QStringList lines() const { return m_list.lines(); }

private:
    ListedItems m_list { PeriodFile::ListedProblems };
};

// Places one line into the plan, or tells `problems` why it cannot.
void placeLine(QStringView line, qint64 lineNumber, bool cut, MealPlan* plan, LoadProblems* problems)
{
    if (line.isEmpty()) {
        return;
    }
    if (cut) {
        problems->add(lineNumber, line, PeriodFile::tr("%1 is too long to be a line of a saved plan."));
        return;
    }
    QStringView group;
    QStringView food;
    QStringView quantityText;
    const int fieldCount = PeriodFile::splitLine(line, &group, &food, &quantityText);
    if (fieldCount < 3) {
        problems->add(lineNumber, line, PeriodFile::tr("%1 has no food name and quantity."));
        return;
    }
    int meal = -1;
    for (int m = 0; m < MealPlan::MealCount; ++m) {
        if (group.trimmed().compare(MealPlan::heading(m), Qt::CaseInsensitive) == 0) {
            meal = m;
        }
    }
    if (meal < 0) {
        problems->add(lineNumber, line, PeriodFile::tr("%1 does not name a meal."));
        return;
    }
    // Quantities take the form the main window gives them, so a hand-written "2" shows as " 2".
    const QString quantity = NumberToText(TextToNumber(quantityText));
    const QString heading = MealPlan::heading(meal);
    switch (plan->tables[static_cast<std::size_t>(meal)].add(food.toString(), quantity)) {
    case MealTable::AddResult::Added:
        if (fieldCount > 3) {
            problems->add(lineNumber, line, PeriodFile::tr("%1: the text after the quantity was left out."));
        }
        break;
    case MealTable::AddResult::NoFood:
        problems->add(lineNumber, line, PeriodFile::tr("%1 has an empty food name."));
        break;
    case MealTable::AddResult::Duplicate:
        problems->add(
            lineNumber, line, PeriodFile::tr("%1 repeats a food already in %2.").arg(QStringLiteral("%1"), heading));
        break;
    case MealTable::AddResult::Full:
        problems->add(lineNumber, line,
            PeriodFile::tr("%1 does not fit: %2 already holds %3 foods.")
                .arg(QStringLiteral("%1"), heading, QString::number(MealTable::MaxEntries)));
        break;
    }
}

} // namespace

bool PeriodFile::loadPlan(const QStringList& lines, MealPlan* plan, QStringList* problems)
{
    *plan = MealPlan();
    LoadProblems found;
    for (qsizetype n = 0; n < lines.size(); ++n) {
        placeLine(lines[n], n + 1, false, plan, &found);
    }
    if (problems) {
        *problems = found.lines();
    }
    return found.count() == 0;
}

bool PeriodFile::load(const QString& path, MealPlan* plan, QStringList* problems, QString* error)
{
    TextLineReader reader(path);
    if (!reader.open(error)) {
        return false;
    }
    MealPlan loaded;
    LoadProblems found;
    QString line;
    while (reader.readLine(&line)) {
        placeLine(line, reader.lineNumber(), reader.lineCut(), &loaded, &found);
    }
    if (reader.failed(error)) {
        return false;
    }
    *plan = loaded;
    if (problems) {
        *problems = found.lines();
    }
    return true;
}
