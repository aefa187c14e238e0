// The period file reader, its field scanner and Load on any bytes: no crash, no hang, and a plan
// that keeps the meal tables' rules.

#include "FuzzSupport.h"
#include "core/files/TextFile.h"
#include "core/plans/MealPlan.h"
#include "core/plans/PeriodFile.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const QStringList lines = TextFile::splitLines(TextFile::decode(fuzz::bytes(data, size)));
    for (const QString& line : lines) {
        const QStringList fields = PeriodFile::fields(line);
        if (fields.size() > line.size() + 1) {
            fuzz::fail("more fields than characters", double(fields.size()), line);
        }
    }
    MealPlan plan;
    QStringList problems;
    PeriodFile::loadPlan(lines, &plan, &problems);
    for (const MealTable& table : plan.tables) {
        if (table.count() > MealTable::MaxEntries) {
            fuzz::fail("a meal holds more than it may", table.count(), QString());
        }
        for (int k = 1; k <= table.count(); ++k) {
            if (table.slot(k).FoodName.isEmpty()) {
                fuzz::fail("an entry without a food name", k, QString());
            }
        }
    }
    // What Load accepted can be saved again and loads the same.
    QString error;
    if (PeriodFile::canSave(plan, &error)) {
        MealPlan again;
        PeriodFile::loadPlan(PeriodFile::planLines(plan), &again, nullptr);
        if (!(again == plan)) {
            fuzz::fail("a loaded plan does not survive Save and Load", 0, QString());
        }
    }
    return 0;
}
