#pragma once

#include "core/nutrients/NutrientCatalogue.h"
#include "core/totals/NutrientTargets.h"

#include <QCoreApplication>
#include <QString>
#include <QStringList>

#include <map>
#include <optional>
#include <vector>

// The recommended daily intakes of the US Dietary Reference Intakes (National Academies, Food and
// Nutrition Board), one row a nutrient and life-stage group, read from a CSV file such as the one
// Platewell carries: "nutrient,name,sex,age_from,age_to,stage,intake,intake_kind,upper_limit,
// upper_kind,unit", lines starting with "#" being comments. A row's intake (the Recommended
// Dietary Allowance or the Adequate Intake) is a minimum, its upper limit (the Tolerable Upper
// Intake Level; for sodium the chronic disease risk reduction intake) a maximum.
class RecommendedIntakes
{
    Q_DECLARE_TR_FUNCTIONS(RecommendedIntakes)

public:
    enum class Sex { Female, Male };
    enum class Stage { None, Pregnant, Lactating };

    struct Person
    {
        Sex sex = Sex::Female;
        // In whole years.
        int age = 30;
        Stage stage = Stage::None;
    };

    struct Row
    {
        QString number;
        QString name;
        // Empty for rows that hold for either sex (young children).
        std::optional<Sex> sex;
        int ageFrom = 0;
        // Empty for no end.
        std::optional<int> ageTo;
        Stage stage = Stage::None;
        NutrientTargets::Range range;
        // As the reference states it: "mg", "µg", or a unit of equivalents such as "µg RAE".
        QString unit;
    };

    // The targets the reference gives a person, in the catalogue's units, and the nutrients it
    // could not give them for, each with the reason ("Vitamin A: ...").
    struct Filled
    {
        std::map<QString, NutrientTargets::Range> ranges;
        QStringList unset;
    };

    // The youngest and oldest age the reference speaks of, and the ages pregnancy and lactation
    // are given for.
    static constexpr int YoungestAge = 1;
    static constexpr int OldestAge = 120;
    static constexpr int FirstMotherAge = 14;
    static constexpr int LastMotherAge = 50;
    static bool canBeMother(const Person& person);

    // The most rows a file may hold and the most characters a line may have; a file beyond
    // either is refused, not read in part.
    static constexpr int MostRows = 20000;
    static constexpr int LongestLine = 1000;

    // The table Platewell carries, read once.
    static const RecommendedIntakes& builtIn();
    // The file Platewell carries, for showing where the values come from.
    static QString builtInPath();

    // Reads the file as a stream. Every line that cannot be read is a problem (the first few
    // quoted, the rest counted) and gives no row; false, with `error`, when the file cannot be
    // read at all or holds more than MostRows rows.
    static bool read(const QString& path, RecommendedIntakes* intakes, QStringList* problems, QString* error);

    const std::vector<Row>& rows() const { return m_rows; }
    // The source the file names in its first comment line.
    const QString& source() const { return m_source; }

    // The targets for `person` of every catalogue nutrient the reference has a row for. An amount
    // in another unit of mass is converted to the catalogue's; a nutrient whose reference is in a
    // unit that cannot be (equivalents, IU against mass) is left out and named in `unset`.
    // Energy has no recommended intake and is never set.
    Filled rangesFor(const Person& person, const NutrientCatalogue& catalogue) const;

private:
    static bool readRow(const QString& line, Row* row, QString* reason);
    static bool matches(const Row& row, const Person& person);

    std::vector<Row> m_rows;
    QString m_source;
};
